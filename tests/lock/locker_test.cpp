// The locker the screen saver and the lock screen share, on its real windows under a
// stand-in display (grabs), cursor and movie, with the test sound card for the mute.
#include "lock_fixtures.h"
#include "screensaver/cursor_rule.h"
#include "screensaver/locker.h"
#include "screensaver/locker_roles.h"
#include "support/alsa_test_device.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace locktest;
using lock::LockerExit;
using locker::Locker;
using locker::LockerOptions;

void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
           const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &e);
}


void typeInto(QWidget* w, const QString& text) {
    for (QChar c : text)
        press(w, 0, Qt::NoModifier, QString(c));
}

class LockerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sound.valid()); }
    void make(LockerOptions o) {
        o.grabPatienceMs = 150;
        locker = std::make_unique<Locker>(o, display, cursor, feed);
        QObject::connect(locker.get(), &Locker::finished,
                         [this](LockerExit how) { outcome = how; });
    }
    void lockWith(const QString& password, bool muteDuring = true, bool muteAfter = false) {
        LockerOptions o;
        o.moviePath = "/m/movie.swf";
        o.password = password;
        o.muteWhileLocked = muteDuring;
        o.muteAfter = muteAfter;
        make(o);
        locker->start();
        ASSERT_TRUE(locker->isLocked());
    }
    QLineEdit* box() { return locker->inputPwd(); }
    void showBox() {
        cursor.at += QPoint(60, 0);
        locker->Timer1_Timer();
        ASSERT_TRUE(box()->isVisible());
    }
    void enter(const QString& text) {
        showBox();
        typeInto(box(), text);
        press(box(), Qt::Key_Return);
    }
    bool speakersOn() { return sound.playbackSwitch("Master").value_or(true); }

    testsupport::AlsaTestDevice sound;
    FakeDisplay display;
    ScriptedCursor cursor;
    StillFeed feed;
    std::unique_ptr<Locker> locker;
    std::optional<LockerExit> outcome;
};

TEST(CursorRule, FiftyPixelsAlongEitherAxisIsAMove) {
    using locker::cursorMoved;
    EXPECT_FALSE(cursorMoved({149, 149}, {100, 100}, 50));
    EXPECT_FALSE(cursorMoved({51, 51}, {100, 100}, 50));
    EXPECT_TRUE(cursorMoved({150, 100}, {100, 100}, 50));
    EXPECT_TRUE(cursorMoved({100, 50}, {100, 100}, 50));
    EXPECT_TRUE(cursorMoved({INT_MAX, 0}, {INT_MIN, 0}, 50));
}

