#include "swf/avm1/trace_run.h"

#include "swf/display/player.h"

#include <algorithm>

namespace swf::avm1 {

std::vector<std::string> traceRun(const MoviePtr& movie, int frames) {
    std::vector<std::string> lines;
    ScriptOptions opts;
    opts.deterministic = true;
    opts.trace = [&](const std::string& line) {
        if (lines.size() < 1000000) lines.push_back(line);
    };
    Player player(movie, opts);
    for (int i = 1; i < std::max(1, frames); ++i) player.tick();
    return lines;
}

} // namespace swf::avm1

#include <fstream>
#include <sstream>

namespace swf::avm1 {

namespace {
std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string t = s.str();
    std::string out;
    for (size_t i = 0; i < t.size(); ++i)
        if (!(t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')) out.push_back(t[i]);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}
} // namespace

std::vector<TraceCase> loadTraceIndex(const std::filesystem::path& dir) {
    std::vector<TraceCase> out;
    std::ifstream in(dir / "INDEX.tsv");
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (header) {
            header = false;
            continue;
        }
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        TraceCase c;
        c.name = line.substr(0, tab);
        c.frames = std::max(1, std::atoi(line.c_str() + tab + 1));
        out.push_back(std::move(c));
    }
    return out;
}

bool runTraceCase(const std::filesystem::path& dir, const TraceCase& c) {
    auto loaded = loadMovieFile(dir / (c.name + ".swf"));
    auto* movie = std::get_if<MoviePtr>(&loaded);
    if (!movie) return false;
    std::string got;
    for (const auto& l : traceRun(*movie, c.frames)) {
        got += l;
        got += '\n';
    }
    if (!got.empty()) got.pop_back();
    std::string norm;
    for (size_t i = 0; i < got.size(); ++i)
        if (!(got[i] == '\r' && i + 1 < got.size() && got[i + 1] == '\n')) norm.push_back(got[i]);
    return norm == readText(dir / (c.name + ".trace.txt"));
}

TraceSummary runTraceSet(const std::filesystem::path& dir) {
    TraceSummary s;
    for (const TraceCase& c : loadTraceIndex(dir)) {
        if (runTraceCase(dir, c)) {
            ++s.passed;
        } else {
            ++s.failed;
            s.failedNames.push_back(c.name);
        }
    }
    return s;
}

} // namespace swf::avm1
