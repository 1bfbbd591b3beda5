// The movie player widget: every movie the program shows is drawn by one of these.
// Its operations keep the names and behaviour the windows rely on.
#pragma once

#include "swf/movie.h"
#include "swf/player.h"
#include "swf/qt/painter_backend.h"
#include "swf/render.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

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

    // Current picture, as drawn at the widget's size (for frame capture).
    QImage grabFrame() const;
    const swf::Player* player() const { return player_.get(); }

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void onTick();
    void scheduleTimer();
    void blank();
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
};
