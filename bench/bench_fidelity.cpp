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

// The frame a reference picture shows: Ruffle's "after N tick(s)" is frame N, unless
// its trigger names the tick the picture was taken at ("trigger 1") rather than the
// last frame run; swfdec's pictures are taken after ten frame intervals.
int referenceFrame(const std::string& note) {
    std::smatch m;
    static const std::regex trigger("trigger ([0-9]+)");
    if (std::regex_search(note, m, trigger)) return std::max(1, std::stoi(m[1]));
    static const std::regex ticks("after ([0-9]+) tick");
    if (std::regex_search(note, m, ticks)) return std::max(1, std::stoi(m[1]));
    if (note.find("10 frame intervals") != std::string::npos) return 11;
    return 1;
}

// Our render, the reference and their differences side by side.
void writeRenders(const std::string& dir, const std::string& name, const QImage& img, const QImage& ref) {
    QImage out(img.width() * 3, img.height(), QImage::Format_ARGB32);
    out.fill(Qt::white);
    for (int y = 0; y < img.height(); ++y) {
        auto* ra = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* rb = reinterpret_cast<const QRgb*>(ref.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            o[x] = ra[x];
            o[x + img.width()] = rb[x];
            bool off = std::abs(qRed(ra[x]) - qRed(rb[x])) > 16 || std::abs(qGreen(ra[x]) - qGreen(rb[x])) > 16 ||
                       std::abs(qBlue(ra[x]) - qBlue(rb[x])) > 16;
            int g = qGray(rb[x]) / 2 + 128;
            o[x + 2 * img.width()] = off ? qRgb(255, 0, 0) : qRgb(g, g, g);
        }
    }
    out.save(QString::fromStdString(dir + "/" + name + ".png"));
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    // -v lists every file's share; -o DIR also writes each render and its
    // difference from the reference (pixels off by more than 16 in red) there;
    // any other argument keeps only the files whose name contains it.
    bool verbose = false;
    std::string outDir, only;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-v") verbose = true;
        else if (a == "-o" && i + 1 < argc) outDir = argv[++i];
        else only = a;
    }
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;
    int withRef[2] = {0, 0}, good[2] = {0, 0};
    for (const auto& e : corpus) {
        if (e.name.find(only) == std::string::npos) continue;
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
            // The .ruffle.png pictures show the movie after so many ticks of playing: played
            // here alike, so looping movies wrap as they did; swfdec's show a frame.
            const int frame = useExpected ? referenceFrame(e.expectedNote) : 1;
            if (e.expectedNote.find(" tick") != std::string::npos) {
                for (int i = 1; i < frame; ++i) player.tick();
                player.stop();
            } else {
                player.stop();
                player.gotoFrame(frame);
            }
            swf::ShapeCache cache;
            // Some references were drawn at the player's low quality; draw them alike.
            swf::FrameOptions options;
            if (useExpected && e.expectedNote.find("quality low") != std::string::npos)
                options.quality = swf::Quality::Low;
            QImage img =
                swf::renderImage(player, ref.size(), cache, options).convertToFormat(QImage::Format_ARGB32);
            share = matchShare(img, ref);
            if (!outDir.empty()) writeRenders(outDir, e.name, img, ref);
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
