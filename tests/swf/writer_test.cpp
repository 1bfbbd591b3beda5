// The SWF writer at the byte level: bit fields, records, tag headers, the three file
// containers and the layout of the tags fixtures are built from. Expected bytes are
// worked out by hand from the format's field tables, written as bit strings where the
// fields do not fall on byte boundaries.
#include "swf/writer/writer.h"

#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <lzma.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>
#include <string>
#include <vector>

using namespace swf::writer;
using swf::ColorTransform;
using swf::Matrix;
using swf::Rect;
using swf::Rgba;

namespace {

using Bytes = std::vector<uint8_t>;

// "0101 1" -> bytes, MSB first, padded with zero bits; spaces are for reading only.
Bytes bits(const std::string& s) {
    Bytes out;
    int n = 0;
    for (char c : s) {
        if (c == ' ') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() |= uint8_t(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes tagBytes(const Tag& t) {
    Bytes out;
    appendTag(out, t);
    return out;
}

uint32_t le32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

Bytes inflate(const Bytes& z, size_t expected) {
    Bytes out(expected);
    uLongf size = uLongf(expected);
    EXPECT_EQ(uncompress(out.data(), &size, z.data(), uLong(z.size())), Z_OK);
    out.resize(size);
    return out;
}

// Decodes ZWS data with liblzma's .lzma decoder: properties + 64-bit size + stream.
Bytes unlzma(const Bytes& file, uint64_t declaredSize) {
    Bytes alone(file.begin() + 12, file.begin() + 17);
    for (int i = 0; i < 8; ++i)
        alone.push_back(uint8_t(declaredSize >> (8 * i)));
    alone.insert(alone.end(), file.begin() + 17, file.end());
    lzma_stream s = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_alone_decoder(&s, UINT64_MAX), LZMA_OK);
    Bytes out(1 << 20);
    s.next_in = alone.data();
    s.avail_in = alone.size();
    s.next_out = out.data();
    s.avail_out = out.size();
    lzma_ret r = lzma_code(&s, LZMA_FINISH);
    EXPECT_EQ(r, LZMA_STREAM_END);
    out.resize(s.total_out);
    lzma_end(&s);
    return out;
}

// A movie with a little of everything, so compressed forms have real content.
MovieWriter sampleMovie() {
    MovieWriter m(13, {0, 11000, 0, 8000}, 24, Rgba{10, 20, 30});
    ShapeBuilder s;
    s.fill1(s.addFill(FillStyle::solid({200, 40, 40}))).ellipse(1000, 1000, 600, 400);
    uint16_t id = m.newId();
    m.add(defineShape(id, s, 3));
    for (int i = 0; i < 30; ++i) {
        if (i == 0)
            m.place(1, id, Matrix::translate(i * 100, 0));
        else
            m.move(1, Matrix::translate(i * 100, 0));
        m.showFrame();
    }
    return m;
}

} // namespace

TEST(WriterBits, FieldsPackMsbFirstAndBytesAlign) {
    Buffer b;
    b.ub(5, 3).flag(true).sb(-1, 4); // 101 1 1111
    b.ub(1, 1).u8(0xAA);             // 1 then padding, then a whole byte
    b.sb(-2, 2).ub(0x1FF, 9).align();
    EXPECT_EQ(b.data(), cat({bits("101 1 1111"), bits("1"), {0xAA}, bits("10 111111111")}));

    Buffer le;
    le.u16(0x1234).u32(0xA1B2C3D4).i16(-2).fixed8(1.5).fixed16(-0.5).encodedU32(300);
    le.string("ab");
    EXPECT_EQ(le.data(), (Bytes{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0xFE, 0xFF, 0x80, 0x01, 0x00,
                                0x80, 0xFF, 0xFF, 0xAC, 0x02, 'a', 'b', 0}));

    EXPECT_THROW(Buffer().ub(4, 2), std::invalid_argument);
    EXPECT_THROW(Buffer().sb(2, 2), std::invalid_argument);
    EXPECT_THROW(Buffer().sb(-3, 2), std::invalid_argument);
}

TEST(WriterBits, MinimalWidths) {
    EXPECT_EQ(unsignedBits(0), 0);
    EXPECT_EQ(unsignedBits(1), 1);
    EXPECT_EQ(unsignedBits(255), 8);
    EXPECT_EQ(unsignedBits(256), 9);
    EXPECT_EQ(signedBits(0), 0);
    EXPECT_EQ(signedBits(1), 2);
    EXPECT_EQ(signedBits(-1), 1);
    EXPECT_EQ(signedBits(-2), 2);
    EXPECT_EQ(signedBits(255), 9);
    EXPECT_EQ(signedBits(-256), 9);
    EXPECT_EQ(signedBits(-257), 10);
    EXPECT_EQ(signedBits(11000), 15);
    EXPECT_EQ(signedBits(INT32_MIN), 32);
}

TEST(WriterRecords, Rect) {
    // The usual 550 x 400 stage: Nbits 15.
    EXPECT_EQ(Buffer().rect({0, 11000, 0, 8000}).data(),
              (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
    EXPECT_EQ(Buffer().rect({}).data(), bits("00000"));
    EXPECT_EQ(Buffer().rect({-1, 1, 0, 0}).data(), bits("00010 11 01 00 00"));
}

TEST(WriterRecords, Matrix) {
    // Identity: no scale, no rotate, zero translate bits.
    EXPECT_EQ(Buffer().matrix({}).data(), bits("0 0 00000"));
    EXPECT_EQ(Buffer().matrix(Matrix::translate(20, -20)).data(), bits("0 0 00110 010100 101100"));
    // 2.0 = 0x20000 needs 19 bits, 0.5 = 0x8000 fits them.
    EXPECT_EQ(Buffer().matrix(Matrix::scale(2, 0.5)).data(),
              bits("1 10011 0100000000000000000 0001000000000000000 0 00000"));
    // A quarter turn: scale entries 0 (zero-width fields), b = 1.0, c = -1.0 in 18 bits.
    Matrix turn{0, 1, -1, 0, 0, 0};
    EXPECT_EQ(Buffer().matrix(turn).data(),
              bits("1 00000 1 10010 010000000000000000 110000000000000000 00000"));
    // Translation is rounded to whole twips.
    EXPECT_EQ(Buffer().matrix(Matrix::translate(19.6, 0)).data(), bits("0 0 00110 010100 000000"));
}

TEST(WriterRecords, ColorTransforms) {
    EXPECT_EQ(Buffer().cxformAlpha({}).data(), bits("0 0 0000"));
    ColorTransform half;
    half.aMul = 128;
    // Multiply terms only; 256 needs 10 bits.
    EXPECT_EQ(Buffer().cxformAlpha(half).data(),
              bits("0 1 1010 0100000000 0100000000 0100000000 0010000000"));
    // CXFORM has no alpha terms, so only alpha changes mean identity.
    EXPECT_EQ(Buffer().cxform(half).data(), bits("0 0 0000"));
    ColorTransform tint;
    tint.rAdd = -255;
    tint.bAdd = 16;
    EXPECT_EQ(Buffer().cxform(tint).data(), bits("1 0 1001 100000001 000000000 000010000"));
    EXPECT_EQ(Buffer().cxformAlpha(tint).data(),
              bits("1 0 1001 100000001 000000000 000010000 000000000"));
    ColorTransform huge;
    huge.rAdd = 20000;
    EXPECT_THROW(Buffer().cxformAlpha(huge), std::invalid_argument);
}

TEST(WriterTags, HeaderFormsAndLengths) {
    EXPECT_EQ(tagBytes(showFrame()), (Bytes{0x40, 0x00}));
    EXPECT_EQ(tagBytes(setBackgroundColor({1, 2, 3})), (Bytes{0x43, 0x02, 1, 2, 3}));
    // 62 bytes still fit the short form; 63 need the long one.
    Bytes b62 = tagBytes(Tag(2, Bytes(62, 7)));
    EXPECT_EQ(b62.size(), 64u);
    EXPECT_EQ(b62[0], 0xBE);
    EXPECT_EQ(b62[1], 0x00);
    Bytes b63 = tagBytes(Tag(2, Bytes(63, 7)));
    EXPECT_EQ(Bytes(b63.begin(), b63.begin() + 6), (Bytes{0xBF, 0x00, 0x3F, 0, 0, 0}));
    EXPECT_EQ(b63.size(), 69u);
    // Forced long form and a lying length.
    Tag t(tagcode::ShowFrame, {}, true);
    EXPECT_EQ(tagBytes(t), (Bytes{0x7F, 0x00, 0, 0, 0, 0}));
    t.longForm = false;
    t.declaredLength = 5;
    EXPECT_EQ(tagBytes(t), (Bytes{0x45, 0x00}));
    // Bitmaps always use the long form.
    Bytes jpeg = tagBytes(defineBitsJpeg2(1, Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 6), (Bytes{0x7F, 0x05, 6, 0, 0, 0}));
}

TEST(WriterMovie, UncompressedHeaderAndFrameCount) {
    MovieWriter m(6, {0, 11000, 0, 8000}, 12.5);
    m.showFrame(2).add(showFrame());
    Bytes f = m.bytes();
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 4), (Bytes{'F', 'W', 'S', 6}));
    EXPECT_EQ(le32(f, 4), f.size());
    Bytes expectedBody = cat({{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00},
                              {0x80, 0x0C}, // 12.5 fps as 8.8
                              {3, 0},       // three ShowFrame tags
                              {0x40, 0, 0x40, 0, 0x40, 0},
                              {0, 0}}); // End
    EXPECT_EQ(Bytes(f.begin() + 8, f.end()), expectedBody);
    EXPECT_EQ(m.body(), expectedBody);
    EXPECT_EQ(m.frameCount(), 3);

    // A background colour starts the tag list, after FileAttributes from SWF 8 on.
    EXPECT_EQ(MovieWriter(6, {}, 24, Rgba{1, 2, 3}).tagBytes(), (Bytes{0x43, 0x02, 1, 2, 3}));
    EXPECT_EQ(MovieWriter(8, {}, 24, Rgba{1, 2, 3}).tagBytes(),
              (Bytes{0x44, 0x11, 0, 0, 0, 0, 0x43, 0x02, 1, 2, 3}));

    // Odd headers for broken fixtures.
    m.setHeaderFrameCount(500).setFileLength(7).setEndTag(false);
    Bytes odd = m.bytes();
    EXPECT_EQ(le32(odd, 4), 7u);
    EXPECT_EQ(odd[19], 0xF4);
    EXPECT_EQ(odd[20], 0x01);
    EXPECT_EQ(odd.size(), f.size() - 2);
}

TEST(WriterMovie, ZlibRoundTrip) {
    MovieWriter m = sampleMovie();
    Bytes plain = m.bytes(Compression::None);
    Bytes cws = m.bytes(Compression::Zlib);
    EXPECT_EQ(Bytes(cws.begin(), cws.begin() + 4), (Bytes{'C', 'W', 'S', 13}));
    EXPECT_EQ(le32(cws, 4), plain.size());
    EXPECT_LT(cws.size(), plain.size());
    EXPECT_EQ(inflate(Bytes(cws.begin() + 8, cws.end()), plain.size() - 8),
              Bytes(plain.begin() + 8, plain.end()));
}

TEST(WriterMovie, LzmaLayoutAndRoundTrip) {
    MovieWriter m = sampleMovie();
    Bytes plain = m.bytes(Compression::None);
    Bytes body(plain.begin() + 8, plain.end());

    Bytes zws = m.bytes(Compression::Lzma);
    EXPECT_EQ(Bytes(zws.begin(), zws.begin() + 4), (Bytes{'Z', 'W', 'S', 13}));
    EXPECT_EQ(le32(zws, 4), plain.size());
    EXPECT_EQ(le32(zws, 8), zws.size() - 17);
    EXPECT_EQ(zws[12], (2 * 5 + 0) * 9 + 3); // lc 3, lp 0, pb 2
    uint32_t dict = le32(zws, 13);
    EXPECT_GE(dict, 4096u);
    EXPECT_GE(dict, body.size());
    // Stream of known size, no end marker.
    EXPECT_EQ(unlzma(zws, body.size()), body);

    // With an end marker the stream also decodes with the size given as unknown.
    m.setLzmaEndMarker(true);
    Bytes marked = m.bytes(Compression::Lzma);
    EXPECT_EQ(le32(marked, 8), marked.size() - 17);
    EXPECT_EQ(unlzma(marked, UINT64_MAX), body);
}

TEST(WriterMovie, WriteFileReplacesThroughRename) {
    namespace fs = std::filesystem;
    fs::path dir = testpaths::binaryDir() / "writer-test-out";
    fs::remove_all(dir);
    fs::create_directories(dir);
    MovieWriter m = sampleMovie();
    fs::path file = dir / "movie.swf";
    {
        std::ofstream old(file);
        old << "old content";
    }
    auto r = m.writeFile(file, Compression::Zlib);
    ASSERT_TRUE(swf::ok(r));
    std::ifstream in(file, std::ios::binary);
    Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, m.bytes(Compression::Zlib));
    EXPECT_EQ(std::get<size_t>(r), written.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    auto missing = m.writeFile(dir / "no-such-folder" / "x.swf");
    EXPECT_FALSE(swf::ok(missing));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(WriterShapes, SolidSquareRecords) {
    ShapeBuilder s;
    s.fill1(s.addFill(FillStyle::solid({255, 0, 0, 128}))).rect(0, 0, 20, 20);
    Tag t = defineShape(1, s, 3);
    EXPECT_EQ(t.code, tagcode::DefineShape3);
    Bytes expected = cat({{1, 0},
                          bits("00110 000000 010100 000000 010100"), // bounds
                          {1, 0x00, 255, 0, 0, 128},                 // one solid RGBA fill
                          {0},                                       // no line styles
                          {0x10},                                    // 1 fill bit, 0 line bits
                          bits("0 0 0 1 0 1 00000 1"                 // moveTo(0,0), fill1 = 1
                               " 11 0100 0 0 010100"                 // dx = 20
                               " 11 0100 0 1 010100"                 // dy = 20
                               " 11 0100 0 0 101100"                 // dx = -20
                               " 11 0100 0 1 101100"                 // dy = -20
                               " 000000")});                         // end
    EXPECT_EQ(t.body, expected);

    // Version 1 writes RGB colours.
    Bytes v1 = defineShape(1, s, 1).body;
    EXPECT_EQ(Bytes(v1.begin() + 6, v1.begin() + 11), (Bytes{1, 0x00, 255, 0, 0}));
    EXPECT_EQ(defineShape(1, s, 1).code, tagcode::DefineShape);
}

TEST(WriterShapes, EdgesCurvesAndNewStyles) {
    ShapeBuilder s;
    s.fill0(s.addFill(FillStyle::solid({1, 2, 3})));
    s.lineTo(3, 5).curveTo(4, 0, 0, 0);
    s.newStyles();
    s.line(s.addLine(LineStyle::solid(40, {9, 8, 7}))).moveTo(-1, 0).lineTo(-1, 0);
    Bytes expected = cat({{1, 0},
                          bits("00110 101011 011000 101100 011001"), // grown by 20 for the line
                          {1, 0x00, 1, 2, 3},
                          {0},
                          {0x10},
                          bits("0 0 0 0 1 0 1"                // fill0 = 1, no move
                               " 11 0010 1 0011 0101"         // general line (3, 5), 4-bit deltas
                               " 10 0010 0001 1011 1100 0000" // curve (1,-5) then (-4,0)
                               " 0 1 0 0 0 0"),               // new styles, nothing else
                          {0, 1, 40, 0, 9, 8, 7},             // no fills, one line
                          bits("0000 0001"
                               "0 0 1 0 0 1 00001 1 0 1" // moveTo(-1,0), line = 1
                               " 11 0000 0 1 00"         // zero-length edge, 2-bit field
                               " 000000")});
    // The curve's extreme x (t = 0.2 of 3->4->0) is 3.2, rounded out to 4; y 0..5.
    Tag t = defineShape(1, s, 2);
    EXPECT_EQ(t.code, tagcode::DefineShape2);
    EXPECT_EQ(s.edgeBounds(), (Rect{-1, 4, 0, 5}));
    EXPECT_EQ(t.body, expected);
}

TEST(WriterShapes, LongEdgesSplitAndBoundsFollowCurves) {
    ShapeBuilder s;
    s.moveTo(0, 0).lineTo(200000, 0);
    int lines = 0;
    int64_t sum = 0;
    for (const auto& r : s.records()) {
        if (r.kind != ShapeBuilder::Record::Kind::Line) continue;
        ++lines;
        sum += r.dx;
        EXPECT_LE(std::abs(r.dx), 65535);
    }
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(sum, 200000);
    EXPECT_NO_THROW(defineShape(1, s, 3));

    ShapeBuilder c;
    c.addLine(LineStyle::solid(40, {}));
    c.moveTo(0, 0).curveTo(50, 100, 100, 0);
    EXPECT_EQ(c.edgeBounds(), (Rect{0, 100, 0, 50}));
    EXPECT_EQ(c.shapeBounds(), (Rect{-20, 120, -20, 70}));

    ShapeBuilder e;
    e.ellipse(1000, 500, 300, 200);
    EXPECT_EQ(e.edgeBounds(), (Rect{700, 1300, 300, 700}));
    EXPECT_EQ(e.penX(), 1300);
    EXPECT_EQ(e.penY(), 500);
}

TEST(WriterShapes, Shape4StylesAndGradients) {
    ShapeBuilder s;
    Gradient g{{{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}},
               Spread::Reflect,
               Interpolation::LinearRgb,
               -0.5};
    s.addFill(FillStyle::focal(Matrix{}, g));
    LineStyle l;
    l.width = 60;
    l.startCap = Cap::None;
    l.endCap = Cap::Square;
    l.join = Join::Miter;
    l.miterLimit = 2.5;
    l.noHScale = true;
    l.noClose = true;
    l.fill = FillStyle::bitmap(7, Matrix::scale(20, 20), false, false);
    s.addLine(l);
    s.setNonZeroWinding();
    Bytes body = defineShape(9, s, 4).body;
    Bytes expected = cat({{9, 0},
                          {0x00}, // empty shape bounds
                          {0x00}, // empty edge bounds
                          bits("00000 1 1 0"),
                          {1, 0x13},
                          bits("0 0 00000"), // identity gradient matrix
                          bits("01 01 0010"),
                          {0, 255, 0, 0, 255, 255, 0, 0, 255, 128},
                          {0x80, 0xFF}, // focal -0.5
                          {1, 60, 0},
                          bits("01 10 1 1 0 0 00000 1 10"),
                          {0x80, 0x02}, // miter 2.5
                          {0x43, 7, 0},
                          bits("1 10110 0101000000000000000000 0101000000000000000000 0 00000"),
                          {0x11},
                          bits("000000")});
    EXPECT_EQ(body, expected);
}

TEST(WriterShapes, GradientBoxSpansTheBoxInItsDirection) {
    double x, y;
    Matrix across = gradientBox(100, 200, 3276.8, 1638.4);
    across.map(16384, 0, x, y); // ratio 255 at the right edge, halfway down
    EXPECT_NEAR(x, 3376.8, 1e-9);
    EXPECT_NEAR(y, 1019.2, 1e-9);
    Matrix down = gradientBox(100, 200, 3276.8, 1638.4, std::numbers::pi / 2);
    down.map(16384, 0, x, y); // at the bottom edge, halfway across
    EXPECT_NEAR(x, 1738.4, 1e-9);
    EXPECT_NEAR(y, 1838.4, 1e-9);
    down.map(-16384, 0, x, y);
    EXPECT_NEAR(y, 200, 1e-9);
}

TEST(WriterShapes, MorphOffsetPointsAtEndEdges) {
    MorphShapeBuilder m;
    FillStyle a = FillStyle::solid({255, 0, 0});
    FillStyle b = FillStyle::solid({0, 0, 255, 0});
    m.addFill({a, b});
    m.start().fill1(1).moveTo(0, 0).lineTo(20, 0);
    m.end().moveTo(0, 0).lineTo(0, 20);
    Tag t = defineMorphShape(3, m, 1);
    EXPECT_EQ(t.code, tagcode::DefineMorphShape);
    Bytes startBounds = bits("00110 000000 010100 000000 000000");
    Bytes endBounds = bits("00110 000000 000000 000000 010100");
    Bytes styles = {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 0, 0};
    Bytes startEdges = cat({{0x10}, bits("0 0 0 1 0 1 00000 1 11 0100 0 0 010100 000000")});
    Bytes endEdges = cat({{0x00}, bits("0 0 0 0 0 1 00000 11 0100 0 1 010100 000000")});
    uint32_t offset = uint32_t(styles.size() + startEdges.size());
    EXPECT_EQ(t.body, cat({{3, 0},
                           startBounds,
                           endBounds,
                           {uint8_t(offset), 0, 0, 0},
                           styles,
                           startEdges,
                           endEdges}));
    EXPECT_EQ(defineMorphShape(3, m, 2).code, tagcode::DefineMorphShape2);

    MorphShapeBuilder bad;
    bad.addFill({a, FillStyle::bitmap(1, {})});
    EXPECT_THROW(defineMorphShape(1, bad), std::invalid_argument);
}

TEST(WriterPlacement, PlaceObjectFamilies) {
    EXPECT_EQ(tagBytes(placeObject(2, 1, Matrix{})), (Bytes{0x05, 0x01, 2, 0, 1, 0, 0x00}));
    Placement p;
    p.depth = 1;
    p.character = 2;
    p.matrix = Matrix{};
    p.name = "a";
    EXPECT_EQ(tagBytes(placeObject2(p)), (Bytes{0x88, 0x06, 0x26, 1, 0, 2, 0, 0x00, 'a', 0}));

    Placement all;
    all.depth = 0x0102;
    all.move = true;
    all.colorTransform = ColorTransform{};
    all.ratio = 0xFFFF;
    all.clipDepth = 9;
    EXPECT_EQ(placeObject2(all).body, (Bytes{0x59, 2, 1, 0x00, 0xFF, 0xFF, 9, 0}));

    all.blendMode = 3;
    all.visible = 0;
    all.filters = filterList({blurFilter(4, 2, 3)});
    EXPECT_THROW(placeObject2(all), std::invalid_argument);
    Bytes blur = {1, 1, 0, 0, 4, 0, 0, 0, 2, 0, 0x18};
    EXPECT_EQ(placeObject3(all).body,
              cat({{0x59, 0x23, 2, 1, 0x00, 0xFF, 0xFF, 9, 0}, blur, {3, 0}}));

    Placement cls;
    cls.depth = 1;
    cls.className = "C";
    cls.cacheAsBitmap = 1;
    cls.backgroundColor = Rgba{1, 2, 3, 4};
    EXPECT_EQ(placeObject3(cls).body, (Bytes{0x00, 0x4C, 1, 0, 'C', 0, 1, 1, 2, 3, 4}));

    EXPECT_EQ(tagBytes(removeObject(3, 4)), (Bytes{0x44, 0x01, 3, 0, 4, 0}));
    EXPECT_EQ(tagBytes(removeObject2(4)), (Bytes{0x02, 0x07, 4, 0}));
    EXPECT_EQ(frameLabel("go", true).body, (Bytes{'g', 'o', 0, 1}));
}

TEST(WriterPlacement, ClipActionsFollowTheVersionWidth) {
    Placement p;
    p.depth = 1;
    p.clipActions = ClipActions{{{clipevent::EnterFrame, 0, {0x07, 0x00}},
                                 {clipevent::KeyPress | clipevent::Load, 13, {0x00}}},
                                true};
    Bytes body = placeObject2(p).body;
    EXPECT_EQ(body, (Bytes{0x80, 1,    0,    0,    0, // flags, depth, reserved
                           0x03, 0x00, 0x02, 0x00,    // all events
                           0x02, 0,    0,    0,    2, 0, 0,  0,    0x07, 0x00, 0x01, 0x00,
                           0x02, 0x00, 2,    0,    0, 0, 13, 0x00, 0,    0,    0,    0}));
    p.clipActions = ClipActions{{{clipevent::MouseUp, 0, {0x00}}}, false};
    EXPECT_EQ(placeObject2(p).body,
              (Bytes{0x80, 1, 0, 0, 0, 0x20, 0, 0x20, 0, 1, 0, 0, 0, 0x00, 0, 0}));
}

TEST(WriterTimeline, SpritesNestTagListsAndCountFrames) {
    TimelineWriter t;
    t.place(1, 5).showFrame().remove(1).showFrame(2);
    EXPECT_EQ(t.frameCount(), 3);
    Tag sprite = defineSprite(7, t);
    EXPECT_EQ(sprite.code, tagcode::DefineSprite);
    EXPECT_EQ(sprite.body,
              (Bytes{7,    0, 3,    0,    0x86, 0x06, 0x06, 1, 0,    5, 0, 0x00, // PlaceObject2
                     0x40, 0, 0x02, 0x07, 1,    0,    0x40, 0, 0x40, 0, 0, 0}));
    Bytes odd = defineSprite(7, t, 100, false).body;
    EXPECT_EQ(odd[2], 100);
    EXPECT_EQ(odd.size(), sprite.body.size() - 2);
}

TEST(WriterTimeline, PutPlacesMovesAndReplaces) {
    TimelineWriter t;
    t.put(2, 5, {}).put(2, 5, Matrix::translate(20, 0)).put(2, 6, {}, {}, 7);
    t.remove(2).put(2, 6, {});
    EXPECT_EQ(t.tagBytes(), (Bytes{0x86, 0x06, 0x06, 2, 0, 5,    0,    0x00,       // place
                                   0x86, 0x06, 0x05, 2, 0, 0x0C, 0xA0, 0x00,       // move
                                   0x88, 0x06, 0x17, 2, 0, 6,    0,    0x00, 7, 0, // replace, ratio
                                   0x02, 0x07, 2,    0,                            // remove
                                   0x86, 0x06, 0x06, 2, 0, 6,    0,    0x00}));    // place again
}

TEST(WriterActions, Encodings) {
    ActionBuilder a;
    a.stop().play().gotoFrame(5).gotoLabel("x").setTarget("/m");
    a.push({PushValue::string("a"), PushValue::number(1.0), PushValue::integer(-1),
            PushValue::boolean(true), PushValue::constant(300)});
    a.gotoFrame2(true, 3).gotoFrame2(false).op(0x47).op(0x99, Bytes{0xFE, 0xFF});
    Bytes expected = {0x07, 0x06, 0x81, 2,    0,    5, 0,    0x8C, 2,    0,    'x',  0,
                      0x8B, 3,    0,    '/',  'm',  0, 0x96, 22,   0,    0,    'a',  0,
                      6,    0x00, 0x00, 0xF0, 0x3F, 0, 0,    0,    0, // high word first
                      7,    0xFF, 0xFF, 0xFF, 0xFF, 5, 1,    9,    0x2C, 0x01, 0x9F, 3,
                      0,    3,    3,    0,    0x9F, 1, 0,    0,    0x47, 0x99, 2,    0,
                      0xFE, 0xFF, 0x00};
    EXPECT_EQ(a.bytes(), expected);
    EXPECT_EQ(a.bytes(false).size(), expected.size() - 1);
    EXPECT_EQ(tagBytes(doAction(ActionBuilder().stop())), (Bytes{0x02, 0x03, 0x07, 0x00}));
    EXPECT_EQ(doInitAction(4, Bytes{0x06, 0x00}).body, (Bytes{4, 0, 0x06, 0x00}));
}

TEST(WriterButtons, RecordsAndConditionActions) {
    ButtonRecord up{buttonstate::Up | buttonstate::HitTest, 2, 1, Matrix{}, {}, {}, {}};
    ButtonRecord over{buttonstate::Over, 3, 2, Matrix{}, {}, {}, 1};
    std::vector<ButtonCondAction> actions = {{buttoncond::OverDownToOverUp, {0x06, 0x00}},
                                             {buttoncond::keyPress(13), {0x07, 0x00}}};
    Tag t = defineButton2(1, {up, over}, actions, true);
    EXPECT_EQ(t.body, (Bytes{1,    0, 1, 18,   0,                   // to the first condition action
                             0x09, 2, 0, 1,    0,    0x00, 0x00,    // up + hit
                             0x22, 3, 0, 2,    0,    0x00, 0x00, 1, // over, blend mode
                             0,    6, 0, 0x08, 0x00, 0x06, 0x00, 0, 0, 0x00, 0x1A, 0x07, 0x00}));
    // Without actions the offset is 0; DefineButton has no colour transforms.
    EXPECT_EQ(defineButton2(1, {up}, {}).body,
              (Bytes{1, 0, 0, 0, 0, 0x09, 2, 0, 1, 0, 0x00, 0x00, 0}));
    EXPECT_EQ(defineButton(1, {over}, Bytes{0x06, 0x00}).body,
              (Bytes{1, 0, 0x02, 3, 0, 2, 0, 0x00, 0, 0x06, 0x00}));
}

TEST(WriterBitmaps, LosslessPixelLayouts) {
    std::vector<uint32_t> px = {0x80402010, 0xFF0000FF};
    Bytes b = defineBitsLossless(4, 2, 1, px, true).body;
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 7), (Bytes{4, 0, 5, 2, 0, 1, 0}));
    EXPECT_EQ(inflate(Bytes(b.begin() + 7, b.end()), 64),
              (Bytes{0x80, 0x40, 0x20, 0x10, 0xFF, 0x00, 0x00, 0xFF}));
    Tag opaque = defineBitsLossless(4, 2, 1, px, false);
    EXPECT_EQ(opaque.code, tagcode::DefineBitsLossless);
    EXPECT_EQ(inflate(Bytes(opaque.body.begin() + 7, opaque.body.end()), 64),
              (Bytes{0xFF, 0x40, 0x20, 0x10, 0xFF, 0x00, 0x00, 0xFF}));

    // Palette rows are padded to four bytes.
    std::vector<Rgba> pal = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    Bytes idx = {0, 1, 1, 1, 0, 0};
    Bytes p = defineBitsLosslessPalette(5, 3, 2, pal, idx, true).body;
    EXPECT_EQ(Bytes(p.begin(), p.begin() + 8), (Bytes{5, 0, 3, 3, 0, 2, 0, 1}));
    EXPECT_EQ(inflate(Bytes(p.begin() + 8, p.end()), 64),
              (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 1, 0, 1, 0, 0, 0}));
    Bytes rgbPal = defineBitsLosslessPalette(5, 3, 2, pal, idx, false).body;
    EXPECT_EQ(inflate(Bytes(rgbPal.begin() + 8, rgbPal.end()), 64).size(), 6u + 8u);

