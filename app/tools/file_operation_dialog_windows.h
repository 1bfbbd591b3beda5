// The windows of moveTo and ifDelete ("Delete"): each shows its texts and controls and
// forwards its events to its handlers.
#pragma once

#include "app/tools/file_operation_dialogs.h"
#include "app/tools/tool_dialog_window.h"
#include "platform/drives.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tools {

class FolderList;

class moveTo final : public ToolDialogWindow, private MoveToView {
    Q_OBJECT
  public:
    // The folder list first shows the current file's folder (the home folder when that
    // cannot be shown); the drive list shows `drives` with the drive holding it chosen.
    moveTo(ToolHost& host, platform::FileSystem& fileSystem, platform::Drives& drives);

  private:
    DialogStep okClicked() override { return logic_.OKButton_Click(); }
    DialogStep cancelClicked() override { return logic_.CancelButton_Click(); }
    void Form_Unload() override { logic_.Form_Unload(); }

    QString dirPath() const override;
    bool setDirPath(const QString& path) override;
    void setPathText(const QString& text) override;

    MoveToLogic logic_;
    std::vector<platform::Drive> driveList_;
    QComboBox* drive1_;
    FolderList* dir1_;
    QLineEdit* text1_;
};

class ifDelete final : public ToolDialogWindow {
    Q_OBJECT
  public:
    ifDelete(ToolHost& host, platform::FileSystem& fileSystem);

  private:
    DialogStep okClicked() override { return logic_.OKButton_Click(); }
    DialogStep cancelClicked() override { return logic_.CancelButton_Click(); }
    void Form_Unload() override { logic_.Form_Unload(); }

    DeleteDialogLogic logic_;
};

} // namespace tools
