// Bitmap tag decoders: lossless formats, JPEG variants with their marker quirks, the
// alpha plane, PNG/GIF payloads and hostile input.
#include "swf/media/bitmap.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <zlib.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes zlib(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

// DefineBitsLossless(2) body after the character id.
Bytes lossless(int format, int w, int h, const Bytes& raw, int tableEntries = 0) {
    Bytes out{uint8_t(format), uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8)};
    if (format == 3) out.push_back(uint8_t(tableEntries - 1));
    return cat({out, zlib(raw)});
}

Bytes le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// Encodes samples (components per pixel given by the colour space) with libjpeg, 4:4:4.
Bytes encodeJpeg(int w, int h, J_COLOR_SPACE space, const Bytes& samples,
                 bool progressive = false) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    const size_t stride = size_t(w) * size_t(c.input_components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buf, buf + size);
    std::free(buf);
    jpeg_destroy_compress(&c);
    return out;
}

// 16x16 RGB: red, green / blue, white quadrants (each an 8x8 block, so colours survive).
Bytes quadrantJpeg(bool progressive = false) {
    Bytes s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            static const uint8_t q[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
            const uint8_t* c = q[(y / 8) * 2 + x / 8];
            s.insert(s.end(), c, c + 3);
        }
    return encodeJpeg(16, 16, JCS_RGB, s, progressive);
}

// Moves the quantisation and Huffman tables of a JPEG into a separate SOI..EOI stream,
// the way DefineBits + JPEGTables store them.
std::pair<Bytes, Bytes> splitTables(const Bytes& jpeg) {
    Bytes tables{0xFF, 0xD8}, image{0xFF, 0xD8};
    size_t p = 2;
    while (p + 4 <= jpeg.size()) {
        const uint8_t m = jpeg[p + 1];
        const size_t end = p + 2 + (size_t(jpeg[p + 2]) << 8 | jpeg[p + 3]);
        Bytes& to = (m == 0xDB || m == 0xC4) ? tables : image;
        if (m == 0xDA) {
            image.insert(image.end(), jpeg.begin() + ptrdiff_t(p), jpeg.end());
            break;
        }
        to.insert(to.end(), jpeg.begin() + ptrdiff_t(p), jpeg.begin() + ptrdiff_t(end));
        p = end;
    }
    tables.insert(tables.end(), {0xFF, 0xD9});
    return {tables, image};
}

Bytes encodePng(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return Bytes(buffer.data().begin(), buffer.data().end());
}

// 4x3 screen, one 2x2 frame at (1,1) with colours red, green, and index 2 transparent.
Bytes encodeGif() {
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* b, int n) {
            auto* o = static_cast<Bytes*>(g->UserData);
            o->insert(o->end(), b, b + n);
            return n;
        },
        &err);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 3, 2, 0, map);
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, 2};
    GifByteType ext[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&gcb, ext)), ext);
    EGifPutImageDesc(gif, 1, 1, 2, 2, false, nullptr);
    GifPixelType rows[2][2] = {{0, 1}, {2, 0}};
    for (auto& row : rows)
        EGifPutLine(gif, row, 2);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

const swf::Bitmap& bitmapOf(const swf::Result<swf::Bitmap>& r) {
    if (auto* e = std::get_if<swf::Error>(&r)) ADD_FAILURE() << "error: " << e->message;
    static const swf::Bitmap empty;
    return swf::ok(r) ? std::get<swf::Bitmap>(r) : empty;
}

uint32_t at(const swf::Bitmap& bm, int x, int y) {
    return x < bm.width && y < bm.height ? bm.pixels[size_t(y * bm.width + x)] : 0xDEADBEEF;
}

::testing::AssertionResult near(uint32_t actual, uint32_t expected, int tolerance = 8) {
    for (int shift = 0; shift < 32; shift += 8) {
        int a = int(actual >> shift & 255), e = int(expected >> shift & 255);
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "%08X vs %08X", unsigned(actual), unsigned(expected));
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

void expectQuadrants(const swf::Bitmap& bm) {
    ASSERT_EQ(bm.width, 16);
    ASSERT_EQ(bm.height, 16);
    EXPECT_TRUE(near(at(bm, 2, 2), 0xFFFF0000));
    EXPECT_TRUE(near(at(bm, 13, 2), 0xFF00FF00));
    EXPECT_TRUE(near(at(bm, 2, 13), 0xFF0000FF));
    EXPECT_TRUE(near(at(bm, 13, 13), 0xFFFFFFFF));
}

} // namespace

