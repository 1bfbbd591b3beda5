// The output meter while a movie of the corpus plays its sound through the program's own
// sound output: the readings follow the sound, and the highest of them is the loudest
// sample that reached the device.
#ifdef REELVISTA_HAVE_PLAYBACK

#include "mixer/cvolume.h"
#include "playback/sound_fixture.h"
#include "support/test_paths.h"

#include "app/playback/audio_output.h"
#include "app/playback/flash_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

TEST(OutputMeterPlayback, FollowsTheSoundOfAPlayingMovie) {
    const auto movie = testpaths::corpusDir() / "sh-sound2.swf";
    if (!std::filesystem::exists(movie)) GTEST_SKIP() << "corpus not present: " << movie;
    soundtest::CaptureDevice capture;
    if (!capture.valid()) GTEST_SKIP() << "test sound card not built";

    cVolume mixer;
    FlashPlayer player;
    player.setLoop(false);
    player.setSoundEnabled(true);
    player.setMovie(QString::fromStdString(movie.string()));
    int32_t highest = 0;
    int audibleReadings = 0;
    const auto read = [&] {
        const int32_t reading = mixer.CurrentVolumeMeterOutput();
        EXPECT_GE(reading, 0);
        EXPECT_LE(reading, mixer.MaxVolumeMeterOutput());
        highest = std::max(highest, reading);
        audibleReadings += reading > 0;
    };
    ASSERT_TRUE(soundtest::waitUntil([&] {
        read();
        return !player.IsPlaying() && AudioOutput::instance().idle();
    }));
    read();

    int32_t loudest = 0;
    for (int16_t s : capture.samples())
        loudest = std::max(loudest, std::min(std::abs(int32_t(s)), int32_t(32767)));
    ASSERT_GT(loudest, 0) << "the movie played no sound";
    EXPECT_EQ(highest, loudest);
    EXPECT_GT(audibleReadings, 1);
    // Nothing more was played since.
    EXPECT_EQ(mixer.CurrentVolumeMeterOutput(), 0);
}

#endif
