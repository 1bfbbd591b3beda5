// A window registered with the desktop as a panel along the top edge of the screen: the
// desktop keeps a strip of the screen clear for it and tells it about changes around it.
// Where the desktop cannot reserve space the bar simply floats above other windows.
//
// The calls mirror the life of an application bar: add, query a position, reserve a strip,
// ask to be the auto-hide bar, tell the desktop the bar was activated or moved, remove.
#pragma once

#include <QRect>

#include <functional>
#include <memory>

class QWidget;

namespace platform {

// A rectangle in screen pixels as the desktop takes it: right and bottom lie just outside.
struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const BarRect&) const = default;
};

// What the desktop tells a registered bar, with the codes the bar dispatches on.
//   StateChange     the screen the bar docks on changed its size: dock again
//   FullScreenApp   another program's window became, or stopped being, the active
//                   full-screen window
//   Activate        the bar's window was activated
//   WindowPosChanged the bar's window moved or changed size
enum class BarNotification : int {
    StateChange = 0,
    FullScreenApp = 2,
    Activate = 6,
    WindowPosChanged = 71,
};

class DesktopBar {
  public:
    using Notify = std::function<void(BarNotification)>;

    virtual ~DesktopBar() = default;

    // Registers `window` (a top-level window, before it is shown) as a bar; `notify`
    // receives the desktop's notifications until remove(). False when the desktop refuses.
    virtual bool add(QWidget& window, Notify notify) = 0;
    // The rectangle the bar may take on the top edge, given the one it proposes.
    virtual BarRect queryPos(const BarRect& proposed) = 0;
    // Reserves `rect` along the top edge: other windows keep clear of it.
    virtual void setPos(const BarRect& rect) = 0;
    // Asks to be the top edge's auto-hide bar; false when the desktop refuses.
    virtual bool setAutoHide(bool on) = 0;
    // The bar's window was activated / moved: lets the desktop restack or re-read it.
    virtual void activate() = 0;
    virtual void windowPosChanged() = 0;
    // Gives the reserved strip back and stops the notifications.
    virtual void remove() = 0;
};

// Reserves nothing and sends nothing: the bar floats. Auto-hide is always granted, since
// the bar hides itself.
class FloatingDesktopBar final : public DesktopBar {
  public:
    bool add(QWidget&, Notify) override { return true; }
    BarRect queryPos(const BarRect& proposed) override { return proposed; }
    void setPos(const BarRect&) override {}
    bool setAutoHide(bool) override { return true; }
    void activate() override {}
    void windowPosChanged() override {}
    void remove() override {}
};

// The implementation for the running desktop: a dock panel on an X11 desktop, else a
// floating bar.
std::unique_ptr<DesktopBar> makeDesktopBar();

} // namespace platform
