// Finds the movie a projector program carries: the 8-byte trailer at the end of the
// program's own file states the movie's length, and the movie stands right before it.
#pragma once

#include "swf/format/types.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace projector {

// Reads the movie carried by `programFile` into memory. The errors are sentences for the
// user: no movie appended (a bare stub), a trailer stating more than the file holds or
// more than a movie may hold, a file that cannot be read.
swf::Result<std::vector<std::uint8_t>> readCarriedMovie(const std::filesystem::path& programFile);

// The name the carried movie goes by: the program's file name with its extension, if
// any, replaced by ".swf", so "Intro.exe" and "Intro" both show as "Intro.swf".
QString movieTitle(const QString& programFile);

} // namespace projector
