// The file list File1 and the folder list's entries.
#include "app_fixtures.h"

#include "app/main/file_list.h"
#include "app/main/folder_list.h"

#include <QFile>

using apptest::touch;

TEST(FileList, ListsSwfNamesOfAnyCaseSortedWithoutHiddenFilesOrFolders) {
    QTemporaryDir dir;
    for (const char* name :
         {"b.swf", "A.SWF", "c.Swf", "a.swf", ".hidden.swf", "notes.txt", "swf", "x.swf.bak"})
        touch(dir.filePath(name));
    QDir(dir.path()).mkdir("folder.swf");
    browse::FileList list;
    list.setPath(dir.path());
    EXPECT_EQ(list.names(), QStringList({"A.SWF", "a.swf", "b.swf", "c.Swf"}));
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.entry(0), "A.SWF");
    EXPECT_EQ(list.entry(4), QString());
    EXPECT_EQ(list.entry(-1), QString());
}

TEST(FileList, SettingTheSamePathReadsTheFolderAgain) {
    QTemporaryDir dir;
    touch(dir.filePath("a.swf"));
    browse::FileList list;
    list.setPath(dir.path());
    touch(dir.filePath("b.swf"));
    list.setPath(dir.path());
    EXPECT_EQ(list.count(), 2);
}

TEST(FileList, UnreadableOrMissingFoldersListNothing) {
    browse::FileList list;
    list.setPath("/no/such/folder");
    EXPECT_EQ(list.count(), 0);
    QTemporaryDir dir;
    touch(dir.filePath("a.swf"));
    QFile::setPermissions(dir.path(), QFile::WriteOwner | QFile::ExeOwner);
    list.setPath(dir.path());
    if (QDir(dir.path()).isReadable()) GTEST_SKIP() << "running with rights to read anything";
    EXPECT_EQ(list.count(), 0);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(FolderList, ShowsTheChainToTheFolderAndItsVisibleSubfolders) {
    QTemporaryDir dir;
    for (const char* name : {"b", "A", ".hidden"})
        QDir(dir.path()).mkdir(name);
    touch(dir.filePath("file.swf"));
    EXPECT_EQ(visibleSubfolders(dir.path()), QStringList({"A", "b"}));

    FolderList list;
    list.setPath(dir.path());
    QTreeWidgetItem* current = list.currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(FolderList::folderOf(current), dir.path());
    EXPECT_EQ(current->childCount(), 2);
    EXPECT_EQ(FolderList::folderOf(current->child(0)), dir.filePath("A"));
    EXPECT_EQ(FolderList::folderOf(list.topLevelItem(0)), "/");
    EXPECT_NE(list.itemFor(QFileInfo(dir.path()).absolutePath()), nullptr);
}
