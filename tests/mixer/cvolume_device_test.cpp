// cVolume against the test mixer device: values go through ALSA into the device's state file.
#include "cvolume_test_access.h"
#include "mixer/cvolume.h"
#include "support/alsa_test_device.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>

namespace {

using testsupport::AlsaTestDevice;

// Mixer elements of the lines, in line order.
const std::array<std::string, 6> kElements = {"Master", "Mic", "Line", "CD", "Synth", "PCM"};

class CVolumeDevice : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(device.valid()) << AlsaTestDevice::pluginFile(); }
    AlsaTestDevice device;
};

TEST_F(CVolumeDevice, MuteRoundTripsThroughTheMasterSwitch) {
    cVolume mixer;
    EXPECT_FALSE(mixer.VolumeMute());

    mixer.VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
    EXPECT_TRUE(mixer.VolumeMute());

    mixer.VolumeMute(false);
    EXPECT_EQ(device.playbackSwitch("Master"), true);
    EXPECT_FALSE(mixer.VolumeMute());

    // Only the master line is touched.
    mixer.VolumeMute(true);
    for (size_t i = 1; i < kElements.size(); ++i)
        EXPECT_EQ(device.playbackSwitch(kElements[i]), true) << kElements[i];
}

TEST_F(CVolumeDevice, DestroyingLeavesTheMuteAsWritten) {
    cVolume().VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
    EXPECT_TRUE(cVolume().VolumeMute());
    cVolume().VolumeMute(false);
    EXPECT_EQ(device.playbackSwitch("Master"), true);
}

TEST_F(CVolumeDevice, FollowsChangesMadeByOthers) {
    cVolume mixer;
    ASSERT_TRUE(device.setPlaybackSwitch("Master", false));
    EXPECT_TRUE(mixer.VolumeMute());
    ASSERT_TRUE(device.setPlaybackSwitch("Master", true));
    EXPECT_FALSE(mixer.VolumeMute());

    ASSERT_TRUE(device.setPlaybackVolume("PCM", 30));
    EXPECT_EQ(cVolumeTestAccess::level(mixer, 5), 30);

    // A write must land even when the object last saw the value it writes.
    mixer.VolumeMute(true);
    ASSERT_TRUE(device.setPlaybackSwitch("Master", true));
    mixer.VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
}

TEST_F(CVolumeDevice, SixLinesMapToTheirElements) {
    cVolume mixer;
    for (int line = 0; line < cVolumeTestAccess::kLineCount; ++line) {
        EXPECT_EQ(cVolumeTestAccess::levelMax(mixer, line), 87) << kElements[line];
        cVolumeTestAccess::setLevel(mixer, line, 10 + line);
    }
    for (int line = 0; line < cVolumeTestAccess::kLineCount; ++line) {
        EXPECT_EQ(device.playbackVolume(kElements[line]), 10 + line) << kElements[line];
        EXPECT_EQ(cVolumeTestAccess::level(mixer, line), 10 + line) << kElements[line];
    }

    for (int line = 0; line < cVolumeTestAccess::kLineCount; ++line) {
        cVolumeTestAccess::setMute(mixer, line, true);
        for (int other = 0; other < cVolumeTestAccess::kLineCount; ++other)
            EXPECT_EQ(device.playbackSwitch(kElements[other]), other > line)
                << "muted " << kElements[line] << ", looked at " << kElements[other];
        EXPECT_TRUE(cVolumeTestAccess::mute(mixer, line));
    }
}

TEST_F(CVolumeDevice, LevelsPassUnscaledAndOutOfRangeWritesAreDropped) {
    cVolume mixer;
    cVolumeTestAccess::setLevel(mixer, 0, 87);
    EXPECT_EQ(device.playbackVolume("Master"), 87);
    cVolumeTestAccess::setLevel(mixer, 0, 88);
    cVolumeTestAccess::setLevel(mixer, 0, -1);
    EXPECT_EQ(device.playbackVolume("Master"), 87);
    EXPECT_EQ(cVolumeTestAccess::level(mixer, 0), 87);
}

TEST_F(CVolumeDevice, DamagedStateFileReadsAsDefaults) {
    std::ofstream(device.stateFile(), std::ios::binary)
        << "Master Playback Switch=0,0\nMaster Playback Volume=99\n=\n\xff\x00junk";
    cVolume mixer;
    EXPECT_FALSE(mixer.VolumeMute());
    EXPECT_EQ(cVolumeTestAccess::level(mixer, 0), 65);
    mixer.VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
}

// Each device scope switches ALSA's configuration for the whole process.
TEST(CVolumeConfiguration, EachDeviceGetsItsOwnState) {
    AlsaTestDevice first;
    ASSERT_TRUE(first.valid());
    cVolume().VolumeMute(true);
    {
        AlsaTestDevice second;
        ASSERT_TRUE(second.valid());
        EXPECT_FALSE(cVolume().VolumeMute());
        cVolume().VolumeMute(true);
        EXPECT_EQ(second.playbackSwitch("Master"), false);
    }
    // Back on the first device once the second is gone.
    EXPECT_TRUE(cVolume().VolumeMute());
    cVolume().VolumeMute(false);
    EXPECT_EQ(first.playbackSwitch("Master"), true);
}

} // namespace
