// What the main window does for the desktop around it: movies and folders handed to it
// (the command line, a second start, a drop on the window) and the keyboard shortcuts.
// Plain keys stay with whatever has the focus: a text box keeps its typing and a movie
// its keys. The shortcuts use modifiers or function keys; Page Up and Page Down move the
// grid a row while one of its cells has the focus.
#pragma once

#include "open_target.h"

#include <QObject>

class Form1;

class Form1Desktop : public QObject {
    Q_OBJECT
  public:
    explicit Form1Desktop(Form1& form);

    // The start-up target, once Form_Load has listed the start folder (the target's
    // folder): a movie becomes the current file and plays; without a target the status
    // line says why.
    void openAtStart(const desktop::OpenTarget& target);
    // A folder is listed; a movie has its folder listed, becomes the current file and
    // plays in the mini player. False, changing nothing, while the window is busy.
    bool open(const desktop::OpenTarget& target);
    // A path handed over by a second start (empty: none): opened, and the window raised.
    // False while the window is busy.
    bool takeRequest(const QString& path);
    // While a dialog, the full-screen player or the lock screen has the window, what
    // the current file is must not change under it.
    bool busy() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void installShortcuts();
    void playMovie(const QString& movie);
    void playPause();
    void firstFrame();
    void lastFrame();
    void scrollRows(int rows);
    // What a drag brings, when the window would take it.
    desktop::OpenTarget dropTarget(const QEvent* event) const;

    Form1& form_;
};
