// The LockScreen menu as the main window carries it: the main window's side of the lock
// commands (its hidden labels myFlash, myPassWord and ifMute are the working copy), and the
// handlers of Command21 (configuration), Command22 and Command23 (lock).
#pragma once

#include "app/lock/lock_commands.h"
#include "app/lock/lock_host.h"

#include <memory>

class Form1;

namespace platform {
class FileDialog;
class MessageBoxes;
} // namespace platform

class Form1Lock final : public lock::LockHost {
  public:
    // `launcher`: null starts the screen saver program of the program folder.
    Form1Lock(Form1& form, platform::FileDialog& fileDialog, platform::MessageBoxes& messages,
              lock::LockerLauncher* launcher = nullptr);

    lock::LockCommands& commands() { return *commands_; }

    QString myFlash() const override;
    void setMyFlash(const QString& path) override;
    QString myPassWord() const override;
    void setMyPassWord(const QString& password) override;
    QString ifMute() const override;
    void setIfMute(const QString& flag) override;
    QString currentFile() const override;
    void setMainWindowEnabled(bool enabled) override;
    void setMainWindowVisible(bool visible) override;
    void showMessage(const QString& text) override;
    void muteSpeakers() override;

  private:
    Form1& form_;
    platform::MessageBoxes& messages_;
    std::unique_ptr<lock::LockCommands> commands_;
};
