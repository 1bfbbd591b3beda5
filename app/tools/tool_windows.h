// The file tools as the main window uses them: the commands its menu items and buttons
// forward to, and the four dialogs those commands open (ifSwf2ExeDialog, ifExe2SwfDialog,
// moveTo, ifDelete). A dialog is made when it opens and goes when it closes.
#pragma once

#include "app/tools/file_tool_commands.h"
#include "app/tools/tool_dialog_window.h"
#include "app/tools/tool_host.h"
#include "platform/drives.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"

#include <QPointer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>

namespace tools {

// What the tools work with, where the defaults are not wanted (tests, mostly).
struct ToolServices {
    platform::FileSystem* fileSystem = nullptr;          // null: the local disk
    platform::Drives* drives = nullptr;                  // null: the mounted drives
    platform::FileDialog* projectorSaveDialog = nullptr; // null: a file dialog over the dialog
    std::filesystem::path stubPath;                      // empty: exeh beside the program
    // Paints a dialog with the skin stored with it, as each dialog does when it loads;
    // empty: the desktop's own look.
    std::function<void(QWidget&)> applySkin;
};

class ToolWindows {
  public:
    // `fileDialog` is the main window's own, which Exe2Swf and Save As use.
    ToolWindows(ToolHost& host, platform::FileDialog& fileDialog, ToolServices services = {});
    ~ToolWindows();
    ToolWindows(const ToolWindows&) = delete;
    ToolWindows& operator=(const ToolWindows&) = delete;

    FileToolCommands& commands() { return commands_; }

    // Opens a dialog, as ToolHost::showDialog does: the caller has disabled the main
    // window. A dialog that is open already is brought to the front.
    void show(ToolDialog dialog);
    // The dialog's window while it is open; null otherwise.
    ToolDialogWindow* openWindow(ToolDialog dialog) const;

    // Dialogs stay in front of this window (the main window) and open centred on it.
    void setOwner(QWidget* owner) { owner_ = owner; }

  private:
    std::unique_ptr<ToolDialogWindow> create(ToolDialog dialog);
    void place(ToolDialogWindow& window) const;
    // Hands a closed dialog to the event loop for deletion: it may still be inside one of
    // its own handlers.
    void retire(ToolDialog dialog);

    ToolHost& host_;
    platform::LocalFileSystem localFileSystem_;
    platform::SystemDrives systemDrives_;
    platform::FileSystem& fileSystem_;
    platform::Drives& drives_;
    platform::FileDialog* projectorSaveDialog_;
    std::filesystem::path stubPath_;
    std::function<void(QWidget&)> applySkin_;
    FileToolCommands commands_;
    QPointer<QWidget> owner_;
    std::array<std::unique_ptr<ToolDialogWindow>, 4> open_;
};

} // namespace tools
