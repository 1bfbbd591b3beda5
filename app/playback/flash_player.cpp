#include "flash_player.h"

#include "audio_output.h"
#include "player_sound.h"
#include "swf/display/movie_cache.h"
#include "swf/render/qt/painter_backend.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

FlashPlayer::FlashPlayer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // buttons light up under the pointer
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FlashPlayer::onTick);
}

FlashPlayer::~FlashPlayer() = default;

void FlashPlayer::blank() {
    timer_.stop();
    if (sound_) sound_->clear();
    player_.reset();
    cache_ = swf::ShapeCache();
    zoom_ = 1.0;
    update();
}

void FlashPlayer::setMovie(const QString& path) {
    swf::MoviePtr movie;
    QString error;
    if (!path.isEmpty() && path != QLatin1String("0")) {
        blank(); // the old movie goes before the new one is read
        auto loaded = swf::MovieCache::shared().load(path.toStdString());
        if (auto* e = std::get_if<swf::Error>(&loaded))
            error = QString::fromStdString(e->message);
        else
            movie = std::get<swf::MoviePtr>(std::move(loaded));
    }
    setLoadedMovie(path, std::move(movie));
    lastError_ = error;
}

void FlashPlayer::setLoadedMovie(const QString& name, swf::MoviePtr movie) {
    movieText_ = name;
    lastError_.clear();
    blank();
    if (!movie) return;
    player_ = std::make_unique<swf::Player>(std::move(movie));
    player_->setLoop(loop_);
    if (autoPlay_)
        Play();
    else
        player_->stop();
    update();
}

void FlashPlayer::setSoundEnabled(bool on) {
    if (on == soundEnabled()) return;
    if (on)
        sound_ = std::make_unique<PlayerSound>(AudioOutput::instance());
    else
        sound_.reset();
    if (!player_) return;
    if (sound_ && player_->isPlaying()) afterFrames();
    if (timer_.isActive()) timer_.setInterval(timerInterval());
}

std::optional<double> FlashPlayer::soundPosition() const {
    if (!sound_) return std::nullopt;
    auto frame = sound_->heardFrame();
    if (frame) *frame += 1;
    return frame;
}

void FlashPlayer::afterFrames() {
    if (sound_) {
        sound_->framesShown(*player_);
        return;
    }
    player_->takeSoundEvents();
    player_->takeStreamBlocks();
    player_->takeStreamRestart();
}

int FlashPlayer::timerInterval() const {
    int ms = std::max(1, static_cast<int>(1000.0 / player_->movie().frameRate / 2));
    // Stream sound moves frames on as it is heard: looking often keeps them close.
    return sound_ && player_->movie().root.streamHead ? std::min(ms, 10) : ms;
}

void FlashPlayer::restartClock() {
    clock_.restart();
    ticksDone_ = 0;
}

void FlashPlayer::scheduleTimer() {
    if (!player_ || !player_->isPlaying()) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive()) {
        restartClock();
        timer_.start(timerInterval());
    }
}

void FlashPlayer::onTick() {
    if (!player_) return;
    // Ticks follow the wall clock at the movie's rate, however late a timer fires;
    // a long stall skips ahead rather than running a burst of frames.
    const double rate = player_->movie().frameRate;
    qint64 due = static_cast<qint64>(clock_.elapsed() * rate / 1000.0);
    // While stream sound is heard it sets the pace: frames are held or skipped so that
    // the frame on show is the one whose sound is playing.
    const std::optional<int> audioDue = sound_ ? sound_->ticksDue(*player_) : std::nullopt;
    const bool wallDue = due > ticksDone_;
    if (audioDue)
        due = ticksDone_ + *audioDue;
    else if (due - ticksDone_ > 5)
        ticksDone_ = due - 1;
    bool changed = false;
    while (ticksDone_ < due && player_->isPlaying()) {
        ++ticksDone_;
        player_->tick();
        afterFrames();
        changed = true;
    }
    if (audioDue && (changed || wallDue)) restartClock();
    if (changed) {
        update();
        emit frameChanged(player_->currentFrame());
    }
    if (!player_->isPlaying()) timer_.stop();
}

