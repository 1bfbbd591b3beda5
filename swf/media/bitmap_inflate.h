// zlib inflation into a buffer of known size, for bitmap pixel data and alpha planes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace swf::bitmap_detail {

// Inflates the zlib stream `in` into `out` and returns how many bytes were written. Never
// writes past the end of `out` and stops as soon as it is full, so a stream that expands
// beyond the expected size costs nothing extra. A truncated or corrupt stream yields what
// decoded before the fault.
size_t inflateInto(std::span<const uint8_t> in, std::span<uint8_t> out);

} // namespace swf::bitmap_detail
