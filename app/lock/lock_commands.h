// The main window's LockScreen menu: the configuration dialog (Command21, one at a time)
// and the two lock commands (Command22, Command23).
#pragma once

#include "app/lock/config_window.h"
#include "app/lock/lock_screen.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace lock {

struct LockServices {
    QString programDir;
    QString settingsPath;                        // empty: settingsFilePath()
    LockerLauncher* launcher = nullptr;          // null: OrbisaneSCR.scr in the program folder
    std::function<void(QWidget&)> applySkin;     // the dialog's stored skin
};

class LockCommands {
  public:
    LockCommands(LockHost& host, platform::FileDialog& fileDialog, LockServices services);
    ~LockCommands();

    // Disables the main window and shows the dialog, not modal.
    void Command21_Click();
    void Command22_Click() { screen_.Command22_Click(); }
    void Command23_Click() { screen_.Command23_Click(); }

    ConfigWindow* myConfig() const { return config_.get(); }
    LockScreen& myScr() { return screen_; }
    LockerLauncher& launcher() { return launcher_; }

  private:
    LockHost& host_;
    platform::FileDialog& fileDialog_;
    LockServices services_;
    std::unique_ptr<LockerProcess> ownLauncher_;
    LockerLauncher& launcher_;
    LockScreen screen_;
    std::unique_ptr<ConfigWindow> config_;
};

} // namespace lock
