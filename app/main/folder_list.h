// The folder list Dir1: the folders from the root down to the current one, opened, and the
// current folder's subfolders below it. Activating an entry (double click or Enter) chooses
// that folder. Hidden folders are left out.
#pragma once

#include <QTreeWidget>

class FolderList : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    // Shows `path` as the current folder; no signal.
    void setPath(const QString& path);
    const QString& path() const { return path_; }
    // The folder an entry stands for.
    static QString folderOf(const QTreeWidgetItem* item);
    // The entry of `folder`, or null.
    QTreeWidgetItem* itemFor(const QString& folder) const;

  signals:
    void folderChosen(const QString& path);

  private:
    QString path_;
};

// The names of a folder's subfolders that the list shows, sorted.
QStringList visibleSubfolders(const QString& folder);
