// The windows of ifSwf2ExeDialog ("Swf to Exe") and ifExe2SwfDialog ("Exe to Swf"): each
// shows its question and forwards its buttons to its handlers.
#pragma once

#include "app/tools/projector_dialogs.h"
#include "app/tools/tool_dialog_window.h"
#include "platform/qt_file_dialog.h"

#include <filesystem>

namespace tools {

class ifSwf2ExeDialog final : public ToolDialogWindow {
    Q_OBJECT
  public:
    // `saveDialog` asks for the projector's name; null: a file dialog over this window.
    ifSwf2ExeDialog(ToolHost& host, platform::FileDialog* saveDialog,
                    std::filesystem::path stubPath);

  private:
    DialogStep okClicked() override { return logic_.OKButton_Click(); }
    DialogStep cancelClicked() override { return logic_.CancelButton_Click(); }
    void Form_Unload() override { logic_.Form_Unload(); }

    platform::QtFileDialog ownSaveDialog_;
    Swf2ExeDialogLogic logic_;
};

class ifExe2SwfDialog final : public ToolDialogWindow {
    Q_OBJECT
  public:
    explicit ifExe2SwfDialog(ToolHost& host);

  private:
    DialogStep okClicked() override { return logic_.OKButton_Click(); }
    DialogStep cancelClicked() override { return logic_.CancelButton_Click(); }
    void Form_Unload() override { logic_.Form_Unload(); }

    Exe2SwfDialogLogic logic_;
};

} // namespace tools