    // PIX15, big-endian, rows padded to an even pixel count.
    Bytes p15 = defineBitsLossless15(6, 1, 1, std::vector<uint32_t>{0xFFFF8000}).body;
    EXPECT_EQ(p15[2], 4);
    EXPECT_EQ(inflate(Bytes(p15.begin() + 7, p15.end()), 64), (Bytes{0x7E, 0x00, 0, 0}));

    EXPECT_THROW(defineBitsLossless(1, 2, 2, px, true), std::invalid_argument);
}

TEST(WriterBitmaps, JpegTagsAndSplitTables) {
    std::vector<uint32_t> px(16 * 8);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = 0xFF000000 | uint32_t(i * 2) << 8;
    Bytes full = encodeJpeg(16, 8, px);
    ASSERT_GE(full.size(), 4u);
    EXPECT_EQ(Bytes(full.begin(), full.begin() + 2), (Bytes{0xFF, 0xD8}));
    EXPECT_EQ(Bytes(full.end() - 2, full.end()), (Bytes{0xFF, 0xD9}));

    auto hasMarker = [](const Bytes& b, uint8_t m) {
        for (size_t i = 0; i + 1 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] == m) return true;
        return false;
    };
    JpegParts parts = encodeJpegSplit(16, 8, px);
    EXPECT_TRUE(hasMarker(parts.tables, 0xDB));
    EXPECT_TRUE(hasMarker(parts.tables, 0xC4));
    EXPECT_FALSE(hasMarker(parts.tables, 0xC0));
    EXPECT_TRUE(hasMarker(parts.image, 0xC0));
    EXPECT_FALSE(hasMarker(parts.image, 0xDB));
    EXPECT_FALSE(hasMarker(parts.image, 0xC4));

    Bytes alpha(16 * 8, 0x80);
    Bytes j3 = defineBitsJpeg3(2, full, alpha).body;
    EXPECT_EQ(le32(j3, 2), full.size());
    EXPECT_EQ(Bytes(j3.begin() + 6, j3.begin() + 6 + long(full.size())), full);
    EXPECT_EQ(inflate(Bytes(j3.begin() + 6 + long(full.size()), j3.end()), 1024), alpha);
    Bytes j4 = defineBitsJpeg4(2, full, {}, 1.0).body;
    EXPECT_EQ(j4.size(), 8 + full.size());
    EXPECT_EQ(j4[6], 0x00);
    EXPECT_EQ(j4[7], 0x01);
    EXPECT_EQ(defineBits(3, parts.image).body.size(), parts.image.size() + 2);
    EXPECT_EQ(jpegTables(parts.tables).code, tagcode::JPEGTables);
}

