#include "app/tools/projector_dialogs.h"

#include "app/tools/exe2swf.h"
#include "app/tools/swf2exe.h"
#include "app/tools/tool_rules.h"
#include "platform/file_system.h"

#include <QCoreApplication>

namespace tools {

void processPendingEvents() {
    QCoreApplication::processEvents();
}

QString Swf2ExeDialogLogic::Form_Load() const {
    return QStringLiteral("Do you want to convert ") + host_.currentFile() +
           QStringLiteral(" to exe file?");
}

DialogStep Swf2ExeDialogLogic::OKButton_Click() {
    const QString moviePath = host_.currentFile();
    platform::FileDialogRequest request;
    request.mode = platform::FileDialogMode::Save;
    request.title = QStringLiteral("Convert the to exe");
    request.fileName = withoutLast(moviePath, 4);
    request.filter = QStringLiteral("excute flash file (*.exe)|*.exe");
    request.flags = platform::kFileDialogStandardFlags;
    const auto chosen = saveDialog_.show(request);
    if (!chosen) return DialogStep::StayOpen;
    // Failures are not reported: the dialog closes as after a success.
    convertSwf2Exe(stubPath_, platform::toFsPath(moviePath), platform::toFsPath(cutAtNul(*chosen)));
    return DialogStep::Close;
}

std::optional<QString> exe2SwfOutputPath(const QString& projectorPath) {
    if (projectorPath.size() < 4) return std::nullopt;
    return withoutLast(projectorPath, 4) + QStringLiteral(".swf");
}

QString Exe2SwfDialogLogic::Form_Load() const {
    return QStringLiteral("Do you want to convert ") + host_.label5() +
           QStringLiteral(" to swf file?");
}

DialogStep Exe2SwfDialogLogic::OKButton_Click() {
    const QString projectorPath = host_.label5();
    // Whether a movie was found or not, the user sees the same.
    if (const auto outPath = exe2SwfOutputPath(projectorPath))
        convertExe2Swf(platform::toFsPath(projectorPath), platform::toFsPath(*outPath),
                       pumpEvents_);
    return DialogStep::Close;
}

} // namespace tools
