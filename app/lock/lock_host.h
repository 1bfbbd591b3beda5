// What the lock commands and the configuration dialog need of the main window: the working
// copy of the screen saver settings in its hidden labels myFlash, myPassWord and ifMute
// ("T" muted, "F" not), the current file, and the window itself.
#pragma once

#include <QString>

namespace lock {

class LockHost {
  public:
    virtual ~LockHost() = default;

    virtual QString myFlash() const = 0;
    virtual void setMyFlash(const QString& path) = 0;
    virtual QString myPassWord() const = 0;
    virtual void setMyPassWord(const QString& password) = 0;
    virtual QString ifMute() const = 0;
    virtual void setIfMute(const QString& flag) = 0;

    // The current file (the text of Texta).
    virtual QString currentFile() const = 0;

    virtual void setMainWindowEnabled(bool enabled) = 0;
    // Hidden, or made visible and shown in front.
    virtual void setMainWindowVisible(bool visible) = 0;
    // A modal message box with an OK button and no icon.
    virtual void showMessage(const QString& text) = 0;
    // The speakers' mute as the main window keeps it while in use.
    virtual void muteSpeakers() = 0;
};

} // namespace lock
