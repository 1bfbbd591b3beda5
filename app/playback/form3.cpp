#include "app/playback/form3.h"

#include "app/playback/capture_commands.h"
#include "app/playback/flash_player.h"
#include "app/playback/form2.h"
#include "app/playback/full_screen.h"
#include "app/playback/playback_rules.h"

#include "platform/cursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <cmath>

namespace playback {

namespace {

// Slide steps: the window's top on the way in and on the way out.
constexpr int kSlideInFirst = -36;
constexpr int kSlideOutLast = -37;

struct ButtonSpec {
    QStyle::StandardPixmap icon;
    const char* tooltip;
    void (Form3::*handler)();
};

constexpr ButtonSpec kButtons[8] = {
    {QStyle::SP_MediaPlay, "Play", &Form3::FlatBttn1_Click},
    {QStyle::SP_MediaPause, "Pause", &Form3::FlatBttn2_Click},
    {QStyle::SP_MediaStop, "Stop", &Form3::FlatBttn3_Click},
    {QStyle::SP_MediaSeekBackward, "Back", &Form3::FlatBttn4_Click},
    {QStyle::SP_MediaSeekForward, "Forward", &Form3::FlatBttn5_Click},
    {QStyle::SP_DialogSaveButton, "Capture", &Form3::FlatBttn6_Click},
    {QStyle::SP_DesktopIcon, "Set current frame to wallpaper", &Form3::FlatBttn7_Click},
    {QStyle::SP_DialogCloseButton, "Exit full screen", &Form3::FlatBttn8_Click},
};

} // namespace

Form3::Form3(FullScreen& session, platform::DesktopBar& desktopBar, platform::Cursor& cursor)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      session_(session), desktopBar_(desktopBar), cursor_(cursor), beep_(&QApplication::beep),
      picFrame_(new QWidget(this)) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Reelvista"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    createControls();
    tmrHide_.setInterval(50);
    connect(&tmrHide_, &QTimer::timeout, this, &Form3::tmrHide_Timer);
}

Form3::~Form3() {
    Form_Unload();
}

void Form3::createControls() {
    picFrame_->setObjectName(QStringLiteral("picFrame"));
    picFrame_->setMouseTracking(true);
    picFrame_->installEventFilter(this);
    auto* row = new QHBoxLayout(picFrame_);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    auto addButton = [&](int n) {
        const ButtonSpec& entry = kButtons[n - 1];
        auto* button = new QToolButton(picFrame_);
        button->setObjectName(QStringLiteral("FlatBttn%1").arg(n));
        button->setAutoRaise(true);
        button->setIcon(style()->standardIcon(entry.icon));
        button->setIconSize(QSize(24, 24));
        button->setToolTip(QString::fromLatin1(entry.tooltip));
        // Capture and wallpaper wait with events handled, and leaving full screen
        // meanwhile unloads this bar: they run once the button's click is over.
        const bool waits = n == 6 || n == 7;
        connect(
            button, &QToolButton::clicked, this,
            [this, handler = entry.handler] { (this->*handler)(); },
            waits ? Qt::QueuedConnection : Qt::AutoConnection);
        flatButtons_[n - 1] = button;
        row->addWidget(button);
    };
    for (int n = 1; n <= 5; ++n)
        addButton(n);

    Check1_ = new QCheckBox(QStringLiteral("Loop"), picFrame_);
    Check1_->setObjectName(QStringLiteral("Check1"));
    row->addWidget(Check1_);

    Slider1_ = new QSlider(Qt::Horizontal, picFrame_);
    Slider1_->setObjectName(QStringLiteral("Slider1"));
    Slider1_->setMaximum(0);
    // Only the user's scrolling moves the movie; the bar's own updates block the signal.
    connect(Slider1_, &QSlider::valueChanged, this, &Form3::Slider1_Scroll);
    row->addWidget(Slider1_, 1);

    SkinLabel1_ = new QLabel(picFrame_);
    SkinLabel1_->setObjectName(QStringLiteral("SkinLabel1"));
    SkinLabel1_->setMinimumWidth(90);
    SkinLabel1_->setAlignment(Qt::AlignCenter);
    row->addWidget(SkinLabel1_);

    for (int n = 6; n <= 8; ++n)
        addButton(n);
}

FlashPlayer* Form3::playing() const {
    Form2* movieWindow = session_.form2();
    return movieWindow ? &movieWindow->playing() : nullptr;
}

void Form3::Form_Load() {
    session_.host().applyBarSkin(*this);
    place(0, 0, 0, kShownHeight, false);
    cursor_.restoreDefaultPointer();
    autoHide_ = true;
    slideBar_ = true;
    registered_ = desktopBar_.add(
        *this, [this](platform::BarNotification code) { desktopNotification(code); });
    dock();
    const int total = playing() ? playing()->TotalFrames() : 0;
    const QSignalBlocker quiet(Slider1_);
    Slider1_->setMaximum(total);
    // A tenth of the frame count, halves to the even neighbour.
    Slider1_->setPageStep(static_cast<int>(std::nearbyint(total / 10.0)));
    tmrHide_.start();
}

