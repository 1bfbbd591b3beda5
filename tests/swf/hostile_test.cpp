// Broken and hostile files: each gives a clean error value (or the frames
// before the break), within bounded time and memory.
#include "fixture.h"

#include <zlib.h>

using namespace fixture;

namespace {

swf::Result<swf::MoviePtr> loadBytes(const std::vector<uint8_t>& b) { return swf::loadMovie(b); }

// Loads, plays and renders whatever loads; returns whether it loaded.
bool exercise(const std::vector<uint8_t>& bytes) {
    auto r = loadBytes(bytes);
    auto* mp = std::get_if<swf::MoviePtr>(&r);
    if (!mp) {
        EXPECT_FALSE(std::get<swf::Error>(r).message.empty());
        return false;
    }
    // A short script budget: a runaway script spends it several times over here.
    swf::ScriptOptions opts;
    opts.frameBudgetSeconds = 0.25;
    swf::Player p(*mp, opts);
    for (int i = 0; i < 3; ++i) p.tick();
    p.gotoFrame(p.totalFrames());
    p.gotoFrame(1);
    render(p, 32);
    return true;
}

std::vector<uint8_t> richMovie() {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 40, 40, kRed));
    w::TimelineWriter sprite;
    sprite.place(1, 1).showFrame().move(1, swf::Matrix::translate(100, 100)).showFrame();
    m.add(w::defineSprite(2, sprite));
    std::vector<uint32_t> px(16, 0x80ff0000);
    m.add(w::defineBitsLossless(3, 4, 4, px, true));
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::bitmap(3, swf::Matrix::scale(20, 20))))).rect(0, 0, 80, 80);
    m.add(w::defineShape(4, s, 3));
    m.place(1, 1).place(2, 2).showFrame();
    m.place(3, 4).actions(w::ActionBuilder().gotoFrame(0)).showFrame();
    m.remove(1).showFrame();
    return m.bytes();
}

// Offsets where each tag of an uncompressed movie starts.
std::vector<size_t> tagStarts(const std::vector<uint8_t>& file) {
    std::vector<size_t> out;
    swf::Reader r(std::span<const uint8_t>(file).subspan(8));
    r.rect();
    r.u16();
    r.u16();
    while (r.remaining() >= 2) {
        out.push_back(r.pos() + 8);
        uint16_t h = r.u16();
        size_t len = h & 0x3f;
        if (len == 0x3f) len = r.u32();
        r.skip(len);
    }
    return out;
}

TEST(Hostile, TruncationAtEveryTagBoundaryKeepsTheEarlierFrames) {
    auto full = richMovie();
    auto starts = tagStarts(full);
    ASSERT_GT(starts.size(), 8u);
    for (size_t cut : starts) {
        std::vector<uint8_t> part(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut));
        SCOPED_TRACE("cut at " + std::to_string(cut));
        EXPECT_TRUE(exercise(part)); // the header is whole: what came before the cut plays
        // and one byte into the next tag: a broken header of a tag
        std::vector<uint8_t> more(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut + 1));
        exercise(more);
    }
    // Every cut inside the file, byte by byte, at least never crashes.
    for (size_t cut = 0; cut < full.size(); ++cut)
        exercise(std::vector<uint8_t>(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut)));
}

TEST(Hostile, BogusLengthsAndCountsAreContained) {
    auto full = richMovie();
    auto starts = tagStarts(full);
    // Every tag's length replaced by large or odd values; every body byte flipped.
    for (size_t s : starts) {
        for (uint16_t len : {0x3e, 0x3f, 0x01}) {
            auto b = full;
            uint16_t code = static_cast<uint16_t>((b[s] | (b[s + 1] << 8)) >> 6);
            uint16_t h = static_cast<uint16_t>(code << 6 | len);
            b[s] = static_cast<uint8_t>(h);
            b[s + 1] = static_cast<uint8_t>(h >> 8);
            exercise(b);
        }
    }
    for (size_t i = 8; i < full.size(); ++i) {
        for (uint8_t v : {uint8_t(0x00), uint8_t(0xff), uint8_t(0x7f)}) {
            auto b = full;
            b[i] = v;
            exercise(b);
        }
    }
}

TEST(Hostile, ZlibBombStopsAtTheDeclaredLength) {
    // 64 MiB of zeros compresses to about 64 KiB; the header claims a small movie.
    std::vector<uint8_t> body(64u << 20, 0);
    auto m = movie();
    m.add(rectShape(1, 0, 0, 10, 10, kRed)).place(1, 1).showFrame();
    auto real = m.body();
    std::copy(real.begin(), real.end(), body.begin());
    uLongf clen = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> file(8 + clen);
    ASSERT_EQ(compress2(file.data() + 8, &clen, body.data(), static_cast<uLong>(body.size()), 9), Z_OK);
    file.resize(8 + clen);
    file[0] = 'C';
    file[1] = 'W';
    file[2] = 'S';
    file[3] = 10;
    uint32_t declared = static_cast<uint32_t>(real.size() + 8);
    for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(declared >> (8 * i));
    auto r = loadBytes(file);
    ASSERT_TRUE(std::holds_alternative<swf::MoviePtr>(r));
    EXPECT_EQ(std::get<swf::MoviePtr>(r)->frameCount(), 1);
    // Claiming the whole size is bounded by the engine's own limit instead.
    for (int i = 0; i < 4; ++i) file[4 + i] = 0xff;
    EXPECT_TRUE(exercise(file));
}