TEST(WriterText, FontTablesAndTextRecords) {
    FontDesc font;
    font.name = "Geo";
    FontGlyph dot;
    dot.shape.fill1(1).rect(0, 0, 2, 2);
    dot.code = 'A';
    dot.advance = 512;
    FontGlyph empty;
    empty.code = 0x263A;
    empty.advance = 256;
    font.glyphs = {dot, empty};
    font.layout = FontLayout{900, 200, 50, {{'A', 0x263A, -10}}};

    Buffer glyph;
    encodeShape(glyph, dot.shape, 1, 0);
    Bytes g = glyph.take();
    Bytes f2 = defineFont2(8, font).body;
    size_t table = 2 + 1 + 1 + 1 + 3 + 2;
    EXPECT_EQ(Bytes(f2.begin(), f2.begin() + long(table)),
              (Bytes{8, 0, 0x84, 0, 3, 'G', 'e', 'o', 2, 0}));
    // Offsets: glyph 0 after the three UI16 entries, glyph 1 after it, then codes.
    uint16_t o1 = uint16_t(6 + g.size());
    EXPECT_EQ(Bytes(f2.begin() + long(table), f2.begin() + long(table) + 6),
              (Bytes{6, 0, uint8_t(o1), 0, uint8_t(o1 + 2), 0}));
    size_t codes = table + 6 + g.size() + 2;
    EXPECT_EQ(Bytes(f2.begin() + long(table) + 6, f2.begin() + long(table) + 6 + long(g.size())),
              g);
    EXPECT_EQ(f2[codes - 2], 0x10); // the empty glyph: bit widths and the end record
    EXPECT_EQ(f2[codes - 1], 0x00);
    EXPECT_EQ(Bytes(f2.begin() + long(codes), f2.end()),
              cat({{'A', 0, 0x3A, 0x26},
                   {0x84, 0x03, 0xC8, 0, 50, 0},
                   {0, 2, 0, 1},
                   bits("00011 000 010 000 010"),
                   {0x00},
                   {1, 0, 'A', 0, 0x3A, 0x26, 0xF6, 0xFF}}));
    EXPECT_EQ(defineFont3(8, font).code, tagcode::DefineFont3);

    Bytes f1 = defineFont(8, font).body;
    EXPECT_EQ(f1, cat({{8, 0, 4, 0, uint8_t(4 + g.size()), 0}, g, {0x10, 0x00}}));
    font.wideCodes = false;
    font.glyphs.pop_back();
    EXPECT_EQ(defineFontInfo(8, font, 2).body, (Bytes{8, 0, 3, 'G', 'e', 'o', 0x00, 0, 'A'}));

    TextRecord r = layoutText(font, 8, 400, {1, 2, 3, 4}, 10, 300, "AxA");
    ASSERT_EQ(r.glyphs.size(), 2u); // 'x' is not in the font
    EXPECT_EQ(r.glyphs[0].advance, 200);
    EXPECT_EQ(textWidth(r), 400);
    Bytes t = defineText(5, {0, 400, 0, 400}, Matrix{}, {r}, 2).body;
    Bytes head =
        cat({{5, 0}, bits("01010 0000000000 0110010000 0000000000 0110010000"), {0x00}, {0, 9}});
    EXPECT_EQ(t, cat({head,
                      {0x8F, 8, 0, 1, 2, 3, 4, 10, 0, 0x2C, 0x01, 0x90, 0x01, 2},
                      bits("011001000 011001000"),
                      {0}}));
    EXPECT_EQ(defineText(5, {}, Matrix{}, {r}, 1).code, tagcode::DefineText);
}

