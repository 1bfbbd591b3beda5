// Stand-ins shared by the lock's tests: the main window as the lock commands see it, a
// launcher that records what it was asked, the display and cursor of the locker, and a
// movie feed that plays nothing.
#pragma once

#include "app/lock/lock_host.h"
#include "app/lock/locker_launcher.h"
#include "platform/cursor.h"
#include "platform/lock_display.h"
#include "screensaver/movie_feed.h"
#include "tools/tool_fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <vector>

namespace locktest {

using tooltest::readBytes;
using tooltest::ScratchDir;
using tooltest::ScriptedFileDialog;
using tooltest::writeBytes;

// Runs the event loop until `done` holds or `ms` have passed.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class FakeLockHost : public lock::LockHost {
  public:
    QString flash = "/program/default.swf", password, mute = "T", current;
    bool enabled = true, visible = true;
    std::vector<QString> messages;
    int mutes = 0;

    QString myFlash() const override { return flash; }
    void setMyFlash(const QString& p) override { flash = p; }
    QString myPassWord() const override { return password; }
    void setMyPassWord(const QString& p) override { password = p; }
    QString ifMute() const override { return mute; }
    void setIfMute(const QString& f) override { mute = f; }
    QString currentFile() const override { return current; }
    void setMainWindowEnabled(bool on) override { enabled = on; }
    void setMainWindowVisible(bool on) override { visible = on; }
    void showMessage(const QString& text) override { messages.push_back(text); }
    void muteSpeakers() override { ++mutes; }
};

class FakeLauncher : public lock::LockerLauncher {
  public:
    std::vector<lock::ScreenSaverSettings> launches;
    bool busy = false;
    void launch(const lock::ScreenSaverSettings& copy) override {
        launches.push_back(copy);
        busy = true;
    }
    bool running() const override { return busy; }
    void lock() {
        if (onLocked) onLocked();
    }
    void end(lock::LockerEnd::Kind kind, int code, bool wasLocked) {
        busy = false;
        onEnded(lock::LockerEnd{kind, code, wasLocked});
    }
};

class FakeDisplay : public platform::LockDisplay {
  public:
    platform::LockRefusal why = platform::LockRefusal::None;
    bool othersHold = false; // another program holds the keyboard
    bool held = false;
    int grabs = 0;
    WId heldBy = 0;
    WId focused = 0;
    std::function<void()> restack;

    platform::LockRefusal refusal() const override { return why; }
    bool grabInput(WId window) override {
        ++grabs;
        if (othersHold) return false;
        held = true;
        heldBy = window;
        return true;
    }
    void releaseInput() override { held = false; }
    void focus(WId window) override { focused = window; }
    void watchStacking(std::function<bool(WId)>, std::function<void()> r) override {
        restack = std::move(r);
    }
};

class ScriptedCursor : public platform::Cursor {
  public:
    QPoint at{100, 100};
    QPoint pos() const override { return at; }
    void restoreDefaultPointer() override {}
    void hide() override {}
    void show() override {}
};

class StillFeed : public locker::MovieFeed {
  public:
    QString movie;
    QSize size;
    int starts = 0, nudges = 0, stops = 0;
    void start(const QString& m, QSize s) override {
        movie = m;
        size = s;
        ++starts;
    }
    void keepPlaying() override { ++nudges; }
    void stop() override { ++stops; }
    bool sound = false;
    void setSoundOn(bool on) override { sound = on; }
};

} // namespace locktest