TEST(BitmapLossless, ColorMappedRowsArePaddedAndOutOfTableIndicesHaveNoColour) {
    // 3 pixels a row, padded to 4; index 7 is past the two-entry table.
    const Bytes rgbTable{10, 20, 30, 200, 100, 50};
    const Bytes rows{0, 1, 7, 0xEE, 1, 0, 0, 0xEE};
    auto bm =
        bitmapOf(swf::decodeDefineBitsLossless(20, lossless(3, 3, 2, cat({rgbTable, rows}), 2)));
    ASSERT_EQ(bm.pixels.size(), 6u);
    EXPECT_EQ(bm.pixels, (std::vector<uint32_t>{0xFF0A141E, 0xFFC86432, 0xFF000000, 0xFFC86432,
                                                0xFF0A141E, 0xFF0A141E}));

    // Lossless2: RGBA entries are premultiplied; one that is not gets clamped to its alpha.
    const Bytes rgbaTable{0x40, 0x20, 0x10, 0x80, 0xFF, 0x90, 0x00, 0x80};
    auto bm2 =
        bitmapOf(swf::decodeDefineBitsLossless(36, lossless(3, 3, 2, cat({rgbaTable, rows}), 2)));
    EXPECT_EQ(bm2.pixels, (std::vector<uint32_t>{0x80402010, 0x80808000, 0x00000000, 0x80808000,
                                                 0x80402010, 0x80402010}));
}

TEST(BitmapLossless, Pix15IsBigEndianWithPaddedRows) {
    // Red with the unused top bit set, green, blue; 6 bytes a row padded to 8.
    const Bytes raw{0xFC, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0xAB, 0xCD,
                    0x42, 0x10, 0x00, 0x00, 0x7F, 0xFF, 0xAB, 0xCD};
    auto bm = bitmapOf(swf::decodeDefineBitsLossless(20, lossless(4, 3, 2, raw)));
    EXPECT_EQ(bm.pixels, (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848484,
                                                0xFF000000, 0xFFFFFFFF}));
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(36, lossless(4, 3, 2, raw))));
}

TEST(BitmapLossless, DirectPixelsIgnoreReservedByteOrKeepPremultipliedAlpha) {
    const Bytes raw{0x12, 10,   20,   30,   0x00, 40,   50,   60,
                    0x80, 0x40, 0x20, 0x10, 0x40, 0xFF, 0x40, 0x00};
    auto opaque = bitmapOf(swf::decodeDefineBitsLossless(20, lossless(5, 2, 2, raw)));
    EXPECT_EQ(opaque.pixels,
              (std::vector<uint32_t>{0xFF0A141E, 0xFF28323C, 0xFF402010, 0xFFFF4000}));
    auto alpha = bitmapOf(swf::decodeDefineBitsLossless(36, lossless(5, 2, 2, raw)));
    EXPECT_EQ(alpha.pixels,
              (std::vector<uint32_t>{0x120A1212, 0x00000000, 0x80402010, 0x40404000}));

    // A stream longer than the image is cut at the image size.
    Bytes longer = raw;
    longer.resize(1 << 20, 0x77);
    EXPECT_EQ(bitmapOf(swf::decodeDefineBitsLossless(20, lossless(5, 2, 2, longer))).pixels,
              opaque.pixels);
}

TEST(BitmapLossless, TruncatedStreamKeepsDecodedPixelsAndBadHeadersAreErrors) {
    // Noisy blue so the stream does not compress to almost nothing.
    Bytes raw(64 * 64 * 4);
    uint32_t noise = 1;
    for (size_t i = 0; i < raw.size(); i += 4) {
        noise = noise * 1103515245u + 12345u;
        raw[i] = 0xFF, raw[i + 1] = 0x11, raw[i + 3] = uint8_t(noise >> 16);
    }
    Bytes body = lossless(5, 64, 64, raw);
    body.resize(body.size() / 2);
    auto bm = bitmapOf(swf::decodeDefineBitsLossless(36, body));
    ASSERT_EQ(bm.pixels.size(), 64u * 64u);
    EXPECT_EQ(bm.pixels.front() & 0xFFFFFF00u, 0xFF110000u);
    EXPECT_EQ(bm.pixels.back(), 0u);

    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(20, Bytes{5, 2, 0}))); // short header
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(20, lossless(6, 2, 2, raw)))); // format
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(20, lossless(5, 0, 2, raw)))); // empty
    EXPECT_FALSE(
        swf::ok(swf::decodeDefineBitsLossless(20, Bytes{5, 2, 0, 2, 0, 1, 2, 3})));   // not zlib
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(21, lossless(5, 2, 2, raw)))); // tag
}

