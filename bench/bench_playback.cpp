// Playback speed: frames rendered per second at 1920x1080 as a ratio to each
// movie's own frame rate; prints the median over the corpus.
#include "corpus.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5; // measuring time per movie
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;
    QImage target(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ratios;
    double worst = 1e9;
    std::string worstName;
    for (const auto& e : corpus) {
        auto loaded = swf::loadMovieFile(e.path);
        auto* mp = std::get_if<swf::MoviePtr>(&loaded);
        if (!mp) continue;
        swf::Player player(*mp);
        swf::ShapeCache cache;
        QElapsedTimer t;
        t.start();
        int frames = 0;
        while (t.nsecsElapsed() < seconds * 1e9 && frames < 2000) {
            player.tick();
            QPainter p(&target);
            swf::renderFrame(player, p, QRectF(0, 0, 1920, 1080), cache);
            p.end();
            ++frames;
        }
        double fps = frames / (t.nsecsElapsed() / 1e9);
        double ratio = fps / (*mp)->frameRate;
        ratios.push_back(ratio);
        if (ratio < worst) {
            worst = ratio;
            worstName = e.name;
        }
    }
    std::printf("playback at 1920x1080, %zu movies: median %.1fx the movie's own rate, "
                "10th percentile %.1fx, slowest %.1fx (%s)\n",
                ratios.size(), bench::percentile(ratios, 0.5), bench::percentile(ratios, 0.1), worst,
                worstName.c_str());
    return 0;
}
