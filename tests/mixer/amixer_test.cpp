// The test device is shared with other programs: amixer sees what cVolume writes and the
// other way round, for every level, range and mute the class offers.
#include "mixer/cvolume.h"
#include "support/alsa_test_device.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <functional>

namespace {

class AmixerAndCVolume : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.valid());
        if (QStandardPaths::findExecutable("amixer").isEmpty()) GTEST_SKIP() << "no amixer";
    }

    // amixer's standard output; the test fails when amixer does.
    static QString amixer(const QStringList& args) {
        QProcess p;
        p.start("amixer", args);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            ADD_FAILURE() << "amixer " << args.join(' ').toStdString() << ": "
                          << p.readAllStandardError().toStdString();
            return {};
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    // A control's values as amixer reads them from the device, e.g. "40,80".
    static QString values(const QString& control) {
        const QString out = amixer({"cget", "name=" + control});
        const auto match = QRegularExpression(R"(: values=([-0-9a-z,]+))").match(out);
        EXPECT_TRUE(match.hasMatch()) << out.toStdString();
        return match.captured(1);
    }

    testsupport::AlsaTestDevice device;
};

TEST_F(AmixerAndCVolume, AmixerListsTheElementsTheClassUses) {
    const QString list = amixer({"scontrols"});
    for (const char* name : {"Master", "Mic", "Line", "CD", "Synth", "PCM", "Bass", "Treble",
                             "Capture"})
        EXPECT_TRUE(list.contains(QString("'%1',0").arg(name))) << name << "\n"
                                                                << list.toStdString();
}

// One row per line: its element, and the class's properties for it.
struct LineProperties {
    const char* element;
    int32_t (cVolume::*min)() const;
    int32_t (cVolume::*max)() const;
    int32_t (cVolume::*faderMin)() const;
    int32_t (cVolume::*faderMax)() const;
    int32_t (cVolume::*level)();
    void (cVolume::*setLevel)(int32_t);
    int32_t (cVolume::*fader)();
    void (cVolume::*setFader)(int32_t);
    bool (cVolume::*mute)();
    void (cVolume::*setMute)(bool);
};

const LineProperties kLines[] = {
    {"Master", &cVolume::VolumeMin, &cVolume::VolumeMax, &cVolume::VolFadMin,
     &cVolume::VolFaderMax, &cVolume::VolumeLevel, &cVolume::VolumeLevel,
     &cVolume::VolumeLevelFader, &cVolume::VolumeLevelFader, &cVolume::VolumeMute,
     &cVolume::VolumeMute},
    {"Mic", &cVolume::MicMin, &cVolume::MicMax, &cVolume::MicFaderMin, &cVolume::MicFaderMax,
     &cVolume::MicLevel, &cVolume::MicLevel, &cVolume::MicLevelFader, &cVolume::MicLevelFader,
     &cVolume::MikrofonMute, &cVolume::MikrofonMute},
    {"Line", &cVolume::LineMin, &cVolume::LineMax, &cVolume::LineFaderMin,
     &cVolume::LineFaderMax, &cVolume::LineLevel, &cVolume::LineLevel, &cVolume::LineLevelFader,
     &cVolume::LineLevelFader, &cVolume::LineMute, &cVolume::LineMute},
    {"CD", &cVolume::CDMin, &cVolume::CDMax, &cVolume::CDFaderMin, &cVolume::CDFaderMax,
     &cVolume::CDLevel, &cVolume::CDLevel, &cVolume::CDLevelFader, &cVolume::CDLevelFader,
     &cVolume::CompactDiscMute, &cVolume::CompactDiscMute},
    {"Synth", &cVolume::SynMin, &cVolume::SynMax, &cVolume::SynFaderMin, &cVolume::SynFaderMax,
     &cVolume::SynLevel, &cVolume::SynLevel, &cVolume::SynLevelFader, &cVolume::SynLevelFader,
     &cVolume::SynthesizerMute, &cVolume::SynthesizerMute},
    {"PCM", &cVolume::WaveMin, &cVolume::WaveMax, &cVolume::WaveFaderMin,
     &cVolume::WaveFaderMax, &cVolume::WaveLevel, &cVolume::WaveLevel, &cVolume::WaveLevelFader,
     &cVolume::WaveLevelFader, &cVolume::WaveMute, &cVolume::WaveMute},
};

