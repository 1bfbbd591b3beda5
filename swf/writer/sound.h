// Sound tags: DefineSound, StartSound(2), SoundStreamHead(2), SoundStreamBlock.
#pragma once

#include "swf/writer/tag.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace swf::writer {

struct SoundFormat {
    uint8_t codec =
        3;            // 0 raw native, 1 ADPCM, 2 MP3, 3 raw little-endian, 4-6 Nellymoser, 11 Speex
    uint8_t rate = 3; // 0 5.5 kHz, 1 11 kHz, 2 22 kHz, 3 44 kHz
    bool sixteenBit = true;
    bool stereo = false;
};

struct SoundEnvelopePoint {
    uint32_t pos44 = 0; // position in 44.1 kHz samples
    uint16_t left = 32768, right = 32768;
};

struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<uint32_t> inPoint, outPoint;
    std::optional<uint16_t> loops;
    std::optional<std::vector<SoundEnvelopePoint>> envelope;
};

// `data` is the format's sound data as stored (MP3: SeekSamples SI16, then frames).
Tag defineSound(uint16_t id, SoundFormat format, uint32_t sampleCount,
                std::span<const uint8_t> data);
Tag startSound(uint16_t id, const SoundInfo& info = {});
Tag startSound2(std::string_view className, const SoundInfo& info = {});
// SoundStreamHead (version 1) or SoundStreamHead2 (version 2); LatencySeek is written
// when given (MP3 streams).
Tag soundStreamHead(SoundFormat playback, SoundFormat stream, uint16_t samplesPerBlock,
                    std::optional<int16_t> latencySeek = {}, int version = 2);
Tag soundStreamBlock(std::span<const uint8_t> data);

// The SOUNDINFO record alone (also used by DefineButtonSound).
std::vector<uint8_t> soundInfo(const SoundInfo& info);

} // namespace swf::writer
