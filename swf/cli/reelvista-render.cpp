// reelvista-render IN.swf OUT.png [--frame N] [--size WxH | --fit N]
// Renders one frame of a movie to a PNG: frame 1 at stage size unless told otherwise.
#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: reelvista-render IN.swf OUT.png [--frame N] [--size WxH | --fit N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    int frame = 1;
    int width = 0, height = 0;
    int fit = 0; // longest side, aspect kept (thumbnails)
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc) {
            frame = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
                width > 16384 || height > 16384)
                return usage();
        } else if (std::strcmp(argv[i], "--fit") == 0 && i + 1 < argc) {
            fit = std::atoi(argv[++i]);
            if (fit <= 0 || fit > 16384) return usage();
        } else {
            return usage();
        }
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
    swf::Player player(movie);
    player.stop();
    player.gotoFrame(frame);
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
    QImage img = swf::renderImage(player, QSize(width, height), cache);
    if (!img.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "reelvista-render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
