// The lock screen myScr as the main program runs it. The lock itself is a process of its
// own (the screen saver program in its lock role), so that nothing of the main program, not
// even its crash, can end it. While it runs the main window is disabled and hidden; when it
// ends by the password the main window comes back enabled and shown. A refusal (the
// keyboard or pointer held elsewhere, a Wayland session) changes nothing and says why; a
// locker that dies while the screen is locked is started again at once, at most three
// times a minute.
#pragma once

#include "app/lock/lock_host.h"
#include "app/lock/locker_launcher.h"
#include "app/lock/settings/restart_budget.h"

namespace lock {

inline const QString kNoFlashFileMessage = QStringLiteral("You hadn't selected a flash file");
inline const QString kLockEndedMessage =
    QStringLiteral("The lock screen ended unexpectedly and could not be started again.");

class LockScreen {
  public:
    LockScreen(LockHost& host, LockerLauncher& launcher);

    // Lock with the movie in myFlash.
    void Command22_Click();
    // Lock with the current file.
    void Command23_Click();
    bool running() const { return launcher_.running(); }

  private:
    void launch();
    void ended(const LockerEnd& end);
    void returnToMainWindow();

    LockHost& host_;
    LockerLauncher& launcher_;
    RestartBudget relocks_;
};

} // namespace lock
