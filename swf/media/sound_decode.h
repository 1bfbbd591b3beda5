// Decoding of a movie's sounds to the one format the audio output mixes: interleaved
// 16-bit stereo at 44100 Hz. Event sounds (DefineSound) decode in one go; stream sound
// decodes block by block through a StreamDecoder that keeps codec state between blocks.
#pragma once

#include "swf/format/types.h"
#include "swf/media/sound_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace swf {

inline constexpr uint32_t kMixRate = 44100;
// The longest sound (and the longest stream block) decoded: ten minutes.
inline constexpr size_t kMaxSoundFrames = size_t(kMixRate) * 600;

// Interleaved left, right samples at kMixRate.
using StereoPcm = std::vector<int16_t>;

inline size_t frameCount(const StereoPcm& pcm) {
    return pcm.size() / 2;
}

// The whole sound. Uncompressed, ADPCM and MP3 are decoded; the sample count and the data
// size both bound the result. Other codecs, or more than kMaxSoundFrames, give an Error.
Result<StereoPcm> decodeSound(const SoundDef& sound);

// The stream sound of one timeline, one SoundStreamBlock at a time. MP3 frames of
// successive blocks are decoded as one continuous stream, and resampling carries on across
// block boundaries, so blocks fed in frame order join without clicks. Codecs that are not
// decoded give silence of the block's nominal length, which keeps the stream in time.
class StreamDecoder {
  public:
    explicit StreamDecoder(const StreamHead& head);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // The audio of one block. The first block after construction or reset() drops its
    // SeekSamples (MP3), as playback starting at that frame should.
    StereoPcm decodeBlock(std::span<const uint8_t> block);
    // Forgets all state: the next block starts a new stream.
    void reset();

    const StreamHead& head() const { return head_; }

  private:
    struct State;
    StreamHead head_;
    std::unique_ptr<State> state_;
};

// A run of blocks through one StreamDecoder, joined.
StereoPcm decodeStream(const StreamHead& head, std::span<const std::vector<uint8_t>> blocks);

} // namespace swf
