// A player's sound without a sound device: the movie's clock stays its own and all is quiet.
#include "sound_fixture.h"

#include "app/playback/player_sound.h"
#include "mixer/stderr_capture.h"

#include <gtest/gtest.h>

using namespace swf::writer;
using soundtest::waitUntil;

TEST(PlayerSound, WithoutADeviceTheMovieKeepsItsOwnClockQuietly) {
    MovieWriter movie(10, {0, 2000, 0, 2000}, 24);
    const SoundFormat fmt{3, 3, true, false};
    movie.add(defineSound(1, fmt, 100, std::vector<uint8_t>(200, 7)));
    movie.add(soundStreamHead(fmt, fmt, 100)).add(startSound(1));
    for (int f = 0; f < 10; ++f)
        movie.add(soundStreamBlock(std::vector<uint8_t>(200, 9))).showFrame();
    auto loaded = swf::loadMovie(movie.bytes());
    ASSERT_TRUE(swf::ok(loaded));
    swf::Player player(std::get<swf::MoviePtr>(loaded));

    QTemporaryDir dir;
    const std::string config = dir.filePath("asound.conf").toStdString();
    std::ofstream(config) << "pcm.!default { type hw card 17 }\n";
    testsupport::AlsaConfigScope scope(config);
    StderrCapture err;
    {
        AudioOutput::Options options;
        options.idleClose = std::chrono::milliseconds(50);
        AudioOutput out(options);
        PlayerSound sound(out);
        sound.framesShown(player);
        ASSERT_TRUE(waitUntil([&] { return !sound.ticksDue(player); }));
        for (int i = 0; i < 20; ++i) {
            player.tick();
            sound.framesShown(player);
            EXPECT_FALSE(sound.ticksDue(player));
        }
        EXPECT_TRUE(out.idle());
    }
    EXPECT_EQ(err.text(), "");
}
