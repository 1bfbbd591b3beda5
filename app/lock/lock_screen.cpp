#include "app/lock/lock_screen.h"

#include "app/lock/settings/locker_handoff.h"
#include "app/tools/tool_rules.h"

namespace lock {

LockScreen::LockScreen(LockHost& host, LockerLauncher& launcher)
    : host_(host), launcher_(launcher) {
    launcher_.onEnded = [this](const LockerEnd& end) { ended(end); };
}

void LockScreen::Command22_Click() {
    if (launcher_.running()) return;
    host_.setMainWindowEnabled(false);
    host_.setMainWindowVisible(false);
    launch();
}

void LockScreen::Command23_Click() {
    host_.setMyFlash(host_.currentFile());
    if (!tools::endsWithDotSwf(host_.myFlash())) {
        host_.showMessage(kNoFlashFileMessage);
        return;
    }
    Command22_Click();
}

void LockScreen::launch() {
    // The working copy as it is now: a password applied with Ok counts, saved or not.
    launcher_.launch(ScreenSaverSettings{host_.myFlash(), host_.myPassWord(),
                                         host_.ifMute() == QLatin1String("T")});
}

void LockScreen::ended(const LockerEnd& end) {
    switch (end.kind) {
    case LockerEnd::Kind::Unlocked:
        returnToMainWindow();
        return;
    case LockerEnd::Kind::Refused:
        returnToMainWindow();
        host_.showMessage(refusalMessage(end.exitCode));
        return;
    case LockerEnd::Kind::Failed:
        break;
    }
    if (!end.wasLocked) {
        returnToMainWindow();
        host_.showMessage(lockFailedMessage());
        return;
    }
    // The screen was locked and nobody typed the password: lock it again.
    if (relocks_.allow(RestartBudget::Clock::now())) {
        launch();
        return;
    }
    host_.muteSpeakers();
    returnToMainWindow();
    host_.showMessage(kLockEndedMessage);
}

void LockScreen::returnToMainWindow() {
    host_.setMainWindowEnabled(true);
    host_.setMainWindowVisible(true);
}

} // namespace lock
