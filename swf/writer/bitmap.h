// Bitmap definition tags, and JPEG encoding for building them from pixels.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/tag.h"

#include <cstdint>
#include <span>
#include <vector>

namespace swf::writer {

// Pixels are 0xAARRGGBB, row-major, width * height of them.

// Format 5. Without alpha: DefineBitsLossless (the alpha byte is dropped). With alpha:
// DefineBitsLossless2, pixels written as given, so pass premultiplied colour.
Tag defineBitsLossless(uint16_t id, int width, int height, std::span<const uint32_t> pixels,
                       bool alpha);
// Format 3: palette of 1..256 colours (RGB, or RGBA with alpha) and one index per pixel.
Tag defineBitsLosslessPalette(uint16_t id, int width, int height, std::span<const Rgba> palette,
                              std::span<const uint8_t> indices, bool alpha);
// Format 4 (15-bit colour), DefineBitsLossless only.
Tag defineBitsLossless15(uint16_t id, int width, int height, std::span<const uint32_t> pixels);

Tag jpegTables(std::span<const uint8_t> tables);
// DefineBits: JPEG data without tables (they come from JPEGTables).
Tag defineBits(uint16_t id, std::span<const uint8_t> jpeg);
// DefineBitsJPEG2: a complete JPEG, PNG or GIF file.
Tag defineBitsJpeg2(uint16_t id, std::span<const uint8_t> image);
// DefineBitsJPEG3 / JPEG4: the image plus one alpha byte per pixel (compressed here);
// an empty alpha span writes no alpha data.
Tag defineBitsJpeg3(uint16_t id, std::span<const uint8_t> image, std::span<const uint8_t> alpha);
Tag defineBitsJpeg4(uint16_t id, std::span<const uint8_t> image, std::span<const uint8_t> alpha,
                    double deblock);

// Baseline JPEG of the pixels (alpha ignored), quality 1..100.
std::vector<uint8_t> encodeJpeg(int width, int height, std::span<const uint32_t> pixels,
                                int quality = 85);
// The same image as an abbreviated pair: a tables-only stream (for JPEGTables) and an
// image stream without tables (for DefineBits).
struct JpegParts {
    std::vector<uint8_t> tables;
    std::vector<uint8_t> image;
};
JpegParts encodeJpegSplit(int width, int height, std::span<const uint32_t> pixels,
                          int quality = 85);

// 0xAARRGGBB from straight colour to premultiplied colour.
uint32_t premultiply(uint32_t argb);

} // namespace swf::writer
