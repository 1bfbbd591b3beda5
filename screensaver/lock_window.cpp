#include "screensaver/lock_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace locker {

namespace {

constexpr QSize kBoxSize(240, 28); // pixels

} // namespace

LockWindow::LockWindow(bool primary)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint) {
    setObjectName(primary ? QStringLiteral("flashscr") : QStringLiteral("cover"));
    setWindowTitle(QStringLiteral("OrbisaneSCR"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    if (!primary) return;
    inputPwd_ = new QLineEdit(this);
    inputPwd_->setObjectName(QStringLiteral("inputPwd"));
    inputPwd_->setEchoMode(QLineEdit::Password);
    inputPwd_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    inputPwd_->setContextMenuPolicy(Qt::NoContextMenu);
    inputPwd_->resize(kBoxSize);
    inputPwd_->setCursor(Qt::BlankCursor);
    inputPwd_->hide();
    inputPwd_->installEventFilter(this);
}

LockWindow::~LockWindow() = default;

void LockWindow::cover(const QRect& screen) {
    setGeometry(screen);
    centreBox();
}

void LockWindow::centreBox() {
    if (!inputPwd_) return;
    inputPwd_->move((width() - inputPwd_->width()) / 2, (height() - inputPwd_->height()) / 2);
}

void LockWindow::showFrame(const QImage& frame) {
    frame_ = frame;
    update();
}

void LockWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frame_.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    p.drawImage(rect(), frame_);
    if (!framePainted_) {
        framePainted_ = true;
        if (onFirstFramePainted) onFirstFramePainted();
    }
}

void LockWindow::keyPressEvent(QKeyEvent* event) {
    // Every key ends here unless the password box has it: none closes anything.
    event->accept();
    if (inputPwd_ && !inputPwd_->isVisible() && onKeyWhileHidden) onKeyWhileHidden();
}

bool LockWindow::eventFilter(QObject* watched, QEvent* event) {
    // Enter is taken here, before the box would pass it on to this window as an unused key
    // (which would show the box again).
    if (watched == inputPwd_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (onEnter) onEnter();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LockWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

bool LockWindow::event(QEvent* event) {
    // Shortcuts (Alt+F4, Ctrl+W, Ctrl+Q, Escape) are keys like any other here.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::Resize) centreBox();
    return QWidget::event(event);
}

} // namespace locker
