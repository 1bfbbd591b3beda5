// A StartSound's SOUNDINFO applied to a decoded sound: in and out points, loops, envelope.
#include "swf/media/sound_instance.h"

#include <gtest/gtest.h>

using namespace swf;

namespace {

// Left counts up from 0, right counts down.
std::shared_ptr<const StereoPcm> ramp(int frames) {
    auto pcm = std::make_shared<StereoPcm>();
    for (int i = 0; i < frames; ++i) {
        pcm->push_back(static_cast<int16_t>(i));
        pcm->push_back(static_cast<int16_t>(-i));
    }
    return pcm;
}

std::shared_ptr<const StereoPcm> level(int frames, int16_t value) {
    return std::make_shared<StereoPcm>(2 * static_cast<size_t>(frames), value);
}

// Everything the instance plays, taken in pieces of `piece` frames.
std::vector<int32_t> playAll(SoundInstance& s, size_t piece = 7) {
    std::vector<int32_t> out;
    while (!s.finished()) {
        std::vector<int32_t> mix(2 * piece, 0);
        size_t n = s.mixInto(mix);
        out.insert(out.end(), mix.begin(), mix.begin() + static_cast<long>(2 * n));
        if (n == 0) break;
    }
    return out;
}

} // namespace

TEST(SoundInstance, PlaysFromInToOutPointAsOftenAsLooped) {
    SoundInfo info;
    info.hasIn = info.hasOut = true;
    info.inPoint = 10;
    info.outPoint = 14;
    info.loops = 3;
    SoundInstance s(ramp(100), info);
    EXPECT_EQ(s.length(), 12u);
    std::vector<int32_t> expected;
    for (int loop = 0; loop < 3; ++loop)
        for (int i = 10; i < 14; ++i)
            expected.insert(expected.end(), {i, -i});
    EXPECT_EQ(playAll(s), expected);
    EXPECT_TRUE(s.finished());
}

TEST(SoundInstance, PointsOutsideTheSoundAreClamped) {
    SoundInfo past;
    past.hasIn = true;
    past.inPoint = 500;
    EXPECT_TRUE(SoundInstance(ramp(100), past).finished());
    SoundInfo backwards;
    backwards.hasIn = backwards.hasOut = true;
    backwards.inPoint = 50;
    backwards.outPoint = 20;
    EXPECT_TRUE(SoundInstance(ramp(100), backwards).finished());
    SoundInfo longOut;
    longOut.hasOut = true;
    longOut.outPoint = 1000;
    longOut.loops = 0; // taken as once
    EXPECT_EQ(SoundInstance(ramp(100), longOut).length(), 100u);
    EXPECT_TRUE(SoundInstance(nullptr, {}).finished());
}

TEST(SoundInstance, EnvelopeLevelsAreInterpolatedAndHeld) {
    SoundInfo info;
    // Given out of order: the left fades in, the right fades out between 100 and 200.
    info.envelope = {{200, 32768, 0}, {100, 0, 32768}};
    info.loops = 2;
    SoundInstance s(level(150, 16000), info);
    auto out = playAll(s, 64);
    ASSERT_EQ(out.size(), 600u);
    EXPECT_EQ(out[2 * 50], 0); // before the first point: its level
    EXPECT_EQ(out[2 * 50 + 1], 16000);
    EXPECT_EQ(out[2 * 150], 8000); // half way, in the second loop
    EXPECT_EQ(out[2 * 150 + 1], 8000);
    EXPECT_EQ(out[2 * 250], 16000); // after the last point: its level
    EXPECT_EQ(out[2 * 250 + 1], 0);
}

TEST(SoundInstance, LevelsAboveFullVolumeAreFullVolume) {
    SoundInfo info;
    info.envelope = {{0, 65535, 40000}};
    SoundInstance s(level(10, 30000), info);
    auto out = playAll(s);
    EXPECT_EQ(out, std::vector<int32_t>(20, 30000));
}

TEST(SoundInstance, MixingAddsToWhatIsThere) {
    SoundInstance s(level(5, 100), {});
    std::vector<int32_t> mix(20, 1);
    EXPECT_EQ(s.mixInto(mix), 5u);
    EXPECT_EQ(mix[0], 101);
    EXPECT_EQ(mix[9], 101);
    EXPECT_EQ(mix[10], 1);
    EXPECT_EQ(s.mixInto(mix), 0u);
}
