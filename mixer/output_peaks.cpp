#include "mixer/output_peaks.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace mixer {

namespace {

struct Readers {
    std::mutex mutex;
    std::vector<OutputPeakReader*> list;
};

// Never destroyed, so that an output thread still running at exit finds it.
Readers& readers() {
    static auto* r = new Readers;
    return *r;
}

} // namespace

OutputPeakReader::OutputPeakReader() {
    std::lock_guard lock(readers().mutex);
    readers().list.push_back(this);
}

OutputPeakReader::~OutputPeakReader() {
    std::lock_guard lock(readers().mutex);
    std::erase(readers().list, this);
}

void publishOutputPeak(std::span<const int16_t> samples) {
    int32_t peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(int32_t(s)));
    peak = std::min(peak, int32_t(32767));
    if (peak == 0) return;
    std::lock_guard lock(readers().mutex);
    for (OutputPeakReader* reader : readers().list) {
        int32_t seen = reader->peak_.load();
        while (seen < peak && !reader->peak_.compare_exchange_weak(seen, peak)) {
        }
    }
}

} // namespace mixer
