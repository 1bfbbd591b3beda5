#include "app/tools/tool_dialog_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tools {

namespace {

constexpr int kMinimumWidth = 360; // pixels; long paths widen the window

} // namespace

ToolDialogWindow::ToolDialogWindow() : QWidget(nullptr, Qt::Dialog) {
    setMinimumWidth(kMinimumWidth);
    auto* layout = new QVBoxLayout(this);
    skinLabel1_ = new QLabel(this);
    skinLabel1_->setObjectName(QStringLiteral("SkinLabel1"));
    skinLabel1_->setWordWrap(true);
    layout->addWidget(skinLabel1_);
    body_ = new QVBoxLayout;
    layout->addLayout(body_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this,
            [this] { runHandler([this] { return okClicked(); }); });
    connect(cancel, &QPushButton::clicked, this,
            [this] { runHandler([this] { return cancelClicked(); }); });
}

ToolDialogWindow::~ToolDialogWindow() = default;

void ToolDialogWindow::runHandler(const std::function<DialogStep()>& handler) {
    if (running_) return;
    running_ = true;
    const DialogStep step = handler();
    running_ = false;
    if (step == DialogStep::Close || closeWaiting_) close();
}

void ToolDialogWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeWaiting_ = true;
        event->ignore();
        return;
    }
    event->accept();
    if (unloadedOnce_) return;
    unloadedOnce_ = true;
    Form_Unload();
    emit unloaded();
}

} // namespace tools
