#include "platform/lock_display.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <cstdlib>

#if REELVISTA_HAVE_XCB
#include "platform/xcb_reply.h"
#endif

namespace platform {

bool isWaylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && QString::fromLocal8Bit(type) == "wayland");
}

namespace {

class RefusingDisplay final : public LockDisplay {
  public:
    explicit RefusingDisplay(LockRefusal why) : why_(why) {}
    LockRefusal refusal() const override { return why_; }
    bool grabInput(WId) override { return false; }
    void releaseInput() override {}
    void focus(WId) override {}
    void watchStacking(std::function<bool(WId)>, std::function<void()>) override {}

  private:
    LockRefusal why_;
};

#if REELVISTA_HAVE_XCB

class X11LockDisplay final : public LockDisplay, public QAbstractNativeEventFilter {
  public:
    explicit X11LockDisplay(xcb_connection_t* c) : c_(c) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        // An empty 1x1 cursor: the pointer is hidden wherever it goes while held.
        const xcb_pixmap_t pixmap = xcb_generate_id(c_);
        xcb_create_pixmap(c_, 1, pixmap, root_, 1, 1);
        blank_ = xcb_generate_id(c_);
        xcb_create_cursor(c_, blank_, pixmap, pixmap, 0, 0, 0, 0, 0, 0, 0, 0);
        xcb_free_pixmap(c_, pixmap);
        xcb_flush(c_);
    }
    ~X11LockDisplay() override {
        if (watching_) QCoreApplication::instance()->removeNativeEventFilter(this);
        releaseInput();
        xcb_free_cursor(c_, blank_);
        xcb_flush(c_);
    }

    LockRefusal refusal() const override { return LockRefusal::None; }

    bool grabInput(WId window) override {
        const xcb_window_t target = window ? static_cast<xcb_window_t>(window) : root_;
        xcb::Reply<xcb_grab_keyboard_reply_t> keyboard(xcb_grab_keyboard_reply(
            c_,
            xcb_grab_keyboard(c_, 0, target, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                              XCB_GRAB_MODE_ASYNC),
            nullptr));
        if (!keyboard || keyboard->status != XCB_GRAB_STATUS_SUCCESS) {
            failed();
            return false;
        }
        constexpr uint16_t kPointerEvents = XCB_EVENT_MASK_BUTTON_PRESS |
                                            XCB_EVENT_MASK_BUTTON_RELEASE |
                                            XCB_EVENT_MASK_POINTER_MOTION;
        xcb::Reply<xcb_grab_pointer_reply_t> pointer(xcb_grab_pointer_reply(
            c_,
            xcb_grab_pointer(c_, 0, target, kPointerEvents, XCB_GRAB_MODE_ASYNC,
                             XCB_GRAB_MODE_ASYNC, XCB_NONE, blank_, XCB_CURRENT_TIME),
            nullptr));
        if (!pointer || pointer->status != XCB_GRAB_STATUS_SUCCESS) {
            failed();
            return false;
        }
        held_ = true;
        return true;
    }

    void releaseInput() override {
        held_ = false;
        xcb_ungrab_pointer(c_, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(c_, XCB_CURRENT_TIME);
        xcb_flush(c_);
    }

    void focus(WId window) override {
        xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window),
                            XCB_CURRENT_TIME);
        xcb_flush(c_);
    }

    void watchStacking(std::function<bool(WId)> isOurs, std::function<void()> restack) override {
        isOurs_ = std::move(isOurs);
        restack_ = std::move(restack);
        if (watching_) return;
        watching_ = true;
        // Keep whatever the toolkit already listens for on the root window.
        xcb::Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            c_, xcb_get_window_attributes(c_, root_), nullptr));
        const uint32_t mask = (attributes ? attributes->your_event_mask : 0) |
                              XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !restack_) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t window = XCB_WINDOW_NONE;
        switch (event->response_type & ~0x80) {
        case XCB_MAP_NOTIFY: {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            if (map->event == root_) window = map->window;
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (configure->event == root_) window = configure->window;
            break;
        }
        case XCB_CIRCULATE_NOTIFY: {
            const auto* circulate = reinterpret_cast<const xcb_circulate_notify_event_t*>(event);
            if (circulate->event == root_) window = circulate->window;
            break;
        }
        default:
            break;
        }
        if (window != XCB_WINDOW_NONE && !isOurs_(static_cast<WId>(window))) restack_();
        return false;
    }

  private:
    // A failed attempt leaves a hold taken before as it was, and takes nothing otherwise.
    void failed() {
        if (!held_) releaseInput();
    }

    xcb_connection_t* c_;
    bool held_ = false;
    xcb_window_t root_ = 0;
    xcb_cursor_t blank_ = 0;
    bool watching_ = false;
    std::function<bool(WId)> isOurs_;
    std::function<void()> restack_;
};

#endif

} // namespace

std::unique_ptr<LockDisplay> makeLockDisplay() {
    if (isWaylandSession()) return std::make_unique<RefusingDisplay>(LockRefusal::Wayland);
#if REELVISTA_HAVE_XCB
    if (auto* app = qGuiApp)
        if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>())
            if (x11->connection()) return std::make_unique<X11LockDisplay>(x11->connection());
#endif
    return std::make_unique<RefusingDisplay>(LockRefusal::NoX11);
}

} // namespace platform
