// The bar's capture and wallpaper commands over the real full-screen windows, with a
// stand-in main window, desktop, pointer, save dialog and wallpaper.
#include "capture_fixtures.h"

#include "app/playback/capture_commands.h"
#include "app/playback/form2.h"
#include "app/playback/form3.h"
#include "app/playback/full_screen.h"
#include "app/app_fixtures.h"
#include "playback/playback_fixtures.h"
#include "support/alsa_test_device.h"

#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using capturetest::bmpField;
using capturetest::fileBytes;
using playback::CaptureCommands;
using playback::Form2;
using playback::Form3;
using playback::FullScreen;

class CaptureSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sound.valid()) << testsupport::AlsaTestDevice::pluginFile();
        movie = capturetest::writeMovingMovie(dir.filePath("moving.swf"), 20);
        host.folder = dir.path();
        host.mini.setMovie(movie);
        wallpaperFile = dir.filePath("program/OrbisaneWallpaper.bmp");
        makeCommands();
    }
    void TearDown() override {
        commands.reset();
        session.reset();
        playtest::flushDeletes();
    }

    void makeCommands(const platform::DisplayCaps* display = nullptr) {
        playback::CaptureServices s;
        s.fileDialog = &dialog;
        s.display = display ? display : &trueColour;
        s.wallpaper = &wallpaper;
        s.cursor = &cursor;
        s.wallpaperFile = wallpaperFile;
        s.wait = [this](std::chrono::milliseconds ms) {
            waits.push_back(int(ms.count()));
            hiddenDuringWaits.push_back(cursor.hidden);
            loopTimerDuringWaits.push_back(session->form2() && movieWindow().Timer1().isActive());
            if (duringWait) duringWait();
        };
        s.report = [this](const std::string& line) { reports.push_back(line); };
        commands = std::make_unique<CaptureCommands>(*session, std::move(s));
        session->setCaptureCommands(commands.get());
    }

    // Full screen from frame `frame`, the bar shown under the pointer.
    void enter(int frame = 5) {
        host.begin = QString::number(frame);
        session->showForm2();
        session->showForm3();
        bar().picFrame_MouseMove();
        ASSERT_FALSE(bar().barHidden());
        desktop.reserved.clear();
    }
    Form2& movieWindow() { return *session->form2(); }
    Form3& bar() { return *session->form3(); }
    FlashPlayer& playing() { return movieWindow().playing(); }
    platform::BarRect strip(int height) {
        platform::BarRect r = bar().appBarRect();
        r.bottom = r.top + height;
        return r;
    }

    testsupport::AlsaTestDevice sound;
    QTemporaryDir dir;
    QString movie, wallpaperFile;
    playtest::FakeFullScreenHost host;
    playtest::FakeDesktopBar desktop;
    playtest::ScriptedCursor cursor;
    apptest::FakeFileDialog dialog;
    platform::TrueColorDisplay trueColour;
    capturetest::RecordingWallpaper wallpaper;
    std::unique_ptr<FullScreen> session = std::make_unique<FullScreen>(host, desktop, cursor);
    std::unique_ptr<CaptureCommands> commands;
    std::vector<int> waits, hiddenDuringWaits, loopTimerDuringWaits;
    std::function<void()> duringWait;
    std::vector<std::string> reports;
};

