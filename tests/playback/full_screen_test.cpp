// The full-screen movie window and its control bar, with a stand-in main window, desktop
// and cursor, and the test sound card for the master mute.
#include "app/playback/form2.h"
#include "app/playback/form3.h"
#include "app/playback/full_screen.h"
#include "playback_fixtures.h"
#include "support/alsa_test_device.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using platform::BarNotification;
using platform::BarRect;
using playback::Form2;
using playback::Form3;
using playback::FullScreen;

class FullScreenPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sound.valid()) << testsupport::AlsaTestDevice::pluginFile();
        screen = QGuiApplication::primaryScreen()->geometry();
        host.folder = movies.folder();
        for (int k = 1; k <= 3; ++k) {
            host.names[k - 1] = QString("cell%1.swf").arg(k);
            movies.make(host.names[k - 1], 30);
            host.cells[k - 1]->setMovie(host.folder + "/" + host.names[k - 1]);
            host.cells[k - 1]->setFrameNum(10 + k);
        }
        miniMovie = movies.make("mini.swf", 80);
        host.mini.setMovie(miniMovie);
        host.mini.setFrameNum(20);
    }
    void TearDown() override {
        session.reset();
        playtest::flushDeletes();
    }

    // Enters full screen as the main window's commands do.
    void enter(const QString& beginat = "0") {
        host.begin = beginat;
        session->showForm2();
        session->showForm3();
    }
    Form2& movieWindow() { return *session->form2(); }
    Form3& bar() { return *session->form3(); }
    FlashPlayer& playing() { return movieWindow().playing(); }
    // The bar shown, with the cursor on it.
    void showBar() {
        bar().picFrame_MouseMove();
        ASSERT_FALSE(bar().barHidden());
    }
    bool hidesAt(int x, int y) {
        cursor.at = QPoint(x, y);
        bar().tmrHide_Timer();
        return bar().barHidden();
    }

    testsupport::AlsaTestDevice sound;
    playtest::Movies movies;
    playtest::FakeFullScreenHost host;
    playtest::FakeDesktopBar desktop;
    playtest::ScriptedCursor cursor;
    std::unique_ptr<FullScreen> session = std::make_unique<FullScreen>(host, desktop, cursor);
    QRect screen;
    QString miniMovie;
};

TEST_F(FullScreenPlayer, EnteringHidesTheMainWindowBlanksItsPlayersAndUnmutes) {
    ASSERT_TRUE(sound.setPlaybackSwitch("Master", false));
    enter();
    EXPECT_FALSE(host.enabled);
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(sound.playbackSwitch("Master"), true);
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(host.cells[k - 1]->Movie(), "0") << k;
    EXPECT_EQ(host.mini.Movie(), "0");

    EXPECT_EQ(movieWindow().geometry(), screen);
    EXPECT_EQ(playing().geometry(), QRect(QPoint(0, 0), screen.size()));
    EXPECT_EQ(playing().Movie(), miniMovie);
    EXPECT_TRUE(playing().IsPlaying());
    EXPECT_TRUE(playing().soundEnabled());
    EXPECT_EQ(movieWindow().savedCellPath(2), host.folder + "/cell2.swf");
    EXPECT_EQ(movieWindow().savedCellPath(16), host.folder + "/");
    EXPECT_EQ(host.skinned, 1);
}

TEST_F(FullScreenPlayer, StartsAtTheFrameInBeginat) {
    for (auto [caption, frame] : std::vector<std::pair<QString, int>>{
             {"0", 1}, {"1", 1}, {"37", 37}, {"-1", 1}, {"", 1}, {"junk", 1}, {"500", 80}}) {
        session = std::make_unique<FullScreen>(host, desktop, cursor);
        host.mini.setMovie(miniMovie);
        enter(caption);
        EXPECT_EQ(playing().FrameNum(), frame) << caption.toStdString();
        EXPECT_TRUE(playing().IsPlaying());
        bar().FlatBttn8_Click();
    }
}

