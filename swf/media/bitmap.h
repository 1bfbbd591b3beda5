// Decoded bitmaps and the decoders for the SWF bitmap tags.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace swf {

// Pixels as 0xAARRGGBB with premultiplied alpha, row-major, no padding.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

using BitmapPtr = std::shared_ptr<const Bitmap>;

// DefineBits (6): JPEG body using the movie's shared JPEGTables (which may be empty).
Result<Bitmap> decodeDefineBits(std::span<const uint8_t> body, std::span<const uint8_t> jpegTables);
// DefineBitsJPEG2 (21), JPEG3 (35), JPEG4 (90): the tag body after the character id.
// Handles JPEG (with stray SOI/EOI markers), PNG and GIF payloads and the zlib alpha plane.
Result<Bitmap> decodeDefineBitsJpeg(int tagCode, std::span<const uint8_t> body);
// DefineBitsLossless (20) and DefineBitsLossless2 (36): the tag body after the character id.
Result<Bitmap> decodeDefineBitsLossless(int tagCode, std::span<const uint8_t> body);

} // namespace swf
