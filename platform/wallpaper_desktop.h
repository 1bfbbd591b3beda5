// Which desktop the program runs under, as its session announces itself, and whether the
// session is an X11 one.
#pragma once

#include <QString>

namespace platform {

enum class Desktop { Unknown, Gnome, Cinnamon, Mate, Plasma, Xfce, LXQt, LXDE, Sway };

// The variables that tell, and the name of the primary monitor (Xfce keys its settings
// by monitor).
struct DesktopEnvironment {
    QString currentDesktop; // XDG_CURRENT_DESKTOP: names separated by ':'
    QString sessionDesktop; // XDG_SESSION_DESKTOP
    QString desktopSession; // DESKTOP_SESSION: a name, sometimes a session file's path
    QString sessionType;    // XDG_SESSION_TYPE: "x11", "wayland", ...
    QString display;        // DISPLAY
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString primaryMonitor; // e.g. "HDMI-1"; empty when unknown

    static DesktopEnvironment fromProcess();
};

// XDG_CURRENT_DESKTOP first, then XDG_SESSION_DESKTOP, then DESKTOP_SESSION: the first
// that names a desktop this program knows decides. GNOME stands for its relatives that
// keep its background settings (Unity, Budgie, Pantheon, Ubuntu's session).
Desktop detectDesktop(const DesktopEnvironment& env);

// The session runs on an X server: XDG_SESSION_TYPE says "x11", or says nothing of
// Wayland while a DISPLAY is set and no WAYLAND_DISPLAY.
bool isX11Session(const DesktopEnvironment& env);

} // namespace platform
