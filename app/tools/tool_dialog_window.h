// The window shared by the tool dialogs: a caption, the text in SkinLabel1, room for more
// controls, and the buttons OKButton and CancelButton. The buttons run the dialog's
// handlers; the window closes when a handler says so, and every way of closing it runs
// Form_Unload once.
#pragma once

#include "app/tools/tool_host.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tools {

class ToolDialogWindow : public QWidget {
    Q_OBJECT
  public:
    ~ToolDialogWindow() override;

  signals:
    // The window closed and Form_Unload ran.
    void unloaded();

  protected:
    // A top-level window without a parent: the main window is disabled while a dialog is
    // open, and a child window would be disabled along with it.
    ToolDialogWindow();

    // Runs after the button's handler; the subclasses forward to their logic.
    virtual DialogStep okClicked() = 0;
    virtual DialogStep cancelClicked() = 0;
    virtual void Form_Unload() = 0;

    // Where subclasses add controls, between SkinLabel1 and the buttons.
    QVBoxLayout& body() { return *body_; }
    QLabel& skinLabel() { return *skinLabel1_; }

    void closeEvent(QCloseEvent* event) override;

  private:
    // Runs a handler unless one is running already (a handler may let events run, and a
    // second click must not start it again). A close asked for meanwhile waits for it.
    void runHandler(const std::function<DialogStep()>& handler);

    QLabel* skinLabel1_;
    QVBoxLayout* body_;
    bool running_ = false;
    bool closeWaiting_ = false;
    bool unloadedOnce_ = false;
};

} // namespace tools
