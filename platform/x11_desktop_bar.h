// The bar as a dock panel of an X11 desktop: the window is typed _NET_WM_WINDOW_TYPE_DOCK
// and its strip is reserved through _NET_WM_STRUT_PARTIAL (and the older _NET_WM_STRUT),
// which window managers that follow the EWMH honour. Without a window manager the hints
// are simply unread and the bar floats.
//
// Notifications come from real desktop events:
//   StateChange      the bar's screen changed its geometry (resolution, rotation)
//   FullScreenApp    the root window's _NET_ACTIVE_WINDOW moved to or away from another
//                    program's window in the _NET_WM_STATE_FULLSCREEN state
//   Activate         the bar's window received a window-activate event
//   WindowPosChanged the bar's window received a move or resize event
#pragma once

#include "platform/desktop_bar.h"

#include <memory>

namespace platform {

// Nothing when the program does not run on an X11 display.
std::unique_ptr<DesktopBar> makeX11DesktopBar();

} // namespace platform
