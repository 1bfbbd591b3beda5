// The search for movies: the program's search run (walk, hand-over, list model) over a
// tree of about 300 000 entries, 8 folders deep, about 1 % movies, against
// `find DIR -xdev -iname '*.swf'` on the same tree in the same run, warm, several rounds;
// the longest stall of the user-interface event loop during the runs; the peak memory
// with 1 000 000 made-up hits in the list's model shown by a list view; and the time from
// a stop request to the walk's end inside a folder of 100 000 files.
//   bench_search [scratch-folder]   (default: /dev/shm where writable, else the temp folder)
#include "app/tools/hit_list_view.h"
#include "app/tools/search_run.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Peak and present resident memory of the process, in MB.
double statusMB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::string(field).size())) / 1024.0;
    return 0;
}

void touch(int dir, const char* name) {
    const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
}

// Folders 3 wide and 8 deep (9841 folders) with the files spread over them: about 300 000
// entries; every 100th file a movie, every 5th movie with an upper-case suffix.
struct TreeCounts {
    long folders = 0, files = 0, movies = 0;
};

void makeTree(const std::string& path, int depth, long& fileNo, long filesPerFolder,
              TreeCounts& c) {
    mkdir(path.c_str(), 0755);
    ++c.folders;
    const int dir = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0) return;
    char name[64];
    for (long i = 0; i < filesPerFolder; ++i, ++fileNo) {
        const bool movie = fileNo % 100 == 0;
        const char* suffix = !movie ? ".dat" : (fileNo / 100) % 5 == 0 ? ".SWF" : ".swf";
        std::snprintf(name, sizeof name, "file%06ld%s", fileNo, suffix);
        touch(dir, name);
        ++c.files;
        c.movies += movie;
    }
    close(dir);
    if (depth == 8) return;
    for (int k = 0; k < 3; ++k)
        makeTree(path + "/dir" + std::to_string(depth) + char('a' + k), depth + 1, fileNo,
                 filesPerFolder, c);
}

long runFind(const std::string& dir) {
    const std::string command = "find '" + dir + "' -xdev -iname '*.swf' | wc -l";
    FILE* pipe = popen(command.c_str(), "r");
    long count = -1;
    if (pipe) {
        if (std::fscanf(pipe, "%ld", &count) != 1) count = -1;
        pclose(pipe);
    }
    return count;
}

// Longest gap between two turns of the event loop while the loop runs.
class StallMeter {
  public:
    StallMeter() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            if (running_)
                worst_ = std::max(worst_,
                                  std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
            running_ = true;
        });
    }
    void start() {
        running_ = false;
        timer_.start();
    }
    void stop() { timer_.stop(); }
    double worstMs() const { return worst_; }

  private:
    QTimer timer_;
    Clock::time_point last_;
    bool running_ = false;
    double worst_ = 0;
};

// The list as the search window shows it: the model, with its room reserved, in a view.
struct ShownList {
    tools::SearchHitModel model;
    tools::HitListView view;
    ShownList() {
        model.reserve(30000, 6000000);
        view.setModel(&model);
        view.resize(600, 400);
        view.show();
    }
};

