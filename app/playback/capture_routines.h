// Frame capture: a window, or a part of it, rendered into a picture at its size in device
// pixels. The window draws itself into the picture: nothing is read back from the screen,
// which Wayland does not allow and which on X11 would catch overlapping windows and the
// pointer. On a display with a palette of exactly 256 entries the picture carries that
// palette and its pixels are entries of it.
#pragma once

#include "app/playback/capture_picture.h"

class QWidget;

namespace platform {
class DisplayCaps;
}

namespace playback {

class CaptureRoutines {
  public:
    explicit CaptureRoutines(const platform::DisplayCaps& display) : display_(display) {}

    // The rectangle at `left`, `top` of `width` x `height` device pixels of `window`: of
    // its client area when `clientOnly`, else of the window with its frame (the frame's
    // decoration is the window manager's and stays black). A null window is the desktop,
    // as this program's windows make it up. Nothing for an empty rectangle.
    Picture CaptureWindow(QWidget* window, bool clientOnly, int left, int top, int width,
                          int height) const;
    // The client area of a window, whole.
    Picture CaptureClient(QWidget& window) const;
    // A window with its frame, whole.
    Picture CaptureForm(QWidget& window) const;
    // The primary screen: this program's visible windows in their places over black.
    Picture CaptureScreen() const;

  private:
    const platform::DisplayCaps& display_;
};

// Logical pixels to device pixels, rounded.
int devicePixels(double logical, double ratio);

} // namespace playback
