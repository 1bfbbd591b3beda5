// The full-screen bar's "capture" and wallpaper buttons: the frame on show saved as a
// bitmap file of the user's choosing, or set as the desktop wallpaper. Either pulls the
// bar out of the way, halts the movie, waits a second with the pointer hidden, captures
// the movie window's client area and writes it; the bar gets its strip back afterwards.
// A command started while one is under way (its waits handle events) is ignored.
#pragma once

#include "app/playback/capture_routines.h"
#include "app/playback/capture_wait.h"

#include <QString>

#include <functional>
#include <string>

namespace platform {
class Cursor;
class DisplayCaps;
class FileDialog;
class Wallpaper;
} // namespace platform

namespace playback {

class FullScreen;

struct CaptureServices {
    platform::FileDialog* fileDialog = nullptr;
    const platform::DisplayCaps* display = nullptr;
    platform::Wallpaper* wallpaper = nullptr;
    platform::Cursor* cursor = nullptr;
    // The wallpaper file (see wallpaper_file.h).
    QString wallpaperFile;
    Wait wait = waitProcessingEvents;
    // Nothing is shown to the user when a command fails; one line goes here. The default
    // prints it to standard error.
    std::function<void(const std::string&)> report;
};

class CaptureCommands {
  public:
    static constexpr std::chrono::milliseconds kSettle{1000};

    // Every service must be given; `report` and `wait` have defaults.
    CaptureCommands(FullScreen& session, CaptureServices services);

    // Save frame to file: asks for the name (".BMP", "Bitmap Image (*.bmp)|*.bmp"); after
    // a cancel nothing is captured and the bar keeps no strip until it docks again.
    void Command6_Click();
    // Set frame as wallpaper: writes the wallpaper file and sets it; when the file cannot
    // be written the wallpaper stays as it was.
    void FlatBttn7_Click();

    bool running() const { return running_; }
    const CaptureRoutines& routines() const { return routines_; }

  private:
    FullScreen& session_;
    CaptureServices services_;
    CaptureRoutines routines_;
    bool running_ = false;
};

} // namespace playback
