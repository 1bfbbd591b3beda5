// The main window's shortcuts "Capture" and "Set to &Wallpaper": full screen around the
// bar's command, and the suffix tests that decide whether they run.
#include "capture_fixtures.h"

#include "app/app_fixtures.h"
#include "app/main/form1_capture.h"
#include "app/main/form1_playback.h"
#include "app/playback/flash_player.h"

#include <gtest/gtest.h>

namespace {

class Shortcuts : public apptest::FormFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sound.valid());
        movie = capturetest::writeMovingMovie(dir.filePath("moving.swf"), 20);
        loadForm(dir.path());
        playtestFlush();
        playback::CaptureServices s;
        s.wallpaper = &wallpaper;
        s.wallpaperFile = dir.filePath("OrbisaneWallpaper.bmp");
        s.wait = [this](std::chrono::milliseconds) {
            ++waits;
            inFullScreen.push_back(form->playback().fullScreen().isOpen() && !form->isVisible());
        };
        s.report = [this](const std::string& line) { reports.push_back(line); };
        form->capture().setServices(std::move(s));
    }
    static void playtestFlush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The current file `name`, with the movie playing in the mini player.
    void choose(const QString& name) {
        form->miniPlayer()->setMovie(movie);
        form->setCurrentFile(dir.filePath(name));
    }
    void expectBackInTheMainWindow() {
        playtestFlush();
        EXPECT_FALSE(form->playback().fullScreen().isOpen());
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(form->miniPlayer()->Movie(), movie);
    }

    QTemporaryDir dir;
    QString movie;
    capturetest::RecordingWallpaper wallpaper;
    int waits = 0;
    std::vector<bool> inFullScreen;
    std::vector<std::string> reports;
};

TEST_F(Shortcuts, CaptureRunsInFullScreenFromEveryPlaceAndComesBack) {
    choose("moving.swf");
    int n = 0;
    for (const char* command : {"Command20", "mCapture", "FlatBttn8"}) {
        ASSERT_TRUE(form->commandAvailable(command)) << command;
        const QString file = dir.filePath(QString("shot%1.bmp").arg(++n));
        dialog.answers.push_back(file);
        EXPECT_TRUE(form->runCommand(command));
        EXPECT_TRUE(QFile::exists(file)) << command;
        expectBackInTheMainWindow();
    }
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(inFullScreen, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(Shortcuts, WallpaperRunsInFullScreenFromMenuAndToolbar) {
    choose("moving.swf");
    for (const char* command : {"myWallpaper", "FlatBttn22"}) {
        ASSERT_TRUE(form->commandAvailable(command)) << command;
        EXPECT_TRUE(form->runCommand(command));
        expectBackInTheMainWindow();
    }
    EXPECT_EQ(wallpaper.files.size(), 2u);
    EXPECT_EQ(waits, 4);
    EXPECT_TRUE(dialog.requests.empty());
}

TEST_F(Shortcuts, CaptureTestsForSwfAndWallpaperForDotSwfCaseSensitively) {
    choose("clipswf"); // no dot: enough for "Capture" only
    dialog.answers.push_back(dir.filePath("nodot.bmp"));
    form->runCommand("mCapture");
    EXPECT_EQ(dialog.requests.size(), 1u);
    expectBackInTheMainWindow();
    form->runCommand("myWallpaper");
    EXPECT_TRUE(wallpaper.files.empty());

    choose("moving.SWF");
    form->runCommand("mCapture");
    form->runCommand("myWallpaper");
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(wallpaper.files.empty());
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(form->playback().fullScreen().isOpen());
}

TEST_F(Shortcuts, ACancelledCaptureStillLeavesFullScreen) {
    choose("moving.swf");
    form->runCommand("Command20");
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(waits, 0);
    expectBackInTheMainWindow();
}

} // namespace
