// The movie player's sound: event and stream sound of a movie reach the output when sound
// is on, never when it is off, and stop with the movie.
#include "sound_fixture.h"

#include "app/playback/audio_output.h"
#include "app/playback/flash_player.h"

#include <gtest/gtest.h>

#include <map>

using namespace swf::writer;
using soundtest::CaptureDevice;
using soundtest::waitUntil;

namespace {

// 0.2 s of a 440 Hz square wave at 22050 Hz, started in the first of three frames.
std::vector<uint8_t> eventSoundMovie() {
    MovieWriter movie(10, {0, 2000, 0, 2000}, 12);
    movie.add(
        defineSound(1, {3, 2, true, false}, 4410, soundtest::squareWave(4410, 22050, 440, 8000)));
    movie.add(startSound(1));
    movie.showFrame(3);
    return movie.bytes();
}

// `frames` frames at 24 fps of uncompressed stream sound: frame n holds 1837 or 1838
// samples (44100 / 24 on average) all of level 1000 * (n + 1).
std::vector<uint8_t> streamMovie(int frames, std::vector<size_t>& blockLengths) {
    MovieWriter movie(10, {0, 2000, 0, 2000}, 24);
    const SoundFormat fmt{3, 3, true, false};
    movie.add(soundStreamHead(fmt, fmt, 1837));
    for (int f = 0; f < frames; ++f) {
        const size_t n = f % 2 ? 1838 : 1837;
        blockLengths.push_back(n);
        std::vector<uint8_t> block;
        for (size_t i = 0; i < n; ++i) {
            const auto v = static_cast<uint16_t>(1000 * (f + 1));
            block.push_back(static_cast<uint8_t>(v & 0xFF));
            block.push_back(static_cast<uint8_t>(v >> 8));
        }
        movie.add(soundStreamBlock(block)).showFrame();
    }
    return movie.bytes();
}

QString writeMovie(const QTemporaryDir& dir, const std::vector<uint8_t>& bytes) {
    static int serial = 0;
    const QString path = dir.filePath(QString("movie%1.swf").arg(++serial));
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Runs of equal non-zero levels in one channel, in order.
std::vector<std::pair<int16_t, size_t>> levelRuns(const std::vector<int16_t>& samples) {
    std::vector<std::pair<int16_t, size_t>> runs;
    for (size_t i = 0; i < samples.size(); i += 2) {
        if (samples[i] == 0) continue;
        if (runs.empty() || runs.back().first != samples[i]) runs.emplace_back(samples[i], 0);
        ++runs.back().second;
    }
    return runs;
}

class FlashPlayerSound : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!capture.valid()) GTEST_SKIP() << "test sound card not built";
        ASSERT_TRUE(dir.isValid());
        player.setLoop(false);
    }
    // Until the movie has ended and the output has closed the device again.
    void playToTheEnd() {
        ASSERT_TRUE(waitUntil([&] { return !player.IsPlaying(); }));
        ASSERT_TRUE(waitUntil([] { return AudioOutput::instance().idle(); }));
    }

    CaptureDevice capture;
    QTemporaryDir dir;
    FlashPlayer player;
};

} // namespace

TEST_F(FlashPlayerSound, IsOffUnlessTurnedOn) {
    EXPECT_FALSE(player.soundEnabled());
    player.setMovie(writeMovie(dir, eventSoundMovie()));
    ASSERT_TRUE(waitUntil([&] { return !player.IsPlaying(); }));
    // A sound started would keep the device open for a while yet.
    EXPECT_TRUE(AudioOutput::instance().idle());
    EXPECT_TRUE(capture.samples().empty());
}

TEST_F(FlashPlayerSound, EventSoundIsPlayedInFull) {
    player.setSoundEnabled(true);
    player.setMovie(writeMovie(dir, eventSoundMovie()));
    playToTheEnd();
    const auto sound = soundtest::audible(capture.samples());
    // 4410 samples at 22050 Hz are 8820 at 44100 Hz, both channels alike, at full
    // amplitude but where the wave turns over.
    ASSERT_EQ(sound.size(), 2u * 8820);
    size_t full = 0;
    for (size_t i = 0; i < sound.size(); i += 2) {
        EXPECT_EQ(sound[i], sound[i + 1]);
        EXPECT_LE(std::abs(sound[i]), 8000);
        full += std::abs(sound[i]) == 8000;
    }
    EXPECT_GT(full, 8820u * 9 / 10);
}

TEST_F(FlashPlayerSound, StreamSoundPlaysEveryBlockInFrameOrder) {
    std::vector<size_t> lengths;
    player.setSoundEnabled(true);
    player.setMovie(writeMovie(dir, streamMovie(12, lengths)));
    playToTheEnd();
    const auto runs = levelRuns(capture.samples());
    ASSERT_EQ(runs.size(), lengths.size());
    for (size_t f = 0; f < runs.size(); ++f) {
        EXPECT_EQ(runs[f].first, 1000 * int(f + 1));
        EXPECT_EQ(runs[f].second, lengths[f]) << f;
    }
}

TEST_F(FlashPlayerSound, StopEndsTheSounds) {
    // A minute of sound, stopped at once.
    MovieWriter movie(10, {0, 2000, 0, 2000}, 12);
    movie.add(
        defineSound(1, {3, 0, false, false}, 5512 * 60, std::vector<uint8_t>(5512 * 60, 200)));
    movie.add(startSound(1)).showFrame(2);
    player.setSoundEnabled(true);
    player.setMovie(writeMovie(dir, movie.bytes()));
    player.Stop();
    ASSERT_TRUE(waitUntil([] { return AudioOutput::instance().idle(); }));
    EXPECT_LT(capture.samples().size(), 2u * 44100 * 30);
}

TEST_F(FlashPlayerSound, TurningSoundOffEndsTheSounds) {
    std::vector<size_t> lengths;
    player.setSoundEnabled(true);
    player.setMovie(writeMovie(dir, streamMovie(24 * 40, lengths)));
    player.setSoundEnabled(false);
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(waitUntil([] { return AudioOutput::instance().idle(); }));
    EXPECT_TRUE(player.IsPlaying());
}
