#include "platform/display_caps.h"

#if REELVISTA_HAVE_XCB

#include "platform/xcb_reply.h"

#include <algorithm>

namespace platform {

namespace {

// The root window's screen and visual on a connection of its own.
struct RootVisual {
    xcb::ScreenConnection display;
    xcb_visualtype_t* visual = nullptr;
};

RootVisual openRootVisual(const QByteArray& name) {
    RootVisual out{xcb::connectToScreen(name.constData())};
    if (out.display.screen) out.visual = xcb::rootVisual(out.display.screen);
    return out;
}

// Colour maps that a program fills: the device's pixels are palette indices.
bool isPaletteClass(uint8_t visualClass) {
    return visualClass == XCB_VISUAL_CLASS_PSEUDO_COLOR ||
           visualClass == XCB_VISUAL_CLASS_GRAY_SCALE;
}

class X11DisplayCaps final : public DisplayCaps {
  public:
    explicit X11DisplayCaps(QByteArray display) : display_(std::move(display)) {}

    DisplayCapabilities capabilities() const override {
        const RootVisual root = openRootVisual(display_);
        if (!root.visual || !isPaletteClass(root.visual->_class)) return {};
        return {true, root.visual->colormap_entries};
    }

    QList<QRgb> systemPaletteEntries(int first, int count) const override {
        QList<QRgb> entries(std::max(0, count), qRgb(0, 0, 0));
        const RootVisual root = openRootVisual(display_);
        if (!root.visual || count <= 0) return entries;
        const int available = std::min<int>(count, root.visual->colormap_entries - first);
        if (first < 0 || available <= 0) return entries;
        std::vector<uint32_t> pixels(static_cast<size_t>(available));
        for (int i = 0; i < available; ++i)
            pixels[static_cast<size_t>(i)] = static_cast<uint32_t>(first + i);
        xcb_connection_t* c = root.display.connection.get();
        xcb::Reply<xcb_query_colors_reply_t> reply(xcb_query_colors_reply(
            c,
            xcb_query_colors(c, root.display.screen->default_colormap, static_cast<uint32_t>(available),
                             pixels.data()),
            nullptr));
        if (!reply) return entries;
        const xcb_rgb_t* colors = xcb_query_colors_colors(reply.get());
        const int got = std::min(available, xcb_query_colors_colors_length(reply.get()));
        for (int i = 0; i < got; ++i)
            entries[i] = qRgb(colors[i].red >> 8, colors[i].green >> 8, colors[i].blue >> 8);
        return entries;
    }

  private:
    QByteArray display_;
};

} // namespace

std::unique_ptr<DisplayCaps> makeX11DisplayCaps(const QByteArray& display) {
    if (!openRootVisual(display).visual) return nullptr;
    return std::make_unique<X11DisplayCaps>(display);
}

} // namespace platform

#else

namespace platform {

std::unique_ptr<DisplayCaps> makeX11DisplayCaps(const QByteArray&) {
    return nullptr;
}

} // namespace platform

#endif