TEST_F(CaptureSession, SavesTheHaltedFrameAsTheFullScreenClientAreaAndRestores) {
    enter(5);
    const QString file = dir.filePath("shot.bmp");
    dialog.answers.push_back(file);
    bar().Command6_Click();

    ASSERT_EQ(dialog.requests.size(), 1u);
    const auto& request = dialog.requests[0];
    EXPECT_EQ(request.mode, platform::FileDialogMode::Save);
    EXPECT_EQ(request.defaultExt, ".BMP");
    EXPECT_EQ(request.filter, "Bitmap Image (*.bmp)|*.bmp");
    EXPECT_EQ(request.flags, platform::kFileDialogStandardFlags);

    EXPECT_FALSE(playing().IsPlaying());
    EXPECT_EQ(waits, std::vector<int>{1000});
    EXPECT_EQ(hiddenDuringWaits, std::vector<int>{1});
    EXPECT_EQ(cursor.hidden, 0);
    // Pulled away with no strip, then the 2-pixel strip again; the bar stays hidden.
    EXPECT_EQ(desktop.reserved, (std::vector<platform::BarRect>{strip(0), strip(2)}));
    EXPECT_TRUE(bar().barHidden());
    EXPECT_EQ(bar().barGeometry().top(), -Form3::kShownHeight);
    EXPECT_TRUE(reports.empty());

    // The whole screen in device pixels: exactly what the movie window draws.
    const QImage saved(file);
    const double ratio = movieWindow().devicePixelRatioF();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(saved.size(), QSize(playback::devicePixels(screen.width(), ratio),
                                  playback::devicePixels(screen.height(), ratio)));
    EXPECT_EQ(saved.size(), movieWindow().size() * ratio);
    EXPECT_EQ(bmpField(fileBytes(file), 28, 2), 24u);
    if (ratio == 1.0) {
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
                  playing().grabFrame().convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(CaptureSession, ALoopingMovieStaysOnTheFrameOfTheClickUntilTheCommandIsOver) {
    enter(4);
    bar().Check1().setChecked(true);
    playing().Play();
    dialog.answers.push_back(dir.filePath("loop.bmp"));
    bar().Command6_Click();
    bar().FlatBttn7_Click();
    EXPECT_EQ(loopTimerDuringWaits, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(movieWindow().Timer1().isActive());
    EXPECT_FALSE(playing().IsPlaying());
}

TEST_F(CaptureSession, PartsOfTheWindowTheWindowWithItsFrameAndTheScreen) {
    enter();
    const auto& routines = commands->routines();
    const QImage whole = routines.CaptureClient(movieWindow()).bitmap;
    EXPECT_EQ(routines.CaptureWindow(&movieWindow(), true, 30, 40, 100, 50).bitmap,
              whole.copy(30, 40, 100, 50));
    EXPECT_TRUE(routines.CaptureWindow(&movieWindow(), true, 0, 0, 0, 10).isNull());
    // The movie window has no frame.
    EXPECT_EQ(routines.CaptureForm(movieWindow()).bitmap, whole);
    // The screen: the movie window, and the bar shown over its top.
    const QImage screen = routines.CaptureScreen().bitmap;
    ASSERT_EQ(screen.size(), whole.size());
    const int below = Form3::kShownHeight + 1;
    EXPECT_EQ(screen.copy(0, below, screen.width(), screen.height() - below),
              whole.copy(0, below, whole.width(), whole.height() - below));
    EXPECT_NE(screen.copy(0, 0, screen.width(), Form3::kShownHeight),
              whole.copy(0, 0, whole.width(), Form3::kShownHeight));
}

TEST_F(CaptureSession, ScreenScaleGivesDevicePixels) {
    // Run once more with QT_SCALE_FACTOR=2 by the build: the picture is twice the size.
    enter();
    const auto picture = commands->routines().CaptureClient(movieWindow());
    const double ratio = movieWindow().devicePixelRatioF();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == "2") {
        EXPECT_EQ(ratio, 2.0);
    }
    EXPECT_EQ(picture.bitmap.size(), movieWindow().size() * ratio);
    EXPECT_EQ(picture.bitmap.devicePixelRatio(), 1.0);
    // The square's red at its place, sharp at either scale.
    const QImage frame = playing().grabFrame();
    const QPoint red(frame.width() / 2, frame.height() / 4);
    EXPECT_EQ(picture.bitmap.pixel(red * ratio), frame.pixel(red));
}

TEST_F(CaptureSession, OnAPaletteDisplayTheFileCarriesTheSystemPalette) {
    capturetest::PaletteDisplay palette(256);
    makeCommands(&palette);
    enter();
    const QString file = dir.filePath("palette.bmp");
    dialog.answers.push_back(file);
    bar().Command6_Click();
    const QByteArray bytes = fileBytes(file);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bmpField(bytes, 28, 2), 8u);
    const int table = 14 + int(bmpField(bytes, 14, 4));
    EXPECT_EQ(uint8_t(bytes[table + 4 * 77 + 2]), 77); // entry 77 is (77, 178, 38)
    EXPECT_EQ(uint8_t(bytes[table + 4 * 77 + 1]), 178);
    EXPECT_EQ(uint8_t(bytes[table + 4 * 77]), 38);

    // Another size of palette, or colours that do not go through one: no palette.
    for (auto other : {capturetest::PaletteDisplay(16), capturetest::PaletteDisplay(256, false)}) {
        makeCommands(&other);
        dialog.answers.push_back(file);
        bar().Command6_Click();
        EXPECT_EQ(bmpField(fileBytes(file), 28, 2), 24u);
    }
}

TEST_F(CaptureSession, ACancelledDialogWritesNothingAndLeavesTheBarUndocked) {
    enter();
    bar().Command6_Click(); // the fake dialog cancels
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_FALSE(playing().IsPlaying());
    EXPECT_EQ(desktop.reserved, std::vector<platform::BarRect>{strip(0)});
    EXPECT_TRUE(bar().barHidden());
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.bmp", "*.BMP"}).isEmpty());
    EXPECT_FALSE(commands->running());
}

TEST_F(CaptureSession, AFailedWriteKeepsTheOldFileAndRestoresPointerAndBar) {
    enter();
    const QString file = dir.filePath("kept.bmp");
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier picture");
    old.close();
    // The dialog hands back a name the program cannot write: its folder is a file.
    dialog.answers.push_back(file + "/frame.bmp");
    bar().Command6_Click();
    EXPECT_EQ(fileBytes(file), "earlier picture");
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_EQ(desktop.reserved, (std::vector<platform::BarRect>{strip(0), strip(2)}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("the frame was not saved: ")) << reports[0];
}

TEST_F(CaptureSession, ASecondCommandDuringTheWaitsIsIgnored) {
    enter();
    dialog.answers.push_back(dir.filePath("one.bmp"));
    dialog.answers.push_back(dir.filePath("two.bmp"));
    duringWait = [this] {
        EXPECT_TRUE(commands->running());
        bar().Command6_Click();
        bar().FlatBttn7_Click();
    };
    bar().Command6_Click();
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(waits.size(), 1u);
    EXPECT_TRUE(wallpaper.files.empty());
    EXPECT_FALSE(commands->running());

    duringWait = [this] {
        bar().FlatBttn7_Click();
        bar().Command6_Click();
    };
    bar().FlatBttn7_Click();
    EXPECT_EQ(waits.size(), 3u);
    EXPECT_EQ(wallpaper.files.size(), 1u);
    EXPECT_EQ(dialog.requests.size(), 1u);
}

TEST_F(CaptureSession, TheBarsButtonsRunTheCommandsOnceTheirClickIsOver) {
    enter();
    dialog.answers.push_back(dir.filePath("button.bmp"));
    bar().FlatBttn(6).click();
    EXPECT_TRUE(dialog.requests.empty());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(QFile::exists(dir.filePath("button.bmp")));
    bar().FlatBttn(7).click();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(wallpaper.files.size(), 1u);
}

TEST_F(CaptureSession, LeavingFullScreenDuringTheWaitCapturesNothing) {
    enter();
    dialog.answers.push_back(dir.filePath("left.bmp"));
    duringWait = [this] {
        session->form3()->Command3_Click();
        playtest::flushDeletes();
    };
    bar().Command6_Click();
    EXPECT_EQ(session->form2(), nullptr);
    EXPECT_FALSE(QFile::exists(dir.filePath("left.bmp")));
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_TRUE(host.visible);

    enter();
    duringWait = [this] { session->leave(); };
    session->form3()->FlatBttn7_Click();
    EXPECT_TRUE(wallpaper.files.empty());
    EXPECT_EQ(cursor.hidden, 0);
}

TEST_F(CaptureSession, WallpaperWritesTheFileWaitsAgainAndSetsIt) {
    enter(3);
    bar().FlatBttn7_Click();
    EXPECT_EQ(waits, (std::vector<int>{1000, 1000}));
    EXPECT_EQ(hiddenDuringWaits, (std::vector<int>{1, 1}));
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_FALSE(playing().IsPlaying());
    EXPECT_EQ(desktop.reserved, (std::vector<platform::BarRect>{strip(0), strip(2)}));
    ASSERT_EQ(wallpaper.files, std::vector<QString>{wallpaperFile});
    EXPECT_EQ(QImage(wallpaperFile).size(), movieWindow().size() * movieWindow().devicePixelRatioF());
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(dialog.requests.empty());

    // Again on another frame: the same file, overwritten with the new picture.
    playing().setFrameNum(15);
    bar().FlatBttn7_Click();
    ASSERT_EQ(wallpaper.files.size(), 2u);
    EXPECT_EQ(wallpaper.files[1], wallpaperFile);
    EXPECT_NE(wallpaper.contents[0], wallpaper.contents[1]);
    EXPECT_EQ(fileBytes(wallpaperFile), wallpaper.contents[1]);
    EXPECT_EQ(QDir(dir.filePath("program")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"OrbisaneWallpaper.bmp"});
}

TEST_F(CaptureSession, ASetterFailureIsOneLineAndRestoresLikeSuccess) {
    enter();
    wallpaper.succeed = false;
    wallpaper.tried = {"swaymsg: exit status 1", "feh: not installed"};
    bar().FlatBttn7_Click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "the wallpaper was not set to " + wallpaperFile.toStdString() +
                              "; tried swaymsg: exit status 1; feh: not installed");
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_EQ(desktop.reserved, (std::vector<platform::BarRect>{strip(0), strip(2)}));
}

TEST_F(CaptureSession, AWallpaperFileThatCannotBeWrittenLeavesTheWallpaper) {
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    wallpaperFile = dir.filePath("blocker/OrbisaneWallpaper.bmp");
    makeCommands();
    enter();
    bar().FlatBttn7_Click();
    EXPECT_TRUE(wallpaper.files.empty());
    EXPECT_EQ(waits, std::vector<int>{1000});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("the wallpaper was left as it was: ")) << reports[0];
    EXPECT_EQ(cursor.hidden, 0);
    EXPECT_EQ(desktop.reserved, (std::vector<platform::BarRect>{strip(0), strip(2)}));
}

TEST(CaptureWait, HandlesEventsForItsDuration) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    QElapsedTimer clock;
    clock.start();
    playback::waitProcessingEvents(std::chrono::milliseconds(120));
    EXPECT_GE(clock.elapsed(), 110);
    EXPECT_GE(ticks, 3);
}

} // namespace
