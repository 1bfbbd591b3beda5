// The handlers of a preview cell's four controls (the player pvFlash k, the name label
// pvLabel k, the name box Text k and the framing button Command k). A single click makes
// the cell's movie the current file and plays it in the mini player; a double click opens
// it full screen. One PreviewCell serves one cell; the main window keeps sixteen.
#pragma once

#include <QCursor>
#include <QString>

namespace playback {

// What the cells need of the main window.
class CellHost {
  public:
    virtual ~CellHost() = default;

    // The folder of the file list File1: the cells' movies are there.
    virtual QString cellFolder() const = 0;
    // Sets the current file (Texta); the current-file change runs before this returns.
    virtual void setCurrentFile(const QString& path) = 0;
    // The hidden label oFileName: the name of the cell chosen last by its name box.
    virtual void setOFileName(const QString& name) = 0;

    // Cell k's label caption and name box text; the keyboard focus to its name box; the
    // mouse pointer over its label.
    virtual QString labelCaption(int k) const = 0;
    virtual QString textOf(int k) const = 0;
    virtual void focusText(int k) = 0;
    virtual void setLabelPointer(int k, const QCursor& pointer) = 0;

    // The mini player's miniPlaying; showForm2 and the showing of the control bar Form3.
    virtual void miniPlaying() = 0;
    virtual void showForm2() = 0;
    virtual void showForm3() = 0;
};

// The pointer over a label that shows a name.
QCursor previewLabelPointer();

class PreviewCell {
  public:
    PreviewCell(CellHost& host, int k) : host_(host), k_(k) {}

    int index() const { return k_; }

    void pvLabel_Click();
    void pvLabel_DblClick();
    void pvLabel_MouseMove();
    void Text_Click();
    void Text_DblClick();
    void pvFlash_GotFocus();
    void Command_Click();

  private:
    QString pathOf(const QString& name) const;
    // The double click of the label or the name box: full screen with its control bar.
    void playFullScreen();

    CellHost& host_;
    int k_;
};

} // namespace playback
