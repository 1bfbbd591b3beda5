// The script test set from the shared folder: the pass count may not drop below
// the one recorded here (raise it as the machine improves).
#include "support/test_paths.h"

#include "swf/avm1/trace_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kRecordedPasses = 192;

// Movies that nest accessor calls 130 deep. With the sanitizers every call takes many
// times the stack, so the engine's stack guard refuses them before the player's own
// limits and their output differs; they count as passed in such builds.
[[maybe_unused]] const std::vector<std::string> kDeepNesting = {"virtual_property_recursion_double_swf7",
                                                                "watch_recursion_double_swf7"};

TEST(ScriptTraceSet, PassesAtLeastTheRecordedCount) {
    auto dir = std::filesystem::path(REELVISTA_SHARED_DIR) / "avm1-trace";
    if (!std::filesystem::exists(dir / "INDEX.tsv")) GTEST_SKIP() << "script test set not present";
    const char* oldTz = std::getenv("TZ");
    std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "Asia/Kathmandu", 1);
    tzset();
    swf::avm1::TraceSummary s = swf::avm1::runTraceSet(dir);
    if (oldTz) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
    std::string names;
    for (const auto& n : s.failedNames) names += " " + n;
    std::printf("%d passed, %d failed\n", s.passed, s.failed);
    int passed = s.passed;
#ifdef REELVISTA_SANITIZED_ENGINE
    for (const auto& n : s.failedNames)
        if (std::find(kDeepNesting.begin(), kDeepNesting.end(), n) != kDeepNesting.end()) ++passed;
#endif
    EXPECT_GE(passed, kRecordedPasses) << "failing:" << names;
}

} // namespace
