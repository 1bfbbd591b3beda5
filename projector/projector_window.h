// The projector's window: the carried movie at the size of its stage. Space pauses and
// resumes it, F11 or a double click toggles full screen, Escape leaves full screen.
#pragma once

#include "app/playback/flash_player.h"

#include <QSize>
#include <QWidget>

namespace projector {

class ProjectorWindow : public QWidget {
    Q_OBJECT
  public:
    ProjectorWindow(const QString& title, swf::MoviePtr movie, QWidget* parent = nullptr);

    FlashPlayer& player() { return player_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void toggleFullScreen();

    FlashPlayer player_;
};

// The window's size for a stage (in twips): the stage in pixels, scaled down to fit
// `available` with its shape kept. An empty stage gets the common 550 x 400.
QSize windowSizeFor(const swf::Rect& stage, QSize available);

} // namespace projector
