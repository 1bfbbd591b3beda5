// The locker's movie, played by a process of its own: the locker's own executable started
// in the movie role, without a connection to the display, rendering into a FrameChannel. A
// movie that crashes or stalls the engine takes only that process with it: a process that
// ends, or whose heartbeat stops for several keep-playing ticks, is started again, at most
// three times a minute; after that the picture stays black.
#pragma once

#include "screensaver/frame_channel.h"
#include "screensaver/movie_feed.h"
#include "app/lock/settings/restart_budget.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <memory>
#include <optional>

namespace locker {

// The environment the movie process reads: the movie, the frame size ("WxH"); the frame
// memory is its descriptor 3.
inline constexpr char kMoviePathVariable[] = "REELVISTA_MOVIE_PATH";
inline constexpr char kMovieSizeVariable[] = "REELVISTA_MOVIE_SIZE";
inline constexpr int kFrameFd = 3;

class MovieProcess final : public QObject, public MovieFeed {
    Q_OBJECT
  public:
    // `program`: the executable to start in the movie role (this one by default).
    explicit MovieProcess(QString program = QStringLiteral("/proc/self/exe"));
    ~MovieProcess() override;

    void start(const QString& moviePath, QSize size) override;
    void keepPlaying() override;
    void stop() override;
    void setSoundOn(bool on) override;

    // The running movie process, for tests and measurements; 0 when none.
    qint64 processId() const;
    int starts() const { return starts_; }
    bool gaveUp() const { return budget_.exhausted(); }

  signals:
    void processStarted(qint64 pid);

  private:
    void launch();
    void ended();
    void poll();

    QString program_;
    QString moviePath_;
    std::optional<FrameChannel> channel_;
    std::unique_ptr<QProcess> process_;
    lock::RestartBudget budget_;
    QTimer poll_;
    QImage frame_;
    std::uint32_t seen_ = 0;
    std::uint32_t lastBeat_ = 0;
    int quietTicks_ = 0;
    bool soundOn_ = false;
    int starts_ = 0;
};

// The movie role's main: plays the movie named in the environment into the frame memory
// until the locker ends it.
int runMovieProcess();

} // namespace locker
