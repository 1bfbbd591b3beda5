// Where the program's own sound output leaves the peaks of what it plays, for the output
// meters of the mixer objects. ALSA has no meter of what goes out, so the output reports
// every block of samples it hands to the device, and each reader takes the highest peak
// reported since its previous look.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

namespace mixer {

// The highest absolute sample value of the block (−32768 counts as 32767) reaches every
// reader alive. Safe from any thread; cheap enough for every block the output writes.
void publishOutputPeak(std::span<const int16_t> samples);

class OutputPeakReader {
  public:
    OutputPeakReader();
    ~OutputPeakReader();
    OutputPeakReader(const OutputPeakReader&) = delete;
    OutputPeakReader& operator=(const OutputPeakReader&) = delete;

    // The highest peak published since the previous call (or since construction), 0..32767.
    int32_t take() { return peak_.exchange(0); }

  private:
    friend void publishOutputPeak(std::span<const int16_t> samples);
    std::atomic<int32_t> peak_{0};
};

} // namespace mixer
