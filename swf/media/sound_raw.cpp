#include "swf/media/sound_codecs.h"

#include <algorithm>

namespace swf::sound {

// Format 0 is "native endian"; every writer in practice stored it little-endian, like 3.
void decodeRaw(std::span<const uint8_t> data, const SoundFormat& format, size_t maxFrames,
               std::vector<int16_t>& out) {
    const size_t channels = format.stereo ? 2 : 1;
    const size_t bytesPerSample = format.is16Bit ? 2 : 1;
    const size_t frames = std::min(maxFrames, data.size() / (channels * bytesPerSample));
    const size_t samples = frames * channels;
    out.reserve(out.size() + samples);
    for (size_t i = 0; i < samples; ++i) {
        if (format.is16Bit)
            out.push_back(static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
        else
            out.push_back(static_cast<int16_t>((data[i] - 128) * 256));
    }
}

} // namespace swf::sound