TEST_F(AmixerAndCVolume, EveryLinesRangesLevelsAndMuteMatchAmixer) {
    cVolume mixer;
    for (const LineProperties& line : kLines) {
        SCOPED_TRACE(line.element);
        const QString volume = QString(line.element) + " Playback Volume";
        const QString info = amixer({"cget", "name=" + volume});
        EXPECT_TRUE(info.contains(QString("min=%1,max=%2,")
                                      .arg((mixer.*line.min)())
                                      .arg((mixer.*line.max)())))
            << info.toStdString();
        EXPECT_EQ((mixer.*line.faderMin)(), (mixer.*line.min)());
        EXPECT_EQ((mixer.*line.faderMax)(), (mixer.*line.max)());

        (mixer.*line.setLevel)(23);
        EXPECT_EQ(values(volume), "23,23");
        amixer({"sset", line.element, "31"});
        EXPECT_EQ((mixer.*line.level)(), 31);
        // The fader is the same control.
        EXPECT_EQ((mixer.*line.fader)(), 31);
        (mixer.*line.setFader)(7);
        EXPECT_EQ(values(volume), "7,7");

        const QString onOff = QString(line.element) + " Playback Switch";
        (mixer.*line.setMute)(true);
        EXPECT_EQ(values(onOff), "off");
        amixer({"sset", line.element, "unmute"});
        EXPECT_FALSE((mixer.*line.mute)());
        amixer({"sset", line.element, "mute"});
        EXPECT_TRUE((mixer.*line.mute)());
        (mixer.*line.setMute)(false);
        EXPECT_EQ(values(onOff), "on");
    }
}

TEST_F(AmixerAndCVolume, ToneControlsAreTheSpeakersBassAndTreble) {
    cVolume mixer;
    EXPECT_EQ(mixer.VolBassMin(), 0);
    EXPECT_EQ(mixer.VolBassMax(), 40);
    EXPECT_EQ(mixer.VolTrebleMin(), 0);
    EXPECT_EQ(mixer.VolTrebleMax(), 40);
    mixer.VolumeLevelBass(33);
    mixer.VolumeLevelTreble(4);
    EXPECT_EQ(values("Tone Control - Bass"), "33");
    EXPECT_EQ(values("Tone Control - Treble"), "4");
    amixer({"sset", "Bass", "12"});
    amixer({"sset", "Treble", "39"});
    EXPECT_EQ(mixer.VolumeLevelBass(), 12);
    EXPECT_EQ(mixer.VolumeLevelTreble(), 39);
    // Neither touches the master volume.
    EXPECT_EQ(values("Master Playback Volume"), "65,65");
}

TEST_F(AmixerAndCVolume, BalanceIsTheRatioOfTheChannelsAmixerSets) {
    cVolume mixer;
    EXPECT_EQ(mixer.LinePanMin(), -32768);
    EXPECT_EQ(mixer.LinePanMax(), 32767);
    amixer({"sset", "Line", "80,40"});
    EXPECT_EQ(mixer.LineLevelPan(), -16384);
    EXPECT_EQ(mixer.LineLevel(), 80); // the louder channel
    amixer({"sset", "Line", "40,80"});
    EXPECT_EQ(mixer.LineLevelPan(), 16384);
    amixer({"sset", "Line", "0,80"});
    EXPECT_EQ(mixer.LineLevelPan(), 32767);
    amixer({"sset", "Line", "55,55"});
    EXPECT_EQ(mixer.LineLevelPan(), 0);

    // Writing the balance moves the quieter channel; a volume write keeps the balance.
    mixer.LineLevelPan(-16384);
    EXPECT_EQ(values("Line Playback Volume"), "55,28");
    EXPECT_EQ(mixer.LineLevelPan(), -16384);
    mixer.LineLevel(80);
    EXPECT_EQ(values("Line Playback Volume"), "80,40");
    EXPECT_EQ(mixer.LineLevelPan(), -16384);
    mixer.LineLevelPan(32767);
    EXPECT_EQ(values("Line Playback Volume"), "0,80");
    mixer.LineLevelPan(-32768);
    EXPECT_EQ(values("Line Playback Volume"), "80,0");
}

} // namespace
