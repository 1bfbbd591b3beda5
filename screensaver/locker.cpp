#include "screensaver/locker.h"

#include "mixer/cvolume.h"
#include "screensaver/cursor_rule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

namespace locker {

namespace {

constexpr int kGrabRetryMs = 50;
// How long a shown window may take to become visible before the hold moves onto it.
constexpr int kExposeWaitMs = 1000;

// A short-lived mixer object for each change, as the windows use it.
void setMute(bool mute) {
    cVolume mixer;
    mixer.VolumeMute(mute);
}

} // namespace

Locker::Locker(LockerOptions options, platform::LockDisplay& display, platform::Cursor& cursor,
               MovieFeed& movie)
    : options_(std::move(options)), display_(display), cursor_(cursor), movie_(movie) {
    Timer1_.setInterval(500);
    Timer2_.setInterval(2000);
    Timer3_.setInterval(20000);
    connect(&Timer1_, &QTimer::timeout, this, &Locker::Timer1_Timer);
    connect(&Timer2_, &QTimer::timeout, this, &Locker::Timer2_Timer);
    connect(&Timer3_, &QTimer::timeout, this, &Locker::Timer3_Timer);
    grabRetry_.setInterval(kGrabRetryMs);
    connect(&grabRetry_, &QTimer::timeout, this, &Locker::tryGrab);
    movie_.onFrame = [this](const QImage& frame) {
        if (primary_) primary_->showFrame(frame);
    };
}

Locker::~Locker() {
    movie_.onFrame = nullptr;
    movie_.stop();
    if (locked_) display_.releaseInput();
}

QLineEdit* Locker::inputPwd() const {
    return primary_ ? primary_->inputPwd() : nullptr;
}

void Locker::start() {
    switch (display_.refusal()) {
    case platform::LockRefusal::Wayland:
        end(lock::LockerExit::WaylandRefused);
        return;
    case platform::LockRefusal::NoX11:
        end(lock::LockerExit::NoDisplay);
        return;
    case platform::LockRefusal::None:
        break;
    }
    // The movie process starts at once, silent, so that it is ready by the time the windows
    // are up; nothing of it shows, and nothing is heard, unless the lock is taken.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        movieSize_ = screen->geometry().size();
        movie_.start(options_.moviePath, movieSize_);
    }
    grabbing_.start();
    tryGrab();
}

void Locker::tryGrab() {
    // First over the whole screen: nothing is shown until the keyboard and pointer are held.
    if (display_.grabInput(0)) {
        grabRetry_.stop();
        takeHold();
        return;
    }
    if (grabbing_.elapsed() >= options_.grabPatienceMs) {
        grabRetry_.stop();
        end(lock::LockerExit::GrabRefused);
        return;
    }
    if (!grabRetry_.isActive()) grabRetry_.start();
}

void Locker::takeHold() {
    locked_ = true;
    primary_ = std::make_unique<LockWindow>(true);
    primary_->onKeyWhileHidden = [this] { showPasswordBox(); };
    primary_->onFirstFramePainted = [this] { emit shown(); };
    primary_->onEnter = [this] { inputPwd_Enter(); };
    followScreens();
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
        watchScreen(s);
        followScreens();
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { followScreens(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { followScreens(); });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);

    // The hold moves onto the movie window once it is on the screen, so its keys reach it.
    QElapsedTimer waited;
    waited.start();
    while (!primary_->windowHandle()->isExposed() && waited.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    holdInput();
    display_.watchStacking([this](WId w) { return isOurs(w); }, [this] { restack(); });

    setMute(options_.muteWhileLocked);
    movie_.setSoundOn(true);
    lastCursor_ = cursor_.pos();
    Timer1_.start();
    Timer2_.start();
    Timer3_.start();
    emit locked();
}

void Locker::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &Locker::followScreens, Qt::UniqueConnection);
}

void Locker::followScreens() {
    if (!primary_) return;
    QScreen* main = QGuiApplication::primaryScreen();
    const QRect mainRect = main ? main->geometry() : QRect(0, 0, 640, 480);
    primary_->cover(mainRect);
    covers_.clear();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == main) continue;
        auto cover = std::make_unique<LockWindow>(false);
        cover->cover(screen->geometry());
        cover->show();
        covers_.push_back(std::move(cover));
    }
    primary_->show();
    restack();
    if (mainRect.size() != movieSize_) {
        movieSize_ = mainRect.size();
        movie_.start(options_.moviePath, movieSize_);
    }
}

void Locker::restack() {
    for (const auto& cover : covers_)
        cover->raise();
    if (primary_) primary_->raise();
}

bool Locker::isOurs(WId window) const {
    if (primary_ && primary_->winId() == window) return true;
    for (const auto& cover : covers_)
        if (cover->winId() == window) return true;
    return false;
}

void Locker::holdInput() {
    // Moving the hold between our own windows cannot fail; should the window be gone, the
    // whole screen keeps it.
    if (!display_.grabInput(primary_->winId())) display_.grabInput(0);
    display_.focus(primary_->winId());
}

void Locker::showPasswordBox() {
    QLineEdit* box = inputPwd();
    box->setVisible(true);
    box->setFocus(Qt::OtherFocusReason);
}

void Locker::Timer1_Timer() {
    const QPoint now = cursor_.pos();
    if (cursorMoved(now, lastCursor_, kCursorTolerance)) showPasswordBox();
    lastCursor_ = now;
    holdInput();
}

void Locker::Timer2_Timer() {
    movie_.keepPlaying();
}

void Locker::Timer3_Timer() {
    if (QLineEdit* box = inputPwd(); box && box->isVisible()) box->setVisible(false);
}

void Locker::inputPwd_Enter() {
    QLineEdit* box = inputPwd();
    if (!box || ended_) return;
    if (box->text() == options_.password) {
        setMute(options_.muteAfter);
        end(lock::LockerExit::Unlocked);
        return;
    }
    box->setVisible(false);
    box->clear();
}

void Locker::end(lock::LockerExit how) {
    if (ended_) return;
    ended_ = true;
    Timer1_.stop();
    Timer2_.stop();
    Timer3_.stop();
    grabRetry_.stop();
    movie_.stop();
    if (locked_) {
        display_.releaseInput();
        locked_ = false;
    }
    if (primary_) primary_->hide();
    for (const auto& cover : covers_)
        cover->hide();
    emit finished(how);
}

} // namespace locker
