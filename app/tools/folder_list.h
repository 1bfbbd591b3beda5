// A folder list: the open folder with the folders above it, then its subfolders, each
// indented one step deeper than its parent. Activating an entry (double click, Enter)
// opens that folder.
#pragma once

#include <QListWidget>

namespace tools {

class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    // The open folder: an absolute, clean path ("/" for the root, no "/" at the end
    // otherwise). Empty until a folder is opened.
    QString path() const { return path_; }
    // Opens `path` and emits pathChanged. Returns false, changing nothing, unless `path`
    // is an absolute path of a folder that can be read.
    bool setPath(const QString& path);
    // The folder an entry stands for.
    static QString folderOf(const QListWidgetItem& item);

  signals:
    void pathChanged(const QString& path);

  private:
    void fill();

    QString path_;
};

} // namespace tools
