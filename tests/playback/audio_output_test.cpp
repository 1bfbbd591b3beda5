// The output through a private ALSA setup: what reaches the default PCM, the system mute,
// and no device at all.
#include "sound_fixture.h"

#include "app/playback/audio_output.h"
#include "mixer/stderr_capture.h"

#include <gtest/gtest.h>

#include <fstream>

using soundtest::CaptureDevice;
using soundtest::waitUntil;

namespace {

AudioOutput::Options quickOptions() {
    AudioOutput::Options o;
    o.idleClose = std::chrono::milliseconds(50);
    return o;
}

// A square wave as the mixer takes it: 440 Hz, 0.25 s, left positive when right is negative.
std::shared_ptr<const swf::StereoPcm> square() {
    auto pcm = std::make_shared<swf::StereoPcm>();
    for (int i = 0; i < 11025; ++i) {
        const int16_t v = (2 * i * 440 / 44100) % 2 ? 8000 : -8000;
        pcm->push_back(v);
        pcm->push_back(static_cast<int16_t>(-v));
    }
    return pcm;
}

int owner;

} // namespace

TEST(AudioOutput, WritesTheMixToTheDefaultPcm) {
    CaptureDevice capture;
    if (!capture.valid()) GTEST_SKIP() << "test sound card not built";
    auto pcm = square();
    {
        AudioOutput out(quickOptions());
        out.startSound(&owner, pcm.get(), pcm, {});
        ASSERT_TRUE(waitUntil([&] { return out.idle(); }));
    }
    const auto written = capture.samples();
    // The sound, whole and unchanged, framed by silence.
    EXPECT_EQ(soundtest::audible(written), *pcm);
    EXPECT_GT(written.size(), pcm->size());
}

TEST(AudioOutput, StreamChunksReachTheDeviceInOrderAndTheirPositionIsKept) {
    CaptureDevice capture;
    if (!capture.valid()) GTEST_SKIP() << "test sound card not built";
    swf::StereoPcm all;
    {
        AudioOutput out(quickOptions());
        for (int chunk = 1; chunk <= 20; ++chunk) {
            swf::StereoPcm part(2 * 1000 + 2 * static_cast<size_t>(chunk),
                                static_cast<int16_t>(chunk * 100));
            all.insert(all.end(), part.begin(), part.end());
            out.queueStream(&owner, part);
        }
        const auto total = static_cast<int64_t>(swf::frameCount(all));
        ASSERT_TRUE(waitUntil([&] {
            auto pos = out.streamPosition(&owner);
            return pos && pos->heard == total;
        }));
        EXPECT_EQ(out.streamPosition(&owner)->queued, total);
        ASSERT_TRUE(waitUntil([&] { return out.idle(); }));
    }
    EXPECT_EQ(soundtest::audible(capture.samples()), all);
}

TEST(AudioOutput, SystemMuteSilencesWhatIsWritten) {
    CaptureDevice capture;
    if (!capture.valid()) GTEST_SKIP() << "test sound card not built";
    ASSERT_TRUE(capture.device().setPlaybackSwitch("Master", false));
    auto pcm = square();
    {
        AudioOutput out(quickOptions());
        out.startSound(&owner, pcm.get(), pcm, {});
        ASSERT_TRUE(waitUntil([&] { return out.idle(); }));
    }
    const auto written = capture.samples();
    // Played in full, in silence.
    EXPECT_GE(written.size(), pcm->size());
    EXPECT_TRUE(soundtest::audible(written).empty());
}

TEST(AudioOutput, WithoutADeviceNothingPlaysAndNothingIsPrinted) {
    QTemporaryDir dir;
    const std::string config = dir.filePath("asound.conf").toStdString();
    std::ofstream(config) << "pcm.!default { type hw card 17 }\nctl.!default { type hw card 17 }\n";
    testsupport::AlsaConfigScope scope(config);
    StderrCapture err;
    {
        AudioOutput out(quickOptions());
        auto pcm = square();
        out.startSound(&owner, pcm.get(), pcm, {});
        out.queueStream(&owner, *pcm);
        // Once the device has failed the stream has no clock and sounds are turned away.
        ASSERT_TRUE(waitUntil([&] { return !out.streamPosition(&owner); }));
        out.startSound(&owner, pcm.get(), pcm, {});
        EXPECT_TRUE(out.idle());
        EXPECT_FALSE(out.deviceOpen());
    }
    EXPECT_EQ(err.text(), "");
}
