// The full-screen player: the movie window Form2 and its control bar Form3, which live
// together. The main window owns one FullScreen and forwards showForm2 and the showing of
// the bar to it; leaving full screen gives the main window back its players and shows it.
#pragma once

#include "app/playback/full_screen_host.h"

#include <QObject>

#include <memory>

namespace platform {
class Cursor;
class DesktopBar;
} // namespace platform

namespace playback {

class CaptureCommands;
class Form2;
class Form3;

// Windows are unloaded from inside their own handlers, so they are destroyed once control
// is back in the event loop.
struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

class FullScreen {
  public:
    FullScreen(FullScreenHost& host, platform::DesktopBar& desktopBar, platform::Cursor& cursor);
    ~FullScreen();
    FullScreen(const FullScreen&) = delete;
    FullScreen& operator=(const FullScreen&) = delete;

    // Disables and hides the main window, then loads and shows the movie window.
    void showForm2();
    // Loads and shows the control bar, docked and hidden but for its 2-pixel strip.
    void showForm3();
    // Unloads the bar, returns the main window its players and the mute, and shows it.
    void leave();

    // The windows while loaded.
    Form2* form2() const { return form2_.get(); }
    Form3* form3() const { return form3_.get(); }
    bool isOpen() const { return form2_ || form3_; }

    // Unloading: the window is hidden and its timers stopped at once.
    void unloadForm2();
    void unloadForm3();

    FullScreenHost& host() { return host_; }

    // What the bar's capture and wallpaper buttons run; without them they do nothing.
    void setCaptureCommands(CaptureCommands* commands) { captureCommands_ = commands; }
    CaptureCommands* captureCommands() const { return captureCommands_; }

  private:
    FullScreenHost& host_;
    platform::DesktopBar& desktopBar_;
    platform::Cursor& cursor_;
    std::unique_ptr<Form2, DeleteLater> form2_;
    std::unique_ptr<Form3, DeleteLater> form3_;
    CaptureCommands* captureCommands_ = nullptr;
};

} // namespace playback
