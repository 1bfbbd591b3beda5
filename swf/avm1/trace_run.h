// Trace runs: a movie played headless for a number of frames with the clock, date
// and random numbers fixed, collecting what its scripts trace.
#pragma once

#include "swf/display/movie.h"

#include <filesystem>
#include <string>
#include <vector>

namespace swf::avm1 {

// The trace lines of the first `frames` frames (frame 1's scripts count as one).
std::vector<std::string> traceRun(const MoviePtr& movie, int frames);

} // namespace swf::avm1

namespace swf::avm1 {

// A folder of script tests: NAME.swf with NAME.trace.txt, listed in INDEX.tsv
// (name, frames).
struct TraceCase {
    std::string name;
    int frames = 1;
};
std::vector<TraceCase> loadTraceIndex(const std::filesystem::path& dir);
// Runs one case; true when its output equals the expected text (line ends
// normalised, one trailing newline ignored).
bool runTraceCase(const std::filesystem::path& dir, const TraceCase& c);

struct TraceSummary {
    int passed = 0, failed = 0;
    std::vector<std::string> failedNames;
};
TraceSummary runTraceSet(const std::filesystem::path& dir);

} // namespace swf::avm1
