// What the mini player's handlers need of the main window: the current file, the player
// miniPlayer, the position bar HScroll1, the labels Label3 and SkinLabel1, the check boxes
// Check1 ("Loop") and Check2 ("From the current frame"), the menu item mLoop, the hidden
// label beginat, and the routines that open the full-screen player.
#pragma once

#include <QString>

class FlashPlayer;

namespace playback {

class MiniPlayerHost {
  public:
    virtual ~MiniPlayerHost() = default;

    // The current file: the text of Texta.
    virtual QString currentFile() const = 0;
    virtual FlashPlayer& miniPlayer() = 0;

    // HScroll1: range 0 to its maximum. Setting the value must not run HScroll1_Scroll,
    // which answers the user's scrolling only.
    virtual int positionMaximum() const = 0;
    virtual void setPositionMaximum(int maximum) = 0;
    virtual void setPositionValue(int value) = 0;

    virtual void setFrameLabel(const QString& text) = 0;  // Label3
    virtual void setCounterText(const QString& text) = 0; // SkinLabel1

    // Check1 and mLoop. Setting them runs no handler.
    virtual bool loopChecked() const = 0;
    virtual void setLoopChecked(bool checked) = 0;
    virtual bool loopMenuChecked() const = 0;
    virtual void setLoopMenuChecked(bool checked) = 0;
    // Check2.
    virtual bool fromCurrentFrameChecked() const = 0;

    // The hidden label beginat: the frame full screen starts at.
    virtual void setBeginat(const QString& caption) = 0;

    // showForm2: disables and hides the main window and shows the full-screen movie
    // window. showForm3: shows the full-screen control bar, without waiting for it.
    virtual void showForm2() = 0;
    virtual void showForm3() = 0;
};

} // namespace playback
