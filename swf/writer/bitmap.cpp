#include "swf/writer/bitmap.h"

#include "swf/writer/buffer.h"

#include <stdexcept>

namespace swf::writer {

namespace {

void checkSize(int width, int height, size_t count) {
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF)
        throw std::invalid_argument("bitmap size out of range");
    if (count != size_t(width) * size_t(height))
        throw std::invalid_argument("pixel count does not match the bitmap size");
}

Tag losslessTag(uint16_t id, bool alpha, uint8_t format, int width, int height,
                const std::vector<uint8_t>& prefix, const std::vector<uint8_t>& raw) {
    Buffer b;
    b.u16(id).u8(format).u16(static_cast<uint16_t>(width)).u16(static_cast<uint16_t>(height));
    b.bytes(prefix).bytes(zlibCompress(raw));
    return {alpha ? tagcode::DefineBitsLossless2 : tagcode::DefineBitsLossless, b.take(), true};
}

} // namespace

uint32_t premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (ch((argb >> 16) & 0xFF) << 16) | (ch((argb >> 8) & 0xFF) << 8) |
           ch(argb & 0xFF);
}

Tag defineBitsLossless(uint16_t id, int width, int height, std::span<const uint32_t> pixels,
                       bool alpha) {
    checkSize(width, height, pixels.size());
    std::vector<uint8_t> raw;
    raw.reserve(pixels.size() * 4);
    for (uint32_t p : pixels) {
        raw.push_back(alpha ? static_cast<uint8_t>(p >> 24) : 0xFF);
        raw.push_back(static_cast<uint8_t>(p >> 16));
        raw.push_back(static_cast<uint8_t>(p >> 8));
        raw.push_back(static_cast<uint8_t>(p));
    }
    return losslessTag(id, alpha, 5, width, height, {}, raw);
}

Tag defineBitsLosslessPalette(uint16_t id, int width, int height, std::span<const Rgba> palette,
                              std::span<const uint8_t> indices, bool alpha) {
    checkSize(width, height, indices.size());
    if (palette.empty() || palette.size() > 256)
        throw std::invalid_argument("a palette holds 1 to 256 colours");
    Buffer raw;
    for (Rgba c : palette)
        alpha ? raw.rgba(c) : raw.rgb(c);
    size_t stride = (size_t(width) + 3) & ~size_t(3);
    std::vector<uint8_t> row(stride, 0);
    for (int y = 0; y < height; ++y) {
        std::copy_n(indices.begin() + ptrdiff_t(y) * width, width, row.begin());
        raw.bytes(row);
    }
    return losslessTag(id, alpha, 3, width, height, {static_cast<uint8_t>(palette.size() - 1)},
                       raw.data());
}

Tag defineBitsLossless15(uint16_t id, int width, int height, std::span<const uint32_t> pixels) {
    checkSize(width, height, pixels.size());
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[size_t(y) * width + x];
            uint16_t v = static_cast<uint16_t>((((p >> 19) & 0x1F) << 10) |
                                               (((p >> 11) & 0x1F) << 5) | ((p >> 3) & 0x1F));
            raw.push_back(static_cast<uint8_t>(v >> 8)); // big-endian
            raw.push_back(static_cast<uint8_t>(v));
        }
        if (width % 2) raw.insert(raw.end(), {0, 0});
    }
    return losslessTag(id, false, 4, width, height, {}, raw);
}

Tag jpegTables(std::span<const uint8_t> tables) {
    return {tagcode::JPEGTables, {tables.begin(), tables.end()}, true};
}

Tag defineBits(uint16_t id, std::span<const uint8_t> jpeg) {
    return {tagcode::DefineBits, Buffer().u16(id).bytes(jpeg).take(), true};
}

Tag defineBitsJpeg2(uint16_t id, std::span<const uint8_t> image) {
    return {tagcode::DefineBitsJPEG2, Buffer().u16(id).bytes(image).take(), true};
}

namespace {

Tag jpegWithAlpha(uint16_t code, uint16_t id, std::span<const uint8_t> image,
                  std::span<const uint8_t> alpha, const double* deblock) {
    Buffer b;
    b.u16(id).u32(static_cast<uint32_t>(image.size()));
    if (deblock) b.fixed8(*deblock);
    b.bytes(image);
    if (!alpha.empty()) b.bytes(zlibCompress(alpha));
    return {code, b.take(), true};
}

} // namespace

Tag defineBitsJpeg3(uint16_t id, std::span<const uint8_t> image, std::span<const uint8_t> alpha) {
    return jpegWithAlpha(tagcode::DefineBitsJPEG3, id, image, alpha, nullptr);
}

Tag defineBitsJpeg4(uint16_t id, std::span<const uint8_t> image, std::span<const uint8_t> alpha,
                    double deblock) {
    return jpegWithAlpha(tagcode::DefineBitsJPEG4, id, image, alpha, &deblock);
}

} // namespace swf::writer
