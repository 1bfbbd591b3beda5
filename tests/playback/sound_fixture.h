// What the sound output tests share: a private ALSA setup whose default PCM writes what is
// played to a file, the samples read back from it, and movies with sound.
#pragma once

#include "support/alsa_test_device.h"

#include "swf/writer/writer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace soundtest {

// The default PCM writes raw 44100 Hz 16-bit stereo to out.raw in the device's folder.
class CaptureDevice {
  public:
    CaptureDevice() : device_(definition(dir_.filePath("out.raw").toStdString())) {}
    bool valid() const { return dir_.isValid() && device_.valid(); }
    testsupport::AlsaTestDevice& device() { return device_; }

    std::filesystem::path file() const { return dir_.filePath("out.raw").toStdString(); }
    // Interleaved samples written so far.
    std::vector<int16_t> samples() const {
        std::ifstream in(file(), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<int16_t> out(bytes.size() / 2);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<int16_t>(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
        return out;
    }

  private:
    static std::string definition(const std::string& file) {
        return "type file slave.pcm { type null } file \"" + file + "\" format \"raw\"";
    }
    QTemporaryDir dir_;
    testsupport::AlsaTestDevice device_;
};

// Runs the event loop until `done` holds or a generous time has passed; the result says
// which. Tests judge the outcome, never the time taken.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A square wave of the given frequency, mono 16-bit, as little-endian bytes.
inline std::vector<uint8_t> squareWave(int frames, int rate, int hz, int16_t amplitude) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        const int16_t v =
            (2 * i * hz / rate) % 2 == 0 ? amplitude : static_cast<int16_t>(-amplitude);
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF));
    }
    return out;
}

// Non-silent frames of interleaved stereo, from the first to the last.
inline std::vector<int16_t> audible(const std::vector<int16_t>& samples) {
    size_t first = 0, last = samples.size();
    while (first < samples.size() && samples[first] == 0)
        ++first;
    while (last > first && samples[last - 1] == 0)
        --last;
    first -= first % 2;
    last += last % 2;
    return {samples.begin() + static_cast<long>(first), samples.begin() + static_cast<long>(last)};
}

} // namespace soundtest
