#include "app/tools/file_tool_commands.h"

#include "app/tools/tool_rules.h"

namespace tools {

void FileToolCommands::openDialogFor(bool isMovie, const QString& message, ToolDialog dialog) {
    if (!isMovie) {
        host_.showMessage(message, MessageIcon::None);
        return;
    }
    host_.setMainWindowEnabled(false);
    host_.showDialog(dialog);
}

void FileToolCommands::Command19_Click() {
    openDialogFor(endsWithSwf(host_.currentFile()), QStringLiteral("Select wrong file."),
                  ToolDialog::Swf2Exe);
}

void FileToolCommands::Command24_Click() {
    platform::FileDialogRequest request;
    request.mode = platform::FileDialogMode::Open;
    request.title =
        QStringLiteral("Convert the execute file to the flash file with same name and path.");
    request.filter = QStringLiteral("The execute Flash file (*.exe)|*.exe");
    request.flags = platform::kFileDialogStandardFlags;
    const auto chosen = fileDialog_.show(request);
    if (!chosen) return;
    host_.setLabel5(cutAtNul(*chosen));
    host_.setMainWindowEnabled(false);
    host_.showDialog(ToolDialog::Exe2Swf);
}

void FileToolCommands::mySaveAs() {
    const QString current = host_.currentFile();
    if (!endsWithDotSwf(current)) {
        host_.showMessage(QStringLiteral("You hadn't selected one .swf file to save"),
                          MessageIcon::None);
        return;
    }
    // Every later step runs whether or not the ones before it succeeded.
    const auto file = fileSystem_.GetFile(current);

    platform::FileDialogRequest request;
    request.mode = platform::FileDialogMode::Save;
    request.title = QStringLiteral("Save the ") + current + QStringLiteral(" as");
    request.fileName = current;
    request.filter = QStringLiteral("ShockwaveFlash file|*.swf");
    request.flags = platform::kFileDialogStandardFlags;
    const auto chosen = fileDialog_.show(request);
    if (!chosen) return;

    const QString typedName = cutAtNul(*chosen);
    QString copyName = typedName;
    if (!endsWithSwf(copyName)) copyName += QStringLiteral(".swf");
    // The copy is made before the mini player and the current file take the new name, so
    // the movie they load already exists.
    if (const auto* found = std::get_if<platform::FileRef>(&file))
        fileSystem_.Copy(*found, copyName, true);
    host_.playInMiniPlayer(typedName);
    host_.setCurrentFile(typedName);
    reListFolder(host_);
    host_.setStatusText(selectedFilesText(copyName, host_.openCount()));
}

void FileToolCommands::Command17_Click() {
    openDialogFor(endsWithDotSwf(host_.currentFile()),
                  QStringLiteral("You hadn't selected one .swf file to move."), ToolDialog::MoveTo);
}

void FileToolCommands::Command18_Click() {
    openDialogFor(endsWithSwf(host_.currentFile()),
                  QStringLiteral("You hadn't selected one .swf file to delete"),
                  ToolDialog::Delete);
}

} // namespace tools
