// Form2, the full-screen movie window: covers the screen with the player `playing`, plays
// the mini player's movie from the frame in beginat with the speakers unmuted, and on
// leaving gives the main window back its preview movies, its mini player's movie and the
// mute.
#pragma once

#include "mixer/cvolume.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class FlashPlayer;
class QLabel;

namespace playback {

class FullScreen;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCellCount = 16;

    explicit Form2(FullScreen& session);
    ~Form2() override;

    void Form_Load();
    void Form_Unload();
    // Every 2 s: keeps a looping movie going while the bar's "Loop" is checked.
    void Timer1_Timer();
    // Every 50 ms: the bar's frame counter.
    void Timer2_Timer();
    // Blanks `playing`, unloads this window, mutes the speakers, reloads every preview at
    // frame 1 and the mini player's movie, and shows the main window.
    void returnForm1();

    FlashPlayer& playing() const { return *playing_; }
    // Where frame capture draws.
    QLabel& Picture1() const { return *Picture1_; }
    QTimer& Timer1() { return Timer1_; }
    QTimer& Timer2() { return Timer2_; }

    // The state saved at load: each cell's movie path and the mini player's movie.
    const QString& savedCellPath(int k) const { return savedCells_.at(k - 1); }
    const QString& savedMovie() const { return savedMovie_; }

  protected:
    // Closed by the window system: leaves full screen as the bar's leave button does.
    void closeEvent(QCloseEvent* event) override;

  private:
    FullScreen& session_;
    FlashPlayer* playing_;
    QLabel* Picture1_;
    QTimer Timer1_;
    QTimer Timer2_;
    std::array<QString, kCellCount> savedCells_;
    QString savedMovie_;
    std::unique_ptr<cVolume> mixer_;
    bool unloaded_ = false;
};

// The frame number a beginat caption gives: its whole number, 0 when it holds none.
int startFrameFromCaption(const QString& caption);

} // namespace playback
