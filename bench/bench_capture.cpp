// Frame capture: from the click on the full-screen bar's capture button to the BMP file
// on disk, without the two one-second pauses (they are replaced by one pass over pending
// events), on a full-screen window of 1920x1080 and of 3840x2160. Each size runs in a
// process of its own, as the screen's size is fixed when the program starts.
//  Per movie: the whole command (median and best of the runs), and its parts: rendering
//  the window into a picture, encoding the BMP, writing it through a temporary file.
//  Also the wallpaper command to its file written (the desktop's setter not counted).
// Usage: bench_capture [WIDTHxHEIGHT [runs]]   (no size: both sizes, 9 runs)
#include "browse_bench_support.h"

#include "app/main/form1.h"
#include "app/main/form1_capture.h"
#include "app/main/form1_playback.h"
#include "app/playback/capture_bitmap_file.h"
#include "app/playback/flash_player.h"
#include "app/playback/form2.h"
#include "app/playback/form3.h"
#include "platform/wallpaper.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class AnsweringDialog : public platform::FileDialog {
  public:
    QString answer;
    std::optional<QString> show(const platform::FileDialogRequest&) override { return answer; }
};

class NoWallpaper : public platform::Wallpaper {
  public:
    platform::WallpaperOutcome setWallpaper(const QString&) override { return {true, {}}; }
};

struct Figures {
    std::vector<double> command, render, encode, write, wallpaper;
};

void report(const char* what, const std::vector<double>& ms) {
    std::printf("  %-34s median %7.1f ms   best %7.1f ms\n", what, bench::percentile(ms, 0.5),
                bench::percentile(ms, 0.0));
}

int runAtSize(int width, int height, int runs, int argc, char** argv) {
    QTemporaryDir dir;
    bench::useDesktopSizedScreen(dir, width, height);
    QApplication app(argc, argv);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size() *
                         QGuiApplication::primaryScreen()->devicePixelRatio();
    const auto movies = bench::loadableMovies(3, QStringLiteral(REELVISTA_BENCH_PROGRAM_DIR) + "/samples");
    if (movies.empty()) {
        std::printf("no movies to capture\n");
        return 1;
    }

    AnsweringDialog dialog;
    NoWallpaper wallpaper;
    Form1Services services;
    services.fileDialog = &dialog;
    services.programDir = dir.path();
    services.startFolder = dir.path();
    services.showSplash = false;
    Form1 form(services);
    form.Form_Load();
    playback::CaptureServices capture;
    capture.wallpaper = &wallpaper;
    capture.wait = [](std::chrono::milliseconds) { QCoreApplication::processEvents(); };
    capture.wallpaperFile = dir.filePath("OrbisaneWallpaper.bmp");
    form.capture().setServices(capture);
    playback::FullScreen& fullScreen = form.playback().fullScreen();

    std::printf("full-screen window %dx%d device pixels, %d runs per movie\n", screen.width(),
                screen.height(), runs);
    Figures all;
    for (const QString& movie : movies) {
        form.setCurrentFile(movie);
        form.playback().controls().miniPlaying();
        form.playback().controls().toolbt7();
        playback::Form2* window = fullScreen.form2();
        if (!window || !fullScreen.form3()) continue;
        QCoreApplication::processEvents();
        Figures f;
        for (int i = 0; i < runs; ++i) {
            dialog.answer = dir.filePath(QString("frame%1.bmp").arg(i));
            auto t0 = Clock::now();
            fullScreen.form3()->Command6_Click();
            f.command.push_back(bench::millisecondsSince(t0));
            if (!QFile::exists(dialog.answer)) std::printf("  (no file written)\n");

            t0 = Clock::now();
            const playback::Picture picture =
                form.capture().commands().routines().CaptureClient(*window);
            f.render.push_back(bench::millisecondsSince(t0));
            t0 = Clock::now();
            const auto bytes = playback::encodeBitmap(picture);
            f.encode.push_back(bench::millisecondsSince(t0));
            t0 = Clock::now();
            if (const auto* data = std::get_if<QByteArray>(&bytes))
                playback::writeReplacing(*data, dir.filePath("again.bmp"));
            f.write.push_back(bench::millisecondsSince(t0));

            t0 = Clock::now();
            fullScreen.form3()->FlatBttn7_Click();
            f.wallpaper.push_back(bench::millisecondsSince(t0));
            QFile::remove(dialog.answer);
        }
        std::printf("%s (frame %d)\n", QFileInfo(movie).fileName().toUtf8().constData(),
                    window->playing().FrameNum());
        report("click to file on disk", f.command);
        report("  render into a picture", f.render);
        report("  encode the BMP", f.encode);
        report("  write and rename", f.write);
        report("wallpaper click to file written", f.wallpaper);
        all.command.insert(all.command.end(), f.command.begin(), f.command.end());
        fullScreen.leave();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("all movies at %dx%d: click to file median %.1f ms, best %.1f ms, worst %.1f ms\n",
                screen.width(), screen.height(), bench::percentile(all.command, 0.5),
                bench::percentile(all.command, 0.0), bench::percentile(all.command, 1.0));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
        return runAtSize(width, height, runs, argc, argv);
    int status = 0;
    for (const char* size : {"1920x1080", "3840x2160"}) {
        const std::string command = std::string("'") + argv[0] + "' " + size + " " + std::to_string(runs);
        status |= std::system(command.c_str());
    }
    return status == 0 ? 0 : 1;
}
