#include "swf/media/bitmap.h"

#include "swf/format/reader.h"
#include "swf/media/bitmap_codecs.h"
#include "swf/media/bitmap_inflate.h"
#include "swf/media/bitmap_pixels.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace swf {

using namespace bitmap_detail;

namespace {

constexpr int kTagDefineBitsLossless = 20;
constexpr int kTagDefineBitsJpeg2 = 21;
constexpr int kTagDefineBitsJpeg3 = 35;
constexpr int kTagDefineBitsLossless2 = 36;
constexpr int kTagDefineBitsJpeg4 = 90;

constexpr int kFormatColorMapped = 3;
constexpr int kFormatPix15 = 4;
constexpr int kFormatDirect = 5;

enum class Payload { Jpeg, Png, Gif };

Payload payloadKind(std::span<const uint8_t> data) {
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (data.size() >= sizeof kPng && std::equal(std::begin(kPng), std::end(kPng), data.begin()))
        return Payload::Png;
    if (data.size() >= 6 && std::memcmp(data.data(), "GIF8", 4) == 0 &&
        (data[4] == '7' || data[4] == '9') && data[5] == 'a')
        return Payload::Gif;
    return Payload::Jpeg;
}

// The JPEG3/JPEG4 alpha plane: one byte per pixel, zlib-compressed. The colour of these
// images is stored premultiplied, so it is clamped to the alpha rather than multiplied
// (writers that forgot to premultiply then still give a valid pixel, as Flash shows them).
// A plane that is missing, broken or shorter than the image is ignored: the image stays
// opaque.
void applyAlphaPlane(Bitmap& bm, std::span<const uint8_t> zlibAlpha) {
    if (zlibAlpha.empty()) return;
    std::vector<uint8_t> alpha(bm.pixels.size());
    if (inflateInto(zlibAlpha, alpha) < alpha.size()) return;
    for (size_t i = 0; i < alpha.size(); ++i) {
        const uint32_t p = bm.pixels[i];
        // Rows a broken JPEG never delivered are transparent and stay so.
        const auto a = static_cast<uint8_t>(std::min<uint32_t>(alpha[i], p >> 24));
        bm.pixels[i] = clampedToAlpha(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), a);
    }
}

struct LosslessHeader {
    const char* tagName = "";
    bool hasAlpha = false;
    int format = 0;
    int width = 0;
    int height = 0;
    size_t colorTableSize = 0; // entries, format 3 only
    std::span<const uint8_t> zlibData;
};

Result<LosslessHeader> readLosslessHeader(int tagCode, std::span<const uint8_t> body) {
    LosslessHeader h;
    if (tagCode != kTagDefineBitsLossless && tagCode != kTagDefineBitsLossless2)
        return Error{"tag " + std::to_string(tagCode) + " is not a lossless bitmap"};
    h.hasAlpha = tagCode == kTagDefineBitsLossless2;
    h.tagName = h.hasAlpha ? "DefineBitsLossless2" : "DefineBitsLossless";
    Reader r(body);
    h.format = r.u8();
    h.width = r.u16();
    h.height = r.u16();
    if (h.format == kFormatColorMapped) h.colorTableSize = size_t(r.u8()) + 1;
    h.zlibData = r.rest();
    const std::string name = h.tagName;
    if (r.overrun()) return Error{name + ": truncated header"};
    const bool known = h.format == kFormatColorMapped || h.format == kFormatDirect ||
                       (h.format == kFormatPix15 && !h.hasAlpha);
    if (!known) return Error{name + ": unknown bitmap format " + std::to_string(h.format)};
    if (auto e = checkDimensions(h.tagName, uint64_t(h.width), uint64_t(h.height))) return *e;
    return h;
}

Error noPixelData(const LosslessHeader& h) {
    return Error{std::string(h.tagName) + ": pixel data does not inflate"};
}

// Converts rows of fixed-size pixel records, each row padded to `stride` bytes, for as far
// as `rows` reaches; pixels past its end keep their value (transparent).
template <typename Pixel>
void convertRows(Bitmap& bm, std::span<const uint8_t> rows, size_t stride, size_t recordSize,
                 Pixel pixel) {
    const size_t width = size_t(bm.width);
    for (size_t y = 0; y < size_t(bm.height); ++y) {
        uint32_t* out = bm.pixels.data() + y * width;
        for (size_t x = 0; x < width; ++x) {
            const size_t at = y * stride + x * recordSize;
            if (at + recordSize > rows.size()) return;
            out[x] = pixel(rows.data() + at);
        }
    }
}

size_t paddedTo4(size_t n) {
    return (n + 3) & ~size_t(3);
}

