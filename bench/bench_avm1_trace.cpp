// The script test set: how many of its movies trace exactly the reference output.
// Runs with TZ=Asia/Kathmandu, the zone the expected dates were taken in.
#include "swf/avm1/trace_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main() {
    setenv("TZ", "Asia/Kathmandu", 1);
    tzset();
    std::filesystem::path dir = std::filesystem::path(REELVISTA_SHARED_DIR) / "avm1-trace";
    if (!std::filesystem::exists(dir / "INDEX.tsv")) {
        std::printf("script test set not present at %s\n", dir.c_str());
        return 0;
    }
    auto start = std::chrono::steady_clock::now();
    swf::avm1::TraceSummary s = swf::avm1::runTraceSet(dir);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d passed, %d failed (%.1f s)\n", s.passed, s.failed, secs);
    for (const auto& n : s.failedNames) std::printf("  failed: %s\n", n.c_str());
    return 0;
}
