// cVolume against the test mixer device: values go through ALSA into the device's state
// file. Cards of other makes (other element names, mono elements, a recording-only
// microphone, missing lines) and a card that is pulled out.
#include "mixer/cvolume.h"
#include "support/alsa_test_device.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

namespace {

using testsupport::AlsaTestDevice;
using Values = std::vector<long>;

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
    for (const char* other : {"Mic", "Line", "CD", "Synth", "PCM"})
        EXPECT_EQ(device.playbackSwitch(other), true) << other;
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
    EXPECT_EQ(mixer.WaveLevel(), 30);

    // A write must land even when the object last saw the value it writes.
    mixer.VolumeMute(true);
    ASSERT_TRUE(device.setPlaybackSwitch("Master", true));
    mixer.VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
}

TEST_F(CVolumeDevice, LevelsPassUnscaledAndOutOfRangeWritesAreDropped) {
    cVolume mixer;
    mixer.VolumeLevel(87);
    EXPECT_EQ(device.playbackVolume("Master"), 87);
    mixer.VolumeLevel(88);
    mixer.VolumeLevel(-1);
    mixer.VolumeLevelBass(41);
    mixer.LineLevelPan(32768);
    mixer.LineLevelPan(-32769);
    EXPECT_EQ(device.values("Master Playback Volume"), (Values{87, 87}));
    // Every write stores the whole card: the others still hold their defaults.
    EXPECT_EQ(device.values("Tone Control - Bass"), Values{20});
    EXPECT_EQ(device.values("Line Playback Volume"), (Values{65, 65}));
    EXPECT_EQ(mixer.VolumeLevel(), 87);
}

TEST_F(CVolumeDevice, TheOtherLinesHaveNoToneControls) {
    cVolume mixer;
    EXPECT_EQ(mixer.MicBassMax(), 0);
    EXPECT_EQ(mixer.LineTrebleMax(), 0);
    EXPECT_EQ(mixer.WaveBassMin(), 0);
    mixer.CDLevelBass(10);
    mixer.SynLevelTreble(10);
    EXPECT_EQ(mixer.CDLevelBass(), 0);
    EXPECT_EQ(mixer.SynLevelTreble(), 0);
    EXPECT_EQ(device.values("Tone Control - Bass"), Values{});
    EXPECT_EQ(device.values("Tone Control - Treble"), Values{});
}

TEST_F(CVolumeDevice, BalanceSurvivesAVolumeOfZero) {
    cVolume mixer;
    mixer.WaveLevelPan(8000);
    mixer.WaveLevel(0);
    EXPECT_EQ(device.values("PCM Playback Volume"), (Values{0, 0}));
    EXPECT_EQ(mixer.WaveLevelPan(), 8000);
    mixer.WaveLevel(60);
    EXPECT_EQ(device.values("PCM Playback Volume"), (Values{45, 60}));
    EXPECT_EQ(mixer.WaveLevelPan(), 8000);
    // Once someone else moves the channels, the balance is theirs.
    ASSERT_TRUE(device.setValues("PCM Playback Volume", {60, 60}));
    EXPECT_EQ(mixer.WaveLevelPan(), 0);
}

TEST_F(CVolumeDevice, DamagedStateFileReadsAsDefaults) {
    std::ofstream(device.stateFile(), std::ios::binary)
        << "Master Playback Switch=0,0\nMaster Playback Volume=99\n=\n\xff\x00junk";
    cVolume mixer;
    EXPECT_FALSE(mixer.VolumeMute());
    EXPECT_EQ(mixer.VolumeLevel(), 65);
    mixer.VolumeMute(true);
    EXPECT_EQ(device.playbackSwitch("Master"), false);
}

TEST_F(CVolumeDevice, ACardPulledOutReadsZeroAndTakesNoWrites) {
    cVolume mixer;
    ASSERT_EQ(mixer.VolumeLevel(), 65);
    ASSERT_TRUE(device.unplug());
    EXPECT_EQ(mixer.VolumeLevel(), 0);
    EXPECT_EQ(mixer.LineLevelPan(), 0);
    EXPECT_EQ(mixer.VolumeLevelBass(), 0);
    EXPECT_FALSE(mixer.VolumeMute());
    mixer.VolumeMute(true);
    mixer.VolumeLevel(10);
    mixer.LineLevelPan(-100);
    mixer.VolumeLevelTreble(3);
    EXPECT_EQ(device.values("Master Playback Volume"), Values{});
    EXPECT_EQ(device.values("Master Playback Switch"), Values{});
    // The ranges were found while the card was there.
    EXPECT_EQ(mixer.VolumeMax(), 87);
    EXPECT_EQ(mixer.CurrentVolumeMeterOutput(), 0);
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

// A card of another make: "Front" for the master, "FM" for the synthesizer, "Wave" for wave
// out, a mono line in, a microphone that is only recorded, no compact disc, no tone controls.
class OtherCard : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(device.valid()); }
    AlsaTestDevice device{AlsaTestDevice::kNullPcm,
                          {"bool 1 Front Playback Switch", "int 2 -10 31 20 Front Playback Volume",
                           "int 1 0 15 9 Line Playback Volume", "bool 1 Line Playback Switch",
                           "bool 2 Mic Capture Switch", "int 2 0 63 40 Mic Capture Volume",
                           "int 2 0 255 200 FM Playback Volume", "int 1 0 99 50 Music Playback Volume",
                           "int 2 0 31 20 Wave Playback Volume"}};
};

