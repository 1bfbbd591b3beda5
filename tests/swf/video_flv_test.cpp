// FLV files played by time, as a script's video object shows them.
#include "video_fixture.h"

#include "swf/media/video_source.h"

#include <cmath>

using namespace fixture;
using namespace videofixture;

namespace {

struct Encoding {
    const char* name;
    QStringList video;
    const char* audio;
    int tolerance;
};

class FlvSourceTest : public ::testing::TestWithParam<Encoding> {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("movie.flv");
        if (!encodeFlv(path_, 12, GetParam().video, GetParam().audio)) GTEST_SKIP() << "ffmpeg cannot encode this";
    }
    std::unique_ptr<swf::VideoSource> open() {
        auto r = swf::openFlvFile(path_.toStdString());
        if (auto* e = std::get_if<swf::Error>(&r)) {
            ADD_FAILURE() << e->message;
            return nullptr;
        }
        return std::move(std::get<std::unique_ptr<swf::VideoSource>>(r));
    }
    QTemporaryDir dir_;
    QString path_;
};

QRgb pixel(const swf::BitmapPtr& b, int x, int y) { return b->pixels[size_t(y) * size_t(b->width) + size_t(x)]; }

// Frame k starts at k / 12 seconds; ask a little after.
double timeOf(int k) { return (k + 0.5) / 12.0; }

TEST_P(FlvSourceTest, PicturesByTimeAndTheSoundAlongside) {
    auto src = open();
    ASSERT_TRUE(src);
    EXPECT_EQ(src->width(), kWidth);
    EXPECT_EQ(src->height(), kHeight);
    EXPECT_TRUE(src->hasAudio());
    EXPECT_NEAR(src->duration(), 1.0, 0.15);
    for (int k = 0; k < 12; ++k) {
        auto pic = src->frameAt(timeOf(k));
        ASSERT_TRUE(pic) << k;
        ASSERT_EQ(pic->width, kWidth);
        EXPECT_TRUE(near(pixel(pic, 6, 6), kRed, GetParam().tolerance)) << k;
        EXPECT_TRUE(near(pixel(pic, 120, 72), frameColour(k), GetParam().tolerance)) << k;
    }
    // About a second of the tone, not silence.
    swf::StereoPcm pcm = src->takeAudio();
    EXPECT_GT(swf::frameCount(pcm), size_t(swf::kMixRate) * 7 / 10);
    EXPECT_LE(swf::frameCount(pcm), size_t(swf::kMixRate) * 13 / 10);
    double energy = 0;
    for (int16_t v : pcm) energy += double(v) * v;
    EXPECT_GT(std::sqrt(energy / double(std::max<size_t>(1, pcm.size()))), 1000.0);
    EXPECT_TRUE(src->takeAudio().empty()) << "taken once";
    // Past the end the last picture stays.
    EXPECT_TRUE(near(pixel(src->frameAt(5.0), 120, 72), frameColour(11), GetParam().tolerance));
}

TEST_P(FlvSourceTest, JumpsShowWhatPlayingShows) {
    auto played = open(), jumped = open();
    ASSERT_TRUE(played && jumped);
    std::vector<swf::BitmapPtr> seen;
    for (int k = 0; k < 12; ++k) seen.push_back(played->frameAt(timeOf(k)));
    for (int k : {9, 2, 11, 0, 6, 6, 3}) {
        auto pic = jumped->frameAt(timeOf(k));
        ASSERT_TRUE(pic && seen[size_t(k)]);
        EXPECT_EQ(pic->pixels, seen[size_t(k)]->pixels) << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FlvSourceTest,
    ::testing::Values(Encoding{"h263_mp3", {"flv", "-q:v", "2", "-g", "5"}, "libmp3lame", 24},
                      Encoding{"h264_aac", {"libx264", "-preset", "ultrafast", "-crf", "10", "-g", "5", "-pix_fmt", "yuv420p"}, "aac", 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlvSourceHostile, BrokenFilesGiveAnErrorOrTheLastGoodPicture) {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const QString flv = dir.filePath("good.flv");
    ASSERT_TRUE(encodeFlv(flv, 12, {"flv", "-g", "4"}, "libmp3lame"));
    const auto good = readFile(flv);
    auto write = [&](const QString& name, std::vector<uint8_t> bytes) {
        const QString path = dir.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.toStdString();
    };
    EXPECT_FALSE(swf::ok(swf::openFlvFile(dir.filePath("missing.flv").toStdString())));
    EXPECT_FALSE(swf::ok(swf::openFlvFile(write("empty.flv", {}))));
    EXPECT_FALSE(swf::ok(swf::openFlvFile(write("text.flv", std::vector<uint8_t>(4000, 'x')))));
    std::vector<uint8_t> half(good.begin(), good.begin() + long(good.size() / 2));
    std::vector<uint8_t> flipped = good;
    for (size_t i = 200; i < flipped.size(); i += 97) flipped[i] ^= 0x5a;
    for (auto bytes : {half, flipped}) {
        auto r = swf::openFlvFile(write("broken.flv", bytes));
        if (!swf::ok(r)) continue; // refusing is fine too
        auto& src = std::get<std::unique_ptr<swf::VideoSource>>(r);
        for (double t : {0.1, 0.9, 0.3, 10.0, 0.0}) src->frameAt(t);
        src->takeAudio();
    }
}

} // namespace
