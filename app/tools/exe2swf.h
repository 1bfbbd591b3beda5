// Taking the movie back out of a projector program.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace tools {

enum class MovieFoundBy {
    StubSizeScan, // a movie signature near one of the known stub sizes
    Trailer       // the trailer at the end of the file points at the movie
};

struct MovieLocation {
    std::uint64_t offset = 0; // where the movie's signature stands
    std::uint64_t length = 0; // bytes from there to the end of the projector
    MovieFoundBy foundBy = MovieFoundBy::StubSizeScan;
};

// Looks for the movie in the projector at `exePath` and writes everything from its
// signature to the end of the projector to `outPath`, replacing a file of that name whole.
// The search first tries the known stub sizes in order and takes the first signature
// found; only when that finds nothing does it read the trailer (so projectors with any
// stub are found). Returns the location written, nullopt when no movie was found (then
// nothing is written), or an error when the files could not be read or written.
// `pumpEvents`, when given, runs between the steps and at every examined position.
swf::Result<std::optional<MovieLocation>>
convertExe2Swf(const std::filesystem::path& exePath, const std::filesystem::path& outPath,
               const std::function<void()>& pumpEvents = {});

} // namespace tools
