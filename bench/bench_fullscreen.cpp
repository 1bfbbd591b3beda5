// Full-screen playback through the player widget at 1920x1080, on the widget's own clock.
//  1. Every corpus movie plays for a short while: frames painted per second of playing time
//     against the movie's own rate, and the time one paint takes.
//  2. The three movies that cost most to paint (of those that keep playing) play for ten
//     seconds, with the full-screen window's loop restart every 2 s: frames the movie's
//     rate asks for during its playing time against frames painted; the rest are dropped.
// Usage: bench_fullscreen [seconds per movie in 1., default 1] [seconds per movie in 2., 10]
#include "corpus.h"

#include "app/playback/flash_player.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// Paints the widget itself for each paint event, timing it. Counts the paints that show
// the movie moving: while it plays, or of a frame other than the one painted before.
class PaintMeter : public QObject {
  public:
    explicit PaintMeter(FlashPlayer& player) : player_(player), last_(player.FrameNum()) {}
    int paints = 0;
    double paintSeconds = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Paint || inside_) return false;
        inside_ = true;
        QElapsedTimer t;
        t.start();
        watched->event(e); // the widget paints now
        paintSeconds += t.nsecsElapsed() / 1e9;
        const int frame = player_.FrameNum();
        if (player_.IsPlaying() || frame != last_) ++paints;
        last_ = frame;
        inside_ = false;
        return true;
    }

  private:
    FlashPlayer& player_;
    int last_;
    bool inside_ = false;
};

struct Run {
    double rate = 0;
    int paints = 0;
    double paintMs = 0;        // per paint
    double playingSeconds = 0; // time the movie was playing
    double dueFrames = 0;      // frames its rate asks for in that time
};

// Plays `path` for `seconds`; with `restartEvery2s` a stopped movie is started again as the
// full-screen window does while "Loop" is checked.
std::optional<Run> play(FlashPlayer& player, const QString& path, double seconds,
                        bool restartEvery2s) {
    player.setMovie(path);
    if (!player.isLoaded()) return std::nullopt;
    PaintMeter meter(player);
    player.installEventFilter(&meter);
    QTimer restart;
    if (restartEvery2s) {
        QObject::connect(&restart, &QTimer::timeout, [&] { player.Play(); });
        restart.start(2000);
    }
    // Playing time: the time between two looks counts when the movie played at the first.
    QElapsedTimer clock;
    clock.start();
    qint64 lastLook = 0;
    bool wasPlaying = player.IsPlaying();
    double playingSeconds = 0;
    auto look = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (wasPlaying) playingSeconds += (now - lastLook) / 1e9;
        lastLook = now;
        wasPlaying = player.IsPlaying();
    };
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, look);
    sample.start(5);
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    look();
    player.removeEventFilter(&meter);
    Run r;
    r.rate = player.player()->movie().frameRate;
    r.paints = meter.paints;
    r.paintMs = meter.paints ? meter.paintSeconds * 1000 / meter.paints : 0;
    r.playingSeconds = playingSeconds;
    r.dueFrames = r.playingSeconds * r.rate;
    player.setMovie("0");
    return r;
}

void waitForExposure(QWidget& w) {
    QElapsedTimer t;
    t.start();
    while (!(w.windowHandle() && w.windowHandle()->isExposed()) && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreen();
    QApplication app(argc, argv);
    const double perMovie = argc > 1 ? std::atof(argv[1]) : 1.0;
    const double heavySeconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    auto corpus = bench::corpusOrNotice();
    if (corpus.empty()) return 0;

    FlashPlayer player; // as the full-screen window sets up `playing`
    player.setAutoPlay(true);
    player.setLoop(true);
    player.setGeometry(0, 0, kWidth, kHeight);
    player.show();
    waitForExposure(player);

    struct Result {
        std::string name;
        QString path;
        Run run;
        bool as3 = false;
    };
    std::vector<Result> results;
    std::vector<double> ratios;
    int belowRate = 0;
    for (const auto& e : corpus) {
        const QString path = QString::fromStdString(e.path.string());
        auto run = play(player, path, perMovie, false);
        if (!run) continue;
        results.push_back({e.name, path, *run, e.as3});
        if (run->playingSeconds < perMovie / 2) continue; // stops itself at once
        const double ratio = run->paints / run->dueFrames;
        ratios.push_back(ratio);
        if (ratio < 0.9) ++belowRate;
    }
    std::printf("full screen %dx%d, %zu movies loaded, %zu keep playing: painted frames per "
                "second / the movie's rate: median %.2f, 10th percentile %.2f, minimum %.2f; "
                "%d below 0.9\n",
                kWidth, kHeight, results.size(), ratios.size(), bench::percentile(ratios, 0.5),
                bench::percentile(ratios, 0.1), bench::percentile(ratios, 0.0), belowRate);
    for (const auto& r : results)
        if (r.run.playingSeconds >= perMovie / 2 && r.run.paints < 0.9 * r.run.dueFrames)
            std::printf("  below: %-32s %.2f of %.1f frames/s, %.2f ms/paint\n", r.name.c_str(),
                        r.run.paints / r.run.playingSeconds, r.run.rate, r.run.paintMs);
    // Movies without ActionScript 3 against their own rate, capped at 60 frames a second.
    std::vector<double> plain;
    const Result* slowest = nullptr;
    double slowestRatio = 0;
    for (const auto& r : results) {
        if (r.as3 || r.run.playingSeconds < perMovie / 2) continue;
        const double due = r.run.playingSeconds * std::min(r.run.rate, 60.0);
        const double ratio = due > 0 ? std::min(1.0, r.run.paints / due) : 1.0;
        plain.push_back(ratio);
        if (!slowest || ratio < slowestRatio) {
            slowest = &r;
            slowestRatio = ratio;
        }
    }
    if (slowest)
        std::printf("without ActionScript 3 (%zu movies), painted / own rate capped at 60: median %.2f, "
                    "slowest %.2f (%s, %.2f ms/paint)\n",
                    plain.size(), bench::percentile(plain, 0.5), slowestRatio, slowest->name.c_str(),
                    slowest->run.paintMs);
    std::vector<double> paintMs;
    for (const auto& r : results)
        if (r.run.paints) paintMs.push_back(r.run.paintMs);
    std::printf("one paint: median %.2f ms, 90th percentile %.2f ms, slowest %.2f ms\n",
                bench::percentile(paintMs, 0.5), bench::percentile(paintMs, 0.9),
                bench::percentile(paintMs, 1.0));

    std::erase_if(results, [&](const Result& r) { return r.run.playingSeconds < perMovie / 2; });
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.run.paintMs > b.run.paintMs; });
    std::printf("%.0f s of playback, the three heaviest movies:\n", heavySeconds);
    for (size_t i = 0; i < std::min<size_t>(3, results.size()); ++i) {
        auto run = play(player, results[i].path, heavySeconds, true);
        if (!run) continue;
        std::printf("  %-32s %6.2f ms/paint, %4.1f frames/s: %.1f s playing, %.0f frames due, "
                    "%d painted (%.1f/s), %d dropped\n",
                    results[i].name.c_str(), run->paintMs, run->rate, run->playingSeconds,
                    run->dueFrames, run->paints,
                    run->playingSeconds > 0 ? run->paints / run->playingSeconds : 0.0,
                    std::max(0, static_cast<int>(run->dueFrames + 0.5) - run->paints));
    }
    return 0;
}
