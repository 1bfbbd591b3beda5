// Peak memory with 17 corpus movies loaded and shown at once.
#include "corpus.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QGuiApplication>

#include <sys/resource.h>

#include <cstdio>

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;
    // The 17 largest files: the worst case for a grid of 16 plus the mini player.
    std::sort(corpus.begin(), corpus.end(), [](const auto& a, const auto& b) {
        std::error_code ec;
        return std::filesystem::file_size(a.path, ec) > std::filesystem::file_size(b.path, ec);
    });
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    std::vector<std::unique_ptr<swf::Player>> players;
    std::vector<swf::ShapeCache> caches(17);
    for (const auto& e : corpus) {
        if (players.size() == 17) break;
        auto loaded = swf::loadMovieFile(e.path);
        if (auto* mp = std::get_if<swf::MoviePtr>(&loaded)) {
            players.push_back(std::make_unique<swf::Player>(*mp));
            swf::renderImage(*players.back(), QSize(320, 240), caches[players.size() - 1]);
        }
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("17 movies loaded and drawn: peak resident memory %.1f MB (%.1f MB before loading)\n",
                after.ru_maxrss / 1024.0, before.ru_maxrss / 1024.0);
    return 0;
}
