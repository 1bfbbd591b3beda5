// Audio/video drift: a movie with stream sound plays through the player widget and the
// program's audio output, whose default PCM is a file (played in real time); every 10 ms the
// frame on show is compared with the frame whose sound is being heard.
//
//   bench_av_drift [seconds [movie.swf]]
//
// Without a movie a generated one is played: 24 fps, stream sound at 22050 Hz mono, a
// shape moving every frame, as long as the run. A movie of the corpus may be given instead
// (one that loops restarts its stream sound each time round).
#include "swf/writer/writer.h"

#include "app/playback/flash_player.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

using namespace swf::writer;

constexpr int kFps = 24;
constexpr int kStreamRate = 22050;

std::vector<uint8_t> generatedMovie(double seconds) {
    MovieWriter movie(10, {0, 8000, 0, 6000}, kFps);
    movie.add(setBackgroundColor({255, 255, 255}));
    const SoundFormat fmt{3, 2, true, false};
    movie.add(soundStreamHead(fmt, fmt, kStreamRate / kFps));
    ShapeBuilder s;
    s.fill1(s.addFill(FillStyle::solid({40, 90, 200}))).rect(0, 0, 1600, 1600);
    movie.add(defineShape(1, s, 3)).place(1, 1);
    const int frames = static_cast<int>(std::ceil(seconds * kFps)) + 1;
    int64_t written = 0;
    for (int f = 0; f < frames; ++f) {
        // Whole samples per frame, the remainder carried so the stream keeps the clock.
        const int64_t end = int64_t(f + 1) * kStreamRate / kFps;
        std::vector<uint8_t> block;
        for (int64_t i = written; i < end; ++i) {
            const auto v =
                static_cast<int16_t>(6000 * std::sin(2 * M_PI * 330.0 * double(i) / kStreamRate));
            block.push_back(static_cast<uint8_t>(v & 0xFF));
            block.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF));
        }
        written = end;
        movie.add(soundStreamBlock(block));
        movie.move(1, swf::Matrix::translate(40.0 * (f % 150), 20.0 * (f % 200)));
        movie.showFrame();
    }
    return movie.bytes();
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * double(v.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 60.0;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    if (!std::getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", qPrintable(dir.path()), 1);
    // The default PCM: a file, written in real time.
    const std::string config = dir.filePath("asound.conf").toStdString();
    std::ofstream(config) << "pcm.!default { type file slave.pcm { type null } file \""
                          << dir.filePath("out.raw").toStdString() << "\" format \"raw\" }\n";
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);

    QApplication app(argc, argv);
    QString movie;
    if (argc > 2) {
        movie = QString::fromLocal8Bit(argv[2]);
    } else {
        movie = dir.filePath("drift.swf");
        const auto bytes = generatedMovie(seconds);
        std::ofstream(movie.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    FlashPlayer player;
    player.resize(640, 480);
    player.show();
    player.setLoop(argc > 2);
    player.setSoundEnabled(true);
    player.setMovie(movie);
    if (!player.isLoaded()) {
        std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(movie),
                     qPrintable(player.lastError()));
        return 1;
    }
    const int total = player.TotalFrames();

    // Heard frame minus frame on show: in [0, 1) when they agree exactly.
    std::vector<double> drift;
    int lastFrame = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        const int shown = player.FrameNum();
        if (auto heard = player.soundPosition()) {
            double d = *heard - shown;
            // A looping movie: measure the short way round.
            if (d > total / 2.0) d -= total;
            if (d < -total / 2.0) d += total;
            drift.push_back(d);
        }
        lastFrame = shown;
        if (clock.elapsed() >= seconds * 1000 || !player.IsPlaying()) app.quit();
    });
    sample.start(10);
    app.exec();
    const double elapsed = clock.elapsed() / 1000.0;

    // Outside [0, 1) is drift; the worst of it, either way, in frames.
    std::vector<double> beyond;
    for (double d : drift)
        beyond.push_back(d < 0 ? -d : std::max(0.0, d - 1));
    double mean = 0;
    for (double d : drift)
        mean += d;
    mean = drift.empty() ? 0 : mean / double(drift.size());
    std::vector<double> tail(drift.end() - std::min<long>(long(drift.size()), 100), drift.end());
    double tailMean = 0;
    for (double d : tail)
        tailMean += d;
    tailMean = tail.empty() ? 0 : tailMean / double(tail.size());

    std::printf("movie            %s\n",
                qPrintable(argc > 2 ? movie : QString("generated, %1 fps").arg(kFps)));
    std::printf("played           %.2f s, frame %d of %d\n", elapsed, lastFrame, total);
    std::printf("samples          %zu (every 10 ms while stream sound was heard)\n", drift.size());
    std::printf("heard - shown    mean %.3f frames (ideal 0.5), last second %.3f\n", mean,
                tailMean);
    std::printf("drift (frames)   p50 %.3f  p99 %.3f  max %.3f  (beyond the frame being heard)\n",
                percentile(beyond, 0.5), percentile(beyond, 0.99), percentile(beyond, 1.0));
    std::printf("result           %s (limit 1 frame)\n",
                !drift.empty() && percentile(beyond, 1.0) <= 1.0 ? "PASS" : "FAIL");
    return 0;
}