TEST(WriterText, EditTextFlagsAndFields) {
    EditTextDesc d;
    d.bounds = {};
    d.fontId = 3;
    d.fontHeight = 240;
    d.color = Rgba{1, 2, 3, 4};
    d.maxLength = 20;
    d.layout = EditTextLayout{2, 1, 2, 3, -4};
    d.variable = "v";
    d.text = "<b>x</b>";
    d.html = true;
    d.border = true;
    d.wordWrap = true;
    EXPECT_EQ(defineEditText(9, d).body,
              cat({{9,  0, 0x00, 0xC7, 0x2A, 3, 0, 240, 0, 1,    2,    3,   4,
                    20, 0, 2,    1,    0,    2, 0, 3,   0, 0xFC, 0xFF, 'v', 0},
                   {'<', 'b', '>', 'x', '<', '/', 'b', '>', 0}}));
    EditTextDesc cls;
    cls.fontClass = "F";
    cls.fontHeight = 100;
    EXPECT_EQ(defineEditText(9, cls).body, (Bytes{9, 0, 0x00, 0x00, 0x80, 'F', 0, 100, 0, 0}));
}

TEST(WriterSound, FormatsAndSoundInfo) {
    SoundFormat f{2, 3, true, true}; // MP3 44 kHz 16-bit stereo
    Bytes d = defineSound(4, f, 1152, Bytes{0, 0, 0xFF, 0xFB}).body;
    EXPECT_EQ(d, (Bytes{4, 0, 0x2F, 0x80, 0x04, 0, 0, 0, 0, 0xFF, 0xFB}));
    SoundInfo info;
    info.syncNoMultiple = true;
    info.inPoint = 10;
    info.loops = 3;
    info.envelope = std::vector<SoundEnvelopePoint>{{44100, 0, 32768}};
    EXPECT_EQ(startSound(4, info).body,
              (Bytes{4, 0, 0x1D, 10, 0, 0, 0, 3, 0, 1, 0x44, 0xAC, 0, 0, 0, 0, 0, 0x80}));
    SoundInfo stop;
    stop.syncStop = true;
    EXPECT_EQ(startSound(4, stop).body, (Bytes{4, 0, 0x20}));
    Tag head = soundStreamHead({0, 2, true, false}, f, 576, -100, 1);
    EXPECT_EQ(head.code, tagcode::SoundStreamHead);
    EXPECT_EQ(head.body, (Bytes{0x0A, 0x2F, 0x40, 0x02, 0x9C, 0xFF}));
    EXPECT_EQ(soundStreamHead({}, {1, 1, true, false}, 100).body, (Bytes{0x0E, 0x16, 100, 0}));
}

