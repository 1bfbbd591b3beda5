// Form3, the full-screen control bar: a frameless, always-on-top window registered with
// the desktop as a panel on the top edge of the screen. It hides itself to a 2-pixel
// strip whenever the cursor leaves it and slides back in when the cursor touches the
// strip. It carries the playback buttons for Form2's player, a position slider, "Loop",
// the frame counter, and the capture, wallpaper and leave buttons.
#pragma once

#include "platform/desktop_bar.h"

#include <QRect>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class FlashPlayer;
class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;

namespace platform {
class Cursor;
}

namespace playback {

class FullScreen;

class Form3 : public QWidget {
    Q_OBJECT
  public:
    // Pixels: the bar's height when shown; its window's height when hidden, placed so that
    // kStrip pixels stay on screen; how far below the bar the cursor may go.
    static constexpr int kShownHeight = 42;
    static constexpr int kHiddenHeight = 44;
    static constexpr int kStrip = 2;
    static constexpr int kLeaveTolerance = 10;

    Form3(FullScreen& session, platform::DesktopBar& desktopBar, platform::Cursor& cursor);
    ~Form3() override;

    void Form_Load();
    // Gives the desktop its strip back.
    void Form_Unload();

    // Buttons; the flat ones forward to the command handlers.
    void FlatBttn1_Click() { Command1_Click(); }
    void FlatBttn2_Click() { Command2_Click(); }
    void FlatBttn3_Click();
    void FlatBttn4_Click() { Command4_Click(); }
    void FlatBttn5_Click() { Command5_Click(); }
    void FlatBttn6_Click() { Command6_Click(); }
    void FlatBttn7_Click();
    void FlatBttn8_Click() { Command3_Click(); }
    void Command1_Click(); // Play
    void Command2_Click(); // StopPlay
    void Command3_Click(); // leave full screen
    void Command4_Click(); // jump back by an eighth
    void Command5_Click(); // jump forward by an eighth
    void Command6_Click(); // capture the frame
    void Slider1_Scroll(int value);

    // The cursor moved over picFrame: slides the hidden bar in.
    void picFrame_MouseMove();
    // tmrHide, every 50 ms while the bar is shown: hides it once the cursor leaves it.
    void tmrHide_Timer();
    // What the desktop tells the bar.
    void desktopNotification(platform::BarNotification code);

    // Frame capture pulls the bar out of the way: no reserved strip, the window above the
    // screen's top edge. Afterwards the bar reserves its 2-pixel strip again.
    void releaseStrip();
    void reserveStrip();

    bool loopChecked() const;
    void setCounterText(const QString& text);

    // State, for Form2 and for tests.
    bool autoHide() const { return autoHide_; }
    bool slideBar() const { return slideBar_; }
    // The window's place as last set, in pixels (left, top, width, height).
    QRect barGeometry() const { return geometry_; }
    bool barHidden() const { return geometry_.top() < 0; }
    platform::BarRect appBarRect() const { return abd_; }
    QCheckBox& Check1() const { return *Check1_; }
    QSlider& Slider1() const { return *Slider1_; }
    QLabel& SkinLabel1() const { return *SkinLabel1_; }
    QWidget& picFrame() const { return *picFrame_; }
    QToolButton& FlatBttn(int n) const { return *flatButtons_.at(n - 1); }
    QTimer& tmrHide() { return tmrHide_; }

    // The system beep of notification 2; tests listen to it.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

  signals:
    // Frame capture and wallpaper are carried out by the session's capture commands.
    void captureRequested();
    void wallpaperRequested();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closed by the window system: leaves full screen as the leave button does.
    void closeEvent(QCloseEvent* event) override;

  private:
    void createControls();
    // Docking steps: the top edge, auto-hidden if the desktop grants it.
    void dock();
    void place(int left, int top, int width, int height, bool topmost);
    void showFrameOnSlider();
    FlashPlayer* playing() const;

    FullScreen& session_;
    platform::DesktopBar& desktopBar_;
    platform::Cursor& cursor_;
    std::function<void()> beep_;

    QWidget* picFrame_;
    std::array<QToolButton*, 8> flatButtons_{};
    QCheckBox* Check1_ = nullptr;
    QSlider* Slider1_ = nullptr;
    QLabel* SkinLabel1_ = nullptr;
    QTimer tmrHide_;

    bool autoHide_ = false;
    bool slideBar_ = false;
    bool registered_ = false;
    bool inNotification_ = false;
    bool unloaded_ = false;
    platform::BarRect abd_;
    QRect geometry_;
};

} // namespace playback
