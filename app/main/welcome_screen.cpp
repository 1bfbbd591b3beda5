#include "welcome_screen.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

WelcomeScreen::WelcomeScreen(std::function<void()> onClose)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(welcomePicture()), onClose_(std::move(onClose)) {
    setObjectName(QStringLiteral("welcomScr"));
    setWindowTitle(QStringLiteral("Reelvista"));
    setFixedSize(kWidth, kHeight);
    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &WelcomeScreen::Timer1_Timer);
}

void WelcomeScreen::open() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.left() + s.width() / 2 - width() / 2, s.top() + s.height() / 2 - height() / 2);
    }
    setWindowState(Qt::WindowNoState);
    timer_.start(kTickMs);
    ticks_ = 0;
    show();
    raise();
}

void WelcomeScreen::Timer1_Timer() {
    ++ticks_;
    if (ticks_ >= kLastTick) {
        if (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        timer_.stop();
        close();
    }
}

void WelcomeScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void WelcomeScreen::closeEvent(QCloseEvent* event) {
    timer_.stop();
    if (auto done = std::exchange(onClose_, nullptr)) done();
    QWidget::closeEvent(event);
}
