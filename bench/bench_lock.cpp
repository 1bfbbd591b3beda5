// The lock screen's start and its memory, through the main program's own launcher: the
// screen saver program in its lock role on a 1920x1080 virtual X server.
//  1. Time from the lock command (the launcher starting the locker) to the keyboard and
//     pointer held ("locked"), and to the movie's first frame on the screen ("shown"); ten
//     locks of the default movie and of each movie measured in 2.
//  2. Memory while a corpus movie plays: resident and proportional set sizes of the locker
//     and of its movie process, five seconds after the first frame.
// Usage: bench_lock [movie count in 2., default 3]. Without a display it runs itself under
// xvfb-run.
#include "corpus.h"

#include "app/lock/locker_launcher.h"
#include "platform/program_folder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 10;

struct Times {
    double locked = -1, shown = -1;
};

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A field of /proc/PID/status or smaps_rollup, in kB.
long procField(qint64 pid, const char* file, const char* field) {
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(file));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(qstrlen(field)).trimmed().split(' ')[0].toLong();
    return -1;
}

std::vector<qint64> childrenOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    std::vector<qint64> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& p : f.readAll().split(' '))
        if (p.trimmed().toLongLong() > 0) out.push_back(p.trimmed().toLongLong());
    return out;
}

class Bench {
  public:
    explicit Bench(const QString& program) : launcher_(program) {
        launcher_.onLocked = [this] { times_.locked = clock_.nsecsElapsed() / 1e6; };
        launcher_.onShown = [this] { times_.shown = clock_.nsecsElapsed() / 1e6; };
        launcher_.onEnded = [this](const lock::LockerEnd& e) { ended_ = true, end_ = e; };
    }

    // Locks with `movie`; `whileShown` runs once the first frame is up; then ends the lock.
    Times lockOnce(const QString& movie, const std::function<void(qint64)>& whileShown = {}) {
        times_ = {};
        ended_ = false;
        clock_.start();
        launcher_.launch({movie, QStringLiteral("bench"), true});
        waitUntil([&] { return times_.shown >= 0 || ended_; }, 15000);
        if (ended_) std::printf("  the locker ended (status %d)\n", end_.exitCode);
        if (whileShown && !ended_) whileShown(launcher_.processId());
        if (launcher_.running()) ::kill(pid_t(launcher_.processId()), SIGKILL);
        waitUntil([&] { return ended_; }, 5000);
        return times_;
    }

  private:
    lock::LockerProcess launcher_;
    QElapsedTimer clock_;
    Times times_;
    bool ended_ = false;
    lock::LockerEnd end_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void lockTimes(Bench& bench, const QString& name, const QString& movie) {
    std::vector<double> locked, shown;
    for (int i = 0; i < kRuns; ++i) {
        const Times t = bench.lockOnce(movie);
        if (t.locked >= 0) locked.push_back(t.locked);
        if (t.shown >= 0) shown.push_back(t.shown);
    }
    const auto best = [](const std::vector<double>& v) {
        return v.empty() ? -1.0 : *std::min_element(v.begin(), v.end());
    };
    std::printf("%-28s locked: median %6.1f ms best %6.1f | first frame: median %6.1f ms best %6.1f"
                " (%zu/%d runs)\n",
                name.toLocal8Bit().constData(), median(locked), best(locked), median(shown),
                best(shown), shown.size(), kRuns);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        if (std::getenv("REELVISTA_BENCH_XVFB")) return 1;
        setenv("REELVISTA_BENCH_XVFB", "1", 1);
        std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                                const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1920x1080x24 -nolisten tcp")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        ::execvp("xvfb-run", args.data());
        std::printf("needs a display or xvfb-run\n");
        return 1;
    }
    bench::preferOffscreen();
    QApplication app(argc, argv);
    const int movieCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const QString programDir = QStringLiteral(REELVISTA_BENCH_PROGRAM_DIR);
    const QString program = platform::inFolder(programDir, QStringLiteral("OrbisaneSCR.scr"));
    if (!QFile::exists(program)) {
        std::printf("no %s\n", program.toLocal8Bit().constData());
        return 1;
    }
    Bench bench(program);
    std::printf("lock command to keyboard and pointer held, and to the first frame on screen\n");
    lockTimes(bench, QStringLiteral("default.swf"), platform::inFolder(programDir, "default.swf"));

    std::vector<bench::CorpusEntry> movies;
    for (const auto& e : bench::corpusOrNotice())
        if (!e.as3 && int(movies.size()) < movieCount) movies.push_back(e);
    for (const auto& e : movies)
        lockTimes(bench, QString::fromStdString(e.name), QString::fromStdString(e.path.string()));

    std::printf("\nmemory 5 s into the movie (kB): RSS and PSS of the locker and its movie process\n");
    for (const auto& e : movies) {
        bench.lockOnce(QString::fromStdString(e.path.string()), [&](qint64 pid) {
            QElapsedTimer t;
            t.start();
            waitUntil([&] { return t.elapsed() >= 5000; }, 6000);
            const auto kids = childrenOf(pid);
            const qint64 child = kids.empty() ? 0 : kids.front();
            std::printf("%-28s locker RSS %7ld PSS %7ld | movie RSS %7ld PSS %7ld | total PSS %7ld\n",
                        e.name.c_str(), procField(pid, "status", "VmRSS:"),
                        procField(pid, "smaps_rollup", "Pss:"), procField(child, "status", "VmRSS:"),
                        procField(child, "smaps_rollup", "Pss:"),
                        procField(pid, "smaps_rollup", "Pss:") +
                            procField(child, "smaps_rollup", "Pss:"));
        });
    }
    return 0;
}
