// The main window as the file tools see it (tools::ToolHost). The dialogs themselves are
// opened through a function the tools' windows provide.
#pragma once

#include "app/tools/tool_host.h"
#include "form1.h"

#include <functional>

class Form1ToolHost final : public tools::ToolHost {
  public:
    Form1ToolHost(Form1& form, platform::MessageBoxes& messages,
                  std::function<void(tools::ToolDialog)> openDialog = {})
        : form_(form), messages_(messages), openDialog_(std::move(openDialog)) {}

    QString currentFile() const override { return form_.currentFile(); }
    void setCurrentFile(const QString& path) override { form_.setCurrentFile(path); }
    QString oFileName() const override;
    QString label5() const override;
    void setLabel5(const QString& caption) override;
    QString folderPath() const override { return form_.folderPath(); }
    void setFolderPath(const QString& path) override { form_.setFolderPath(path); }
    void Dir1_Change() override { form_.Dir1_Change(); }
    void setStatusText(const QString& text) override { form_.setStatusText(text); }
    int openCount() const override { return form_.openCount(); }
    void playInMiniPlayer(const QString& movie) override;
    void showMessage(const QString& text, tools::MessageIcon icon) override;
    void setMainWindowEnabled(bool enabled) override { form_.setEnabled(enabled); }
    void showMainWindow() override;
    void showDialog(tools::ToolDialog dialog) override;

  private:
    Form1& form_;
    platform::MessageBoxes& messages_;
    std::function<void(tools::ToolDialog)> openDialog_;
};
