// Building a projector: a stand-alone program made of the projector stub, a movie and the
// trailer that tells the stub where its movie is.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <filesystem>

namespace tools {

struct ProjectorWritten {
    std::uint64_t stubSize = 0;
    std::uint32_t movieSize = 0;
};

// Writes stub + movie + trailer to `outPath`, replacing a file of that name whole, and
// makes it executable. The output appears only once complete: `outPath` may name the
// movie or the stub itself, and a failure (stub or movie missing, a movie of 4 GiB or
// more, which the trailer cannot state, a write error) leaves no output behind.
swf::Result<ProjectorWritten> convertSwf2Exe(const std::filesystem::path& stubPath,
                                             const std::filesystem::path& moviePath,
                                             const std::filesystem::path& outPath);

// The projector stub shipped beside the running program.
std::filesystem::path projectorStubPath();

} // namespace tools
