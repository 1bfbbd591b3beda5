// Load + render of frame 1 at stage size for every corpus movie: median,
// 95th percentile and worst, in milliseconds.
#include "corpus.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    // An argument keeps only the files whose name contains it; -n RUNS sets how
    // many runs each file gets (the best counts), for profiling one file.
    std::string only;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-n" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else only = a;
    }
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;
    std::vector<double> times;
    std::string worstName;
    double worst = 0;
    for (const auto& e : corpus) {
        if (e.name.find(only) == std::string::npos) continue;
        // Best of several, so one scheduling hiccup does not count as the file's cost.
        double best = 1e9;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer t;
            t.start();
            auto loaded = swf::loadMovieFile(e.path);
            if (auto* mp = std::get_if<swf::MoviePtr>(&loaded)) {
                swf::Player player(*mp);
                swf::ShapeCache cache;
                const auto& st = (*mp)->stage;
                QImage img = swf::renderImage(player, QSize(std::max(1, st.width() / 20), std::max(1, st.height() / 20)), cache);
                (void)img;
            }
            best = std::min(best, t.nsecsElapsed() / 1e6);
        }
        times.push_back(best);
        if (best > worst) {
            worst = best;
            worstName = e.name;
        }
    }
    std::printf("load + render frame 1 at stage size, %zu files:\n", times.size());
    std::printf("  median %.2f ms, 95th percentile %.2f ms, worst %.2f ms (%s)\n", bench::percentile(times, 0.5),
                bench::percentile(times, 0.95), worst, worstName.c_str());
    return 0;
}
