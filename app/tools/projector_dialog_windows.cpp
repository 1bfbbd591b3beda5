#include "app/tools/projector_dialog_windows.h"

#include <QLabel>

namespace tools {

ifSwf2ExeDialog::ifSwf2ExeDialog(ToolHost& host, platform::FileDialog* saveDialog,
                                 std::filesystem::path stubPath)
    : ownSaveDialog_(this),
      logic_(host, saveDialog ? *saveDialog : ownSaveDialog_, std::move(stubPath)) {
    setObjectName(QStringLiteral("ifSwf2ExeDialog"));
    setWindowTitle(QStringLiteral("Swf to Exe"));
    skinLabel().setText(logic_.Form_Load());
}

ifExe2SwfDialog::ifExe2SwfDialog(ToolHost& host) : logic_(host) {
    setObjectName(QStringLiteral("ifExe2SwfDialog"));
    setWindowTitle(QStringLiteral("Exe to Swf"));
    skinLabel().setText(logic_.Form_Load());
}

} // namespace tools
