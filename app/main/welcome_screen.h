// The welcome splash welcomScr: a 425 x 327 picture shown above every window for about a
// second when the program starts. Closing it (by its timer or otherwise) brings up the
// main window.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

class WelcomeScreen : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 425;
    static constexpr int kHeight = 327;
    static constexpr int kTickMs = 10;
    static constexpr int kLastTick = 101; // closes on this tick

    // `onClose` runs once, when the splash closes.
    explicit WelcomeScreen(std::function<void()> onClose);

    // Centres the splash on the screen, starts Timer1 and shows it topmost.
    void open();
    // One tick of Timer1.
    void Timer1_Timer();
    int ticks() const { return ticks_; }
    QTimer& Timer1() { return timer_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QImage picture_;
    QTimer timer_;
    int ticks_ = 0;
    std::function<void()> onClose_;
};

// The splash artwork.
QImage welcomePicture();
