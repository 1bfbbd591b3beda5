// The locker's two callers and the rules each brings. Run by hand or by an idle or lock
// tool, it is the screen saver: settings from the settings file, speakers unmuted on exit.
// Started by the main program in the lock role, it is the lock screen: settings from the
// main window's working copy, speakers muted again on exit, as the main window keeps them.
#pragma once

#include "app/lock/settings/screen_saver_settings.h"
#include "screensaver/locker.h"

#include <optional>

namespace locker {

// The start failure of the screen saver, shown when it finds no usable settings.
inline const QString kNotConfiguredMessage =
    QStringLiteral("Please config the OrbisaneSCR in the Orbisane fisrst!");

// The screen saver's options: from the settings file at `path`; nothing when it cannot be read.
std::optional<LockerOptions> screenSaverOptions(const QString& path);
// The lock screen's options, from the working copy (its mute is the ifMute flag).
LockerOptions lockScreenOptions(const lock::ScreenSaverSettings& workingCopy);

// What the screen saver does when it cannot start: its close step, the speakers unmuted.
void screenSaverClose();

// The descriptor an idle tool hands over in XSS_SLEEP_LOCK_FD to delay suspending until the
// screen is locked (xss-lock --transfer-sleep-lock). Taken from the environment at once, so
// that no process started later inherits it; release() closes it.
class SleepLock {
  public:
    SleepLock();
    ~SleepLock() { release(); }
    SleepLock(const SleepLock&) = delete;
    SleepLock& operator=(const SleepLock&) = delete;
    void release();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

} // namespace locker
