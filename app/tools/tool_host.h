// What the file tools need of the main window, and how their dialogs' handlers answer
// the window that forwards to them.
#pragma once

#include <QString>

namespace tools {

// The dialogs the main window's commands open: ifSwf2ExeDialog, ifExe2SwfDialog, moveTo
// and ifDelete.
enum class ToolDialog { Swf2Exe, Exe2Swf, MoveTo, Delete };

enum class MessageIcon { None, Critical };

// What a dialog window does once one of its handlers has run.
enum class DialogStep { StayOpen, Close };

class ToolHost {
  public:
    virtual ~ToolHost() = default;

    // The current file (the text of Texta). Setting it runs the current-file change
    // handler before returning.
    virtual QString currentFile() const = 0;
    virtual void setCurrentFile(const QString& path) = 0;

    // Hidden labels: oFileName, the name of the cell chosen last; Label5, the projector
    // chosen for extraction.
    virtual QString oFileName() const = 0;
    virtual QString label5() const = 0;
    virtual void setLabel5(const QString& caption) = 0;

    // The folder list Dir1. Setting a different path runs Dir1_Change before returning.
    virtual QString folderPath() const = 0;
    virtual void setFolderPath(const QString& path) = 0;
    virtual void Dir1_Change() = 0;

    // The status line myState, and the count the Open command shows there.
    virtual void setStatusText(const QString& text) = 0;
    virtual int openCount() const = 0;

    // Gives the mini player a movie and starts it.
    virtual void playInMiniPlayer(const QString& movie) = 0;

    // A modal message box with an OK button.
    virtual void showMessage(const QString& text, MessageIcon icon) = 0;

    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void showMainWindow() = 0;
    // Shows the dialog, not modal in itself; the caller has disabled the main window.
    virtual void showDialog(ToolDialog dialog) = 0;
};

} // namespace tools
