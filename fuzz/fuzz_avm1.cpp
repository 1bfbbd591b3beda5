// libFuzzer target: movies with scripts, played for a few frames with a short
// script budget, with mouse events and jumps. Seed it with the script test set:
//   fuzz_avm1 CORPUS_DIR ../shared/avm1-trace
#include "swf/display/movie.h"
#include "swf/display/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto loaded = swf::loadMovie(std::span<const uint8_t>(data, size));
    auto* mp = std::get_if<swf::MoviePtr>(&loaded);
    if (!mp) return 0;
    swf::ScriptOptions opts;
    opts.frameBudgetSeconds = 0.05;
    opts.deterministic = true;
    opts.trace = [](const std::string&) {};
    opts.openUrl = [](const std::string&, const std::string&) { return false; };
    swf::Player player(*mp, opts);
    for (int i = 0; i < 6; ++i) player.tick();
    player.mouseMove(100, 100);
    player.press(100, 100);
    player.release(100, 100);
    player.gotoFrame(player.totalFrames());
    player.gotoFrame(1);
    player.tick();
    return 0;
}
