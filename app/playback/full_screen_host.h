// What the full-screen player needs of the main window: the start frame in beginat, the
// players of the sixteen preview cells and of the mini player with what they show, the
// window's enabled and shown states, and the skin for the control bar.
#pragma once

#include <QString>

class FlashPlayer;
class QWidget;

namespace playback {

class FullScreenHost {
  public:
    virtual ~FullScreenHost() = default;

    // The hidden label beginat: the frame full screen starts at.
    virtual QString beginat() const = 0;

    // The folder of the file list File1, and the file name cell k (1..16) shows.
    virtual QString cellFolder() const = 0;
    virtual QString cellFileName(int k) const = 0;
    virtual FlashPlayer& cellPlayer(int k) = 0; // pvFlash k
    virtual FlashPlayer& miniPlayer() = 0;

    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void setMainWindowVisible(bool visible) = 0;

    // Paints the control bar with the skin stored for it.
    virtual void applyBarSkin(QWidget& bar) = 0;
};

} // namespace playback