// One search run over `root` into `model`, shown by `view`, as the search window runs it.
double runSearch(const std::string& root, tools::SearchHitModel& model, tools::HitListView& view,
                 StallMeter& stall) {
    model.clear();
    tools::SearchScope scope;
    scope.roots = {root};
    scope.drives = {root};
    tools::SearchRun run(scope);
    QObject::connect(&run, &tools::SearchRun::hitsWaiting, [&] {
        const tools::HitStore hits = run.takeHits();
        if (hits.empty()) return;
        model.append(hits);
        view.scrollToBottom();
    });
    bool ended = false;
    QObject::connect(&run, &tools::SearchRun::ended, [&] { ended = true; });
    stall.start();
    const auto t0 = Clock::now();
    run.start();
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    const double ms = msSince(t0);
    stall.stop();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QString base = argc > 1 ? QString::fromLocal8Bit(argv[1])
                            : (access("/dev/shm", W_OK | X_OK) == 0 ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath());
    QTemporaryDir scratch(base + "/bench-search-XXXXXX");
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder in %s\n", qPrintable(base));
        return 1;
    }
    const std::string top = scratch.path().toStdString();
    std::printf("scratch folder: %s\n", top.c_str());

    // ---- 1 000 000 hits in the model, shown by a list view ----
    {
        const double before = statusMB("VmRSS:");
        ShownList list;
        tools::SearchHitModel& model = list.model;
        tools::HitListView& view = list.view;
        QCoreApplication::processEvents();
        tools::HitStore batch;
        char name[64];
        const auto t0 = Clock::now();
        for (long i = 0; i < 1000000; ++i) {
            std::snprintf(name, sizeof name, "movie%07ld.swf", i);
            const std::string folder = "/home/user/Movies/collection" +
                                       std::to_string(i / 1000 % 97) + "/part" +
                                       std::to_string(i / 1000) + "/";
            batch.add(folder, name);
            if (batch.size() == 512) {
                model.append(batch);
                batch.clear();
                view.scrollToBottom();
                QCoreApplication::processEvents();
            }
        }
        model.append(batch);
        view.scrollToBottom();
        QCoreApplication::processEvents();
        const double fillMs = msSince(t0);
        // Scrolling through the list: a page at a time from top to bottom, drawn each time.
        const auto s0 = Clock::now();
        int pages = 0;
        for (int row = 0; row < model.rowCount(); row += model.rowCount() / 200, ++pages) {
            view.scrollTo(model.index(row), QAbstractItemView::PositionAtTop);
            view.viewport()->repaint();
        }
        const double pageMs = msSince(s0) / std::max(1, pages);
        std::printf("hits in the model: %d (filled in %.0f ms; model holds %.1f MB)\n",
                    model.rowCount(), fillMs, model.store().bytesHeld() / 1048576.0);
        std::printf("a page of the list scrolled and drawn: %.2f ms\n", pageMs);
        std::printf(
            "peak memory with 1000000 hits: %.1f MB (process peak; %.1f MB before the hits)\n",
            statusMB("VmHWM:"), before);
    }

    // ---- the tree ----
    const std::string tree = top + "/tree";
    TreeCounts counts;
    long fileNo = 0;
    const auto b0 = Clock::now();
    makeTree(tree, 0, fileNo, 29, counts); // 9841 folders × 29 files + the folders ≈ 295 000
    std::printf("tree: %ld folders, %ld files, %ld movies (%ld entries) made in %.1f s\n",
                counts.folders, counts.files, counts.movies, counts.folders + counts.files,
                msSince(b0) / 1000);

    ShownList list;
    tools::SearchHitModel& model = list.model;
    tools::HitListView& view = list.view;
    StallMeter stall;

    // Warm both, then alternate.
    const long found = runFind(tree);
    runSearch(tree, model, view, stall);
    if (found != model.rowCount())
        std::printf("MISMATCH: find lists %ld, the search %d\n", found, model.rowCount());
    std::vector<double> findMs, searchMs;
    constexpr int kRounds = 7;
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = Clock::now();
        runFind(tree);
        findMs.push_back(msSince(t0));
        searchMs.push_back(runSearch(tree, model, view, stall));
    }
    const double f = median(findMs), s = median(searchMs);
    std::printf("hits: %d, find: %ld\n", model.rowCount(), found);
    std::printf("find median: %.1f ms over %d rounds\n", f, kRounds);
    std::printf("search median: %.1f ms over %d rounds\n", s, kRounds);
    std::printf("search/find ratio: %.2f\n", s / f);
    std::printf("longest event-loop stall during the walks: %.1f ms\n", stall.worstMs());

    // ---- a stop inside a folder of 100 000 files ----
    const std::string big = top + "/big";
    mkdir(big.c_str(), 0755);
    mkdir((big + "/x").c_str(), 0755);
    {
        const int dir = open((big + "/x").c_str(), O_RDONLY | O_DIRECTORY);
        char name[64];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(name, sizeof name, "clip%06d.swf", i);
            touch(dir, name);
        }
        close(dir);
    }
    double worstStop = 0, worstReading = 0;
    for (int round = 0; round < 5; ++round) {
        for (bool whileReading : {true, false}) {
            tools::SearchScope scope;
            scope.roots = {big};
            scope.drives = {big};
            tools::SearchRun run(scope);
            bool firstHits = false;
            QObject::connect(&run, &tools::SearchRun::hitsWaiting, [&] { firstHits = true; });
            run.start();
            // Inside the folder: while it is read, or once its hits are being handed over.
            while (whileReading ? !run.currentFolder().endsWith("/x/") : !firstHits)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            const auto t0 = Clock::now();
            run.requestStop();
            while (!run.walkEnded())
                std::this_thread::yield();
            const double ms = msSince(t0);
            (whileReading ? worstReading : worstStop) =
                std::max(whileReading ? worstReading : worstStop, ms);
        }
    }
    std::printf(
        "stop request to walk end inside a folder of 100000 files: %.2f ms while it is read, "
        "%.2f ms while its hits are handed over (worst of 5)\n",
        worstReading, worstStop);
    std::printf("stop-to-end: %.2f ms\n", std::max(worstReading, worstStop));
    return 0;
}