TEST(WriterControl, FileLevelTags) {
    EXPECT_EQ(tagBytes(fileAttributes(fileattr::HasMetadata | fileattr::UseNetwork)),
              (Bytes{0x44, 0x11, 0x11, 0, 0, 0}));
    EXPECT_EQ(sceneAndFrameLabelData({{0, "S"}}, {{200, "L"}}).body,
              (Bytes{1, 0, 'S', 0, 1, 0xC8, 0x01, 'L', 0}));
    EXPECT_EQ(exportAssets({{3, "a"}, {4, ""}}).body, (Bytes{2, 0, 3, 0, 'a', 0, 4, 0, 0}));
    float identity[20] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    Bytes cm = colorMatrixFilter(identity);
    EXPECT_EQ(cm.size(), 81u);
    EXPECT_EQ(Bytes(cm.begin(), cm.begin() + 5), (Bytes{6, 0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(dropShadowFilter({0, 0, 0, 255}, 4, 4, std::numbers::pi / 4, 5, 1).back(), 0x21);
    EXPECT_EQ(glowFilter({255, 255, 0, 255}, 8, 8, 2, 2, true, true).back(), 0xE2);
}

TEST(WriterSamples, BuildMakesTheBundledMovies) {
    namespace fs = std::filesystem;
    fs::path dir = testpaths::programDir();
    if (!fs::exists(dir / "default.swf")) GTEST_SKIP() << "sample movies not built";
    auto head = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        Bytes b(8);
        in.read(reinterpret_cast<char*>(b.data()), 8);
        return b;
    };
    std::set<char> kinds;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir / "samples")) {
        if (entry.path().extension() != ".swf") continue;
        ++count;
        Bytes b = head(entry.path());
        ASSERT_TRUE(b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') << entry.path();
        EXPECT_EQ(b[1], 'W');
        EXPECT_EQ(b[2], 'S');
        if (b[0] == 'Z') {
            EXPECT_GE(b[3], 13) << entry.path();
        }
        if (b[0] == 'F') {
            EXPECT_EQ(le32(b, 4), fs::file_size(entry.path()));
        }
        kinds.insert(char(b[0]));
    }
    EXPECT_GE(count, 20); // two pages of the 16-cell grid
    EXPECT_EQ(kinds.size(), 3u);
    EXPECT_EQ(head(dir / "default.swf")[1], 'W');
}
