#include "app/tools/folder_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace tools {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kIndent = 2; // spaces per level

bool canOpen(const QString& path) {
    const QFileInfo info(path);
    return info.isAbsolute() && info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(folderOf(*item)); });
}

QString FolderList::folderOf(const QListWidgetItem& item) {
    return item.data(kFolderRole).toString();
}

bool FolderList::setPath(const QString& path) {
    if (path.isEmpty() || !canOpen(path)) return false;
    path_ = QDir::cleanPath(path);
    fill();
    emit pathChanged(path_);
    return true;
}

void FolderList::fill() {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto addEntry = [this](const QString& folder, const QString& name, int depth,
                           const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, QString(depth * kIndent, ' ') + name, this);
        item->setData(kFolderRole, folder);
        return item;
    };

    // The root, then each folder on the way down to the open one.
    QListWidgetItem* open = addEntry(QStringLiteral("/"), QStringLiteral("/"), 0, openIcon);
    QString folder;
    int depth = 0;
    for (const QString& part : path_.split('/', Qt::SkipEmptyParts)) {
        folder += '/' + part;
        open = addEntry(folder, part, ++depth, openIcon);
    }
    const QFileInfoList subfolders = QDir(path_).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& sub : subfolders)
        addEntry(sub.absoluteFilePath(), sub.fileName(), depth + 1, closedIcon);
    setCurrentItem(open);
}

} // namespace tools
