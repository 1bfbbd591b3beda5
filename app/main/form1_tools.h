// The file tools as the main window carries them: its side of the tools' host, the
// dialogs, and the handlers of Save As, Move To, Delete, Swf2Exe and Exe2Swf.
#pragma once

#include "form1_tool_host.h"

#include "app/tools/tool_windows.h"

#include <memory>

class Form1Tools {
  public:
    Form1Tools(Form1& form, platform::FileDialog& fileDialog, platform::MessageBoxes& messages,
               platform::Drives& drives);

    tools::ToolWindows& windows() { return *windows_; }

  private:
    std::unique_ptr<Form1ToolHost> host_;
    std::unique_ptr<tools::ToolWindows> windows_;
};