void FlashPlayer::Play() {
    if (!player_) return;
    player_->play();
    afterFrames();
    scheduleTimer();
}

void FlashPlayer::Stop() {
    if (!player_) return;
    player_->stop();
    timer_.stop();
    if (sound_) sound_->stopAll();
}

void FlashPlayer::StopPlay() { Stop(); }

bool FlashPlayer::IsPlaying() const { return player_ && player_->isPlaying(); }

int FlashPlayer::TotalFrames() const { return player_ ? player_->totalFrames() : 0; }

int FlashPlayer::FrameNum() const { return player_ ? player_->currentFrame() : -1; }

void FlashPlayer::setFrameNum(int frame) {
    if (!player_) return;
    if (sound_) sound_->stopAll();
    player_->gotoFrame(std::max(1, frame));
    afterFrames();
    update();
    emit frameChanged(player_->currentFrame());
}

void FlashPlayer::Zoom(int percent) {
    if (percent <= 0)
        zoom_ = 1.0;
    else
        zoom_ = std::clamp(zoom_ * 100.0 / percent, 1.0 / 64, 64.0);
    update();
}

void FlashPlayer::setLoop(bool on) {
    loop_ = on;
    if (player_) player_->setLoop(on);
}

void FlashPlayer::setBackgroundColor(int rgb) {
    if (rgb < 0)
        background_.reset();
    else
        background_ = QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
    update();
}

void FlashPlayer::setBGColor(const QString& color) {
    QString t = color.trimmed();
    if (t.isEmpty() || t == QLatin1String("-1")) {
        setBackgroundColor(-1);
        return;
    }
    bool ok = false;
    int v = t.startsWith('#') ? t.mid(1).toInt(&ok, 16) : t.toInt(&ok);
    if (ok) setBackgroundColor(v);
}

swf::FrameOptions FlashPlayer::frameOptions() const {
    swf::FrameOptions o;
    o.zoom = zoom_;
    if (background_)
        o.background = swf::Rgba{static_cast<uint8_t>(background_->red()),
                                 static_cast<uint8_t>(background_->green()),
                                 static_cast<uint8_t>(background_->blue()), 255};
    return o;
}

QImage FlashPlayer::grabFrame() const {
    QImage img(size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    QPainter p(&img);
    if (player_) {
        swf::renderFrame(*player_, p, QRectF(rect()), cache_, frameOptions());
    }
    return img;
}

void FlashPlayer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!player_) {
        p.fillRect(rect(), palette().window());
        return;
    }
    swf::renderFrame(*player_, p, QRectF(rect()), cache_, frameOptions());
}

bool FlashPlayer::toStage(const QPointF& pos, double& x, double& y) const {
    if (!player_) return false;
    swf::Matrix view = swf::showAllMatrix(player_->movie().stage, width(), height(), zoom_), inv;
    if (!view.invert(inv)) return false;
    inv.map(pos.x(), pos.y(), x, y);
    return true;
}

void FlashPlayer::mouseEvent(QMouseEvent* e, bool (swf::Player::*handler)(double, double)) {
    double x, y;
    if (!toStage(e->position(), x, y)) return;
    const bool overButton = (player_.get()->*handler)(x, y);
    // Buttons show the hand, as they did in the browser.
    setCursor(overButton ? Qt::PointingHandCursor : Qt::ArrowCursor);
    afterFrames(); // a button's script may have moved the movie or started sounds
    scheduleTimer();
    update();
}

void FlashPlayer::mouseMoveEvent(QMouseEvent* e) {
    mouseEvent(e, &swf::Player::mouseMove);
    QWidget::mouseMoveEvent(e);
}

void FlashPlayer::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) mouseEvent(e, &swf::Player::press);
    QWidget::mousePressEvent(e);
}

void FlashPlayer::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) mouseEvent(e, &swf::Player::release);
    QWidget::mouseReleaseEvent(e);
}