TEST(Hostile, HugeOrEmptyStagesAreRefused) {
    for (swf::Rect stage : {swf::Rect{0, 20 * 100000, 0, 2000}, swf::Rect{0, 0, 0, 0}, swf::Rect{0, 2000, 0, -5}}) {
        w::MovieWriter m(10, stage, 12);
        m.showFrame();
        auto r = loadBytes(m.bytes());
        EXPECT_TRUE(std::holds_alternative<swf::Error>(r));
    }
}

TEST(Hostile, CyclicAndDeeplyNestedSpritesAreCutOff) {
    // Sprite 1 places sprite 2, which places sprite 1 again.
    auto m = movie();
    w::TimelineWriter a, b;
    a.place(1, 2).showFrame();
    b.place(1, 1).showFrame();
    m.add(w::defineSprite(1, a)).add(w::defineSprite(2, b));
    // A chain of 300 sprites, each placing the one before it.
    m.add(rectShape(3, 0, 0, 10, 10, kRed));
    for (uint16_t id = 4; id < 304; ++id) {
        w::TimelineWriter t;
        t.place(1, static_cast<uint16_t>(id - 1)).showFrame();
        m.add(w::defineSprite(id, t));
    }
    m.place(1, 1).place(2, 303).showFrame();
    auto mp = load(m.bytes());
    ASSERT_TRUE(mp);
    swf::Player p(mp);
    p.tick();
    render(p, 32);
    // The cycle stops where a sprite would contain itself.
    const swf::Clip* c = p.root().list.at(1).clip.get();
    int depth = 0;
    while (c && !c->list.empty()) {
        c = c->list.begin()->second.clip.get();
        ++depth;
    }
    EXPECT_LE(depth, 2);
}

TEST(Hostile, ScriptsThatNeverEndAreBounded) {
    auto m = movie();
    m.actions(w::ActionBuilder().jump(-5)).showFrame(); // jumps to itself forever
    w::ActionBuilder pingpong;
    pingpong.gotoFrame(2); // frame 3 goes to frame 2 ...
    m.actions(w::ActionBuilder().gotoFrame(2)).showFrame();
    m.actions(w::ActionBuilder().gotoFrame(1)).showFrame(); // ... which goes to frame 3
    EXPECT_TRUE(exercise(m.bytes()));
}

TEST(Hostile, ScriptsJumpingAboutDoNotFloodTheSoundOutput) {
    // Two frames with stream sound whose scripts send each other back and forth.
    auto m = movie();
    w::SoundFormat f;
    f.codec = 14; // not decoded: each block stands for silence
    f.rate = 0;
    m.add(w::soundStreamHead(f, f, 60000));
    const std::vector<uint8_t> block(40, 0);
    m.add(w::soundStreamBlock(block)).showFrame();
    m.add(w::soundStreamBlock(block)).actions(w::ActionBuilder().gotoFrame(2).play()).showFrame();
    m.add(w::soundStreamBlock(block)).actions(w::ActionBuilder().gotoFrame(1).play()).showFrame();
    auto mp = load(m.bytes());
    ASSERT_TRUE(mp);
    swf::Player p(mp);
    p.takeStreamBlocks();
    p.tick();
    EXPECT_LE(p.takeStreamBlocks().size(), 4u);
    EXPECT_TRUE(exercise(m.bytes()));
}

TEST(Hostile, TextWithAbsurdAdvancesStaysInRange) {
    // DefineText with 32-bit advances of extreme values in many records.
    std::vector<uint8_t> body = {1, 0};          // character id 1
    body.insert(body.end(), {0x00});             // empty RECT (5 bits of 0)
    body.insert(body.end(), {0x00});             // identity MATRIX
    body.insert(body.end(), {1, 32});            // glyph bits, advance bits
    for (int rec = 0; rec < 4; ++rec) {
        body.insert(body.end(), {0x81, 0x00, 0x00, 8}); // x offset 0, eight glyphs
        for (int g = 0; g < 8; ++g) {                  // 1 + 32 bits each, packed
            body.insert(body.end(), {0x40, 0x00, 0x00, 0x00});
        }
        body.push_back(0x40);
    }
    body.push_back(0);
    auto m = movie();
    m.add(w::Tag(11, body)).place(1, 1).showFrame();
    EXPECT_TRUE(exercise(m.bytes()));
}

} // namespace
