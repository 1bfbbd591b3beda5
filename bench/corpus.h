// The corpus of real movies the benchmarks measure, with the facts its index gives.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct CorpusEntry {
    std::filesystem::path path;
    std::string name; // file name without .swf
    bool as3 = false;
    int frameRate = 0;
    std::string expectedNote;
};

inline std::filesystem::path corpusDir() {
    if (const char* d = std::getenv("REELVISTA_CORPUS")) return d;
    return std::filesystem::path(REELVISTA_SHARED_DIR) / "swf-corpus";
}

// Reads INDEX.tsv; empty when the corpus is absent.
inline std::vector<CorpusEntry> loadCorpus() {
    std::vector<CorpusEntry> out;
    QFile f(QString::fromStdString((corpusDir() / "INDEX.tsv").string()));
    if (!f.open(QIODevice::ReadOnly)) return out;
    QStringList header = QString::fromUtf8(f.readLine()).trimmed().split('\t');
    int cFile = header.indexOf("file"), cAs3 = header.indexOf("as3"), cNote = header.indexOf("expected_png_note");
    while (!f.atEnd()) {
        QStringList cols = QString::fromUtf8(f.readLine()).chopped(1).split('\t');
        if (cols.size() <= std::max({cFile, cAs3, cNote})) continue;
        CorpusEntry e;
        e.path = corpusDir() / cols[cFile].toStdString();
        e.name = cols[cFile].chopped(4).toStdString();
        e.as3 = cols[cAs3] == "yes";
        e.expectedNote = cols[cNote].toStdString();
        out.push_back(e);
    }
    return out;
}

// Benchmarks run without a display unless one is asked for.
inline void preferOffscreen() {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The corpus; when it is absent, says so and gives an empty list.
inline std::vector<CorpusEntry> corpusOrNotice() {
    auto corpus = loadCorpus();
    if (corpus.empty()) std::printf("corpus not found; nothing measured\n");
    return corpus;
}

template <typename T> T percentile(std::vector<T> v, double p) {
    if (v.empty()) return T{};
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * (v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

} // namespace bench
