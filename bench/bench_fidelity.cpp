// Fidelity: renders every corpus movie that has a reference picture at the
// picture's size and prints the share of pixels whose channels all lie within 16.
#include "corpus.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <regex>

namespace {

double matchShare(const QImage& a, const QImage& b) {
    long good = 0, total = 0;
    for (int y = 0; y < a.height(); ++y) {
        auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            ++total;
            if (std::abs(qRed(ra[x]) - qRed(rb[x])) <= 16 && std::abs(qGreen(ra[x]) - qGreen(rb[x])) <= 16 &&
                std::abs(qBlue(ra[x]) - qBlue(rb[x])) <= 16)
                ++good;
        }
    }
    return total ? double(good) / total : 0;
}

// The frame a reference picture shows: Ruffle's "after N tick(s)" is frame N;
// swfdec's pictures are taken after ten frame intervals.
int referenceFrame(const std::string& note) {
    std::smatch m;
    static const std::regex ticks("after ([0-9]+) tick");
    if (std::regex_search(note, m, ticks)) return std::max(1, std::stoi(m[1]));
    if (note.find("10 frame intervals") != std::string::npos) return 11;
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    bool verbose = argc > 1 && std::string(argv[1]) == "-v";
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;
    int withRef[2] = {0, 0}, good[2] = {0, 0};
    for (const auto& e : corpus) {
        auto expected = bench::corpusDir() / (e.name + ".expected.png");
        auto ruffle = bench::corpusDir() / (e.name + ".ruffle.png");
        bool useExpected = std::filesystem::exists(expected);
        auto refPath = useExpected ? expected : ruffle;
        if (!std::filesystem::exists(refPath)) continue;
        QImage ref(QString::fromStdString(refPath.string()));
        if (ref.isNull()) continue;
        ref = ref.convertToFormat(QImage::Format_ARGB32);
        int k = e.as3 ? 1 : 0;
        ++withRef[k];
        double share = 0;
        auto loaded = swf::loadMovieFile(e.path);
        if (auto* mp = std::get_if<swf::MoviePtr>(&loaded)) {
            swf::Player player(*mp);
            player.stop();
            player.gotoFrame(useExpected ? referenceFrame(e.expectedNote) : 1);
            swf::ShapeCache cache;
            QImage img = swf::renderImage(player, ref.size(), cache).convertToFormat(QImage::Format_ARGB32);
            share = matchShare(img, ref);
        }
        if (share >= 0.95) ++good[k];
        if (verbose)
            std::printf("%6.2f%%  %s%s %s\n", share * 100, e.as3 ? "[as3] " : "", e.name.c_str(),
                        useExpected ? "(expected)" : "");
    }
    std::printf("fidelity (pixels within 16 per channel, files at >= 95%%):\n");
    std::printf("  without ActionScript 3: %d / %d = %.1f%%\n", good[0], withRef[0],
                withRef[0] ? 100.0 * good[0] / withRef[0] : 0.0);
    std::printf("  with ActionScript 3:    %d / %d = %.1f%%\n", good[1], withRef[1],
                withRef[1] ? 100.0 * good[1] / withRef[1] : 0.0);
    return 0;
}
