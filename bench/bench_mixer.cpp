// Cost of the mixer's properties on the project's test sound card: one level write, one
// level read, one input meter reading and one output meter reading. The card keeps its
// values in a file and its capture device plays back a file, so the figures hold the
// card's own work too: reads and writes of a small state file, and (for the input meter)
// a full buffer of samples at every reading, more than a real device ever gathers between
// two readings of a meter on screen. A real card keeps its values in the kernel; the test
// card's files go to memory (/dev/shm) unless TMPDIR says otherwise, so that the disk's
// journal does not stand in for the card. ALSA's simple mixer writes a stereo volume one
// channel at a time, so a level write is two writes of the card's state.
// Usage: bench_mixer [calls per round, default 500]
#include "mixer/cvolume.h"
#include "support/alsa_test_device.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kRounds = 7;

// Mean time of one call in each round, in microseconds: the best and the median round.
void measure(const char* what, int calls, const std::function<void(int)>& call) {
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            call(i);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        rounds.push_back(took.count() / calls);
    }
    std::sort(rounds.begin(), rounds.end());
    std::printf("%-34s best %8.1f us   median %8.1f us   (target 1000 us)\n", what, rounds.front(),
                rounds[rounds.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    if (!std::getenv("TMPDIR") && access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
    QTemporaryDir dir;
    const auto recording = dir.filePath("in.raw").toStdString();
    {
        // Silence with a peak now and then, long enough for every reading.
        std::vector<char> samples(size_t(kRounds) * calls * 8192 + 8192, char(128));
        for (size_t i = 0; i < samples.size(); i += 997)
            samples[i] = char(200);
        std::ofstream(recording, std::ios::binary)
            .write(samples.data(), std::streamsize(samples.size()));
    }
    testsupport::AlsaTestDevice device(testsupport::AlsaTestDevice::captureFromFile(recording));
    if (!device.valid()) {
        std::fprintf(stderr, "bench_mixer: the test sound card is not built (%s)\n",
                     testsupport::AlsaTestDevice::pluginFile().c_str());
        return 1;
    }
    cVolume mixer;
    std::printf("mixer on the test sound card in %s, %d rounds of %d calls\n",
                device.folder().c_str(), kRounds, calls);
    measure("level write (VolumeLevel)", calls, [&](int i) { mixer.VolumeLevel(30 + i % 2); });
    mixer.LineLevelPan(-12000);
    measure("balanced level write (LineLevel)", calls, [&](int i) { mixer.LineLevel(60 + i % 2); });
    measure("balance write (LineLevelPan)", calls,
            [&](int i) { mixer.LineLevelPan(i % 2 ? -12000 : 9000); });
    measure("mute write (WaveMute)", calls, [&](int i) { mixer.WaveMute(i % 2 == 0); });
    long sum = 0;
    measure("level read (VolumeLevel)", calls, [&](int) { sum += mixer.VolumeLevel(); });
    mixer.CurrentVolumeMeterInput(); // starts recording
    measure("input meter reading", calls, [&](int) { sum += mixer.CurrentVolumeMeterInput(); });
    measure("output meter reading", calls, [&](int) { sum += mixer.CurrentVolumeMeterOutput(); });
    return sum < 0;
}
