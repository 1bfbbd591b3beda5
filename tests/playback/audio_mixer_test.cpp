// The mixer: voices summed and clipped, SyncStop and SyncNoMultiple, stream positions.
#include "app/playback/audio_mixer.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<const swf::StereoPcm> level(size_t frames, int16_t value) {
    return std::make_shared<swf::StereoPcm>(2 * frames, value);
}

swf::StereoPcm mixed(AudioMixer& m, size_t frames, int64_t at = 0) {
    swf::StereoPcm out(2 * frames, 1234);
    m.mix(out, at);
    return out;
}

int owner1, owner2; // addresses stand for players
const void* const kA = &owner1;
const void* const kB = &owner2;
int soundX, soundY;

} // namespace

TEST(AudioMixer, VoicesAreSummedAndClippedOnce) {
    AudioMixer m;
    m.startSound(kA, &soundX, level(4, 20000), {});
    m.startSound(kB, &soundY, level(2, 20000), {});
    m.startSound(kB, &soundY, level(2, -30000), {});
    // 20000 + 20000 - 30000 fits, though the first two alone would not.
    EXPECT_EQ(mixed(m, 3), (swf::StereoPcm{10000, 10000, 10000, 10000, 20000, 20000}));
    EXPECT_TRUE(m.active());
    EXPECT_EQ(mixed(m, 2), (swf::StereoPcm{20000, 20000, 0, 0}));
    EXPECT_FALSE(m.active());
    m.startSound(kA, &soundX, level(2, 30000), {});
    m.startSound(kA, &soundX, level(2, 30000), {});
    EXPECT_EQ(mixed(m, 1), (swf::StereoPcm{32767, 32767}));
}

TEST(AudioMixer, SyncFlagsActOnTheOwnersInstancesOfThatSound) {
    AudioMixer m;
    swf::SoundInfo once;
    once.noMultiple = true;
    m.startSound(kA, &soundX, level(10, 100), once);
    m.startSound(kA, &soundX, level(10, 100), once); // already playing: not started
    m.startSound(kB, &soundX, level(10, 10), once);  // another player's: started
    m.startSound(kA, &soundY, level(10, 1), {});
    EXPECT_EQ(mixed(m, 1)[0], 111);
    swf::SoundInfo stop;
    stop.stop = true;
    m.startSound(kA, &soundX, level(10, 100), stop);
    EXPECT_EQ(mixed(m, 1)[0], 11);
    m.stopSounds(kB);
    EXPECT_EQ(mixed(m, 1)[0], 1);
    m.stopSound(kA, &soundY);
    EXPECT_FALSE(m.active());
}

TEST(AudioMixer, TooManyVoicesEndTheOldest) {
    AudioMixer m;
    m.startSound(kA, &soundX, level(5, 1000), {});
    for (size_t i = 0; i < AudioMixer::kMaxVoices; ++i)
        m.startSound(kA, &soundY, level(5, 1), {});
    EXPECT_EQ(mixed(m, 1)[0], static_cast<int16_t>(AudioMixer::kMaxVoices));
}

TEST(AudioMixer, StreamChunksPlayBackToBack) {
    AudioMixer m;
    m.queueStream(kA, swf::StereoPcm{1, -1, 2, -2});
    m.queueStream(kA, swf::StereoPcm{});
    m.queueStream(kA, swf::StereoPcm{3, -3});
    m.queueStream(kB, swf::StereoPcm{10, 10, 10, 10, 10, 10, 10, 10});
    EXPECT_EQ(mixed(m, 2), (swf::StereoPcm{11, 9, 12, 8}));
    EXPECT_EQ(mixed(m, 3), (swf::StereoPcm{13, 7, 10, 10, 0, 0}));
    EXPECT_FALSE(m.active());
}

TEST(AudioMixer, StreamPositionFollowsWhatHasBeenHeard) {
    AudioMixer m;
    EXPECT_EQ(m.streamPosition(kA, 0).queued, 0);
    m.queueStream(kA, swf::StereoPcm(2 * 100, 5));
    // Output frames 1000..1255: the stream's 100 frames, then it runs dry.
    mixed(m, 256, 1000);
    EXPECT_EQ(m.streamPosition(kA, 900).heard, 0);
    EXPECT_EQ(m.streamPosition(kA, 1040).heard, 40);
    EXPECT_EQ(m.streamPosition(kA, 1200).heard, 100);
    m.queueStream(kA, swf::StereoPcm(2 * 100, 5));
    mixed(m, 256, 1256);
    EXPECT_EQ(m.streamPosition(kA, 1250).heard, 100);
    EXPECT_EQ(m.streamPosition(kA, 1300).heard, 144);
    EXPECT_EQ(m.streamPosition(kA, 1300).queued, 200);
    // Dropping what has been heard keeps the answers.
    m.heardUpTo(1300);
    EXPECT_EQ(m.streamPosition(kA, 1300).heard, 144);
    EXPECT_EQ(m.streamPosition(kA, 5000).heard, 200);
    m.restartStream(kA);
    EXPECT_EQ(m.streamPosition(kA, 5000).heard, 0);
    EXPECT_EQ(m.streamPosition(kA, 5000).queued, 0);
}
