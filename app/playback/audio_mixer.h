// The voices of the program's audio output and their mixing: event sounds, each an
// instance of a movie's sound, and one stream of sound per player. Owners are the players;
// a player's sounds are started, stopped and followed by its key alone.
//
// Not thread-safe: AudioOutput keeps it behind its lock.
#pragma once

#include "swf/media/sound_decode.h"
#include "swf/media/sound_instance.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

class AudioMixer {
  public:
    using Owner = const void*;

    // At most this many event sounds play at once; a new one ends the oldest.
    static constexpr size_t kMaxVoices = 32;
    // Stream sound queued but not yet played is refused beyond this.
    static constexpr int64_t kMaxStreamBacklog = int64_t(swf::kMixRate) * 60;

    // Where an owner's stream stands, in output frames since it (re)started: how much of it
    // has been heard and how much was queued.
    struct StreamPosition {
        int64_t heard = 0;
        int64_t queued = 0;
    };

    // `sound` names the sound for SyncStop and SyncNoMultiple: with noMultiple set, nothing
    // starts while the owner has that sound playing.
    void startSound(Owner owner, const void* sound, std::shared_ptr<const swf::StereoPcm> pcm,
                    const swf::SoundInfo& info);
    void stopSound(Owner owner, const void* sound);
    // Ends the owner's event sounds and its stream.
    void stopSounds(Owner owner);

    // Appends to the owner's stream.
    void queueStream(Owner owner, swf::StereoPcm pcm);
    // Drops the owner's queued stream sound; its position starts again from 0.
    void restartStream(Owner owner);
    // Where the stream stands once the output has been heard up to frame `heardOutput`.
    StreamPosition streamPosition(Owner owner, int64_t heardOutput) const;

    // Mixes the next frames into `out` (interleaved stereo); `outputFrame` is the number of
    // frames the output made before these, which ties stream positions to output time.
    void mix(std::span<int16_t> out, int64_t outputFrame);
    // The output has been heard up to this frame: bookkeeping before it can go.
    void heardUpTo(int64_t outputFrame);

    // Whether anything is left to play.
    bool active() const;
    void clear();

  private:
    struct Voice {
        Owner owner;
        const void* sound;
        swf::SoundInstance instance;
    };
    // Output frames [output, output + count) carried stream frames [stream, stream + count).
    struct Mark {
        int64_t output, stream, count;
    };
    struct Stream {
        Owner owner = nullptr;
        std::deque<swf::StereoPcm> chunks;
        size_t offset = 0; // frames of the first chunk already mixed
        int64_t queued = 0, mixed = 0;
        int64_t heard = 0; // at the end of the marks already dropped
        std::deque<Mark> marks;

        int64_t heardAt(int64_t outputFrame) const;
    };

    Stream* findStream(Owner owner);
    const Stream* findStream(Owner owner) const;
    void mixStream(Stream& s, std::span<int32_t> mix, int64_t outputFrame);

    std::vector<Voice> voices_;
    std::vector<Stream> streams_;
    std::vector<int32_t> sum_;
};
