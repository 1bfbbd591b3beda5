// How the main program and the locker (the screen saver program run as the main program's
// lock screen) talk. The main program starts the locker with kRoleVariable set to kLockRole
// and writes the working copy of the settings to its standard input, then closes it; the
// password never appears on a command line, in the environment or in a file. The locker
// prints kLockedLine on its standard output once the keyboard and the pointer are held, and
// ends with one of the LockerExit codes.
#pragma once

#include "app/lock/settings/screen_saver_settings.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace lock {

inline constexpr char kRoleVariable[] = "REELVISTA_LOCKER_ROLE";
inline constexpr char kLockRole[] = "lock";
// The locker's own movie process, which renders frames into shared memory.
inline constexpr char kMovieRole[] = "movie";

inline constexpr char kLockedLine[] = "locked";
// Printed once the first frame of the movie is on the screen.
inline constexpr char kShownLine[] = "shown";

enum class LockerExit : int {
    Unlocked = 0,      // the password was typed
    NotConfigured = 1, // the screen saver found no settings file
    GrabRefused = 3,   // another program held the keyboard or the pointer
    WaylandRefused = 4,
    NoDisplay = 5,    // no X display to lock
    BadHandoff = 6,   // the working copy did not arrive whole
};

// The message the main program shows when the locker refused, or an empty text for codes
// that are not a refusal.
QString refusalMessage(int exitCode);
// Shown when the locker could not be started or ended before the screen was locked.
QString lockFailedMessage();

// The working copy as it goes through the pipe, and back. Anything but a whole, well-formed
// copy (truncated, oversized, wrong tag) reads as nothing.
QByteArray encodeWorkingCopy(const ScreenSaverSettings& settings);
std::optional<ScreenSaverSettings> decodeWorkingCopy(const QByteArray& bytes);
// The most the locker reads from its standard input.
inline constexpr qsizetype kMaxHandoffSize = 1 << 16;

} // namespace lock
