#include "folder_list.h"

#include "file_list.h"

#include <QDir>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>

namespace {
constexpr int kPathRole = Qt::UserRole;
}

QStringList visibleSubfolders(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), browse::fileListOrder);
    return names;
}

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item) emit folderChosen(folderOf(item));
    });
}

QString FolderList::folderOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPathRole).toString() : QString();
}

QTreeWidgetItem* FolderList::itemFor(const QString& folder) const {
    for (QTreeWidgetItemIterator it(const_cast<FolderList*>(this)); *it; ++it)
        if (folderOf(*it) == folder) return *it;
    return nullptr;
}

void FolderList::setPath(const QString& path) {
    path_ = path;
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The chain from the root to the folder, each entry inside the one before.
    QTreeWidgetItem* parentItem = nullptr;
    QString at;
    QStringList parts = path.split('/', Qt::SkipEmptyParts);
    parts.prepend(QStringLiteral("/"));
    for (const QString& part : parts) {
        at = at.isEmpty() ? part : (at == "/" ? "/" + part : at + "/" + part);
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, part);
        item->setIcon(0, open);
        item->setData(0, kPathRole, at);
        parentItem = item;
    }
    for (const QString& name : visibleSubfolders(path)) {
        auto* item = new QTreeWidgetItem(parentItem);
        item->setText(0, name);
        item->setIcon(0, closed);
        item->setData(0, kPathRole, at == "/" ? "/" + name : at + "/" + name);
    }
    expandAll();
    setCurrentItem(parentItem);
    scrollToItem(parentItem, QAbstractItemView::PositionAtTop);
}
