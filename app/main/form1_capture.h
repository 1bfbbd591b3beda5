// Frame capture and wallpaper as the main window carries them: the bar's commands over
// the desktop's services, and the shortcuts "Capture" (Command20, with the menu item
// mCapture and the toolbar's FlatBttn8) and "Set to &Wallpaper" (myWallpaper, with the
// toolbar's FlatBttn22), which enter full screen, run the bar's command and leave again.
#pragma once

#include "app/playback/capture_commands.h"
#include "platform/cursor.h"

#include <memory>

class Form1;

namespace playback {
class Form3;
}

namespace platform {
class DisplayCaps;
class FileDialog;
class Wallpaper;
} // namespace platform

class Form1Capture {
  public:
    Form1Capture(Form1& form, platform::FileDialog& fileDialog);
    ~Form1Capture();

    // "Capture": when the current file's last three characters are "swf".
    void Command20_Click();
    // "Set to &Wallpaper": when the current file's last four characters are ".swf".
    void myWallpaper_Click();

    // The commands over other services (tests give stand-ins); those left empty are the
    // desktop's.
    void setServices(playback::CaptureServices services);
    playback::CaptureCommands& commands() { return *commands_; }

  private:
    // Full screen from the mini player's frame through `enter`, the bar's `command`, and
    // back; nothing while a capture is under way.
    void roundTrip(void (*enter)(Form1&), void (*command)(playback::Form3&));

    Form1& form_;
    platform::FileDialog& fileDialog_;
    std::unique_ptr<platform::DisplayCaps> display_;
    std::unique_ptr<platform::Wallpaper> wallpaper_;
    platform::SystemCursor cursor_;
    std::unique_ptr<playback::CaptureCommands> commands_;
};
