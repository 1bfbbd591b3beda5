// The 256 colours a gradient's stops make, as the reference player builds them.
#pragma once

#include "swf/format/types.h"

#include <array>
#include <utility>
#include <vector>

namespace swf {

// Entry i is the colour at ratio i. Each entry comes from the first stop (in file
// order) whose ratio is at or beyond i, blended with the stop before it; entries
// before the first stop take its colour, entries past every stop the last stop's.
// So ratios that repeat or go backwards keep the segments the file lists. With
// linearRgb the colour channels blend in linear light.
std::array<Rgba, 256> gradientRamp(const std::vector<std::pair<uint8_t, Rgba>>& stops, bool linearRgb);

} // namespace swf
