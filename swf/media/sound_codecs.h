// Building blocks of sound decoding, shared by event and stream sound: the codecs, which
// give samples at the sound's own rate, and the resampler that takes them to 44100 Hz stereo.
#pragma once

#include "swf/media/sound_decode.h"
#include "swf/media/sound_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace swf::sound {

// Rates are kept in half-hertz so that Flash's "5.5 kHz", exactly 44100 / 8 = 5512.5 Hz,
// is a whole number. A SoundFormat holds that rate as 5512.
inline uint32_t halfHz(uint32_t rate) {
    return rate == 5512 ? 11025 : rate * 2;
}

// The most source frames worth kMaxSoundFrames of output at this rate.
inline size_t maxSourceFrames(uint32_t rateHalfHz) {
    return static_cast<size_t>(uint64_t(kMaxSoundFrames) * rateHalfHz / (2 * kMixRate));
}

// Linear interpolation from one rate and channel count to kMixRate stereo, over input that
// arrives in pieces. Output frame n sits at input position n * in / out; it is made as soon
// as both input frames around it are known, so a piece may hold back its last frame until
// the next piece (or finish()) arrives.
class Resampler {
  public:
    Resampler(uint32_t rateHalfHz, int channels);

    uint32_t rateHalfHz() const { return rate_; }
    int channels() const { return channels_; }

    // Interleaved input frames of channels() samples.
    void push(std::span<const int16_t> in, StereoPcm& out);
    // No more input: the output runs to the end of the input.
    void finish(StereoPcm& out);

  private:
    int32_t sample(uint64_t frame, int channel, std::span<const int16_t> in) const;
    void emit(uint64_t index, uint64_t frac, std::span<const int16_t> in, StereoPcm& out) const;

    uint32_t rate_;
    int channels_;
    uint64_t next_ = 0;      // index of the next output frame
    uint64_t heldStart_ = 0; // input index of the first frame in held_
    uint64_t inFrames_ = 0;  // input frames seen so far
    std::vector<int16_t> held_;
};

// Uncompressed data (8-bit unsigned or 16-bit little-endian), at most maxFrames frames,
// appended to `out` interleaved.
void decodeRaw(std::span<const uint8_t> data, const SoundFormat& format, size_t maxFrames,
               std::vector<int16_t>& out);

// ADPCM data (code size, then packets until the data runs out), at most maxFrames frames.
void decodeAdpcm(std::span<const uint8_t> data, bool stereo, size_t maxFrames,
                 std::vector<int16_t>& out);

// An MPEG audio decoder fed with bytes as they come. It holds decoder state (the bit
// reservoir) from one call to the next, so a stream cut into pieces decodes as a whole.
class Mp3Decoder {
  public:
    // Decoded samples, interleaved, with their format.
    using Sink = std::function<void(std::span<const int16_t> samples, long rate, int channels)>;

    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Decodes every whole frame the data completes, stopping after maxFrames frames; the
    // rest stays queued for the next call. Data the decoder cannot make sense of is
    // skipped; after a decoder failure the decoder starts afresh.
    void decode(std::span<const uint8_t> data, size_t maxFrames, const Sink& sink);

  private:
    struct Handle;
    void open();
    std::unique_ptr<Handle> handle_;
};

} // namespace swf::sound
