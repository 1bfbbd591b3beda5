// The test device is shared with other programs: amixer sees what cVolume writes and the
// other way round.
#include "cvolume_test_access.h"
#include "mixer/cvolume.h"
#include "support/alsa_test_device.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

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

    testsupport::AlsaTestDevice device;
};

TEST_F(AmixerAndCVolume, AmixerListsTheSixElements) {
    const QString list = amixer({"scontrols"});
    for (const char* name : {"Master", "Mic", "Line", "CD", "Synth", "PCM"})
        EXPECT_TRUE(list.contains(QString("'%1',0").arg(name))) << name << "\n"
                                                                << list.toStdString();
}

TEST_F(AmixerAndCVolume, AmixerSeesTheMute) {
    cVolume mixer;
    mixer.VolumeMute(true);
    QString master = amixer({"get", "Master"});
    EXPECT_TRUE(master.contains("[off]") && !master.contains("[on]")) << master.toStdString();
    mixer.VolumeMute(false);
    master = amixer({"get", "Master"});
    EXPECT_TRUE(master.contains("[on]") && !master.contains("[off]")) << master.toStdString();
}

TEST_F(AmixerAndCVolume, CVolumeSeesWhatAmixerSets) {
    cVolume mixer;
    amixer({"set", "Master", "mute"});
    EXPECT_EQ(device.playbackSwitch("Master"), false);
    EXPECT_TRUE(mixer.VolumeMute());
    amixer({"set", "Master", "unmute"});
    EXPECT_EQ(device.playbackSwitch("Master"), true);
    EXPECT_FALSE(mixer.VolumeMute());

    amixer({"set", "PCM", "40"});
    EXPECT_EQ(cVolumeTestAccess::level(mixer, 5), 40);
    cVolumeTestAccess::setLevel(mixer, 2, 23);
    EXPECT_TRUE(amixer({"get", "Line"}).contains("Playback 23 ["));
}

} // namespace
