// The common open/save file dialog as the program's commands use it: they describe the
// dialog in a request and get back the chosen name or a distinct "cancelled" outcome.
// Windows provide the real dialog; tests answer with scripted names.
#pragma once

#include <QString>

#include <optional>

namespace platform {

// Dialog flags, with the values the commands were designed with.
inline constexpr int kFileDialogHideReadOnly = 0x0004;
inline constexpr int kFileDialogCreatePrompt = 0x2000;
// Hide the read-only box and prompt before creating a file: 8196.
inline constexpr int kFileDialogStandardFlags = kFileDialogHideReadOnly | kFileDialogCreatePrompt;

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString fileName; // proposed name; empty proposes none
    QString filter;   // "description|pattern" pairs separated by '|', e.g. "Movies|*.swf"
    int flags = 0;
    QString defaultExt; // empty: the confirmed name is used unchanged
};

class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // Shows the dialog and waits for it. Returns the confirmed name as the dialog gives it
    // (callers cut it at the first NUL character), or nullopt when the user cancelled.
    virtual std::optional<QString> show(const FileDialogRequest& request) = 0;
};

} // namespace platform
