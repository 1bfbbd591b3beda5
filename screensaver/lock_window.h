// A window of the lock: frameless, bypassing the window manager (nothing can move, close or
// restack it on the lock's behalf), covering one screen, with the pointer hidden over it.
// The one on the primary screen shows the movie and holds the password box inputPwd; the
// others stay black. Closing it by any route but the password is refused.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QLineEdit;

namespace locker {

class LockWindow final : public QWidget {
    Q_OBJECT
  public:
    // `primary`: this one shows the movie and the password box.
    explicit LockWindow(bool primary);
    ~LockWindow() override;

    // Covers `screen` (in screen pixels) and keeps the password box centred on it.
    void cover(const QRect& screen);
    // The frame to show, scaled to the window; a null image shows black.
    void showFrame(const QImage& frame);

    QLineEdit* inputPwd() const { return inputPwd_; }

    // Enter (or the keypad's Enter) in the password box.
    std::function<void()> onEnter;
    // A key pressed while the password box is hidden (the key itself is dropped).
    std::function<void()> onKeyWhileHidden;
    // The first time a movie frame was painted.
    std::function<void()> onFirstFramePainted;

  protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void centreBox();

    QLineEdit* inputPwd_ = nullptr;
    QImage frame_;
    bool framePainted_ = false;
};

} // namespace locker
