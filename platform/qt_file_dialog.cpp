#include "platform/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace platform {

QStringList qtNameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        out << parts[i].trimmed() + " (" + patterns + ")";
    }
    return out;
}

QString joinChosenFiles(const QStringList& paths) {
    if (paths.size() <= 1) return paths.value(0);
    QString out = QFileInfo(paths.first()).absolutePath();
    for (const QString& p : paths)
        out += QChar(0) + QFileInfo(p).fileName();
    return out;
}

std::optional<QString> QtFileDialog::show(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, request.title);
    const bool open = request.mode == FileDialogMode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (open)
        dialog.setFileMode(request.flags & kFileDialogAllowMultiSelect ? QFileDialog::ExistingFiles
                                                                       : QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExt.isEmpty()) dialog.setDefaultSuffix(request.defaultExt);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return joinChosenFiles(chosen);
}

} // namespace platform