TEST_F(FullScreenPlayer, LeavingRestoresPreviewsMiniPlayerAndMute) {
    enter("5");
    ASSERT_TRUE(sound.setPlaybackSwitch("Master", true));
    bar().FlatBttn(8).click();

    EXPECT_EQ(session->form2(), nullptr);
    EXPECT_EQ(session->form3(), nullptr);
    EXPECT_TRUE(host.enabled);
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(sound.playbackSwitch("Master"), false);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(host.cells[k - 1]->Movie(), host.folder + "/" + host.names[k - 1]);
        EXPECT_EQ(host.cells[k - 1]->FrameNum(), 1) << k;
        EXPECT_FALSE(host.cells[k - 1]->IsPlaying());
    }
    EXPECT_EQ(host.mini.Movie(), miniMovie);
    EXPECT_TRUE(desktop.log.has("remove"));
}

TEST_F(FullScreenPlayer, MutesOnLeavingWhateverItWasBefore) {
    ASSERT_TRUE(sound.setPlaybackSwitch("Master", true));
    enter();
    bar().Command3_Click();
    EXPECT_EQ(sound.playbackSwitch("Master"), false);
}

TEST_F(FullScreenPlayer, ClosingTheMovieWindowLeavesFullScreen) {
    enter();
    movieWindow().close();
    EXPECT_FALSE(session->isOpen());
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(host.mini.Movie(), miniMovie);
}

TEST_F(FullScreenPlayer, BlankMiniPlayerGivesABlankFullScreen) {
    host.mini.setMovie("0");
    enter();
    EXPECT_EQ(playing().Movie(), "0");
    movieWindow().Timer2_Timer();
    EXPECT_EQ(bar().SkinLabel1().text(), "0");
    bar().FlatBttn(4).click(); // commands on a blank player do nothing
    bar().FlatBttn(3).click();
    EXPECT_EQ(playing().FrameNum(), -1);
}

TEST_F(FullScreenPlayer, BarDocksAutoHiddenLeavingAStrip) {
    enter();
    EXPECT_TRUE(bar().autoHide());
    EXPECT_TRUE(bar().slideBar());
    EXPECT_EQ(bar().barGeometry(), QRect(0, -42, screen.width(), 44));
    ASSERT_FALSE(desktop.reserved.empty());
    EXPECT_EQ(desktop.reserved.back(), (BarRect{0, 0, screen.width(), 2}));
    EXPECT_EQ(cursor.pointerResets, 1);
    EXPECT_TRUE(bar().tmrHide().isActive());
}

TEST_F(FullScreenPlayer, RefusedAutoHideReservesTheWholeBar) {
    desktop.grantAutoHide = false;
    desktop.topOffset = 30; // another panel holds the top
    enter();
    EXPECT_FALSE(bar().autoHide());
    EXPECT_EQ(bar().barGeometry(), QRect(0, 30, screen.width(), 42));
    EXPECT_EQ(desktop.reserved.back(), (BarRect{0, 30, screen.width(), 72}));
}

TEST_F(FullScreenPlayer, SlidesInWhenTheStripIsTouched) {
    enter();
    bar().tmrHide().stop();
    bar().picFrame_MouseMove();
    EXPECT_EQ(bar().barGeometry(), QRect(0, 0, screen.width(), 42));
    EXPECT_TRUE(bar().tmrHide().isActive());
    EXPECT_TRUE(bar().isVisible());

    // Moving over the shown bar changes nothing.
    bar().tmrHide().stop();
    bar().picFrame_MouseMove();
    EXPECT_FALSE(bar().tmrHide().isActive());
}

TEST_F(FullScreenPlayer, HidesOnceTheCursorLeavesBeyondTheTolerance) {
    enter();
    const int w = screen.width();
    showBar();
    EXPECT_FALSE(hidesAt(100, 52)) << "10 pixels below the bar";
    EXPECT_FALSE(hidesAt(0, 0));
    EXPECT_FALSE(hidesAt(w, 20));
    EXPECT_TRUE(bar().tmrHide().isActive());
    EXPECT_TRUE(hidesAt(100, 53));
    EXPECT_EQ(bar().barGeometry(), QRect(0, -42, w, 44));
    EXPECT_FALSE(bar().tmrHide().isActive());

    showBar();
    EXPECT_TRUE(hidesAt(-1, 10));
    showBar();
    EXPECT_TRUE(hidesAt(w + 1, 10));
    showBar();
    EXPECT_TRUE(hidesAt(100, -1));
}

