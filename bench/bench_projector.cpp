// Times projector building and extraction against the shell tools doing the same byte
// copies on the same disk: `cat stub movie > out` for building, `tail -c` for extraction.
// Usage: bench_projector [scratch folder] [movie size in MB, default 100]
#include "app/tools/exe2swf.h"
#include "app/tools/swf2exe.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;

void writeRandomFile(const fs::path& path, std::uint64_t size, const char* signature) {
    std::mt19937_64 random(42);
    std::vector<std::uint64_t> block(1 << 17);
    std::ofstream out(path, std::ios::binary);
    for (std::uint64_t written = 0; written < size;) {
        for (auto& word : block) word = random();
        auto* bytes = reinterpret_cast<char*>(block.data());
        if (written == 0 && signature) std::copy(signature, signature + 3, bytes);
        const auto n = std::min<std::uint64_t>(size - written, block.size() * 8);
        out.write(bytes, static_cast<std::streamsize>(n));
        written += n;
    }
}

// Best of kRuns, in seconds; the file cache is warm for every contender alike.
double bestTime(const std::function<bool()>& run) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run()) {
            std::fprintf(stderr, "run failed\n");
            std::exit(1);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void report(const char* what, double ours, double reference, const char* referenceName) {
    std::printf("%-22s %8.3f s   %-10s %8.3f s   ratio %.2f\n", what, ours, referenceName,
                reference, ours / reference);
}

} // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::uint64_t movieMb = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100;
    std::string pattern = (base / "reelvista-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    // A stub of our own kind: near none of the known stub sizes, so extraction scans all
    // candidates and then reads the trailer.
    const std::uint64_t stubSize = 3'000'000;
    writeRandomFile(dir / "exeh", stubSize, nullptr);
    writeRandomFile(dir / "movie.swf", movieMb << 20, "CWS");

    const double cat = bestTime([&] {
        return shell("cat " + quoted(dir / "exeh") + " " + quoted(dir / "movie.swf") + " > " +
                     quoted(dir / "cat.exe"));
    });
    const double build = bestTime([&] {
        return swf::ok(tools::convertSwf2Exe(dir / "exeh", dir / "movie.swf", dir / "out.exe"));
    });
    const double tail = bestTime([&] {
        return shell("tail -c +" + std::to_string(stubSize + 1) + " " + quoted(dir / "out.exe") +
                     " > " + quoted(dir / "tail.swf"));
    });
    const double extract = bestTime([&] {
        auto r = tools::convertExe2Swf(dir / "out.exe", dir / "out.swf");
        return swf::ok(r) && std::get<0>(r).has_value();
    });
    const bool sameSizes = fs::file_size(dir / "out.exe") == fs::file_size(dir / "cat.exe") + 8 &&
                           fs::file_size(dir / "out.swf") == fs::file_size(dir / "tail.swf");

    std::printf("movie %llu MB, stub %llu bytes, best of %d runs, in %s\n",
                static_cast<unsigned long long>(movieMb),
                static_cast<unsigned long long>(stubSize), kRuns, dir.parent_path().c_str());
    report("convertSwf2Exe", build, cat, "cat");
    report("convertExe2Swf", extract, tail, "tail -c");
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory %.1f MB; output sizes %s\n", usage.ru_maxrss / 1024.0,
                sameSizes ? "match" : "DIFFER");
    fs::remove_all(dir);
    return sameSizes ? 0 : 1;
}