TEST_F(LockerTest, TakesTheHoldBeforeShowingAnythingThenCoversTheScreenWithTheMovie) {
    lockWith("pw");
    EXPECT_TRUE(display.held);
    EXPECT_EQ(display.heldBy, locker->flashscr()->winId());
    EXPECT_EQ(display.focused, locker->flashscr()->winId());
    EXPECT_TRUE(locker->flashscr()->isVisible());
    EXPECT_EQ(locker->flashscr()->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(locker->flashscr()->windowFlags() & Qt::X11BypassWindowManagerHint);
    EXPECT_EQ(feed.movie, "/m/movie.swf");
    EXPECT_EQ(feed.size, QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_EQ(feed.starts, 1);
    EXPECT_TRUE(feed.sound);
    EXPECT_FALSE(box()->isVisible());
    EXPECT_EQ(box()->echoMode(), QLineEdit::Password);
    const QRect b = box()->geometry(), s = locker->flashscr()->rect();
    EXPECT_EQ(b.x(), (s.width() - b.width()) / 2);
    EXPECT_EQ(b.y(), (s.height() - b.height()) / 2);
    EXPECT_TRUE(locker->Timer1().isActive());
    EXPECT_EQ(locker->Timer1().interval(), 500);
    EXPECT_EQ(locker->Timer2().interval(), 2000);
    EXPECT_EQ(locker->Timer3().interval(), 20000);
    locker->Timer2_Timer();
    EXPECT_EQ(feed.nudges, 1);
    ASSERT_TRUE(display.restack);
    display.restack(); // another window was mapped: ours go back on top
}

TEST_F(LockerTest, TheCursorWatchShowsTheBoxOnFiftyPixelsNotFortyNine) {
    lockWith("pw");
    cursor.at += QPoint(49, 49);
    locker->Timer1_Timer();
    EXPECT_FALSE(box()->isVisible());
    cursor.at += QPoint(0, 50);
    locker->Timer1_Timer();
    EXPECT_TRUE(box()->isVisible());
    // The twenty-second tick hides it; its text stays.
    typeInto(box(), "abc");
    locker->Timer3_Timer();
    EXPECT_FALSE(box()->isVisible());
    EXPECT_EQ(box()->text(), "abc");
}

TEST_F(LockerTest, AKeyShowsTheBoxWithoutBeingTypedIntoIt) {
    lockWith("pw");
    press(locker->flashscr(), Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_TRUE(box()->isVisible());
    EXPECT_EQ(box()->text(), "");
    // Enter on its own shows the box too, and ends nothing.
    locker->Timer3_Timer();
    press(locker->flashscr(), Qt::Key_Return);
    EXPECT_TRUE(box()->isVisible());
    EXPECT_FALSE(outcome);
}

TEST_F(LockerTest, AWrongPasswordHidesAndClearsTheBoxTheRightOneWithEnterEnds) {
    lockWith("Pw");
    enter("pw"); // the case differs
    EXPECT_FALSE(outcome);
    EXPECT_FALSE(box()->isVisible());
    EXPECT_EQ(box()->text(), "");
    showBox();
    typeInto(box(), "Pw");
    EXPECT_FALSE(outcome); // not without Enter
    press(box(), Qt::Key_Enter);
    EXPECT_EQ(outcome, LockerExit::Unlocked);
    EXPECT_FALSE(display.held);
    EXPECT_FALSE(locker->flashscr()->isVisible());
    EXPECT_GE(feed.stops, 1);
}

TEST_F(LockerTest, AnEmptyPasswordIsMatchedByEnterAlone) {
    lockWith("");
    enter("");
    EXPECT_EQ(outcome, LockerExit::Unlocked);
}

TEST_F(LockerTest, NoOtherRouteEndsTheLock) {
    lockWith("pw");
    for (auto [key, mods] : std::vector<std::pair<int, Qt::KeyboardModifiers>>{
             {Qt::Key_F4, Qt::AltModifier},
             {Qt::Key_Escape, Qt::NoModifier},
             {Qt::Key_Q, Qt::ControlModifier},
             {Qt::Key_W, Qt::ControlModifier}}) {
        press(locker->flashscr(), key, mods);
        press(box(), key, mods);
    }
    EXPECT_FALSE(locker->flashscr()->close());
    QCloseEvent close;
    QApplication::sendEvent(locker->flashscr(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(locker->flashscr()->isVisible());
    EXPECT_TRUE(display.held);
}

TEST_F(LockerTest, AGrabHeldElsewhereIsRefusedHavingChangedNothing) {
    ASSERT_TRUE(sound.setPlaybackSwitch("Master", true));
    display.othersHold = true;
    make(LockerOptions{});
    locker->start();
    EXPECT_FALSE(locker->isLocked());
    ASSERT_TRUE(waitFor([&] { return outcome.has_value(); }, 3000));
    EXPECT_EQ(outcome, LockerExit::GrabRefused);
    EXPECT_GT(display.grabs, 2); // it kept trying
    EXPECT_EQ(locker->flashscr(), nullptr); // no window was ever shown
    EXPECT_FALSE(feed.sound); // the movie, started early, was never heard
    EXPECT_GE(feed.stops, 1);
    EXPECT_TRUE(speakersOn());
}

TEST_F(LockerTest, AWaylandSessionIsRefused) {
    display.why = platform::LockRefusal::Wayland;
    make(LockerOptions{});
    locker->start();
    EXPECT_EQ(outcome, LockerExit::WaylandRefused);
    EXPECT_EQ(display.grabs, 0);
}

TEST_F(LockerTest, ScreenSaverMutesAsTheFileSaysAndUnmutesAfter) {
    ScratchDir dir;
    for (const auto& [third, mutedDuring] :
         std::vector<std::pair<std::string, bool>>{{"1", true}, {"0", false}, {"2", true}}) {
        const std::string text = "\"/m.swf\"\r\n\"pw\"\r\n" + third + "\r\n";
        writeBytes(dir.path("scr.ini"), tooltest::Bytes(text.begin(), text.end()));
        auto options = locker::screenSaverOptions(dir.qpath("scr.ini"));
        ASSERT_TRUE(options);
        ASSERT_TRUE(sound.setPlaybackSwitch("Master", mutedDuring)); // the opposite first
        outcome.reset();
        lockWith(options->password, options->muteWhileLocked, options->muteAfter);
        EXPECT_EQ(speakersOn(), !mutedDuring) << third;
        enter("pw");
        ASSERT_EQ(outcome, LockerExit::Unlocked);
        EXPECT_TRUE(speakersOn()) << third;
    }
    EXPECT_FALSE(locker::screenSaverOptions(dir.qpath("none.ini")));
    // Without settings the screen saver's close step still unmutes.
    ASSERT_TRUE(sound.setPlaybackSwitch("Master", false));
    locker::screenSaverClose();
    EXPECT_TRUE(speakersOn());
}

TEST_F(LockerTest, LockScreenMutesAsIfMuteSaysAndMutesAgainAfter) {
    for (bool mute : {true, false}) {
        const auto options = locker::lockScreenOptions({"/m.swf", "pw", mute});
        ASSERT_TRUE(sound.setPlaybackSwitch("Master", false)); // the main window muted
        outcome.reset();
        lockWith(options.password, options.muteWhileLocked, options.muteAfter);
        EXPECT_EQ(speakersOn(), !mute);
        enter("pw");
        ASSERT_EQ(outcome, LockerExit::Unlocked);
        EXPECT_FALSE(speakersOn()) << mute;
    }
}

TEST(SleepLock, TheIdleToolsDescriptorIsKeptFromChildrenAndClosedOnRelease) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    setenv("XSS_SLEEP_LOCK_FD", std::to_string(fds[1]).c_str(), 1);
    {
        locker::SleepLock sleepLock;
        EXPECT_EQ(std::getenv("XSS_SLEEP_LOCK_FD"), nullptr);
        ASSERT_TRUE(sleepLock.held());
        EXPECT_TRUE(::fcntl(fds[1], F_GETFD) & FD_CLOEXEC);
        sleepLock.release();
        EXPECT_FALSE(sleepLock.held());
        char c;
        EXPECT_EQ(::read(fds[0], &c, 1), 0); // the writing end is closed: end of file
    }
    ::close(fds[0]);
    for (const char* bad : {"", "x", "1", "-5", "99999"}) {
        setenv("XSS_SLEEP_LOCK_FD", bad, 1);
        EXPECT_FALSE(locker::SleepLock().held()) << bad;
    }
}

} // namespace
