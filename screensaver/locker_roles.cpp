#include "screensaver/locker_roles.h"

#include "mixer/cvolume.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace locker {

std::optional<LockerOptions> screenSaverOptions(const QString& path) {
    auto read = lock::readSettingsFile(path);
    if (!std::holds_alternative<lock::ScreenSaverSettings>(read)) return std::nullopt;
    const auto& s = std::get<lock::ScreenSaverSettings>(read);
    LockerOptions options;
    options.moviePath = s.moviePath;
    options.password = s.password;
    options.muteWhileLocked = s.mute;
    options.muteAfter = false;
    return options;
}

LockerOptions lockScreenOptions(const lock::ScreenSaverSettings& workingCopy) {
    LockerOptions options;
    options.moviePath = workingCopy.moviePath;
    options.password = workingCopy.password;
    options.muteWhileLocked = workingCopy.mute;
    options.muteAfter = true;
    return options;
}

void screenSaverClose() {
    cVolume mixer;
    mixer.VolumeMute(false);
}

SleepLock::SleepLock() {
    const char* text = std::getenv("XSS_SLEEP_LOCK_FD");
    ::unsetenv("XSS_SLEEP_LOCK_FD");
    if (!text || !*text) return;
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    if (*end || fd < 3 || fd > 1 << 20) return; // never the standard streams
    const int flags = ::fcntl(int(fd), F_GETFD);
    if (flags < 0) return;
    ::fcntl(int(fd), F_SETFD, flags | FD_CLOEXEC);
    fd_ = int(fd);
}

void SleepLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace locker
