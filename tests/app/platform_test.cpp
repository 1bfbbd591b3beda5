// The platform layers the main window uses: drives, the file dialog's filters and answers,
// and the program folder.
#include "platform/drives.h"
#include "platform/program_folder.h"
#include "platform/qt_file_dialog.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using platform::Drive;

TEST(Drives, BrowsableMountsAreTheRootHomeAndRemovableMedia) {
    EXPECT_TRUE(platform::isBrowsableMount("/", "/"));
    EXPECT_TRUE(platform::isBrowsableMount("/home", "/home"));
    EXPECT_TRUE(platform::isBrowsableMount("/media/user/STICK", "/"));
    EXPECT_TRUE(platform::isBrowsableMount("/run/media/user/CD", "/"));
    EXPECT_TRUE(platform::isBrowsableMount("/mnt/backup", "/"));
    EXPECT_FALSE(platform::isBrowsableMount("/mnt", "/"));
    EXPECT_FALSE(platform::isBrowsableMount("/media", "/"));
    EXPECT_FALSE(platform::isBrowsableMount("/proc", "/"));
    EXPECT_FALSE(platform::isBrowsableMount("/boot/efi", "/"));
    EXPECT_FALSE(platform::isBrowsableMount("/mediaextra", "/"));
}

TEST(Drives, APathBelongsToTheDeepestMountHoldingIt) {
    const std::vector<Drive> drives = {
        {"/", "", "", false}, {"/home", "HOME", "", false}, {"/media/u/STICK", "STICK", "", false}};
    EXPECT_EQ(platform::driveIndexFor(drives, "/tmp/x"), 0);
    EXPECT_EQ(platform::driveIndexFor(drives, "/home"), 1);
    EXPECT_EQ(platform::driveIndexFor(drives, "/home/u/films"), 1);
    EXPECT_EQ(platform::driveIndexFor(drives, "/homework"), 0);
    EXPECT_EQ(platform::driveIndexFor(drives, "/media/u/STICK/a"), 2);
    EXPECT_EQ(platform::driveIndexFor({{"/media/x", "", "", false}}, "/tmp"), -1);
    EXPECT_EQ(drives[1].displayName(), "/home [HOME]");
    EXPECT_EQ(drives[0].displayName(), "/");
}

TEST(Drives, TheSystemListStartsAtAReadyRoot) {
    platform::SystemDrives system;
    const std::vector<Drive> drives = system.list();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().mountPoint, "/");
    EXPECT_TRUE(system.isReady(drives.front()));
    EXPECT_FALSE(system.isReady({"/no/such/mount", "", "", false}));
}

TEST(FileDialog, FiltersAndChosenFilesInTheDesktopsForm) {
    EXPECT_EQ(platform::qtNameFilters("The ShockwaveFlash file(.swf)|*.swf"),
              QStringList({"The ShockwaveFlash file(.swf) (*.swf)"}));
    EXPECT_EQ(platform::qtNameFilters("Movies|*.swf;*.spl|All|*.*|dangling"),
              QStringList({"Movies (*.swf *.spl)", "All (*.*)"}));
    EXPECT_EQ(platform::joinChosenFiles({"/a/b.swf"}), "/a/b.swf");
    EXPECT_EQ(platform::joinChosenFiles({"/a/b.swf", "/a/c.swf"}),
              QString("/a") + QChar(0) + "b.swf" + QChar(0) + "c.swf");
    EXPECT_EQ(platform::joinChosenFiles({}), "");
}

TEST(ProgramFolder, IsTheExecutablesFolder) {
    EXPECT_EQ(platform::programFolder(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(platform::inFolder("/opt/rv", "skins/winaqua.skn"), "/opt/rv/skins/winaqua.skn");
    EXPECT_EQ(platform::inFolder("/", "default.swf"), "/default.swf");
}
