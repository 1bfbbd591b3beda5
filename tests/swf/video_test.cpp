// Embedded video: streams encoded by ffmpeg at test time, and the corpus movies.
#include "video_fixture.h"

#include "swf/display/player.h"
#include "swf/media/video_decoder.h"
#include "swf/media/video_packet.h"
#include "test_paths.h"

#include <filesystem>

using namespace fixture;
using namespace videofixture;

namespace {

struct Codec {
    const char* encoder;
    uint8_t id;
    int tolerance; // screen video is lossless; version 2 as ffmpeg writes it keeps 15-bit colour
};

class VideoStreamTest : public ::testing::TestWithParam<Codec> {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
        packets_ = encode(GetParam().encoder, 10, 4);
        ASSERT_EQ(packets_.size(), 10u) << "ffmpeg did not encode the stream";
    }
    swf::VideoCodec codec() const { return static_cast<swf::VideoCodec>(GetParam().id); }
    std::vector<Packet> packets_;
};

// Video pixel (x, y) lies at (10 + x, 20 + y) on the stage.
QRgb at(const QImage& img, int x, int y) { return img.pixel(10 + x, 20 + y); }

TEST_P(VideoStreamTest, HeadersTellKeyFramesAndSizeAsTheEncoderMarkedThem) {
    for (size_t k = 0; k < packets_.size(); ++k) {
        auto info = swf::readVideoPacket(codec(), packets_[k].data);
        EXPECT_TRUE(info.valid) << k;
        EXPECT_EQ(info.keyFrame, packets_[k].key) << k;
        EXPECT_EQ(info.width, kWidth);
        EXPECT_EQ(info.height, kHeight);
    }
    // A key frame every four frames.
    for (size_t k = 0; k < packets_.size(); ++k) EXPECT_EQ(packets_[k].key, k % 4 == 0) << k;
}

TEST_P(VideoStreamTest, EachFrameShowsItsPictureAtThePlacement) {
    auto movie = load(movieOf(packets_, GetParam().id));
    ASSERT_TRUE(movie);
    swf::Player p(movie);
    p.stop();
    const int tol = GetParam().tolerance;
    for (int k = 0; k < 10; ++k) {
        p.gotoFrame(k + 1);
        QImage img = renderStage(p);
        EXPECT_TRUE(near(at(img, 6, 6), kRed, tol)) << "frame " << k;
        EXPECT_TRUE(near(at(img, 120, 72), frameColour(k), tol)) << "frame " << k;
        EXPECT_TRUE(near(at(img, 60, 40), kGrey, tol)) << "frame " << k;
        EXPECT_TRUE(near(img.pixel(5, 5), kWhite, 0)) << "nothing outside the video";
        EXPECT_TRUE(near(img.pixel(10 + kWidth + 2, 30), kWhite, 0));
        EXPECT_TRUE(near(img.pixel(30, 20 + kHeight + 2), kWhite, 0));
    }
}

TEST_P(VideoStreamTest, AJumpShowsWhatPlayingThereShowsAndPlayingDecodesEachFrameOnce) {
    auto movie = load(movieOf(packets_, GetParam().id));
    ASSERT_TRUE(movie);
    swf::Player played(movie);
    played.stop();
    std::vector<QImage> seen;
    for (int k = 1; k <= 10; ++k) {
        played.gotoFrame(k);
        seen.push_back(renderStage(played));
    }
    ASSERT_TRUE(played.root().list.count(1));
    EXPECT_EQ(played.root().list.at(1).video->decodedCount(), 10u);
    // Forward into a run of inter frames, back across key frames, and to the last one.
    swf::Player jumped(movie);
    jumped.stop();
    for (int k : {7, 3, 10, 6, 6, 1, 9}) {
        jumped.gotoFrame(k);
        EXPECT_EQ(renderStage(jumped), seen[size_t(k - 1)]) << "frame " << k;
    }
}

TEST_P(VideoStreamTest, ColourTransformAndDeclaredSizeApply) {
    swf::ColorTransform noRed;
    noRed.rMul = 0;
    swf::Player p(load(movieOf(packets_, GetParam().id, noRed)));
    QImage img = renderStage(p);
    EXPECT_TRUE(near(at(img, 6, 6), kBlack, GetParam().tolerance));
    // Declared at twice the coded size, the picture is drawn twice as large.
    swf::Player big(load(movieOf(packets_, GetParam().id, {}, {}, kWidth * 2, kHeight * 2)));
    img = renderStage(big);
    EXPECT_TRUE(near(at(img, 26, 26), kRed, GetParam().tolerance));
    EXPECT_TRUE(near(at(img, 40, 6), kGrey, GetParam().tolerance));
    EXPECT_TRUE(near(at(img, 40, 36), kGrey, GetParam().tolerance));
}

