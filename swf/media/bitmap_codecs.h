// Decoders for the foreign image formats carried inside SWF bitmap tags.
#pragma once

#include "swf/media/bitmap.h"

#include <cstdint>
#include <span>
#include <vector>

namespace swf::bitmap_detail {

// Builds one decodable JPEG stream from the shared tables (may be empty) and the image
// bytes: stray SOI/EOI markers in front of the first scan are dropped (this covers the
// tables' EOI, the image's SOI and the "FF D9 FF D8" header of old files), a single SOI
// leads, and a missing final EOI is added.
std::vector<uint8_t> joinJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image);

// Baseline or progressive JPEG; greyscale and CMYK become RGB. A stream that ends early
// decodes as far as it goes; a fatal error part way keeps the rows already decoded
// (the rest transparent); a fatal error before any row is an Error.
Result<Bitmap> decodeJpeg(std::span<const uint8_t> jpeg);

// PNG of any colour type, converted to premultiplied alpha.
Result<Bitmap> decodePng(std::span<const uint8_t> png);

// First frame of a GIF on its logical screen; the transparent index and pixels outside the
// frame become transparent. A frame that breaks off keeps the rows decoded so far.
Result<Bitmap> decodeGif(std::span<const uint8_t> gif);

} // namespace swf::bitmap_detail
