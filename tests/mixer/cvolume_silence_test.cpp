// Without a usable mixer device cVolume still works, quietly: nothing reaches the terminal.
#include "mixer/cvolume.h"
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
    {
        cVolume mixer;
        mixer.VolumeMute(true);
        EXPECT_FALSE(mixer.VolumeMute());
        mixer.VolumeMute(false);
        EXPECT_FALSE(mixer.VolumeMute());
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
