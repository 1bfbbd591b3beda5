#include "flash_player.h"

#include "swf/movie_cache.h"
#include "swf/qt/painter_backend.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

FlashPlayer::FlashPlayer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FlashPlayer::onTick);
}

FlashPlayer::~FlashPlayer() = default;

void FlashPlayer::blank() {
    timer_.stop();
    player_.reset();
    cache_ = swf::ShapeCache();
    zoom_ = 1.0;
    update();
}

void FlashPlayer::setMovie(const QString& path) {
    movieText_ = path;
    lastError_.clear();
    blank();
    if (path.isEmpty() || path == QLatin1String("0")) return;
    auto loaded = swf::MovieCache::shared().load(path.toStdString());
    if (auto* e = std::get_if<swf::Error>(&loaded)) {
        lastError_ = QString::fromStdString(e->message);
        return;
    }
    player_ = std::make_unique<swf::Player>(std::get<swf::MoviePtr>(loaded));
    player_->setLoop(loop_);
    if (autoPlay_)
        Play();
    else
        player_->stop();
    update();
}

void FlashPlayer::scheduleTimer() {
    if (!player_ || !player_->isPlaying()) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive()) {
        clock_.start();
        ticksDone_ = 0;
        timer_.start(std::max(1, static_cast<int>(1000.0 / player_->movie().frameRate / 2)));
    }
}

void FlashPlayer::onTick() {
    if (!player_) return;
    // Ticks follow the wall clock at the movie's rate, however late a timer fires;
    // a long stall skips ahead rather than running a burst of frames.
    const double rate = player_->movie().frameRate;
    qint64 due = static_cast<qint64>(clock_.elapsed() * rate / 1000.0);
    if (due - ticksDone_ > 5) ticksDone_ = due - 1;
    bool changed = false;
    while (ticksDone_ < due && player_->isPlaying()) {
        ++ticksDone_;
        player_->tick();
        changed = true;
    }
    if (changed) {
        update();
        emit frameChanged(player_->currentFrame());
    }
    if (!player_->isPlaying()) timer_.stop();
}

void FlashPlayer::Play() {
    if (!player_) return;
    player_->play();
    scheduleTimer();
}

void FlashPlayer::Stop() {
    if (!player_) return;
    player_->stop();
    timer_.stop();
}

void FlashPlayer::StopPlay() { Stop(); }

bool FlashPlayer::IsPlaying() const { return player_ && player_->isPlaying(); }

int FlashPlayer::TotalFrames() const { return player_ ? player_->totalFrames() : 0; }

int FlashPlayer::FrameNum() const { return player_ ? player_->currentFrame() : -1; }

void FlashPlayer::setFrameNum(int frame) {
    if (!player_) return;
    player_->gotoFrame(std::max(1, frame));
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

void FlashPlayer::mouseReleaseEvent(QMouseEvent* e) {
    if (player_ && e->button() == Qt::LeftButton) {
        swf::Matrix view = swf::showAllMatrix(player_->movie().stage, width(), height(), zoom_), inv;
        if (view.invert(inv)) {
            double x, y;
            inv.map(e->position().x(), e->position().y(), x, y);
            if (player_->release(x, y)) {
                scheduleTimer();
                update();
            }
        }
    }
    QWidget::mouseReleaseEvent(e);
}
