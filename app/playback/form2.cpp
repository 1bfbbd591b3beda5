#include "app/playback/form2.h"

#include "app/playback/flash_player.h"
#include "app/playback/form3.h"
#include "app/playback/full_screen.h"
#include "app/playback/playback_rules.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <cmath>

namespace playback {

int startFrameFromCaption(const QString& caption) {
    bool ok = false;
    const double value = caption.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e9) return 0;
    return static_cast<int>(std::lrint(value));
}

Form2::Form2(FullScreen& session)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), session_(session),
      playing_(new FlashPlayer(this)), Picture1_(new QLabel(this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Reelvista"));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    playing_->setObjectName(QStringLiteral("playing"));
    playing_->setAutoPlay(true);
    playing_->setLoop(true);
    playing_->setSoundEnabled(true);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->hide();
    Timer1_.setInterval(2000);
    Timer2_.setInterval(50);
    connect(&Timer1_, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(&Timer2_, &QTimer::timeout, this, &Form2::Timer2_Timer);
}

Form2::~Form2() = default;

void Form2::Form_Load() {
    // Not the window system's full-screen state: full-screen windows are stacked above
    // docks, and the control bar must stay over this one.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(screen);
    playing_->setGeometry(0, 0, screen.width(), screen.height());
    Picture1_->setGeometry(0, 0, screen.width(), screen.height());

    mixer_ = std::make_unique<cVolume>();
    mixer_->VolumeMute(false);

    FullScreenHost& host = session_.host();
    const QString folder = host.cellFolder();
    for (int k = 1; k <= kCellCount; ++k)
        savedCells_[k - 1] = cellMoviePath(folder, host.cellFileName(k));
    savedMovie_ = host.miniPlayer().Movie();

    for (int k = 1; k <= kCellCount; ++k)
        host.cellPlayer(k).setMovie(QStringLiteral("0"));
    host.miniPlayer().setMovie(QStringLiteral("0"));

    playing_->setMovie(savedMovie_);
    playing_->setFrameNum(startFrameFromCaption(host.beginat()));
    playing_->Play();

    Timer1_.start();
    Timer2_.start();
}

void Form2::Form_Unload() {
    unloaded_ = true;
    Timer1_.stop();
    Timer2_.stop();
}

void Form2::Timer1_Timer() {
    if (Form3* bar = session_.form3(); bar && bar->loopChecked()) playing_->Play();
}

void Form2::Timer2_Timer() {
    if (Form3* bar = session_.form3())
        bar->setCounterText(counterText(playing_->FrameNum(), playing_->TotalFrames()));
}

void Form2::returnForm1() {
    playing_->setMovie(QStringLiteral("0"));
    session_.unloadForm2();
    if (mixer_) mixer_->VolumeMute(true);
    FullScreenHost& host = session_.host();
    for (int k = 1; k <= kCellCount; ++k) {
        FlashPlayer& cell = host.cellPlayer(k);
        cell.setMovie(savedCells_[k - 1]);
        cell.setFrameNum(1);
    }
    host.miniPlayer().setMovie(savedMovie_);
    host.setMainWindowEnabled(true);
    host.setMainWindowVisible(true);
}

void Form2::closeEvent(QCloseEvent* event) {
    if (!unloaded_) session_.leave();
    event->accept();
}

} // namespace playback