TEST_F(OtherCard, LinesFallBackToTheNamesThisCardUses) {
    cVolume mixer;
    EXPECT_EQ(mixer.VolumeMin(), -10);
    EXPECT_EQ(mixer.VolumeMax(), 31);
    EXPECT_EQ(mixer.VolumeLevel(), 20);
    mixer.VolumeLevel(-4);
    EXPECT_EQ(device.values("Front Playback Volume"), (Values{-4, -4}));
    mixer.VolumeMute(true);
    EXPECT_EQ(device.values("Front Playback Switch"), Values{0});

    // "FM" comes before "Music".
    EXPECT_EQ(mixer.SynMax(), 255);
    mixer.SynLevel(100);
    EXPECT_EQ(device.values("FM Playback Volume"), (Values{100, 100}));
    EXPECT_EQ(device.values("Music Playback Volume"), Values{50});

    EXPECT_EQ(mixer.WaveMax(), 31);
    mixer.WaveLevelFader(11);
    EXPECT_EQ(device.values("Wave Playback Volume"), (Values{11, 11}));
    // No switch on this element: no wave mute.
    mixer.WaveMute(true);
    EXPECT_FALSE(mixer.WaveMute());
}

TEST_F(OtherCard, BalanceCountsFromTheBottomOfTheRange) {
    cVolume mixer;
    ASSERT_TRUE(device.setValues("Front Playback Volume", {31, 10}));
    // 41 and 20 steps above −10.
    EXPECT_EQ(mixer.VolumeLevelPan(), -16784);
    mixer.VolumeLevelPan(0);
    EXPECT_EQ(device.values("Front Playback Volume"), (Values{31, 31}));
    mixer.VolumeLevelPan(32767);
    EXPECT_EQ(device.values("Front Playback Volume"), (Values{-10, 31}));
}

TEST_F(OtherCard, AMonoElementHasNoBalance) {
    cVolume mixer;
    EXPECT_EQ(mixer.LinePanMin(), 0);
    EXPECT_EQ(mixer.LinePanMax(), 0);
    EXPECT_EQ(mixer.LineLevelPan(), 0);
    mixer.LineLevelPan(-20000);
    EXPECT_EQ(device.values("Line Playback Volume"), Values{});
    mixer.LineLevel(12);
    EXPECT_EQ(device.values("Line Playback Volume"), Values{12});
    EXPECT_EQ(mixer.LineLevel(), 12);
    EXPECT_EQ(mixer.LineLevelPan(), 0);
}

TEST_F(OtherCard, AMicrophoneThatIsOnlyRecordedIsSetOnItsCaptureSide) {
    cVolume mixer;
    EXPECT_EQ(mixer.MicMax(), 63);
    EXPECT_EQ(mixer.MicLevel(), 40);
    mixer.MicLevel(50);
    EXPECT_EQ(device.values("Mic Capture Volume"), (Values{50, 50}));
    mixer.MicLevelPan(-16384);
    EXPECT_EQ(device.values("Mic Capture Volume"), (Values{50, 25}));
    // Muted is not recording.
    EXPECT_FALSE(mixer.MikrofonMute());
    mixer.MikrofonMute(true);
    EXPECT_EQ(device.values("Mic Capture Switch"), (Values{0, 0}));
    EXPECT_TRUE(mixer.MikrofonMute());
    // The microphone's capture control gives the input meter.
    EXPECT_EQ(mixer.MaxVolumeMeterInput(), 32767);
}

TEST_F(OtherCard, ALineTheCardLacksIsZeroEverywhere) {
    cVolume mixer;
    EXPECT_EQ(mixer.CDMin(), 0);
    EXPECT_EQ(mixer.CDMax(), 0);
    EXPECT_EQ(mixer.CDFaderMin(), 0);
    EXPECT_EQ(mixer.CDFaderMax(), 0);
    EXPECT_EQ(mixer.CDBassMax(), 0);
    EXPECT_EQ(mixer.CDTrebleMax(), 0);
    EXPECT_EQ(mixer.CDPanMin(), 0);
    EXPECT_EQ(mixer.CDPanMax(), 0);
    mixer.CDLevel(5);
    mixer.CDLevelFader(5);
    mixer.CDLevelPan(5);
    mixer.CDLevelBass(5);
    mixer.CDLevelTreble(5);
    mixer.CompactDiscMute(true);
    EXPECT_EQ(mixer.CDLevel(), 0);
    EXPECT_EQ(mixer.CDLevelFader(), 0);
    EXPECT_EQ(mixer.CDLevelPan(), 0);
    EXPECT_EQ(mixer.CDLevelBass(), 0);
    EXPECT_EQ(mixer.CDLevelTreble(), 0);
    EXPECT_FALSE(mixer.CompactDiscMute());
    // So are the card's missing tone controls.
    EXPECT_EQ(mixer.VolBassMax(), 0);
    EXPECT_EQ(mixer.VolumeLevelTreble(), 0);
}

} // namespace
