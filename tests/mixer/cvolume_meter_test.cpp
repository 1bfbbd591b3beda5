// The peak meters: the input meter records known samples from a capture device that plays
// back a file; the output meter reads the peaks the program's sound output publishes; a
// missing capture device gives the error box, twice a reading.
#include "mixer/cvolume.h"
#include "mixer/output_peaks.h"
#include "platform/message_box.h"
#include "support/alsa_test_device.h"
#include "support/recorded_messages.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <fstream>
#include <vector>

namespace {

using testsupport::AlsaTestDevice;
using testsupport::RecordedMessages;

// Raw unsigned 8-bit samples, silent (128) but for the given ones, long enough for every
// reading a test takes.
std::filesystem::path writeRecording(const QTemporaryDir& dir,
                                     const std::vector<std::pair<size_t, uint8_t>>& samples) {
    std::vector<char> bytes(200000, char(128));
    for (auto [at, value] : samples)
        bytes.at(at) = static_cast<char>(value);
    const std::filesystem::path file = dir.filePath("in.raw").toStdString();
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return file;
}

struct PeakCase {
    uint8_t sample;
    int32_t reading;
};

class InputMeter : public ::testing::TestWithParam<PeakCase> {};

TEST_P(InputMeter, ReadsTheRecordedPeakAsAnAbsoluteValue) {
    QTemporaryDir dir;
    AlsaTestDevice device(AlsaTestDevice::captureFromFile(
        writeRecording(dir, {{10, GetParam().sample}, {20, 140}})));
    ASSERT_TRUE(device.valid());
    RecordedMessages boxes;
    cVolume mixer(&boxes);
    EXPECT_EQ(mixer.MinVolumeMeterInput(), -32767);
    EXPECT_EQ(mixer.MaxVolumeMeterInput(), 32767);
    EXPECT_EQ(mixer.CurrentVolumeMeterInput(), GetParam().reading);
    // Only what came since: silence.
    EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Peaks, InputMeter,
                         ::testing::Values(PeakCase{192, 16384}, PeakCase{32, 24576},
                                           PeakCase{255, 32512}, PeakCase{0, 32767},
                                           PeakCase{128, 12 * 256}));

TEST(InputMeterRecording, OutputReadingsKeepWhatWasRecordedForTheNextInputReading) {
    QTemporaryDir dir;
    AlsaTestDevice device(AlsaTestDevice::captureFromFile(writeRecording(dir, {})));
    ASSERT_TRUE(device.valid());
    cVolume mixer;
    EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
    // This device hands over a buffer of samples at every look: the next ones are loud.
    std::vector<char> loud(200000, char(228));
    std::ofstream(dir.filePath("in.raw").toStdString(), std::ios::binary | std::ios::in)
        .write(loud.data(), std::streamsize(loud.size()));
    EXPECT_EQ(mixer.CurrentVolumeMeterOutput(), 0);
    EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 100 * 256);
}

TEST(InputMeterRecording, WithoutACaptureControlThereIsNoInputMeter) {
    QTemporaryDir dir;
    AlsaTestDevice device(AlsaTestDevice::captureFromFile(writeRecording(dir, {{10, 0}})),
                          {"bool 1 Master Playback Switch", "int 2 0 87 65 Master Playback Volume",
                           "int 2 0 87 65 Mic Playback Volume"});
    ASSERT_TRUE(device.valid());
    cVolume mixer;
    EXPECT_EQ(mixer.MinVolumeMeterInput(), 0);
    EXPECT_EQ(mixer.MaxVolumeMeterInput(), 0);
    EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
    EXPECT_EQ(mixer.MaxVolumeMeterOutput(), 32767);
}

TEST(InputMeterRecording, NoCaptureDeviceShowsTheErrorTwiceAReading) {
    AlsaTestDevice device("type hw card 17");
    ASSERT_TRUE(device.valid());
    QGuiApplication::setApplicationDisplayName("OrbisaneSCR");
    RecordedMessages boxes;
    {
        cVolume mixer(&boxes);
        EXPECT_EQ(mixer.MaxVolumeMeterInput(), 32767);
        EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
        ASSERT_EQ(boxes.shown.size(), 2u);
        snd_pcm_t* pcm = nullptr;
        const int error = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
        ASSERT_LT(error, 0);
        for (const testsupport::Message& box : boxes.shown) {
            EXPECT_EQ(box.title, "OrbisaneSCR - Mixercontrol Fehler");
            EXPECT_EQ(box.text, QString::fromLocal8Bit(snd_strerror(error)));
            EXPECT_EQ(box.icon, platform::MessageIcon::Critical);
        }
        EXPECT_EQ(mixer.CurrentVolumeMeterInput(), 0);
        EXPECT_EQ(boxes.shown.size(), 4u);
        // The output meter never records.
        EXPECT_EQ(mixer.CurrentVolumeMeterOutput(), 0);
        EXPECT_EQ(boxes.shown.size(), 4u);
        // The levels are not affected.
        mixer.VolumeLevel(12);
        EXPECT_EQ(device.playbackVolume("Master"), 12);
    }
    QGuiApplication::setApplicationDisplayName(QString());
}

TEST(OutputMeter, ReadsTheHighestPeakPlayedSinceTheLastReadingOfEachObject) {
    AlsaTestDevice device;
    ASSERT_TRUE(device.valid());
    cVolume first;
    EXPECT_EQ(first.MinVolumeMeterOutput(), -32767);
    EXPECT_EQ(first.MaxVolumeMeterOutput(), 32767);
    const std::vector<int16_t> quiet = {0, 100, -300, 200};
    const std::vector<int16_t> loud = {5, -20000, 12000, 0};
    const std::vector<int16_t> lowest = {-32768, 0};
    mixer::publishOutputPeak(quiet);
    cVolume second;
    mixer::publishOutputPeak(loud);
    mixer::publishOutputPeak(quiet);
    EXPECT_EQ(first.CurrentVolumeMeterOutput(), 20000);
    EXPECT_EQ(first.CurrentVolumeMeterOutput(), 0);
    mixer::publishOutputPeak(quiet);
    EXPECT_EQ(first.CurrentVolumeMeterOutput(), 300);
    // The second object has its own readings.
    EXPECT_EQ(second.CurrentVolumeMeterOutput(), 20000);
    mixer::publishOutputPeak(lowest);
    EXPECT_EQ(second.CurrentVolumeMeterOutput(), 32767);
}

} // namespace
