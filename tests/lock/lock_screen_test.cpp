// The main program's side of the lock screen: what the commands do to the main window and
// the working copy, and how each way the locker ends brings the main window back.
#include "app/lock/lock_screen.h"
#include "app/lock/settings/locker_handoff.h"
#include "app/main/form1_lock.h"
#include "app/main/form1.h"
#include "app/lock/config_window.h"
#include "lock_fixtures.h"
#include "../app/app_fixtures.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace locktest;
using Kind = lock::LockerEnd::Kind;

class LockScreenTest : public ::testing::Test {
  protected:
    FakeLockHost host;
    FakeLauncher launcher;
    lock::LockScreen screen{host, launcher};
};

TEST_F(LockScreenTest, LkWithoutAMovieSaysSoAndTakesThePathAnyway) {
    host.current = "";
    screen.Command23_Click();
    ASSERT_EQ(host.messages, std::vector<QString>{"You hadn't selected a flash file"});
    EXPECT_EQ(host.flash, "");
    EXPECT_TRUE(launcher.launches.empty());
    host.current = "/m/UPPER.SWF";
    screen.Command23_Click();
    EXPECT_EQ(host.flash, "/m/UPPER.SWF");
    EXPECT_TRUE(launcher.launches.empty());
    host.current = "/m/movie.swf";
    screen.Command23_Click();
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0].moviePath, "/m/movie.swf");
}

TEST_F(LockScreenTest, LockingHandsTheWorkingCopyOverAndThePasswordBringsTheWindowBack) {
    host.password = "applied, not saved";
    host.mute = "F";
    screen.Command22_Click();
    EXPECT_FALSE(host.enabled);
    EXPECT_FALSE(host.visible);
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0],
              (lock::ScreenSaverSettings{host.flash, "applied, not saved", false}));
    screen.Command22_Click(); // already locked: nothing more
    EXPECT_EQ(launcher.launches.size(), 1u);
    launcher.lock();
    launcher.end(Kind::Unlocked, 0, true);
    EXPECT_TRUE(host.enabled);
    EXPECT_TRUE(host.visible);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LockScreenTest, ARefusalSaysWhyAndChangesNothing) {
    for (auto code : {lock::LockerExit::GrabRefused, lock::LockerExit::WaylandRefused}) {
        host.messages.clear();
        screen.Command22_Click();
        launcher.end(Kind::Refused, int(code), false);
        EXPECT_TRUE(host.enabled);
        EXPECT_TRUE(host.visible);
        EXPECT_EQ(host.messages, std::vector<QString>{lock::refusalMessage(int(code))});
        EXPECT_EQ(host.mutes, 0);
    }
}

TEST_F(LockScreenTest, ALockerThatCannotStartIsReported) {
    screen.Command22_Click();
    launcher.end(Kind::Failed, -1, false);
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(host.messages, std::vector<QString>{lock::lockFailedMessage()});
}

TEST_F(LockScreenTest, ALockerThatDiesWhileLockedLocksAgainThreeTimesAMinute) {
    screen.Command22_Click();
    launcher.lock();
    for (int i = 0; i < 3; ++i) {
        launcher.end(Kind::Failed, 9, true);
        EXPECT_FALSE(host.visible) << i;
        EXPECT_EQ(launcher.launches.size(), std::size_t(i + 2));
    }
    launcher.end(Kind::Failed, 9, true);
    EXPECT_EQ(launcher.launches.size(), 4u);
    EXPECT_TRUE(host.visible);
    EXPECT_TRUE(host.enabled);
    EXPECT_EQ(host.mutes, 1);
    EXPECT_EQ(host.messages, std::vector<QString>{lock::kLockEndedMessage});
}

// The main window's LockScreen menu, wired to a launcher that records.
class Form1LockTest : public apptest::FormFixture {
  protected:
    void SetUp() override {
        Form1Services s;
        s.drives = &drives;
        s.fileDialog = &dialog;
        s.messages = &messages;
        s.programDir = programDir;
        s.startFolder = folder.path();
        s.showSplash = false;
        s.lockLauncher = &launcher;
        form = std::make_unique<Form1>(std::move(s));
        form->Form_Load();
    }
    QString label(browse::HiddenLabel l) const { return form->hiddenLabel(l); }

    apptest::MovieFolder folder{1};
    FakeLauncher launcher;
};

TEST_F(Form1LockTest, TheMenuLocksWithTheWorkingCopyAndTheMainWindowComesBack) {
    for (const char* command : {"myConfigMn", "myLockMn", "myLK", "FlatBttn9", "FlatBttn11"})
        EXPECT_TRUE(form->commandAvailable(command)) << command;
    EXPECT_EQ(label(browse::HiddenLabel::myFlash), programDir + "/default.swf");
    EXPECT_EQ(label(browse::HiddenLabel::ifMute), "T");

    // The current file (a folder now) is no movie: LK says so and empties nothing else.
    ASSERT_TRUE(form->runCommand("FlatBttn11"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You hadn't selected a flash file");
    EXPECT_EQ(label(browse::HiddenLabel::myFlash), folder.path());

    // A password applied with Ok, never saved, goes to the locker.
    ASSERT_TRUE(form->runCommand("myConfigMn"));
    lock::ConfigWindow* config = form->lockScreen().commands().myConfig();
    ASSERT_NE(config, nullptr);
    EXPECT_FALSE(form->isEnabled());
    config->myChFileBox()->setText(folder.file("m00.swf"));
    config->myPassWordBox()->setText("pw");
    config->button("Command1")->click();
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(label(browse::HiddenLabel::myPassWord), "pw");

    ASSERT_TRUE(form->runCommand("myLockMn"));
    EXPECT_FALSE(form->isEnabled());
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0], (lock::ScreenSaverSettings{folder.file("m00.swf"), "pw", true}));
    launcher.lock();
    launcher.end(Kind::Unlocked, 0, true);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->isVisible());

    // Choosing a movie makes it the lock's movie.
    form->setCurrentFile(folder.file("m00.swf"));
    ASSERT_TRUE(form->runCommand("myLK"));
    EXPECT_EQ(launcher.launches.size(), 2u);
}

} // namespace
