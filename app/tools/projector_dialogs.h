// Handlers of the dialogs ifSwf2ExeDialog ("Swf to Exe") and ifExe2SwfDialog ("Exe to
// Swf"), without their windows: the windows apply the skin, show the texts returned here
// and close when a handler says so.
#pragma once

#include "app/tools/tool_host.h"
#include "platform/file_dialog.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

namespace tools {

// Lets the user interface handle its pending events.
void processPendingEvents();

class Swf2ExeDialogLogic {
  public:
    Swf2ExeDialogLogic(ToolHost& host, platform::FileDialog& saveDialog,
                       std::filesystem::path stubPath)
        : host_(host), saveDialog_(saveDialog), stubPath_(std::move(stubPath)) {}

    QString Form_Load() const; // the question for SkinLabel1
    // Asks for the output name and writes the projector; stays open when that is cancelled.
    DialogStep OKButton_Click();
    DialogStep CancelButton_Click() { return DialogStep::Close; }
    void Form_Unload() { host_.setMainWindowEnabled(true); }

  private:
    ToolHost& host_;
    platform::FileDialog& saveDialog_;
    std::filesystem::path stubPath_;
};

// The movie taken out of a projector goes beside it: its path less the last four
// characters, plus ".swf". Nullopt for a path of fewer than four characters.
std::optional<QString> exe2SwfOutputPath(const QString& projectorPath);

class Exe2SwfDialogLogic {
  public:
    explicit Exe2SwfDialogLogic(ToolHost& host,
                                std::function<void()> pumpEvents = processPendingEvents)
        : host_(host), pumpEvents_(std::move(pumpEvents)) {}

    QString Form_Load() const; // the question for SkinLabel1
    // Extracts the movie of the projector named in Label5; the outcome is not shown.
    DialogStep OKButton_Click();
    DialogStep CancelButton_Click() { return DialogStep::Close; }
    void Form_Unload() { host_.setMainWindowEnabled(true); }

  private:
    ToolHost& host_;
    std::function<void()> pumpEvents_;
};

} // namespace tools
