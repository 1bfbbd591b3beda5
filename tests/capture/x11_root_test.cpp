// The plain X11 wallpaper and the display's colour map, on X servers of the tests' own.
#if REELVISTA_HAVE_XCB

#include "capture_fixtures.h"

#include "platform/display_caps.h"
#include "platform/wallpaper_root_pixmap.h"
#include "platform/xcb_reply.h"

#include <QImage>

#include <cstring>

#include <gtest/gtest.h>

namespace {

using capturetest::XServer;
namespace xcb = platform::xcb;

// A client of the test's own that reads back what the setter left.
class Reader {
  public:
    explicit Reader(const QByteArray& display) : x_(xcb::connectToScreen(display.constData())) {}
    bool ok() const { return x_.screen != nullptr; }

    std::vector<uint32_t> property(const char* name) {
        return xcb::readProperty32(c(), x_.screen->root, xcb::internAtom(c(), name),
                                   XCB_ATOM_PIXMAP);
    }
    bool pixmapExists(uint32_t pixmap) {
        xcb::Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c(), xcb_get_geometry(c(), pixmap), nullptr));
        return geometry != nullptr;
    }
    // The pixel at x, y of a drawable, as 0xRRGGBB (24-bit TrueColor, 32 bits a pixel).
    uint32_t pixel(uint32_t drawable, int x, int y) {
        xcb::Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            c(), xcb_get_image(c(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(x), int16_t(y), 1, 1, ~0u),
            nullptr));
        if (!image || xcb_get_image_data_length(image.get()) < 4) return 0xdeadbeef;
        uint32_t value;
        std::memcpy(&value, xcb_get_image_data(image.get()), 4);
        return value & 0xffffff;
    }
    uint32_t root() const { return x_.screen->root; }

  private:
    xcb_connection_t* c() { return x_.connection.get(); }
    xcb::ScreenConnection x_;
};

QImage quarters(QSize size, QRgb topLeft, QRgb rest) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(rest);
    for (int y = 0; y < size.height() / 2; ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, topLeft);
    return image;
}

TEST(RootPixmap, ShowsThePictureAndPublishesAPixmapThatOutlivesTheSetter) {
    XServer server("320x200x24");
    if (server.display().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    // Half the screen's size: scaled up to cover it.
    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        platform::setRootPixmap(quarters({160, 100}, 0xff2040, 0x10e070), server.display())));

    Reader x(server.display());
    ASSERT_TRUE(x.ok());
    const auto id = x.property("_XROOTPMAP_ID");
    ASSERT_EQ(id.size(), 1u);
    EXPECT_EQ(x.property("ESETROOT_PMAP_ID"), id);
    EXPECT_TRUE(x.pixmapExists(id[0]));
    EXPECT_EQ(x.pixel(id[0], 20, 20), 0xff2040u);
    EXPECT_EQ(x.pixel(id[0], 300, 180), 0x10e070u);
    // The root window shows it.
    EXPECT_EQ(x.pixel(x.root(), 20, 20), 0xff2040u);
    EXPECT_EQ(x.pixel(x.root(), 250, 20), 0x10e070u);
}

TEST(RootPixmap, SettingAgainShowsTheNewPictureAndFreesTheOldPixmap) {
    XServer server("320x200x24");
    if (server.display().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        platform::setRootPixmap(quarters({320, 200}, 0x0000ff, 0x000000), server.display())));
    Reader x(server.display());
    const auto first = x.property("_XROOTPMAP_ID");
    ASSERT_EQ(first.size(), 1u);

    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        platform::setRootPixmap(quarters({320, 200}, 0xffff00, 0x808080), server.display())));
    const auto second = x.property("_XROOTPMAP_ID");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second, first);
    EXPECT_FALSE(x.pixmapExists(first[0]));
    EXPECT_TRUE(x.pixmapExists(second[0]));
    EXPECT_EQ(x.pixel(x.root(), 10, 10), 0xffff00u);
}

TEST(RootPixmap, AnotherProgramsPixmapIsLeftAlone) {
    XServer server("320x200x24");
    if (server.display().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    // A running desktop names its own pixmap in _XROOTPMAP_ID only.
    auto desktop = xcb::connectToScreen(server.display().constData());
    ASSERT_NE(desktop.screen, nullptr);
    xcb_connection_t* c = desktop.connection.get();
    const xcb_pixmap_t own = xcb_generate_id(c);
    xcb_create_pixmap(c, desktop.screen->root_depth, own, desktop.screen->root, 8, 8);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, desktop.screen->root,
                        xcb::internAtom(c, "_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 32, 1, &own);
    xcb_flush(c);

    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        platform::setRootPixmap(quarters({320, 200}, 0xffffff, 0), server.display())));
    Reader x(server.display());
    EXPECT_TRUE(x.pixmapExists(own));
    EXPECT_FALSE(xcb_connection_has_error(c));
}

TEST(RootPixmap, FailsPlainlyWithoutADisplayOrAPicture) {
    EXPECT_TRUE(std::holds_alternative<swf::Error>(
        platform::setRootPixmap(QImage(4, 4, QImage::Format_RGB32), ":987654")));
    EXPECT_TRUE(std::holds_alternative<swf::Error>(platform::setRootPixmap(QImage(), ":0")));
    EXPECT_TRUE(std::holds_alternative<swf::Error>(
        platform::setRootPixmapFromFile("/nonexistent/wallpaper.bmp", ":0")));
}

TEST(DisplayColourMap, AnEightBitServerHasA256EntryPaletteAndATrueColourOneNone) {
    XServer palette("320x200x8");
    if (palette.display().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    auto caps = platform::makeX11DisplayCaps(palette.display());
    ASSERT_NE(caps, nullptr);
    EXPECT_TRUE(caps->capabilities().paletteDevice);
    EXPECT_EQ(caps->capabilities().paletteSize, 256);
    const QList<QRgb> entries = caps->systemPaletteEntries(0, 256);
    ASSERT_EQ(entries.size(), 256);
    // The default colour map has black and white among its first entries.
    EXPECT_TRUE(entries.contains(qRgb(0, 0, 0)));
    EXPECT_TRUE(entries.contains(qRgb(255, 255, 255)));
    EXPECT_EQ(caps->systemPaletteEntries(250, 10).size(), 10);

    XServer trueColour("320x200x24");
    auto none = platform::makeX11DisplayCaps(trueColour.display());
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(none->capabilities().paletteDevice);
    EXPECT_EQ(platform::makeX11DisplayCaps(":987654"), nullptr);
}

} // namespace

#endif
