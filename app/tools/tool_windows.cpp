#include "app/tools/tool_windows.h"

#include "app/tools/file_operation_dialog_windows.h"
#include "app/tools/projector_dialog_windows.h"
#include "app/tools/swf2exe.h"

#include <QWindow>

namespace tools {

namespace {

std::size_t slot(ToolDialog dialog) {
    return static_cast<std::size_t>(dialog);
}

} // namespace

ToolWindows::ToolWindows(ToolHost& host, platform::FileDialog& fileDialog, ToolServices services)
    : host_(host), fileSystem_(services.fileSystem ? *services.fileSystem : localFileSystem_),
      drives_(services.drives ? *services.drives : systemDrives_),
      projectorSaveDialog_(services.projectorSaveDialog), stubPath_(std::move(services.stubPath)),
      applySkin_(std::move(services.applySkin)), commands_(host, fileDialog, fileSystem_) {}

ToolWindows::~ToolWindows() = default;

std::unique_ptr<ToolDialogWindow> ToolWindows::create(ToolDialog dialog) {
    switch (dialog) {
    case ToolDialog::Swf2Exe:
        return std::make_unique<ifSwf2ExeDialog>(
            host_, projectorSaveDialog_, stubPath_.empty() ? projectorStubPath() : stubPath_);
    case ToolDialog::Exe2Swf:
        return std::make_unique<ifExe2SwfDialog>(host_);
    case ToolDialog::MoveTo:
        return std::make_unique<moveTo>(host_, fileSystem_, drives_);
    case ToolDialog::Delete:
        return std::make_unique<ifDelete>(host_, fileSystem_);
    }
    return nullptr;
}

void ToolWindows::show(ToolDialog dialog) {
    std::unique_ptr<ToolDialogWindow>& window = open_[slot(dialog)];
    if (!window) {
        window = create(dialog);
        if (!window) return;
        if (applySkin_) applySkin_(*window);
        QObject::connect(window.get(), &ToolDialogWindow::unloaded, window.get(),
                         [this, dialog] { retire(dialog); });
        place(*window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void ToolWindows::place(ToolDialogWindow& window) const {
    if (!owner_) return;
    QWidget* top = owner_->window();
    window.adjustSize();
    window.move(top->geometry().center() - window.rect().center());
    window.winId(); // gives the window its platform window
    if (QWindow* handle = window.windowHandle(); handle && top->windowHandle())
        handle->setTransientParent(top->windowHandle());
}

void ToolWindows::retire(ToolDialog dialog) {
    if (auto window = std::move(open_[slot(dialog)])) window.release()->deleteLater();
}

ToolDialogWindow* ToolWindows::openWindow(ToolDialog dialog) const {
    return open_[slot(dialog)].get();
}

} // namespace tools
