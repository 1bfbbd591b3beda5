// What a screen lock needs of the desktop beyond ordinary windows: to know whether this
// desktop lets a program lock it at all, to hold the keyboard and the pointer for itself (no
// other program then receives a key or a click, and none can take them), and to hear of any
// other window being shown or raised, so it can stay on top. Tests replace it.
#pragma once

#include <QString>
#include <QWindow>

#include <functional>
#include <memory>

namespace platform {

enum class LockRefusal {
    None,
    Wayland, // a Wayland session: its compositor does not let X11 clients hold input
    NoX11,   // not an X11 display at all
};

// Wayland when the environment says the session is one: WAYLAND_DISPLAY is set, or
// XDG_SESSION_TYPE is "wayland". Read before any window is made.
bool isWaylandSession();

class LockDisplay {
  public:
    virtual ~LockDisplay() = default;

    virtual LockRefusal refusal() const = 0;
    // Takes the keyboard and the pointer for `window` (0: the whole screen, before any of
    // the lock's windows is shown), with the pointer hidden. Moving the hold from one window
    // to another of the same program always succeeds. False when another program holds
    // either; nothing is held then.
    virtual bool grabInput(WId window) = 0;
    virtual void releaseInput() = 0;
    // Gives `window` the keyboard focus.
    virtual void focus(WId window) = 0;
    // Calls `restack` whenever a window that is not one of `isOurs` is mapped or raised.
    virtual void watchStacking(std::function<bool(WId)> isOurs, std::function<void()> restack) = 0;
};

// The running desktop's: X11 through Qt's connection; elsewhere a display that refuses.
std::unique_ptr<LockDisplay> makeLockDisplay();

} // namespace platform
