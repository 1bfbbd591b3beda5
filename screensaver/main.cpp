// OrbisaneSCR: the screen saver. Whatever its arguments, it plays the configured movie over
// every screen until the configured password is typed and Enter pressed. The main program
// also starts it as its lock screen, and it starts itself to play the movie.
#include "app/lock/settings/locker_handoff.h"
#include "platform/cursor.h"
#include "platform/lock_display.h"
#include "platform/message_box.h"
#include "screensaver/locker_roles.h"
#include "screensaver/movie_process.h"

#include <QApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

using lock::LockerExit;

// Only the password ends a lock: signals a terminal or a session would send are ignored.
void ignoreStopSignals() {
    for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGTSTP, SIGPIPE})
        std::signal(sig, SIG_IGN);
}

int refuse(LockerExit how, bool lockRole) {
    if (!lockRole)
        std::fprintf(stderr, "OrbisaneSCR: %s\n", lock::refusalMessage(int(how)).toLocal8Bit().constData());
    return int(how);
}

std::optional<lock::ScreenSaverSettings> readWorkingCopy() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return std::nullopt;
    return lock::decodeWorkingCopy(in.read(lock::kMaxHandoffSize + 1));
}

void say(const char* line) {
    std::fprintf(stdout, "%s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int, char**) {
    const char* role = std::getenv(lock::kRoleVariable);
    if (role && std::strcmp(role, lock::kMovieRole) == 0) return locker::runMovieProcess();
    const bool lockRole = role && std::strcmp(role, lock::kLockRole) == 0;
    ::unsetenv(lock::kRoleVariable);
    locker::SleepLock sleepLock;
    ignoreStopSignals();

    // The lock screen's settings come first: the main program is waiting to hand them over.
    std::optional<lock::ScreenSaverSettings> workingCopy;
    if (lockRole && !(workingCopy = readWorkingCopy())) return int(LockerExit::BadHandoff);

    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return refuse(LockerExit::NoDisplay, lockRole);
    if (!platform::isWaylandSession()) qputenv("QT_QPA_PLATFORM", "xcb");

    // The command line is not read, by us or by Qt.
    int argc = 1;
    char name[] = "OrbisaneSCR";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrbisaneSCR"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::optional<locker::LockerOptions> options;
    if (lockRole) {
        options = locker::lockScreenOptions(*workingCopy);
    } else if (!(options = locker::screenSaverOptions(lock::settingsFilePath()))) {
        platform::QtMessageBoxes().show(QStringLiteral("OrbisaneSCR"), locker::kNotConfiguredMessage,
                                        platform::MessageIcon::None);
        locker::screenSaverClose();
        return int(LockerExit::NotConfigured);
    }

    std::unique_ptr<platform::LockDisplay> lockDisplay = platform::makeLockDisplay();
    platform::SystemCursor cursor;
    locker::MovieProcess movie;
    locker::Locker locker(*options, *lockDisplay, cursor, movie);
    QObject::connect(&locker, &locker::Locker::locked, &app, [&] {
        sleepLock.release();
        if (lockRole) say(lock::kLockedLine);
    });
    QObject::connect(&locker, &locker::Locker::shown, &app, [&] {
        if (lockRole) say(lock::kShownLine);
    });
    QObject::connect(&locker, &locker::Locker::finished, &app,
                     [&](LockerExit how) { QCoreApplication::exit(int(how)); },
                     Qt::QueuedConnection); // a refusal comes before the event loop runs
    locker.start();
    const int code = QApplication::exec();
    if (code != int(LockerExit::Unlocked)) return refuse(LockerExit(code), lockRole);
    return code;
}
