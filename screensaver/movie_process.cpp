#include "screensaver/movie_process.h"

#include "app/lock/settings/locker_handoff.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace locker {

namespace {

// Keep-playing ticks (2 s each) without a heartbeat before a movie process counts as stalled.
constexpr int kStalledTicks = 3;
// How often the locker looks for a new frame.
constexpr int kPollMs = 15;

} // namespace

MovieProcess::MovieProcess(QString program) : program_(std::move(program)) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &MovieProcess::poll);
}

MovieProcess::~MovieProcess() {
    stop();
}

void MovieProcess::start(const QString& moviePath, QSize size) {
    const bool soundOn = soundOn_;
    stop();
    soundOn_ = soundOn;
    moviePath_ = moviePath;
    auto made = FrameChannel::create(size);
    if (!std::holds_alternative<FrameChannel>(made)) return; // stays black
    channel_.emplace(std::move(std::get<FrameChannel>(made)));
    launch();
    poll_.start();
}

void MovieProcess::launch() {
    channel_->reset();
    channel_->setSoundOn(soundOn_);
    seen_ = 0;
    lastBeat_ = 0;
    quietTicks_ = 0;
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(lock::kRoleVariable), QString::fromLatin1(lock::kMovieRole));
    env.insert(QString::fromLatin1(kMoviePathVariable), moviePath_);
    env.insert(QString::fromLatin1(kMovieSizeVariable),
               QStringLiteral("%1x%2").arg(channel_->size().width()).arg(channel_->size().height()));
    // No way to the display: the movie process draws into memory and nowhere else.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XSS_SLEEP_LOCK_FD"})
        env.remove(QString::fromLatin1(name));
    process->setProcessEnvironment(env);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const int fd = channel_->fd();
    process->setChildProcessModifier([fd] {
        // Between fork and exec: only calls that are safe there.
        if (fd == kFrameFd)
            ::fcntl(fd, F_SETFD, 0);
        else
            ::dup2(fd, kFrameFd);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    QProcess* raw = process.get();
    connect(raw, &QProcess::finished, this, [this, raw] {
        if (process_.get() == raw) ended();
    });
    connect(raw, &QProcess::errorOccurred, this, [this, raw](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && process_.get() == raw) ended();
    });
    process_ = std::move(process);
    ++starts_;
    process_->start(program_, {});
    if (process_ && process_->processId() > 0) emit processStarted(process_->processId());
}

void MovieProcess::ended() {
    // The finished process is dropped once its signal has been handled.
    if (process_) process_.release()->deleteLater();
    if (!channel_) return;
    if (budget_.allow(lock::RestartBudget::Clock::now())) {
        launch();
        return;
    }
    poll_.stop();
    frame_ = QImage();
    if (onFrame) onFrame(QImage());
}

void MovieProcess::poll() {
    if (channel_ && channel_->takeLatest(frame_, seen_) && onFrame) onFrame(frame_);
}

void MovieProcess::keepPlaying() {
    if (!channel_ || !process_) return;
    channel_->requestPlay();
    const std::uint32_t beat = channel_->heartbeat();
    if (beat != lastBeat_) {
        lastBeat_ = beat;
        quietTicks_ = 0;
        return;
    }
    if (++quietTicks_ >= kStalledTicks) process_->kill(); // ends: started again or black
}

void MovieProcess::setSoundOn(bool on) {
    soundOn_ = on;
    if (channel_) channel_->setSoundOn(on);
}

void MovieProcess::stop() {
    soundOn_ = false;
    poll_.stop();
    if (process_) {
        std::unique_ptr<QProcess> process = std::move(process_);
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
    channel_.reset();
}

qint64 MovieProcess::processId() const {
    return process_ ? process_->processId() : 0;
}

} // namespace locker