TEST(BitmapLimits, OversizeImagesAreRefused) {
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsLossless(36, lossless(5, 65535, 65535, {0}))));
    // A JPEG whose frame header claims 16384x16384.
    Bytes jpeg = quadrantJpeg();
    for (size_t p = 2; p + 9 < jpeg.size(); ++p)
        if (jpeg[p] == 0xFF && jpeg[p + 1] == 0xC0) {
            const uint8_t size[] = {0x40, 0x00, 0x40, 0x00};
            std::memcpy(&jpeg[p + 5], size, sizeof size);
            break;
        }
    auto r = swf::decodeDefineBitsJpeg(21, jpeg);
    ASSERT_FALSE(swf::ok(r));
    EXPECT_NE(std::get<swf::Error>(r).message.find("too large"), std::string::npos);
}

TEST(BitmapJpeg, MarkerQuirksOfSwfFilesAreRepaired) {
    const Bytes jpeg = quadrantJpeg();
    expectQuadrants(bitmapOf(swf::decodeDefineBitsJpeg(21, jpeg)));
    // The erroneous header of old files.
    expectQuadrants(bitmapOf(swf::decodeDefineBitsJpeg(21, cat({{0xFF, 0xD9, 0xFF, 0xD8}, jpeg}))));
    // Tables and image as two streams glued together (EOI SOI in the middle).
    auto [tables, image] = splitTables(jpeg);
    expectQuadrants(bitmapOf(swf::decodeDefineBitsJpeg(21, cat({tables, image}))));
    // No final EOI.
    expectQuadrants(bitmapOf(swf::decodeDefineBitsJpeg(21, Bytes(jpeg.begin(), jpeg.end() - 2))));
}

TEST(BitmapJpeg, ProgressiveGreyscaleAndCmykBecomeRgb) {
    expectQuadrants(bitmapOf(swf::decodeDefineBitsJpeg(21, quadrantJpeg(true))));

    auto grey =
        bitmapOf(swf::decodeDefineBitsJpeg(21, encodeJpeg(8, 8, JCS_GRAYSCALE, Bytes(64, 0x60))));
    EXPECT_TRUE(near(at(grey, 4, 4), 0xFF606060, 2));

    // libjpeg writes the Adobe marker, so samples are read as inverted CMYK: this is red.
    Bytes cmyk;
    for (int i = 0; i < 64; ++i)
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    auto red = bitmapOf(swf::decodeDefineBitsJpeg(21, encodeJpeg(8, 8, JCS_CMYK, cmyk)));
    EXPECT_TRUE(near(at(red, 4, 4), 0xFFFF0000));
}

TEST(BitmapJpeg, DefineBitsJoinsSharedTables) {
    const Bytes jpeg = quadrantJpeg();
    auto [tables, image] = splitTables(jpeg);
    expectQuadrants(bitmapOf(swf::decodeDefineBits(image, tables)));
    // Tables without their own SOI/EOI, and image data with the erroneous header.
    const Bytes bare(tables.begin() + 2, tables.end() - 2);
    expectQuadrants(bitmapOf(swf::decodeDefineBits(cat({{0xFF, 0xD9, 0xFF, 0xD8}, image}), bare)));
    // Complete JPEGs with empty or useless tables.
    expectQuadrants(bitmapOf(swf::decodeDefineBits(jpeg, {})));
    expectQuadrants(bitmapOf(swf::decodeDefineBits(jpeg, Bytes{1, 2, 3})));
    EXPECT_FALSE(swf::ok(swf::decodeDefineBits(image, {})));
}

