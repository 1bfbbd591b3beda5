// One playing of an event sound the way a StartSound asks for it: from the in point to
// the out point, LoopCount times over, shaped by the volume envelope.
#pragma once

#include "swf/media/sound_decode.h"
#include "swf/media/sound_format.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace swf {

class SoundInstance {
  public:
    // In and out points count 44.1 kHz frames from the start of the sound, as envelope
    // positions do; the envelope runs on across loops. Levels above 32768 (full volume)
    // are taken as full volume.
    SoundInstance(std::shared_ptr<const StereoPcm> pcm, const SoundInfo& info);

    // Adds the next frames into `mix` (interleaved stereo, summed in 32 bits so that voices
    // clip only once, at the end). Returns the frames added: fewer than fit once the sound
    // ends.
    size_t mixInto(std::span<int32_t> mix);

    bool finished() const { return played_ >= length_; }
    // Frames in all, loops included, and frames played so far.
    uint64_t length() const { return length_; }
    uint64_t played() const { return played_; }

  private:
    // Left and right level (0..32768) at a position of the sound.
    void levelsAt(uint64_t position, int32_t& left, int32_t& right);

    std::shared_ptr<const StereoPcm> pcm_;
    uint64_t begin_ = 0, span_ = 0, length_ = 0, played_ = 0;
    std::vector<SoundInfo::Envelope> envelope_; // sorted by position
    size_t nextPoint_ = 0;                      // first envelope point past the position
};

} // namespace swf
