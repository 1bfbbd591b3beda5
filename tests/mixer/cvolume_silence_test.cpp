// Without a usable mixer device cVolume still works, quietly: nothing reaches the terminal.
#include "mixer/cvolume.h"
#include "platform/message_box.h"
#include "stderr_capture.h"
#include "support/alsa_test_device.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <fstream>
#include <optional>
#include <ostream>
#include <string>

namespace {

struct BrokenSetup {
    const char* name;
    std::optional<std::string> config; // nothing: the configuration file does not exist
};

void PrintTo(const BrokenSetup& setup, std::ostream* os) {
    *os << setup.name;
}

const BrokenSetup kBrokenSetups[] = {
    {"NoControlDevice", "pcm.!default { type plug slave.pcm { type null } }\n"},
    {"MissingConfigFile", std::nullopt},
    {"UnparsableConfig", "ctl.!default { type \"unterminated\n}}}\n\x01\xff"},
    {"PluginLibraryMissing",
     "ctl_type.reelvistatest { lib \"/nonexistent/libasound_module_ctl_reelvistatest.so\" }\n"
     "ctl.!default { type reelvistatest state \"/nonexistent/mixer.state\" }\n"},
    {"PluginMisconfigured", "ctl_type.reelvistatest { lib \"" REELVISTA_ALSA_TEST_PLUGIN "\" }\n"
                            "ctl.!default { type reelvistatest colour blue }\n"},
};

class CVolumeWithoutMixer : public ::testing::TestWithParam<BrokenSetup> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        if (GetParam().config) std::ofstream(configFile()) << *GetParam().config;
        scope.emplace(configFile());
    }
    std::string configFile() const { return dir.filePath("asound.conf").toStdString(); }

    QTemporaryDir dir;
    std::optional<testsupport::AlsaConfigScope> scope;
};

class CountedBoxes : public platform::MessageBoxes {
  public:
    int count = 0;
    void show(const QString&, const QString&, platform::MessageIcon) override { ++count; }
};

int alsaMessages = 0;
void countAlsaMessage(const char*, int, const char*, int, const char*, ...) {
    ++alsaMessages;
}

TEST_P(CVolumeWithoutMixer, WorksSilently) {
    // ALSA does complain about this setup when left alone, so the capture below can see it.
    {
        StderrCapture capture;
        snd_mixer_t* mixer = nullptr;
        ASSERT_EQ(snd_mixer_open(&mixer, 0), 0);
        EXPECT_LT(snd_mixer_attach(mixer, "default"), 0);
        snd_mixer_close(mixer);
        EXPECT_NE(capture.text(), "");
    }

    snd_lib_error_set_handler(countAlsaMessage);
    alsaMessages = 0;
    StderrCapture capture;
    CountedBoxes boxes;
    {
        cVolume mixer(&boxes);
        mixer.VolumeMute(true);
        EXPECT_FALSE(mixer.VolumeMute());
        mixer.VolumeMute(false);
        EXPECT_FALSE(mixer.VolumeMute());
        mixer.LineLevel(10);
        mixer.WaveLevelPan(-5);
        mixer.VolumeLevelBass(3);
        mixer.MikrofonMute(true);
        EXPECT_EQ(mixer.LineLevel(), 0);
        EXPECT_EQ(mixer.WaveLevelPan(), 0);
        EXPECT_EQ(mixer.VolumeLevelBass(), 0);
        EXPECT_FALSE(mixer.MikrofonMute());
        EXPECT_EQ(mixer.VolumeMax(), 0);
        EXPECT_EQ(mixer.VolPanMin(), 0);
        EXPECT_EQ(mixer.MaxVolumeMeterInput(), 0);
        EXPECT_EQ(mixer.MaxVolumeMeterOutput(), 0);
        EXPECT_EQ(mixer.CurrentVolumeMeterOutput(), 0);
        // Recording may or may not work here; a failure goes to the message boxes alone.
        EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
        EXPECT_TRUE(boxes.count == 0 || boxes.count == 2) << boxes.count;
    }
    EXPECT_EQ(capture.text(), "");
    EXPECT_EQ(alsaMessages, 0);
    // The program's own handler is back in place afterwards.
    EXPECT_EQ(snd_lib_error, countAlsaMessage);
    snd_lib_error_set_handler(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Setups, CVolumeWithoutMixer, ::testing::ValuesIn(kBrokenSetups),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
