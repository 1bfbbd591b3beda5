// Hard bounds that keep a broken or hostile file from exhausting time or memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace swf::limits {

inline constexpr size_t kMaxFileBytes = size_t(256) << 20;        // decompressed movie body
inline constexpr int32_t kMaxStageTwips = 20 * 8192;                // 8192 pixels a side
inline constexpr uint64_t kMaxBitmapPixels = uint64_t(8192) * 8192; // one bitmap
inline constexpr uint64_t kMaxTotalBitmapPixels = uint64_t(1) << 28; // all bitmaps of a movie
inline constexpr int kMaxNesting = 64;                              // sprite/button depth
inline constexpr size_t kMaxDefinitions = 65536;                    // character ids
inline constexpr size_t kMaxFrames = 1 << 20;                       // frames in one timeline
inline constexpr size_t kMaxTags = size_t(4) << 20;                 // tags in the whole file
inline constexpr size_t kMaxShapeEdges = size_t(4) << 20;           // edges in one shape
inline constexpr size_t kMaxGlyphs = 65536;                         // glyphs of one font

} // namespace swf::limits