TEST_F(FullScreenPlayer, SliderFollowsTheMovieWithoutMovingIt) {
    for (auto [frames, page] :
         std::vector<std::pair<int, int>>{{5, 0}, {15, 2}, {25, 2}, {35, 4}}) {
        host.mini.setMovie(movies.make(QString("s%1.swf").arg(frames), frames));
        session = std::make_unique<FullScreen>(host, desktop, cursor);
        enter();
        EXPECT_EQ(bar().Slider1().maximum(), frames);
        EXPECT_EQ(bar().Slider1().pageStep(), page) << frames;
    }
    playing().setFrameNum(4);
    cursor.at = QPoint(10, 10);
    bar().tmrHide_Timer();
    EXPECT_EQ(bar().Slider1().value(), 4);
    EXPECT_EQ(playing().FrameNum(), 4);

    bar().Slider1().setValue(30);
    EXPECT_EQ(playing().FrameNum(), 30) << "the user's scrolling moves the movie";
}

TEST_F(FullScreenPlayer, BarCommandsDrivePlaying) {
    enter("40");
    bar().FlatBttn(2).click();
    EXPECT_FALSE(playing().IsPlaying());
    bar().FlatBttn(1).click();
    EXPECT_TRUE(playing().IsPlaying());
    bar().FlatBttn(3).click();
    EXPECT_FALSE(playing().IsPlaying());
    EXPECT_EQ(playing().FrameNum(), 1);
    playing().setFrameNum(40);
    bar().FlatBttn(4).click();
    EXPECT_EQ(playing().FrameNum(), 30);
    playing().setFrameNum(75);
    bar().FlatBttn(5).click();
    EXPECT_EQ(playing().FrameNum(), 80);

    int captures = 0, wallpapers = 0;
    QObject::connect(&bar(), &Form3::captureRequested, [&] { ++captures; });
    QObject::connect(&bar(), &Form3::wallpaperRequested, [&] { ++wallpapers; });
    bar().FlatBttn(6).click();
    bar().FlatBttn(7).click();
    EXPECT_EQ(captures, 0); // once the click is over
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(wallpapers, 1);
}

TEST_F(FullScreenPlayer, TimersKeepTheCounterAndTheLoop) {
    enter("7");
    movieWindow().Timer2_Timer();
    EXPECT_EQ(bar().SkinLabel1().text(), "7/80");

    playing().Stop();
    movieWindow().Timer1_Timer();
    EXPECT_FALSE(playing().IsPlaying());
    bar().Check1().setChecked(true);
    movieWindow().Timer1_Timer();
    EXPECT_TRUE(playing().IsPlaying());

    EXPECT_EQ(movieWindow().Timer1().interval(), 2000);
    EXPECT_EQ(movieWindow().Timer2().interval(), 50);
    EXPECT_EQ(bar().tmrHide().interval(), 50);
}

TEST_F(FullScreenPlayer, DesktopNotificationsAreDispatchedOnTheirCode) {
    enter();
    int beeps = 0;
    bar().setBeep([&] { ++beeps; });
    ASSERT_TRUE(desktop.notify);

    showBar();
    const size_t docked = desktop.reserved.size();
    desktop.notify(BarNotification::StateChange);
    EXPECT_EQ(desktop.reserved.size(), docked + 1);
    EXPECT_TRUE(bar().barHidden()) << "docking again hides the bar";

    desktop.notify(BarNotification::FullScreenApp);
    EXPECT_EQ(beeps, 1);
    desktop.notify(BarNotification::Activate);
    desktop.notify(BarNotification::WindowPosChanged);
    EXPECT_EQ(desktop.log.lines, (std::vector<QString>{"add", "activate", "windowPosChanged"}));

    // A notification arriving while one is handled is dropped.
    desktop.onActivate = [&] { desktop.notify(BarNotification::FullScreenApp); };
    desktop.notify(BarNotification::Activate);
    EXPECT_EQ(beeps, 1);
}

} // namespace
