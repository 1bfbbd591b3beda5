#include "platform/x11_desktop_bar.h"

#if REELVISTA_HAVE_XCB

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "platform/xcb_reply.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace platform {

namespace {

using xcb::internAtom;
using xcb::readProperty32;

class X11DesktopBar final : public QObject, public QAbstractNativeEventFilter, public DesktopBar {
  public:
    explicit X11DesktopBar(xcb_connection_t* connection) : c_(connection) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        windowType_ = internAtom(c_, "_NET_WM_WINDOW_TYPE");
        typeDock_ = internAtom(c_, "_NET_WM_WINDOW_TYPE_DOCK");
        strut_ = internAtom(c_, "_NET_WM_STRUT");
        strutPartial_ = internAtom(c_, "_NET_WM_STRUT_PARTIAL");
        activeWindow_ = internAtom(c_, "_NET_ACTIVE_WINDOW");
        wmState_ = internAtom(c_, "_NET_WM_STATE");
        fullScreen_ = internAtom(c_, "_NET_WM_STATE_FULLSCREEN");
    }
    ~X11DesktopBar() override { remove(); }

    bool add(QWidget& window, Notify notify) override {
        remove();
        window_ = &window;
        wid_ = static_cast<xcb_window_t>(window.winId());
        notify_ = std::move(notify);
        setProperty(windowType_, XCB_ATOM_ATOM, std::array<uint32_t, 1>{typeDock_});
        window.installEventFilter(this);
        QGuiApplication::instance()->installNativeEventFilter(this);
        if (QScreen* screen = window.screen())
            screenChange_ = QObject::connect(screen, &QScreen::geometryChanged, this,
                                             [this] { send(BarNotification::StateChange); });
        fullScreenActive_ = activeIsFullScreen().value_or(false);
        return true;
    }

    BarRect queryPos(const BarRect& proposed) override { return proposed; }

    void setPos(const BarRect& rect) override {
        if (!wid_) return;
        const uint32_t top = static_cast<uint32_t>(std::max(0, rect.bottom));
        const uint32_t startX = static_cast<uint32_t>(std::max(0, rect.left));
        const uint32_t endX = static_cast<uint32_t>(std::max(rect.left, rect.right - 1));
        setProperty(strutPartial_, XCB_ATOM_CARDINAL,
                    std::array<uint32_t, 12>{0, 0, top, 0, 0, 0, 0, 0, startX, endX, 0, 0});
        setProperty(strut_, XCB_ATOM_CARDINAL, std::array<uint32_t, 4>{0, 0, top, 0});
    }

    // The X11 desktop keeps no register of auto-hide bars: the bar hides itself.
    bool setAutoHide(bool) override { return wid_ != 0; }

    void activate() override {
        if (window_) window_->raise();
    }

    // Window managers follow the bar's own configure events; nothing to tell them.
    void windowPosChanged() override {}

    void remove() override {
        if (!wid_) return;
        if (window_) window_->removeEventFilter(this);
        QGuiApplication::instance()->removeNativeEventFilter(this);
        QObject::disconnect(screenChange_);
        xcb_delete_property(c_, wid_, strutPartial_);
        xcb_delete_property(c_, wid_, strut_);
        xcb_flush(c_);
        wid_ = 0;
        window_ = nullptr;
        notify_ = {};
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
                send(BarNotification::WindowPosChanged);
                break;
            case QEvent::WindowActivate:
                send(BarNotification::Activate);
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
        if (change->window != root_ || change->atom != activeWindow_) return false;
        if (auto full = activeIsFullScreen(); full && *full != fullScreenActive_) {
            fullScreenActive_ = *full;
            send(BarNotification::FullScreenApp);
        }
        return false;
    }

  private:
    template <size_t N>
    void setProperty(xcb_atom_t property, xcb_atom_t type, const std::array<uint32_t, N>& items) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, wid_, property, type, 32, N, items.data());
        xcb_flush(c_);
    }

    // Whether the active window is full screen; nothing when it is one of this program's
    // own windows, which do not count as another program going full screen.
    std::optional<bool> activeIsFullScreen() const {
        auto active = readProperty32(c_, root_, activeWindow_, XCB_ATOM_WINDOW);
        if (active.empty() || active[0] == XCB_WINDOW_NONE) return false;
        const auto windows = QGuiApplication::allWindows();
        if (std::any_of(windows.begin(), windows.end(), [&](QWindow* w) {
                return w->handle() && static_cast<xcb_window_t>(w->winId()) == active[0];
            }))
            return std::nullopt;
        auto state = readProperty32(c_, active[0], wmState_, XCB_ATOM_ATOM);
        return std::find(state.begin(), state.end(), fullScreen_) != state.end();
    }

    void send(BarNotification n) {
        if (notify_) notify_(n);
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_window_t wid_ = 0;
    QPointer<QWidget> window_;
    Notify notify_;
    QMetaObject::Connection screenChange_;
    bool fullScreenActive_ = false;
    xcb_atom_t windowType_, typeDock_, strut_, strutPartial_, activeWindow_, wmState_, fullScreen_;
};

} // namespace

std::unique_ptr<DesktopBar> makeX11DesktopBar() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return nullptr;
    return std::make_unique<X11DesktopBar>(x11->connection());
}

} // namespace platform

#else

namespace platform {

std::unique_ptr<DesktopBar> makeX11DesktopBar() {
    return nullptr;
}

} // namespace platform

#endif
