// The file tools as the main window carries them: its side of the tools' host, the
// dialogs, and the handlers of Save As, Move To, Delete, Swf2Exe, Exe2Swf and Search.
#pragma once

#include "form1_tool_host.h"

#include "app/tools/search_windows.h"
#include "app/tools/tool_windows.h"

#include <memory>

class Form1Tools {
  public:
    Form1Tools(Form1& form, platform::FileDialog& fileDialog, platform::MessageBoxes& messages,
               platform::Drives& drives);

    tools::ToolWindows& windows() { return *windows_; }
    tools::SearchWindows& search() { return *search_; }

  private:
    std::unique_ptr<Form1ToolHost> host_;
    std::unique_ptr<tools::ToolWindows> windows_;
    std::unique_ptr<tools::SearchWindows> search_;
};
