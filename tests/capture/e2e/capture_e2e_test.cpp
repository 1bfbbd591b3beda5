// Capture end to end on an X server: the main window plays a movie of the corpus in its
// mini player, "Capture" takes it full screen, the save dialog is answered, and the BMP
// file must show what the engine itself draws of that frame at the screen's size.
#include "app/app_fixtures.h"
#include "app/main/form1_playback.h"
#include "app/playback/flash_player.h"
#include "app/playback/form2.h"
#include "support/test_paths.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST(CaptureEndToEnd, TheSavedBitmapIsTheEnginesOwnFrameAtScreenSize) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    const QString source = QString::fromStdString((testpaths::corpusDir() / kMovie).string());
    if (!QFile::exists(source)) GTEST_SKIP() << "corpus movie " << kMovie << " not found";
    testsupport::AlsaTestDevice sound;
    ASSERT_TRUE(sound.valid());
    QTemporaryDir dir;
    const QString movie = dir.filePath(kMovie);
    ASSERT_TRUE(QFile::copy(source, movie));

    AnsweringDialog dialog;
    Form1Services services;
    services.fileDialog = &dialog;
    services.startFolder = dir.path();
    services.programDir = dir.path();
    services.showSplash = false;
    Form1 form(std::move(services));
    form.Form_Load();
    form.setCurrentFile(movie);
    form.playback().controls().miniPlaying();
    processEventsFor(700); // the movie plays on a few frames

    int frame = -1;
    bool mainWindowHidden = false;
    dialog.answer = dir.filePath("frame.bmp");
    dialog.onShow = [&] {
        playback::Form2* movieWindow = form.playback().fullScreen().form2();
        ASSERT_NE(movieWindow, nullptr);
        EXPECT_FALSE(movieWindow->playing().IsPlaying());
        frame = movieWindow->playing().FrameNum();
        mainWindowHidden = !form.isVisible();
    };
    ASSERT_TRUE(form.runCommand("mCapture"));
    EXPECT_TRUE(mainWindowHidden);
    ASSERT_GT(frame, 1);
    processEventsFor(100);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.playback().fullScreen().isOpen());

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

} // namespace
