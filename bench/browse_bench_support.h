// Shared by the main window's benchmarks: movie folders made of links to real movies, the
// process's memory, and a clock.
#pragma once

#include "corpus.h"

#include "swf/display/movie_cache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <fstream>
#include <string>

namespace bench {

inline double millisecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Without a display, an offscreen screen of a common desktop size (unless the caller chose
// a platform): the cells then have the size they have on such a desktop.
inline void useDesktopSizedScreen(const QTemporaryDir& dir, int width = 1920, int height = 1080) {
    if (std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY")) return;
    const QString config = dir.filePath("screen.json");
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return;
    f.write(QStringLiteral(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": %1,
                "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                .arg(width)
                .arg(height)
                .toUtf8());
    f.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit().constData(), 1);
}

// Resident memory of this process in KiB.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// `count` movies that load, spread evenly over the corpus (in its index order); the
// program's samples when the corpus is absent or holds too few.
inline std::vector<QString> loadableMovies(size_t count, const QString& samplesDir) {
    auto loadable = [](const std::vector<QString>& paths) {
        std::vector<QString> out;
        swf::MovieCache probe;
        for (const QString& p : paths)
            if (std::holds_alternative<swf::MoviePtr>(probe.load(p.toStdString())))
                out.push_back(p);
        return out;
    };
    auto spread = [count](const std::vector<QString>& all) {
        std::vector<QString> out;
        for (size_t i = 0; i < count && all.size() >= count; ++i)
            out.push_back(all[i * all.size() / count]);
        return out;
    };
    std::vector<QString> corpus;
    for (const CorpusEntry& e : loadCorpus())
        corpus.push_back(QString::fromStdString(e.path.string()));
    std::vector<QString> chosen = spread(loadable(corpus));
    if (!chosen.empty()) return chosen;
    std::vector<QString> samples;
    for (const QString& name : QDir(samplesDir).entryList({"*.swf"}, QDir::Files, QDir::Name))
        samples.push_back(samplesDir + "/" + name);
    return spread(loadable(samples));
}

// A folder of `count` links named f00000.swf ... to the given movies in turn.
inline void linkFolder(const QString& folder, const std::vector<QString>& movies, int count) {
    for (int i = 0; i < count; ++i)
        QFile::link(movies[i % movies.size()],
                    folder + QString("/f%1.swf").arg(i, 5, 10, QChar('0')));
}

} // namespace bench
