// Handlers of the dialogs moveTo and ifDelete ("Delete"), without their windows: the
// windows apply the skin, show the texts returned here and close when a handler says so.
#pragma once

#include "app/tools/tool_host.h"
#include "platform/file_system.h"

#include <QString>

namespace tools {

// The moveTo window's own controls, as its handlers need them.
class MoveToView {
  public:
    virtual ~MoveToView() = default;
    // The folder list Dir1. Setting the path returns false when the folder cannot be
    // shown (a drive that is not ready); the list then stays where it was.
    virtual QString dirPath() const = 0;
    virtual bool setDirPath(const QString& path) = 0;
    // The text box Text1 showing the chosen folder.
    virtual void setPathText(const QString& text) = 0;
};

class MoveToLogic {
  public:
    MoveToLogic(ToolHost& host, platform::FileSystem& fileSystem, MoveToView& view)
        : host_(host), fileSystem_(fileSystem), view_(view) {}

    QString Form_Load() const; // the window's caption
    void Dir1_Change();
    void Drive1_Change(const QString& drive);
    // Moves the current file into the chosen folder under the name in oFileName.
    DialogStep OKButton_Click();
    // Leaves the main window without a current file.
    DialogStep CancelButton_Click();
    void Form_Unload();

  private:
    ToolHost& host_;
    platform::FileSystem& fileSystem_;
    MoveToView& view_;
};

// Where OK in moveTo moves the file: the folder, a "/" unless it ends with one, the name.
// With an empty name that is the folder itself, where the file keeps its own name.
QString moveTarget(const QString& folder, const QString& fileName);

class DeleteDialogLogic {
  public:
    DeleteDialogLogic(ToolHost& host, platform::FileSystem& fileSystem)
        : host_(host), fileSystem_(fileSystem) {}

    QString Form_Load() const; // the question for Label1 and SkinLabel1
    // Deletes the current file; a read-only file is not forced.
    DialogStep OKButton_Click();
    DialogStep CancelButton_Click() { return DialogStep::Close; }
    void Form_Unload() { host_.setMainWindowEnabled(true); }

  private:
    ToolHost& host_;
    platform::FileSystem& fileSystem_;
};

} // namespace tools