TEST_P(VideoStreamTest, AMissingFrameShowsTheFrameBeforeAndTheStreamGoesOn) {
    swf::Player p(load(movieOf(packets_, GetParam().id, {}, 5)));
    p.stop();
    p.gotoFrame(6);
    EXPECT_TRUE(near(at(renderStage(p), 120, 72), frameColour(4), GetParam().tolerance));
    for (int k = 7; k <= 10; ++k) {
        p.gotoFrame(k);
        renderStage(p); // inter frames after the gap decode against what is there
    }
    // The key frame after the gap brings the right picture back whatever came before.
    swf::Player q(load(movieOf(packets_, GetParam().id, {}, 5)));
    q.stop();
    q.gotoFrame(9);
    EXPECT_TRUE(near(at(renderStage(q), 120, 72), frameColour(8), GetParam().tolerance));
}

TEST_P(VideoStreamTest, HostileStreamsNeverCrashAndKeepTheLastGoodPicture) {
    // Cut frames, a stream that starts without its key frame, flipped bits.
    std::vector<Packet> cut = packets_, noKey = packets_, flipped = packets_;
    for (auto& pk : cut) pk.data.resize(pk.data.size() / 2);
    noKey.erase(noKey.begin());
    uint32_t seed = 12345;
    for (auto& pk : flipped)
        for (int i = 0; i < 8 && !pk.data.empty(); ++i) {
            seed = seed * 1103515245 + 12345;
            pk.data[(seed >> 8) % pk.data.size()] ^= uint8_t(1 << ((seed >> 4) % 8));
        }
    for (const auto* stream : {&cut, &noKey, &flipped}) {
        auto movie = load(movieOf(*stream, GetParam().id));
        ASSERT_TRUE(movie);
        swf::Player p(movie);
        p.stop();
        for (int k : {1, 2, 5, 9, 3, 10}) {
            p.gotoFrame(k);
            renderStage(p);
        }
    }
    // A good key frame, then garbage: the key frame's picture stays.
    std::vector<Packet> broken = packets_;
    for (size_t k = 1; k < broken.size(); ++k) broken[k].data.assign(broken[k].data.size(), 0xff);
    swf::Player p(load(movieOf(broken, GetParam().id)));
    p.stop();
    p.gotoFrame(3);
    EXPECT_TRUE(near(at(renderStage(p), 120, 72), frameColour(0), GetParam().tolerance));
}

INSTANTIATE_TEST_SUITE_P(Codecs, VideoStreamTest,
                         ::testing::Values(Codec{"flv", 2, 24}, Codec{"flashsv", 3, 2}, Codec{"flashsv2", 6, 16}),
                         [](const auto& info) { return std::string(info.param.encoder); });

TEST(VideoHostile, OversizedOrUnknownStreamsShowNothing) {
    namespace w = swf::writer;
    // A screen video frame that claims 4095 x 4095 with no blocks, an H.263 header with the
    // largest custom size, a stream declared 65535 x 65535 and an unknown codec.
    const std::vector<uint8_t> screen{0xff, 0xff, 0xff, 0xff, 0, 0};
    const std::vector<uint8_t> h263{0x00, 0x00, 0x84, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00};
    struct Case {
        uint8_t codec;
        uint16_t w, h;
        std::vector<uint8_t> data;
    };
    for (const Case& c : {Case{3, 64, 48, screen}, Case{6, 64, 48, screen}, Case{2, 64, 48, h263},
                          Case{2, 65535, 65535, h263}, Case{9, 64, 48, h263}, Case{4, 64, 48, {0x00}},
                          Case{5, 64, 48, {0xff, 0xff, 0xff, 0x00}}, Case{4, 64, 48, {}}}) {
        auto m = movie(8);
        w::VideoStream s;
        s.frameCount = 2;
        s.width = c.w;
        s.height = c.h;
        s.codec = c.codec;
        m.add(w::defineVideoStream(1, s)).add(w::videoFrame(1, 0, c.data)).add(w::videoFrame(1, 1, c.data));
        m.add(w::videoFrame(7, 0, c.data)); // a stream that does not exist
        m.place(1, 1).showFrame();
        auto movie = load(m.bytes());
        ASSERT_TRUE(movie);
        swf::Player p(movie);
        EXPECT_TRUE(near(render(p).pixel(20, 20), kWhite, 0)) << int(c.codec);
    }
}

TEST(VideoHostile, TruncatedTagsLoad) {
    namespace w = swf::writer;
    auto m = movie(8);
    m.add(w::Tag(w::tagcode::DefineVideoStream, {1, 0, 2}));
    m.add(w::Tag(w::tagcode::VideoFrame, {1}));
    m.place(1, 1).showFrame();
    auto movie = load(m.bytes());
    ASSERT_TRUE(movie);
    swf::Player p(movie);
    EXPECT_TRUE(near(render(p).pixel(20, 20), kWhite, 0));
}

