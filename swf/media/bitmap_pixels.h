// Pixel packing and size checks shared by the bitmap decoders.
#pragma once

#include "swf/format/limits.h"
#include "swf/media/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace swf::bitmap_detail {

inline uint32_t packArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint32_t opaqueRgb(uint8_t r, uint8_t g, uint8_t b) {
    return packArgb(255, r, g, b);
}

// Straight colour to premultiplied, rounded to nearest.
inline uint32_t premultiplied(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    auto mul = [a](uint8_t c) { return (uint32_t(c) * a + 127) / 255; };
    return packArgb(a, mul(r), mul(g), mul(b));
}

// Colour that is meant to be premultiplied already: a channel above the alpha would be
// invalid, so it is clamped to the alpha.
inline uint32_t clampedToAlpha(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return packArgb(a, std::min(r, a), std::min(g, a), std::min(b, a));
}

// Refuses empty images and images over the per-bitmap pixel limit.
inline std::optional<Error> checkDimensions(const char* what, uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) return Error{std::string(what) + ": image has no pixels"};
    if (width > limits::kMaxBitmapPixels / height)
        return Error{std::string(what) + ": image of " + std::to_string(width) + "x" +
                     std::to_string(height) + " pixels is too large"};
    return std::nullopt;
}

// A bitmap of the given size with every pixel transparent black. The caller has checked
// the dimensions.
inline Bitmap blankBitmap(int width, int height) {
    Bitmap bm;
    bm.width = width;
    bm.height = height;
    bm.pixels.assign(size_t(width) * size_t(height), 0);
    return bm;
}

// The pixel storage as bytes, so a decoder can write 4-byte pixel records straight into it
// and convert them in place.
inline uint8_t* pixelBytes(Bitmap& bm) {
    return reinterpret_cast<uint8_t*>(bm.pixels.data());
}

// Turns the first `count` pixels, each holding four bytes c0 c1 c2 c3 in memory order, into
// packed pixels: pixel = convert(c0, c1, c2, c3).
template <typename Convert> void convertBytesInPlace(Bitmap& bm, size_t count, Convert convert) {
    const uint8_t* bytes = pixelBytes(bm);
    count = std::min(count, bm.pixels.size());
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = bytes + i * 4;
        uint8_t c0 = p[0], c1 = p[1], c2 = p[2], c3 = p[3];
        bm.pixels[i] = convert(c0, c1, c2, c3);
    }
}

} // namespace swf::bitmap_detail
