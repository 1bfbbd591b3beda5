// Video: what a frame of embedded video costs drawn full screen (decode, convert, draw at
// 1920 x 1080) on the corpus's video movies, and what a frame of an FLV file costs decoded
// by time (a 640 x 480 stream that ffmpeg encodes for the run; skipped without ffmpeg).
#include "corpus.h"

#include "swf/display/movie.h"
#include "swf/media/video_source.h"
#include "swf/render/qt/painter_backend.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

void corpusMovies() {
    for (const auto& e : bench::loadCorpus()) {
        if (e.name.find("olorconversion") == std::string::npos && e.name.find("Video") == std::string::npos) continue;
        auto loaded = swf::loadMovieFile(e.path);
        auto* mp = std::get_if<swf::MoviePtr>(&loaded);
        if (!mp) continue;
        swf::Player player(*mp);
        swf::ShapeCache cache;
        QImage img(1920, 1080, QImage::Format_ARGB32_Premultiplied);
        const int frames = std::max(12, player.totalFrames());
        auto t = Clock::now();
        for (int i = 0; i < frames; ++i) {
            QPainter p(&img);
            swf::renderFrame(player, p, QRectF(0, 0, 1920, 1080), cache);
            p.end();
            player.tick();
        }
        std::printf("  %-34s %6.2f ms a frame at 1920x1080 (%d frames)\n", e.name.c_str(), msSince(t) / frames,
                    frames);
    }
}

void flvFile(const char* label, const QStringList& codec) {
    QTemporaryDir dir;
    const QString flv = dir.filePath("bench.flv");
    QProcess p;
    p.start("ffmpeg", QStringList{"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                  "testsrc=size=640x480:rate=25:duration=8", "-c:v"}
                          << codec << "-g" << "50" << "-f" << "flv" << flv);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::printf("  %-34s ffmpeg could not encode it\n", label);
        return;
    }
    auto opened = swf::openFlvFile(flv.toStdString());
    auto* src = std::get_if<std::unique_ptr<swf::VideoSource>>(&opened);
    if (!src) return;
    auto t = Clock::now();
    const int frames = 200;
    for (int i = 0; i < frames; ++i) (*src)->frameAt((i + 0.5) / 25);
    const double play = msSince(t) / frames;
    t = Clock::now();
    const double jumps[] = {7.5, 1.1, 5.3, 0.2, 6.9, 3.3};
    for (double j : jumps) (*src)->frameAt(j);
    std::printf("  %-34s %6.2f ms a frame playing, %6.2f ms a jump (key frames 2 s apart)\n", label, play,
                msSince(t) / std::size(jumps));
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    std::printf("embedded video, played from frame 1:\n");
    corpusMovies();
    std::printf("FLV files, 640x480 at 25 frames a second:\n");
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
        std::printf("  ffmpeg not found; nothing measured\n");
        return 0;
    }
    flvFile("Sorenson H.263", {"flv", "-q:v", "4"});
    flvFile("H.264", {"libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p"});
    return 0;
}