// The corpus's VP6 and H.263 test charts, at points of the reference picture.
TEST(VideoCorpus, TestChartsMatchTheReferenceAtKnownPoints) {
    for (const char* name : {"rf-colorconversion-vp6", "rf-colorconversion-h263"}) {
        auto dir = testpaths::corpusDir();
        auto swfPath = dir / (std::string(name) + ".swf"), refPath = dir / (std::string(name) + ".expected.png");
        if (!std::filesystem::exists(swfPath) || !std::filesystem::exists(refPath)) GTEST_SKIP() << "no corpus";
        auto loaded = swf::loadMovieFile(swfPath);
        ASSERT_TRUE(swf::ok(loaded));
        swf::Player p(std::get<swf::MoviePtr>(loaded));
        QImage ref(QString::fromStdString(refPath.string()));
        swf::ShapeCache cache;
        QImage img = swf::renderImage(p, ref.size(), cache).convertToFormat(QImage::Format_ARGB32);
        // The colour bars, the grey ramp and the corner marks.
        for (auto [x, y] : std::vector<std::pair<int, int>>{
                 {160, 175}, {224, 175}, {288, 175}, {352, 175}, {416, 175}, {480, 175}, {200, 220}, {320, 255},
                 {80, 145}, {560, 305}, {78, 80}, {20, 20}, {320, 60}}) {
            QRgb want = ref.pixel(x, y);
            EXPECT_TRUE(near(img.pixel(x, y), {uint8_t(qRed(want)), uint8_t(qGreen(want)), uint8_t(qBlue(want)), 255},
                             12))
                << name << " at " << x << "," << y;
        }
    }
}

} // namespace

namespace {

// VP6 with alpha has no encoder here: the corpus chart's VP6 frame serves as both the
// colour and the alpha frame, so the picture's alpha follows the chart's brightness.
TEST(VideoCorpus, Vp6WithAlphaTakesItsAlphaFromTheSecondFrame) {
    auto path = testpaths::corpusDir() / "rf-colorconversion-vp6.swf";
    auto refPath = testpaths::corpusDir() / "rf-colorconversion-vp6.expected.png";
    if (!std::filesystem::exists(path) || !std::filesystem::exists(refPath)) GTEST_SKIP() << "no corpus";
    auto loaded = swf::loadMovieFile(path);
    ASSERT_TRUE(swf::ok(loaded));
    const swf::VideoDef* vp6 = std::get<swf::MoviePtr>(loaded)->get<swf::VideoDef>(0);
    ASSERT_TRUE(vp6 && !vp6->frames.empty());
    const std::vector<uint8_t>& colour = vp6->frames.begin()->second.data;
    std::vector<uint8_t> packet{uint8_t(colour.size() >> 16), uint8_t(colour.size() >> 8), uint8_t(colour.size())};
    packet.insert(packet.end(), colour.begin(), colour.end());
    packet.insert(packet.end(), colour.begin(), colour.end());
    EXPECT_TRUE(swf::readVideoPacket(swf::VideoCodec::Vp6Alpha, packet).keyFrame);

    auto d = swf::VideoDecoder::create(swf::VideoCodec::Vp6Alpha);
    ASSERT_TRUE(swf::ok(d));
    auto r = std::get<std::unique_ptr<swf::VideoDecoder>>(d)->decode(packet, true);
    ASSERT_TRUE(swf::ok(r));
    swf::BitmapPtr pic = std::get<swf::BitmapPtr>(r);
    ASSERT_TRUE(pic);
    ASSERT_EQ(pic->width, 640);
    QImage ref = QImage(QString::fromStdString(refPath.string())).convertToFormat(QImage::Format_ARGB32);
    int checked = 0;
    for (int y = 8; y < 480; y += 16)
        for (int x = 8; x < 640; x += 16) {
            const uint32_t px = pic->pixels[size_t(y) * 640 + size_t(x)];
            const int a = int(px >> 24);
            ASSERT_LE(int((px >> 16) & 0xff), a) << "premultiplied";
            const int grey = qGray(ref.pixel(x, y));
            if (grey > 240) EXPECT_GT(a, 220) << x << "," << y;
            if (grey < 20) EXPECT_LT(a, 40) << x << "," << y;
            checked += grey > 240 || grey < 20;
        }
    EXPECT_GT(checked, 100);
}

TEST(VideoPlacement, CharacterIdZeroIsAValidCharacter) {
    auto m = movie();
    m.add(rectShape(0, 10, 10, 50, 50, kRed)).place(1, 0).showFrame();
    swf::Player p(load(m.bytes()));
    EXPECT_TRUE(near(render(p).pixel(30, 30), kRed));
}

} // namespace
