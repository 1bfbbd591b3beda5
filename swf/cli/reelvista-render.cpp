// reelvista-render IN.swf OUT.png [--frame N | --frames N | --skip-flat SECONDS] [--size WxH | --fit N]
// reelvista-render IN.swf --trace [--frames N]
// Renders one frame of a movie to a PNG: frame 1 at stage size unless told otherwise.
// --frames N plays N frames from the start, scripts and all, and draws the stage then;
// --trace prints what the movie's scripts trace over those frames, and nothing else.
// With --skip-flat the movie is played from frame 1 for up to SECONDS of its own time and
// the first frame that is not one flat colour is taken (the file managers' thumbnails:
// many movies show nothing but their background until their scripts have built them or
// they have faded in).
#include "swf/avm1/trace_run.h"
#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: reelvista-render IN.swf OUT.png [--frame N | --frames N | --skip-flat SECONDS] "
                         "[--size WxH | --fit N]\n"
                         "       reelvista-render IN.swf --trace [--frames N]\n");
    return 2;
}

// One colour, give or take a little: the first steps of a fade-in from the background
// still count as flat.
bool isFlat(const QImage& image) {
    constexpr int kTolerance = 16;
    const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    if (rgb.isNull()) return true;
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = line[x];
            if (std::abs(qRed(p) - qRed(first)) > kTolerance ||
                std::abs(qGreen(p) - qGreen(first)) > kTolerance ||
                std::abs(qBlue(p) - qBlue(first)) > kTolerance ||
                std::abs(qAlpha(p) - qAlpha(first)) > kTolerance)
                return false;
        }
    }
    return true;
}

// Plays the movie from frame 1 for up to `seconds` of its time, as a player would, and
// returns the first picture that is not flat; the last one drawn when all are. The
// search gives up after kSearchBudgetMs of work, whatever the movie.
QImage firstLivelyFrame(swf::Player& player, QSize size, swf::ShapeCache& cache, double seconds) {
    constexpr qint64 kSearchBudgetMs = 4000;
    constexpr int kMostTicks = 1200;
    const double rate = player.movie().frameRate > 0 ? player.movie().frameRate : 12;
    const int ticks = std::clamp(static_cast<int>(seconds * rate), 0, kMostTicks);
    QElapsedTimer clock;
    clock.start();
    QImage picture = swf::renderImage(player, size, cache);
    for (int i = 0; i < ticks && isFlat(picture) && clock.elapsed() < kSearchBudgetMs; ++i) {
        player.tick();
        (void)player.takeSoundEvents(); // nothing is heard; nothing may pile up either
        (void)player.takeStreamBlocks();
        picture = swf::renderImage(player, size, cache);
    }
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    int frame = 1;
    int frames = 0; // play this many frames from the start
    bool trace = std::strcmp(argv[2], "--trace") == 0;
    int width = 0, height = 0;
    int fit = 0; // longest side, aspect kept (thumbnails)
    double skipFlat = -1; // seconds of play to look through; negative: no search
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc) {
            frame = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
            if (frames <= 0 || frames > 1000000) return usage();
        } else if (std::strcmp(argv[i], "--trace") == 0) {
            trace = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
                width > 16384 || height > 16384)
                return usage();
        } else if (std::strcmp(argv[i], "--skip-flat") == 0 && i + 1 < argc) {
            char* end = nullptr;
            skipFlat = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end || !(skipFlat >= 0 && skipFlat <= 60)) return usage();
        } else if (std::strcmp(argv[i], "--fit") == 0 && i + 1 < argc) {
            fit = std::atoi(argv[++i]);
            if (fit <= 0 || fit > 16384) return usage();
        } else {
            return usage();
        }
    }
    if (trace) {
        auto loaded = swf::loadMovieFile(argv[1]);
        if (auto* e = std::get_if<swf::Error>(&loaded)) {
            std::fprintf(stderr, "reelvista-render: %s: %s\n", argv[1], e->message.c_str());
            return 1;
        }
        for (const std::string& line : swf::avm1::traceRun(std::get<swf::MoviePtr>(loaded), frames)) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
        }
        std::fflush(stdout);
        return 0;
    }
    // Fonts need a GUI application; no window is ever shown, and Qt's own chatter
    // (runtime folder warnings and the like) would spoil the one-line error.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);

    auto loaded = swf::loadMovieFile(argv[1]);
    if (auto* e = std::get_if<swf::Error>(&loaded)) {
        std::fprintf(stderr, "reelvista-render: %s: %s\n", argv[1], e->message.c_str());
        return 1;
    }
    const auto& movie = std::get<swf::MoviePtr>(loaded);
    swf::ScriptOptions opts;
    opts.deterministic = true;
    // Thumbnails get a short script budget: a runaway script cannot hold up a folder.
    if (skipFlat >= 0) opts.frameBudgetSeconds = 0.1;
    swf::Player player(movie, opts);
    if (frames > 0) {
        for (int i = 1; i < frames; ++i) player.tick();
    } else if (skipFlat < 0) {
        player.stop();
        player.gotoFrame(frame);
    }
    if (fit > 0) {
        double sw = movie->stage.width(), sh = movie->stage.height();
        double s = fit / std::max(sw, sh);
        width = std::max(1, static_cast<int>(sw * s + 0.5));
        height = std::max(1, static_cast<int>(sh * s + 0.5));
    } else if (width == 0) {
        width = std::max(1, (movie->stage.width() + 10) / 20);
        height = std::max(1, (movie->stage.height() + 10) / 20);
    }
    swf::ShapeCache cache;
    const QSize size(width, height);
    QImage img = skipFlat < 0 ? swf::renderImage(player, size, cache)
                              : firstLivelyFrame(player, size, cache, skipFlat);
    // A picture already there is replaced only by a whole new one.
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || !img.save(&out, "PNG") || !out.commit()) {
        std::fprintf(stderr, "reelvista-render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
