// The common file dialog on the desktop: QFileDialog, described by a FileDialogRequest.
#pragma once

#include "platform/file_dialog.h"

#include <QStringList>

class QWidget;

namespace platform {

// Lets the user pick several files in an open dialog; the answer then is the folder
// followed by each name, separated by NUL characters.
inline constexpr int kFileDialogAllowMultiSelect = 0x0200;

class QtFileDialog final : public FileDialog {
  public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<QString> show(const FileDialogRequest& request) override;

  private:
    QWidget* parent_;
};

// "Movies|*.swf|All|*.*" as Qt's name filters: "Movies (*.swf)", "All (*.*)". A pattern
// list separated by ';' becomes space separated. A trailing description without a
// pattern is dropped.
QStringList qtNameFilters(const QString& filter);

// The dialog's answer for a set of chosen files: one path as it is; several as their
// folder, then each file name, joined by NUL characters.
QString joinChosenFiles(const QStringList& paths);

} // namespace platform