Result<Bitmap> decodeColorMapped(const LosslessHeader& h) {
    const size_t entrySize = h.hasAlpha ? 4 : 3;
    const size_t tableBytes = h.colorTableSize * entrySize;
    const size_t stride = paddedTo4(size_t(h.width));
    std::vector<uint8_t> data(tableBytes + stride * size_t(h.height));
    const size_t decoded = inflateInto(h.zlibData, data);
    if (decoded == 0) return noPixelData(h);

    // Indices past the table (or past a truncated table) get no colour: transparent with
    // alpha, black without.
    std::array<uint32_t, 256> palette;
    palette.fill(h.hasAlpha ? 0 : opaqueRgb(0, 0, 0));
    const size_t entries = std::min(h.colorTableSize, decoded / entrySize);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* e = data.data() + i * entrySize;
        palette[i] =
            h.hasAlpha ? clampedToAlpha(e[0], e[1], e[2], e[3]) : opaqueRgb(e[0], e[1], e[2]);
    }
    Bitmap bm = blankBitmap(h.width, h.height);
    if (decoded > tableBytes) {
        const auto rows = std::span<const uint8_t>(data).subspan(tableBytes, decoded - tableBytes);
        convertRows(bm, rows, stride, 1, [&](const uint8_t* p) { return palette[*p]; });
    }
    return bm;
}

Result<Bitmap> decodePix15(const LosslessHeader& h) {
    const size_t stride = paddedTo4(size_t(h.width) * 2);
    std::vector<uint8_t> data(stride * size_t(h.height));
    const size_t decoded = inflateInto(h.zlibData, data);
    if (decoded == 0) return noPixelData(h);
    Bitmap bm = blankBitmap(h.width, h.height);
    convertRows(bm, std::span<const uint8_t>(data).first(decoded), stride, 2, [](const uint8_t* p) {
        // Big-endian: 1 unused bit, then 5 bits each of red, green and blue.
        const unsigned v = unsigned(p[0]) << 8 | p[1];
        auto expand = [](unsigned c) { return uint8_t((c << 3) | (c >> 2)); };
        return opaqueRgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
    });
    return bm;
}

Result<Bitmap> decodeDirect(const LosslessHeader& h) {
    // Records are 4 bytes, like the output pixels, and rows need no padding: inflate
    // straight into the bitmap and convert in place.
    Bitmap bm = blankBitmap(h.width, h.height);
    const size_t decoded = inflateInto(h.zlibData, {pixelBytes(bm), bm.pixels.size() * 4});
    if (decoded == 0) return noPixelData(h);
    const size_t whole = decoded / 4;
    if (h.hasAlpha)
        convertBytesInPlace(bm, whole, [](uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
            return clampedToAlpha(r, g, b, a);
        });
    else
        convertBytesInPlace(
            bm, whole, [](uint8_t, uint8_t r, uint8_t g, uint8_t b) { return opaqueRgb(r, g, b); });
    std::fill(bm.pixels.begin() + ptrdiff_t(whole), bm.pixels.end(), 0u);
    return bm;
}

} // namespace

Result<Bitmap> decodeDefineBits(std::span<const uint8_t> body,
                                std::span<const uint8_t> jpegTables) {
    auto result = decodeJpeg(joinJpeg(jpegTables, body));
    if (!ok(result) && !jpegTables.empty()) {
        // Some writers put complete JPEGs in DefineBits; unusable tables must not spoil them.
        auto alone = decodeJpeg(joinJpeg({}, body));
        if (ok(alone)) return alone;
    }
    return result;
}

Result<Bitmap> decodeDefineBitsJpeg(int tagCode, std::span<const uint8_t> body) {
    Reader r(body);
    std::span<const uint8_t> image;
    std::span<const uint8_t> alpha;
    if (tagCode == kTagDefineBitsJpeg2) {
        image = r.rest();
    } else if (tagCode == kTagDefineBitsJpeg3 || tagCode == kTagDefineBitsJpeg4) {
        const uint32_t imageSize = r.u32();
        if (tagCode == kTagDefineBitsJpeg4) r.u16(); // deblocking strength: not applied
        if (r.overrun()) return Error{"DefineBitsJPEG: truncated header"};
        image = r.bytes(imageSize); // a short tag keeps what it has
        alpha = r.rest();
    } else {
        return Error{"tag " + std::to_string(tagCode) + " is not a JPEG bitmap"};
    }
    switch (payloadKind(image)) {
    case Payload::Png:
        return decodePng(image); // PNG and GIF carry their own alpha
    case Payload::Gif:
        return decodeGif(image);
    case Payload::Jpeg:
        break;
    }
    auto result = decodeJpeg(joinJpeg({}, image));
    if (auto* bm = std::get_if<Bitmap>(&result)) applyAlphaPlane(*bm, alpha);
    return result;
}

Result<Bitmap> decodeDefineBitsLossless(int tagCode, std::span<const uint8_t> body) {
    auto header = readLosslessHeader(tagCode, body);
    if (auto* e = std::get_if<Error>(&header)) return *e;
    const auto& h = std::get<LosslessHeader>(header);
    switch (h.format) {
    case kFormatColorMapped:
        return decodeColorMapped(h);
    case kFormatPix15:
        return decodePix15(h);
    default:
        return decodeDirect(h);
    }
}

} // namespace swf
