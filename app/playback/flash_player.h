// The movie player widget: every movie the program shows is drawn by one of these.
// Its operations keep the names and behaviour the windows rely on.
#pragma once

#include "swf/display/movie.h"
#include "swf/display/player.h"
#include "swf/render/qt/painter_backend.h"
#include "swf/render/render.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class PlayerSound;

class FlashPlayer : public QWidget {
    Q_OBJECT
public:
    explicit FlashPlayer(QWidget* parent = nullptr);
    ~FlashPlayer() override;

    // Initial settings of an instance.
    void setAutoPlay(bool on) { autoPlay_ = on; }
    bool autoPlay() const { return autoPlay_; }

    // Loads the named movie and, with auto-play on, starts it. "0" or an empty text
    // leaves the player blank and idle. A file that cannot be read also leaves it
    // blank; lastError() tells why.
    void setMovie(const QString& path);
    // Shows a movie loaded elsewhere (from memory, say) as setMovie shows a file; `name`
    // becomes the Movie() text. A null movie leaves the player blank and idle.
    void setLoadedMovie(const QString& name, swf::MoviePtr movie);
    // The text last put; empty when none.
    QString Movie() const { return movieText_; }
    QString lastError() const { return lastError_; }
    bool isLoaded() const { return player_ != nullptr; }

    void Play();
    void Stop();
    void StopPlay();
    bool IsPlaying() const;
    // Frame count of the loaded movie (0 when none).
    int TotalFrames() const;
    // Number of the frame on show, from 1; -1 when no movie is loaded.
    int FrameNum() const;
    // Shows that frame: 0 and 1 are the first frame, TotalFrames the last.
    void setFrameNum(int frame);
    int CurrentFrame() const { return FrameNum(); }
    // Rescales the view relative to its present scale: 50 shows things twice as
    // large, 200 half as large; 0 returns to the whole stage.
    void Zoom(int percent);
    double zoomFactor() const { return zoom_; }
    void setLoop(bool on);
    bool Loop() const { return loop_; }
    // -1 reverts to the movie's own background colour.
    void setBackgroundColor(int rgb);
    // The same by text: "-1" or an empty text revert; otherwise a number (decimal,
    // or "#RRGGBB").
    void setBGColor(const QString& color);

    // Plays the movie's sounds through the program's audio output. Off by default, so
    // that only the players meant to be listened to make a sound.
    void setSoundEnabled(bool on);
    bool soundEnabled() const { return sound_ != nullptr; }
    // While stream sound is heard: the frame (from 1) whose sound is playing, plus the part
    // of it played. The frame on show keeps within a frame of it.
    std::optional<double> soundPosition() const;

    // Current picture, as drawn at the widget's size (for frame capture).
    QImage grabFrame() const;
    const swf::Player* player() const { return player_.get(); }

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void onTick();
    // After every tick and goto: hands the frames' sounds on (or drops them when silent).
    void afterFrames();
    // The wall clock carries on from the frame on show.
    void restartClock();
    int timerInterval() const;
    void scheduleTimer();
    void blank();
    // Widget point to stage twips; false with nothing loaded.
    bool toStage(const QPointF& pos, double& x, double& y) const;
    void mouseEvent(QMouseEvent* e, bool (swf::Player::*handler)(double, double));
    swf::FrameOptions frameOptions() const;

    std::unique_ptr<swf::Player> player_;
    mutable swf::ShapeCache cache_;
    QString movieText_;
    QString lastError_;
    bool autoPlay_ = true;
    bool loop_ = true;
    double zoom_ = 1.0;
    std::optional<QColor> background_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 ticksDone_ = 0;
    std::unique_ptr<PlayerSound> sound_; // null while sound is off
};
