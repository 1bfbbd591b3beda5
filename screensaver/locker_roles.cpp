#include "screensaver/locker_roles.h"

#include "mixer/cvolume.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace locker {

namespace {

LockerOptions optionsFrom(const lock::ScreenSaverSettings& settings, bool muteAfter) {
    LockerOptions options;
    options.moviePath = settings.moviePath;
    options.password = settings.password;
    options.muteWhileLocked = settings.mute;
    options.muteAfter = muteAfter;
    return options;
}

} // namespace

std::optional<LockerOptions> screenSaverOptions(const QString& path) {
    auto read = lock::readSettingsFile(path);
    if (!std::holds_alternative<lock::ScreenSaverSettings>(read)) return std::nullopt;
    return optionsFrom(std::get<lock::ScreenSaverSettings>(read), false);
}

LockerOptions lockScreenOptions(const lock::ScreenSaverSettings& workingCopy) {
    return optionsFrom(workingCopy, true);
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