void Form3::dock() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    abd_ = desktopBar_.queryPos({0, 0, screen.width(), screen.height()});
    if (autoHide_) {
        abd_.bottom = abd_.top + kStrip;
        desktopBar_.setPos(abd_);
        if (desktopBar_.setAutoHide(true))
            place(abd_.left, abd_.top - kShownHeight, abd_.width(), kHiddenHeight, false);
        else
            autoHide_ = false;
    }
    if (!autoHide_) {
        abd_.bottom = abd_.top + kShownHeight;
        desktopBar_.setPos(abd_);
        place(abd_.left, abd_.top, abd_.width(), kShownHeight, false);
    }
}

void Form3::Form_Unload() {
    tmrHide_.stop();
    unloaded_ = true;
    if (registered_) {
        registered_ = false;
        desktopBar_.remove();
    }
}

void Form3::place(int left, int top, int width, int height, bool topmost) {
    geometry_ = QRect(left, top, width, height);
    // A window cannot be narrower than a pixel; the recorded place keeps the zero.
    setGeometry(left, top, std::max(1, width), std::max(1, height));
    if (topmost) {
        show();
        raise();
    }
}

void Form3::resizeEvent(QResizeEvent*) {
    picFrame_->setGeometry(rect());
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    // The window system does not always follow the pointer's arrival with a move of its
    // own, so arriving on the strip counts as moving over it.
    if (watched == picFrame_ &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter))
        picFrame_MouseMove();
    return QWidget::eventFilter(watched, event);
}

void Form3::closeEvent(QCloseEvent* event) {
    if (!unloaded_) Command3_Click();
    event->accept();
}

void Form3::picFrame_MouseMove() {
    if (geometry_.top() >= 0) return;
    if (slideBar_)
        for (int top = kSlideInFirst; top <= -1; ++top)
            place(abd_.left, top, abd_.width(), kShownHeight, false);
    abd_.top = 0;
    place(abd_.left, 0, abd_.width(), kShownHeight, true);
    tmrHide_.start();
}

void Form3::tmrHide_Timer() {
    const QPoint cursor = cursor_.pos();
    showFrameOnSlider();
    const int left = geometry_.left();
    const int top = geometry_.top();
    const int right = left + geometry_.width();
    const int bottom = top + geometry_.height();
    if (cursor.x() > right || cursor.x() < left || cursor.y() < top ||
        cursor.y() > bottom + kLeaveTolerance) {
        if (slideBar_)
            for (int t = -1; t >= kSlideOutLast; --t)
                place(abd_.left, t, abd_.width(), kShownHeight, false);
        place(abd_.left, -kShownHeight, abd_.width(), kHiddenHeight, true);
        tmrHide_.stop();
    }
    showFrameOnSlider();
}

void Form3::showFrameOnSlider() {
    if (FlashPlayer* player = playing()) {
        const QSignalBlocker quiet(Slider1_);
        Slider1_->setValue(player->FrameNum());
    }
}

void Form3::desktopNotification(platform::BarNotification code) {
    if (inNotification_) return;
    inNotification_ = true;
    switch (code) {
    case platform::BarNotification::StateChange:
        dock();
        break;
    case platform::BarNotification::FullScreenApp:
        if (beep_) beep_();
        break;
    case platform::BarNotification::Activate:
        desktopBar_.activate();
        break;
    case platform::BarNotification::WindowPosChanged:
        desktopBar_.windowPosChanged();
        break;
    }
    inNotification_ = false;
}

bool Form3::loopChecked() const {
    return Check1_->isChecked();
}

void Form3::setCounterText(const QString& text) {
    SkinLabel1_->setText(text);
}

void Form3::Command1_Click() {
    if (FlashPlayer* player = playing()) player->Play();
}

void Form3::Command2_Click() {
    if (FlashPlayer* player = playing()) player->StopPlay();
}

void Form3::FlatBttn3_Click() {
    if (FlashPlayer* player = playing()) {
        player->Stop();
        player->setFrameNum(0);
    }
}

void Form3::Command4_Click() {
    if (FlashPlayer* player = playing())
        player->setFrameNum(jumpBackFrame(player->FrameNum(), player->TotalFrames()));
}

void Form3::Command5_Click() {
    if (FlashPlayer* player = playing())
        player->setFrameNum(jumpForwardFrame(player->FrameNum(), player->TotalFrames()));
}

void Form3::Command6_Click() {
    emit captureRequested();
    if (CaptureCommands* commands = session_.captureCommands()) commands->Command6_Click();
}

void Form3::FlatBttn7_Click() {
    emit wallpaperRequested();
    if (CaptureCommands* commands = session_.captureCommands()) commands->FlatBttn7_Click();
}

void Form3::releaseStrip() {
    abd_.bottom = abd_.top;
    desktopBar_.setPos(abd_);
    place(abd_.left, abd_.top - kShownHeight, abd_.width(), kHiddenHeight, false);
}

void Form3::reserveStrip() {
    abd_.bottom = abd_.top + kStrip;
    desktopBar_.setPos(abd_);
}

void Form3::Command3_Click() {
    session_.leave();
}

void Form3::Slider1_Scroll(int value) {
    if (FlashPlayer* player = playing()) player->setFrameNum(value);
}

} // namespace playback
