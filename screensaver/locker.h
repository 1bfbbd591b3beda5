// The one locker behind the screen saver and the main program's lock screen: the windows
// that cover every screen, the hold on keyboard and pointer, the password box inputPwd, the
// three timers, and the speakers' mute before and after.
//
// The lock counts as taken only once the keyboard and the pointer are held; if another
// program holds either, the locker keeps trying for a while and then refuses, having changed
// nothing (no window shown, no mute changed, the pointer never hidden). Once taken it ends
// only on the password and Enter.
#pragma once

#include "app/lock/settings/locker_handoff.h"
#include "platform/cursor.h"
#include "platform/lock_display.h"
#include "screensaver/lock_window.h"
#include "screensaver/movie_feed.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QScreen;

namespace locker {

struct LockerOptions {
    QString moviePath;
    QString password;
    // The speakers' mute while locked, and after the password ended the lock.
    bool muteWhileLocked = true;
    bool muteAfter = false;
    // How long to keep trying when another program holds the keyboard or the pointer.
    int grabPatienceMs = 2000;
};

class Locker final : public QObject {
    Q_OBJECT
  public:
    Locker(LockerOptions options, platform::LockDisplay& display, platform::Cursor& cursor,
           MovieFeed& movie);
    ~Locker() override;

    // Takes the lock: locked() once held, or finished() with the refusal.
    void start();
    bool isLocked() const { return locked_; }

    // The timers' handlers: cursor watch (500 ms), keep playing (2 s), hide the box (20 s).
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    // Enter in the password box.
    void inputPwd_Enter();

    LockWindow* flashscr() const { return primary_.get(); }
    QLineEdit* inputPwd() const;
    const std::vector<std::unique_ptr<LockWindow>>& covers() const { return covers_; }
    QTimer& Timer1() { return Timer1_; }
    QTimer& Timer2() { return Timer2_; }
    QTimer& Timer3() { return Timer3_; }

  signals:
    void locked();
    // The first movie frame is on the screen.
    void shown();
    void finished(lock::LockerExit how);

  private:
    void tryGrab();
    void takeHold();
    void showPasswordBox();
    // Lays the windows over the screens as they are now.
    void followScreens();
    void watchScreen(QScreen* screen);
    void restack();
    void holdInput();
    bool isOurs(WId window) const;
    void end(lock::LockerExit how);

    LockerOptions options_;
    platform::LockDisplay& display_;
    platform::Cursor& cursor_;
    MovieFeed& movie_;
    std::unique_ptr<LockWindow> primary_;
    std::vector<std::unique_ptr<LockWindow>> covers_;
    QTimer Timer1_, Timer2_, Timer3_;
    QTimer grabRetry_;
    QElapsedTimer grabbing_;
    QPoint lastCursor_;
    QSize movieSize_;
    bool locked_ = false;
    bool ended_ = false;
};

} // namespace locker
