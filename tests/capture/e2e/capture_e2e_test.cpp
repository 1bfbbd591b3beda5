// Capture and wallpaper end to end on an X server: the main window plays a movie of the
// corpus in its mini player; "Capture" takes it full screen, the save dialog is answered,
// and the BMP file must show what the engine itself draws of that frame at the screen's
// size; "Set to Wallpaper" must show the frame on the root window of a session without
// a desktop.
#include "app/app_fixtures.h"
#include "app/main/form1_playback.h"
#include "app/playback/flash_player.h"
#include "app/playback/form2.h"
#include "support/test_paths.h"
#include "platform/xcb_reply.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kMovie[] = "rf-swf-DefineMorphShape-MX.swf";

// Answers the save dialog with a name, noting the frame the full-screen player halted on.
class AnsweringDialog : public platform::FileDialog {
  public:
    std::function<void()> onShow;
    QString answer;
    std::optional<QString> show(const platform::FileDialogRequest&) override {
        if (onShow) onShow();
        return answer;
    }
};

void processEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The main window over the test sound card, playing a copy of the corpus movie in its mini
// player; its program folder is a temporary folder.
class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        const QString source = QString::fromStdString((testpaths::corpusDir() / kMovie).string());
        if (!QFile::exists(source)) GTEST_SKIP() << "corpus movie " << kMovie << " not found";
        ASSERT_TRUE(sound.valid());
        movie = dir.filePath(kMovie);
        ASSERT_TRUE(QFile::copy(source, movie));
        Form1Services services;
        services.fileDialog = &dialog;
        services.startFolder = dir.path();
        services.programDir = dir.path();
        services.showSplash = false;
        form = std::make_unique<Form1>(std::move(services));
        form->Form_Load();
        form->setCurrentFile(movie);
        form->playback().controls().miniPlaying();
        processEventsFor(700); // the movie plays on a few frames
    }

    testsupport::AlsaTestDevice sound;
    QTemporaryDir dir;
    QString movie;
    AnsweringDialog dialog;
    std::unique_ptr<Form1> form;
};

TEST_F(EndToEnd, TheSavedBitmapIsTheEnginesOwnFrameAtScreenSize) {
    Form1& window = *form;

    int frame = -1;
    bool mainWindowHidden = false;
    dialog.answer = dir.filePath("frame.bmp");
    dialog.onShow = [&] {
        playback::Form2* movieWindow = window.playback().fullScreen().form2();
        ASSERT_NE(movieWindow, nullptr);
        EXPECT_FALSE(movieWindow->playing().IsPlaying());
        frame = movieWindow->playing().FrameNum();
        mainWindowHidden = !window.isVisible();
    };
    ASSERT_TRUE(window.runCommand("mCapture"));
    EXPECT_TRUE(mainWindowHidden);
    ASSERT_GT(frame, 1);
    processEventsFor(100);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.playback().fullScreen().isOpen());

    const QImage saved = QImage(dialog.answer).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(saved.isNull());
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    ASSERT_EQ(saved.size(), size);

    auto loaded = swf::loadMovieFile(movie.toStdString());
    ASSERT_TRUE(std::holds_alternative<swf::MoviePtr>(loaded));
    swf::Player player(std::get<swf::MoviePtr>(loaded));
    player.gotoFrame(frame);
    swf::ShapeCache cache;
    const QImage reference =
        swf::renderImage(player, size, cache).convertToFormat(QImage::Format_RGB32);

    qint64 close = 0;
    for (int y = 0; y < size.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(saved.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        for (int x = 0; x < size.width(); ++x)
            close += std::abs(qRed(a[x]) - qRed(b[x])) <= 16 &&
                     std::abs(qGreen(a[x]) - qGreen(b[x])) <= 16 &&
                     std::abs(qBlue(a[x]) - qBlue(b[x])) <= 16;
    }
    const double share = double(close) / (double(size.width()) * size.height());
    EXPECT_GE(share, 0.99) << "frame " << frame;
    std::printf("frame %d captured at %dx%d: %.3f%% of pixels within 16 of the engine's render\n",
                frame, size.width(), size.height(), share * 100);

    // The frame differs from the first: the capture is not of a movie started afresh.
    swf::Player first(std::get<swf::MoviePtr>(loaded));
    const QImage firstFrame = swf::renderImage(first, size, cache).convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(firstFrame, saved);
}

// The wallpaper on a plain X11 session: the frame shows on the root window.
TEST_F(EndToEnd, SetToWallpaperShowsTheFrameOnThePlainX11Desktop) {
    ASSERT_TRUE(form->runCommand("myWallpaper"));
    processEventsFor(100);
    EXPECT_TRUE(form->isVisible());
    const QString file = dir.filePath("OrbisaneWallpaper.bmp");
    const QImage saved = QImage(file).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(saved.isNull());

    auto x = platform::xcb::connectToScreen(nullptr);
    ASSERT_NE(x.screen, nullptr);
    xcb_connection_t* c = x.connection.get();
    const auto pixmap = platform::xcb::readProperty32(
        c, x.screen->root, platform::xcb::internAtom(c, "_XROOTPMAP_ID"), XCB_ATOM_PIXMAP);
    ASSERT_EQ(pixmap.size(), 1u);
    const QSize size(x.screen->width_in_pixels, x.screen->height_in_pixels);
    ASSERT_EQ(saved.size(), size);
    // The pixel at x, y of a drawable as 0xRRGGBB (24 bits in 32).
    auto pixel = [c](uint32_t drawable, int px, int py) {
        platform::xcb::Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(px), int16_t(py), 1, 1, ~0u),
            nullptr));
        uint32_t value = 0xdeadbeef;
        if (image && xcb_get_image_data_length(image.get()) >= 4)
            std::memcpy(&value, xcb_get_image_data(image.get()), 4);
        return value & 0xffffff;
    };
    // The published pixmap holds the frame; the root window shows it where no window of
    // the program lies over it.
    const QRect mainWindow = form->frameGeometry();
    int onPixmap = 0, onRoot = 0, looked = 0, uncovered = 0;
    for (int y = 5; y < size.height(); y += 37)
        for (int px = 3; px < size.width(); px += 41) {
            const uint32_t expected = saved.pixel(px, y) & 0xffffff;
            ++looked;
            onPixmap += pixel(pixmap[0], px, y) == expected;
            if (mainWindow.contains(px, y)) continue;
            ++uncovered;
            onRoot += pixel(x.screen->root, px, y) == expected;
        }
    EXPECT_EQ(onPixmap, looked);
    EXPECT_GT(uncovered, 0);
    EXPECT_EQ(onRoot, uncovered);
}

} // namespace
