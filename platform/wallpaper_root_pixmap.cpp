#include "platform/wallpaper_root_pixmap.h"

#include <QImageReader>

#if REELVISTA_HAVE_XCB

#include "platform/xcb_reply.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

namespace platform {

namespace {

// How the server lays out the pixels of the root window's depth in an image.
struct PixelLayout {
    int bytesPerPixel = 0;
    int stride = 0; // bytes per row
    bool msbFirst = false;
    uint32_t masks[3] = {};
};

std::optional<PixelLayout> layoutFor(const xcb_setup_t* setup, const xcb_screen_t* screen,
                                     const xcb_visualtype_t& visual) {
    PixelLayout layout;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth != screen->root_depth) continue;
        const int bits = f.data->bits_per_pixel;
        if (bits != 16 && bits != 24 && bits != 32) return std::nullopt;
        layout.bytesPerPixel = bits / 8;
        const int pad = std::max<int>(8, f.data->scanline_pad);
        layout.stride = (screen->width_in_pixels * bits + pad - 1) / pad * pad / 8;
    }
    if (!layout.bytesPerPixel) return std::nullopt;
    layout.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    layout.masks[0] = visual.red_mask;
    layout.masks[1] = visual.green_mask;
    layout.masks[2] = visual.blue_mask;
    return layout;
}

// An 8-bit channel placed into its mask.
uint32_t channel(int value, uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t scaled = bits >= 8 ? static_cast<uint32_t>(value) << (bits - 8)
                                      : static_cast<uint32_t>(value) >> (8 - bits);
    return (scaled << shift) & mask;
}

// Rows `first` .. `first + count` of `image` in the server's layout.
std::vector<uint8_t> packRows(const QImage& image, int first, int count, const PixelLayout& l) {
    std::vector<uint8_t> out(static_cast<size_t>(l.stride) * static_cast<size_t>(count));
    for (int y = 0; y < count; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(first + y));
        uint8_t* to = out.data() + static_cast<size_t>(y) * static_cast<size_t>(l.stride);
        for (int x = 0; x < image.width(); ++x, to += l.bytesPerPixel) {
            const QRgb c = line[x];
            const uint32_t pixel = channel(qRed(c), l.masks[0]) | channel(qGreen(c), l.masks[1]) |
                                   channel(qBlue(c), l.masks[2]);
            for (int b = 0; b < l.bytesPerPixel; ++b) {
                const int byte = l.msbFirst ? l.bytesPerPixel - 1 - b : b;
                to[byte] = static_cast<uint8_t>(pixel >> (8 * b));
            }
        }
    }
    return out;
}

// The image scaled to cover `size`, cut to it around the centre.
QImage covering(const QImage& image, QSize size) {
    QImage out = image.size() == size
                     ? image
                     : image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (out.size() != size)
        out = out.copy((out.width() - size.width()) / 2, (out.height() - size.height()) / 2,
                       size.width(), size.height());
    return out.convertToFormat(QImage::Format_RGB32);
}

bool failed(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    xcb::Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    return error != nullptr;
}

} // namespace

Status setRootPixmap(const QImage& image, const QByteArray& display) {
    if (image.isNull()) return swf::Error{"no picture to show on the root window"};
    xcb::ScreenConnection x = xcb::connectToScreen(display.constData());
    if (!x.screen) return swf::Error{"cannot open the X display"};
    xcb_connection_t* c = x.connection.get();
    const xcb_screen_t* screen = x.screen;
    const xcb_visualtype_t* visual = xcb::rootVisual(screen);
    if (!visual || (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                    visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR))
        return swf::Error{"the root window does not show true colour"};
    const auto layout = layoutFor(xcb_get_setup(c), screen, *visual);
    if (!layout) return swf::Error{"the root window's pixel format is not supported"};

    const QSize size(screen->width_in_pixels, screen->height_in_pixels);
    const QImage picture = covering(image, size);
    // PutImage requests are bounded by the server's request length (in 4-byte units).
    const size_t requestBytes = static_cast<size_t>(xcb_get_maximum_request_length(c)) * 4;
    const int rowsPerRequest =
        static_cast<int>(std::min<size_t>((requestBytes - 32) / static_cast<size_t>(layout->stride),
                                          static_cast<size_t>(size.height())));
    if (rowsPerRequest < 1) return swf::Error{"the screen is too wide for one image request"};

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (failed(c, xcb_create_pixmap_checked(c, screen->root_depth, pixmap, screen->root,
                                            static_cast<uint16_t>(size.width()),
                                            static_cast<uint16_t>(size.height()))))
        return swf::Error{"cannot create a pixmap of the screen's size"};
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    for (int y = 0; y < size.height(); y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, size.height() - y);
        const std::vector<uint8_t> data = packRows(picture, y, rows, *layout);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                      static_cast<uint16_t>(size.width()), static_cast<uint16_t>(rows), 0,
                      static_cast<int16_t>(y), 0, screen->root_depth,
                      static_cast<uint32_t>(data.size()), data.data());
    }
    xcb_free_gc(c, gc);

    const xcb_atom_t rootId = xcb::internAtom(c, "_XROOTPMAP_ID");
    const xcb_atom_t setrootId = xcb::internAtom(c, "ESETROOT_PMAP_ID");
    if (rootId == XCB_ATOM_NONE || setrootId == XCB_ATOM_NONE)
        return swf::Error{"cannot name the root pixmap properties"};
    const auto previousRoot = xcb::readProperty32(c, screen->root, rootId, XCB_ATOM_PIXMAP);
    const auto previousSetroot = xcb::readProperty32(c, screen->root, setrootId, XCB_ATOM_PIXMAP);

    const uint32_t background[] = {pixmap};
    if (failed(c, xcb_change_window_attributes_checked(c, screen->root, XCB_CW_BACK_PIXMAP,
                                                       background)))
        return swf::Error{"cannot set the root window's background"};
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, rootId, XCB_ATOM_PIXMAP, 32, 1,
                        &pixmap);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, setrootId, XCB_ATOM_PIXMAP, 32,
                        1, &pixmap);
    // A pixmap named by both properties was kept by a setter that has gone: its
    // resources are freed. One named only by _XROOTPMAP_ID belongs to a running desktop.
    if (!previousRoot.empty() && previousRoot == previousSetroot && previousRoot[0] != 0 &&
        previousRoot[0] != pixmap)
        xcb_kill_client(c, previousRoot[0]);
    if (failed(c, xcb_set_close_down_mode_checked(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT)))
        return swf::Error{"cannot keep the pixmap after the program ends"};
    return success();
}

} // namespace platform

#else

namespace platform {

Status setRootPixmap(const QImage&, const QByteArray&) {
    return swf::Error{"built without X11 support"};
}

} // namespace platform

#endif

namespace platform {

Status setRootPixmapFromFile(const QString& file, const QByteArray& display) {
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull()) return swf::Error{"cannot read " + file.toStdString()};
    return setRootPixmap(image, display);
}

} // namespace platform
