// The main window's file-tool commands: Swf2Exe, Exe2Swf, Save As, Move To and Delete.
// The window's menu items and buttons forward here; each command checks the current
// file, asks the user, and opens its dialog through the host or does its work.
#pragma once

#include "app/tools/tool_host.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"

namespace tools {

class FileToolCommands {
  public:
    FileToolCommands(ToolHost& host, platform::FileDialog& fileDialog,
                     platform::FileSystem& fileSystem)
        : host_(host), fileDialog_(fileDialog), fileSystem_(fileSystem) {}

    void Command19_Click(); // Swf2Exe: opens ifSwf2ExeDialog for a movie
    void Command24_Click(); // Exe2Swf: asks for a projector, opens ifExe2SwfDialog
    void mySaveAs();        // Save As: copies the current movie under a new name
    void Command17_Click(); // Move To: opens moveTo for a movie
    void Command18_Click(); // Delete: opens ifDelete for a movie

  private:
    // Refuses with `message` unless `isMovie`; otherwise disables the window and opens
    // `dialog`.
    void openDialogFor(bool isMovie, const QString& message, ToolDialog dialog);

    ToolHost& host_;
    platform::FileDialog& fileDialog_;
    platform::FileSystem& fileSystem_;
};

} // namespace tools