TEST(BitmapJpeg, AlphaPlaneClampsPremultipliedColour) {
    // Grey 0x80 stored premultiplied for alpha 0x80; white where alpha is 0x40 was not
    // premultiplied by its writer and is clamped.
    Bytes rgb;
    for (int i = 0; i < 64; ++i)
        rgb.insert(rgb.end(), {0x80, 0x80, 0x80});
    for (int i = 0; i < 64; ++i)
        rgb.insert(rgb.end(), {0xFF, 0xFF, 0xFF});
    const Bytes jpeg = encodeJpeg(8, 16, JCS_RGB, rgb);
    Bytes alpha(64, 0x80);
    alpha.resize(128, 0x40);
    const Bytes body3 = cat({le32(uint32_t(jpeg.size())), jpeg, zlib(alpha)});
    auto bm = bitmapOf(swf::decodeDefineBitsJpeg(35, body3));
    EXPECT_TRUE(near(at(bm, 3, 3), 0x80808080, 3));
    EXPECT_EQ(at(bm, 3, 12), 0x40404040u);

    const Bytes body4 = cat({le32(uint32_t(jpeg.size())), {0x00, 0x01}, jpeg, zlib(alpha)});
    EXPECT_EQ(bitmapOf(swf::decodeDefineBitsJpeg(90, body4)).pixels, bm.pixels);

    // Short, corrupt or missing planes leave the image opaque.
    for (const Bytes& plane : {zlib(Bytes(100, 0x80)), Bytes{1, 2, 3, 4}, Bytes{}}) {
        auto opaque = bitmapOf(
            swf::decodeDefineBitsJpeg(35, cat({le32(uint32_t(jpeg.size())), jpeg, plane})));
        EXPECT_TRUE(near(at(opaque, 3, 12), 0xFFFFFFFF));
    }
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsJpeg(35, Bytes{1, 0})));
}

TEST(BitmapJpeg, PngAndGifPayloadsCarryTheirOwnAlpha) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 128));
    image.setPixel(1, 0, qRgba(0, 0, 255, 255));
    const Bytes png = encodePng(image);
    auto bm = bitmapOf(swf::decodeDefineBitsJpeg(21, png));
    EXPECT_EQ(bm.pixels, (std::vector<uint32_t>{0x80800000, 0xFF0000FF}));
    // The JPEG3 alpha plane does not apply to PNG.
    const Bytes body = cat({le32(uint32_t(png.size())), png, zlib({0, 0})});
    EXPECT_EQ(bitmapOf(swf::decodeDefineBitsJpeg(35, body)).pixels, bm.pixels);

    auto gif = bitmapOf(swf::decodeDefineBitsJpeg(21, encodeGif()));
    ASSERT_EQ(gif.width, 4);
    ASSERT_EQ(gif.height, 3);
    EXPECT_EQ(gif.pixels, (std::vector<uint32_t>{0, 0, 0, 0,                   //
                                                 0, 0xFFFF0000, 0xFF00FF00, 0, //
                                                 0, 0, 0xFFFF0000, 0}));
}

TEST(BitmapRobustness, TruncatedAndDamagedInputNeverCrashes) {
    const Bytes jpeg = quadrantJpeg(true);
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(qRgba(1, 2, 3, 4));
    const Bytes png = encodePng(image);
    const Bytes gif = encodeGif();
    const Bytes palette = lossless(3, 5, 5, Bytes(3 * 4 + 8 * 5, 1), 4);

    // Cut in the entropy data (the last block): libjpeg fills in the rest.
    const Bytes baseline = quadrantJpeg();
    auto cut = bitmapOf(swf::decodeDefineBitsJpeg(21, Bytes(baseline.begin(), baseline.end() - 6)));
    EXPECT_EQ(cut.width, 16);
    EXPECT_TRUE(near(at(cut, 2, 2), 0xFFFF0000));
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsJpeg(21, Bytes(300, 0xAB))));
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsJpeg(21, {})));
    EXPECT_FALSE(swf::ok(swf::decodeDefineBitsJpeg(21, Bytes(png.begin(), png.begin() + 40))));

    // Every prefix and a spread of single-byte changes: any outcome but a crash is fine,
    // and a decoded image always has its pixels.
    auto check = [](const swf::Result<swf::Bitmap>& r) {
        if (auto* bm = std::get_if<swf::Bitmap>(&r)) {
            ASSERT_EQ(bm->pixels.size(), size_t(bm->width) * size_t(bm->height));
        }
    };
    for (const Bytes* input : {&jpeg, &png, &gif, &palette}) {
        for (size_t n = 0; n <= input->size(); ++n) {
            const Bytes prefix(input->begin(), input->begin() + ptrdiff_t(n));
            check(input == &palette ? swf::decodeDefineBitsLossless(36, prefix)
                                    : swf::decodeDefineBitsJpeg(21, prefix));
        }
        for (size_t i = 0; i < input->size(); i += 3) {
            Bytes damaged = *input;
            damaged[i] ^= uint8_t(0x5A + i);
            check(input == &palette ? swf::decodeDefineBitsLossless(20, damaged)
                                    : swf::decodeDefineBits(damaged, {}));
        }
    }
}
