#include "app/tools/file_operation_dialogs.h"

#include "app/tools/tool_rules.h"

namespace tools {

QString MoveToLogic::Form_Load() const {
    return QStringLiteral("Move ") + host_.currentFile() + QStringLiteral(" to ...");
}

void MoveToLogic::Dir1_Change() {
    view_.setPathText(view_.dirPath());
}

void MoveToLogic::Drive1_Change(const QString& drive) {
    if (view_.setDirPath(drive)) {
        view_.setPathText(view_.dirPath());
        return;
    }
    if (drive.startsWith(QLatin1Char('a')))
        host_.showMessage(QStringLiteral("Floppy drive is not be ready!"), MessageIcon::Critical);
}

QString moveTarget(const QString& folder, const QString& fileName) {
    return folder.endsWith(QLatin1Char('/')) ? folder + fileName
                                             : folder + QLatin1Char('/') + fileName;
}

DialogStep MoveToLogic::OKButton_Click() {
    // Every step runs whether or not the ones before it succeeded; nothing is reported.
    const auto file = fileSystem_.GetFile(host_.currentFile());
    if (const auto* found = std::get_if<platform::FileRef>(&file))
        fileSystem_.Move(*found, moveTarget(view_.dirPath(), host_.oFileName()));
    reListFolder(host_);
    return DialogStep::Close;
}

DialogStep MoveToLogic::CancelButton_Click() {
    host_.setCurrentFile(QString());
    return DialogStep::Close;
}

void MoveToLogic::Form_Unload() {
    host_.setMainWindowEnabled(true);
    host_.showMainWindow();
}

QString DeleteDialogLogic::Form_Load() const {
    return QStringLiteral("Do you really want to delete ") + host_.currentFile() +
           QStringLiteral("?");
}

DialogStep DeleteDialogLogic::OKButton_Click() {
    // Every step runs whether or not the ones before it succeeded; nothing is reported.
    const auto file = fileSystem_.GetFile(host_.currentFile());
    if (const auto* found = std::get_if<platform::FileRef>(&file))
        fileSystem_.Delete(*found, false);
    reListFolder(host_);
    return DialogStep::Close;
}

} // namespace tools
