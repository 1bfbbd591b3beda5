// The sound of one movie player: starts the event sounds of the frames it shows, keeps the
// root timeline's stream sound going, and tells the player when the stream sound says the
// next frame is due.
//
// Stream sound is queued a little ahead of the frame on show, read from the timeline in
// frame order, so that the output never waits for the next tick. While it is heard it is the
// clock: a frame's worth of sound (1 / frame rate) heard is a frame due. Blocks need not
// match frames one for one (MP3 blocks carry whole MP3 frames, often several frames' worth
// and then none); where the sound falls behind the frames, silence makes up for it. Once
// the sound has run out the player's own clock leads, and sound that comes later starts a
// new run of the clock from the frame that shows it.
#pragma once

#include "audio_output.h"

#include "swf/display/player.h"
#include "swf/media/sound_decode.h"

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>

class PlayerSound {
  public:
    explicit PlayerSound(AudioOutput& output);
    ~PlayerSound();
    PlayerSound(const PlayerSound&) = delete;
    PlayerSound& operator=(const PlayerSound&) = delete;

    // Call after every tick and goto: starts the sounds of the frames shown since the last
    // call and follows the frame on show with the stream sound.
    void framesShown(swf::Player& player);
    // Ends every sound this player started (stop, seek).
    void stopAll();
    // As stopAll, and forgets the movie's decoded sounds.
    void clear();

    // While stream sound is heard: how many ticks the player is behind it (0: hold the
    // frame). Nothing when the player's own clock should set the pace: no stream, no
    // device, or the stream has run dry or stalled.
    std::optional<int> ticksDue(const swf::Player& player);
    // The root frame (from 0) whose stream sound is being heard, plus the part of its sound
    // heard so far; nothing while no stream sound is heard.
    std::optional<double> heardFrame() const;

    // Ahead of the frame on show, stream sound is queued until this much is waiting.
    static constexpr int64_t kLookahead = swf::kMixRate / 4;
    // ... but never more than this many frames ahead.
    static constexpr int kMaxFramesAhead = 32;

  private:
    using Clock = std::chrono::steady_clock;
    // Stream sound from `start` on belongs to frames from `frame` on, shown from `tick`
    // on (ticks counted since the stream started).
    struct Run {
        int frame;
        int64_t tick;
        int64_t start;
    };

    void startEvent(const swf::Player::SoundEvent& event);
    std::shared_ptr<const swf::StereoPcm> decoded(const swf::SoundDef* sound);
    void followStream(const swf::Player& player);
    void startStream(const swf::Player& player, int frame);
    void endStream();
    void queueAhead(const swf::Player& player, int64_t heard);
    // The frame that follows `frame` when the root timeline plays on; -1 when none.
    static int successor(const swf::Player& player, int frame);
    // Whether a frame from `frame` on, within the look-ahead, has a block.
    static bool soundAhead(const swf::Player& player, int frame);
    // The run the stream sound heard at `heard` belongs to; null before any.
    const Run* runAt(int64_t heard) const;

    AudioOutput& output_;
    swf::MoviePtr movie_; // keeps the decoded sounds' definitions alive
    std::unordered_map<const swf::SoundDef*, std::shared_ptr<const swf::StereoPcm>> sounds_;
    size_t soundBytes_ = 0;

    std::unique_ptr<swf::StreamDecoder> stream_; // null while no stream plays
    int shownFrame_ = -1;                        // root frame on show
    int64_t shownTick_ = 0;
    int nextFrame_ = -1; // next frame whose block is queued; -1 at the end
    int64_t nextTick_ = 0;
    int64_t queued_ = 0;
    double framesPerTick_ = 0; // stream frames (at 44100 Hz) in one frame of the movie
    bool newRun_ = true;       // the next block queued starts a run
    std::deque<Run> runs_;
    int64_t lastHeard_ = -1;
    Clock::time_point heardMoved_{};
};
