#include "platform/wallpaper_desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <utility>

namespace platform {

namespace {

Desktop desktopNamed(QString name) {
    name = name.trimmed().toLower();
    // DESKTOP_SESSION may hold a session file's path.
    name = name.mid(name.lastIndexOf('/') + 1);
    if (name.endsWith(QLatin1String(".desktop"))) name.chop(8);
    if (name.startsWith(QLatin1String("x-"))) name = name.mid(2);
    static const std::array<std::pair<const char*, Desktop>, 24> kNames{{
        {"gnome", Desktop::Gnome},          {"gnome-classic", Desktop::Gnome},
        {"gnome-flashback", Desktop::Gnome}, {"gnome-xorg", Desktop::Gnome},
        {"ubuntu", Desktop::Gnome},         {"ubuntu-xorg", Desktop::Gnome},
        {"unity", Desktop::Gnome},          {"budgie", Desktop::Gnome},
        {"budgie-desktop", Desktop::Gnome}, {"pantheon", Desktop::Gnome},
        {"cinnamon", Desktop::Cinnamon},    {"cinnamon2d", Desktop::Cinnamon},
        {"mate", Desktop::Mate},            {"kde", Desktop::Plasma},
        {"plasma", Desktop::Plasma},        {"plasmawayland", Desktop::Plasma},
        {"plasmax11", Desktop::Plasma},     {"xfce", Desktop::Xfce},
        {"xfce4", Desktop::Xfce},           {"xubuntu", Desktop::Xfce},
        {"lxqt", Desktop::LXQt},            {"lxde", Desktop::LXDE},
        {"sway", Desktop::Sway},            {"sway-session", Desktop::Sway},
    }};
    for (const auto& [known, desktop] : kNames)
        if (name == QLatin1String(known)) return desktop;
    return Desktop::Unknown;
}

} // namespace

DesktopEnvironment DesktopEnvironment::fromProcess() {
    DesktopEnvironment env;
    env.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    env.sessionDesktop = qEnvironmentVariable("XDG_SESSION_DESKTOP");
    env.desktopSession = qEnvironmentVariable("DESKTOP_SESSION");
    env.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    env.display = qEnvironmentVariable("DISPLAY");
    env.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (qGuiApp)
        if (QScreen* screen = QGuiApplication::primaryScreen()) env.primaryMonitor = screen->name();
    return env;
}

Desktop detectDesktop(const DesktopEnvironment& env) {
    for (const QString* variable : {&env.currentDesktop, &env.sessionDesktop, &env.desktopSession})
        for (const QString& name : variable->split(':', Qt::SkipEmptyParts))
            if (Desktop d = desktopNamed(name); d != Desktop::Unknown) return d;
    return Desktop::Unknown;
}

bool isX11Session(const DesktopEnvironment& env) {
    const QString type = env.sessionType.trimmed().toLower();
    if (type == QLatin1String("x11")) return true;
    if (type == QLatin1String("wayland")) return false;
    return !env.display.isEmpty() && env.waylandDisplay.isEmpty();
}

} // namespace platform
