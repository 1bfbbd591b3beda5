#include "player_sound.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Decoded event sounds kept per player; beyond this the cache starts again.
constexpr size_t kMaxDecodedBytes = size_t(256) << 20;
// A stream position that stands still this long while sound is queued means the output
// is stuck; the player's own clock takes over.
constexpr auto kStallTime = std::chrono::milliseconds(750);
// Ticks made at once to catch up with the stream.
constexpr int kMaxCatchUp = 60;

} // namespace

PlayerSound::PlayerSound(AudioOutput& output) : output_(output) {}

PlayerSound::~PlayerSound() {
    output_.stopSounds(this);
}

void PlayerSound::framesShown(swf::Player& player) {
    const auto events = player.takeSoundEvents();
    // Stream blocks are read from the timeline ahead of the frame on show instead, and a
    // jump shows as a frame other than the one that follows.
    player.takeStreamBlocks();
    player.takeStreamRestart();
    if (movie_ != player.moviePtr()) {
        clear();
        movie_ = player.moviePtr();
    }
    for (const auto& e : events)
        startEvent(e);
    followStream(player);
}

void PlayerSound::stopAll() {
    output_.stopSounds(this);
    stream_.reset();
    runs_.clear();
}

void PlayerSound::clear() {
    stopAll();
    sounds_.clear();
    soundBytes_ = 0;
    movie_.reset();
}

void PlayerSound::startEvent(const swf::Player::SoundEvent& event) {
    if (!event.sound || !event.info) return;
    if (event.info->stop) {
        output_.stopSound(this, event.sound);
        return;
    }
    if (auto pcm = decoded(event.sound)) output_.startSound(this, event.sound, pcm, *event.info);
}

std::shared_ptr<const swf::StereoPcm> PlayerSound::decoded(const swf::SoundDef* sound) {
    if (auto it = sounds_.find(sound); it != sounds_.end()) return it->second;
    // A sound that does not decode is remembered as such, not tried again.
    std::shared_ptr<const swf::StereoPcm> pcm;
    auto result = swf::decodeSound(*sound);
    if (auto* samples = std::get_if<swf::StereoPcm>(&result); samples && !samples->empty())
        pcm = std::make_shared<const swf::StereoPcm>(std::move(*samples));
    const size_t bytes = pcm ? pcm->size() * sizeof(int16_t) : 0;
    if (soundBytes_ + bytes > kMaxDecodedBytes) {
        sounds_.clear();
        soundBytes_ = 0;
    }
    sounds_.emplace(sound, pcm);
    soundBytes_ += bytes;
    return pcm;
}

int PlayerSound::successor(const swf::Player& player, int frame) {
    const int count = player.movie().frameCount();
    if (frame + 1 < count) return frame + 1;
    return player.loop() && count > 1 ? 0 : -1;
}

void PlayerSound::followStream(const swf::Player& player) {
    if (!player.movie().root.streamHead || !player.isPlaying()) {
        endStream();
        return;
    }
    const int frame = player.currentFrame() - 1;
    if (stream_ && frame == shownFrame_) return;
    if (stream_ && frame == successor(player, shownFrame_)) {
        shownFrame_ = frame;
        ++shownTick_;
    } else {
        startStream(player, frame);
    }
    if (auto pos = output_.streamPosition(this)) queueAhead(player, pos->heard);
}

void PlayerSound::startStream(const swf::Player& player, int frame) {
    output_.restartStream(this);
    stream_ = std::make_unique<swf::StreamDecoder>(*player.movie().root.streamHead);
    shownFrame_ = nextFrame_ = frame;
    shownTick_ = nextTick_ = 0;
    queued_ = 0;
    framesPerTick_ = swf::kMixRate / std::max(player.movie().frameRate, 0.01);
    newRun_ = true;
    runs_.clear();
    lastHeard_ = -1;
    heardMoved_ = Clock::now();
}

void PlayerSound::endStream() {
    if (!stream_) return;
    output_.restartStream(this);
    stream_.reset();
    runs_.clear();
}

bool PlayerSound::soundAhead(const swf::Player& player, int frame) {
    for (int i = 0; i < kMaxFramesAhead && frame >= 0; ++i, frame = successor(player, frame))
        if (!player.movie().root.frames[static_cast<size_t>(frame)].streamBlock.empty())
            return true;
    return false;
}

void PlayerSound::queueAhead(const swf::Player& player, int64_t heard) {
    if (!stream_) return;
    const auto& frames = player.movie().root.frames;
    // Queueing fell behind the frame on show, or the sound ran out before it: carry on from
    // the frame on show, with a new run of the clock.
    if (nextTick_ < shownTick_ || (nextTick_ == shownTick_ && heard >= queued_)) {
        nextFrame_ = shownFrame_;
        nextTick_ = shownTick_;
        newRun_ = true;
    }
    while (nextFrame_ >= 0 && static_cast<size_t>(nextFrame_) < frames.size() &&
           nextTick_ - shownTick_ < kMaxFramesAhead && queued_ - heard < kLookahead) {
        const auto& block = frames[static_cast<size_t>(nextFrame_)].streamBlock;
        // Frames without a block and no sound in sight are not part of the stream; with
        // sound ahead they are its silent part.
        if (block.empty() && !soundAhead(player, nextFrame_)) {
            if (nextTick_ > shownTick_) break; // to be seen once the playhead is there
            newRun_ = true;
        } else {
            if (std::exchange(newRun_, false)) runs_.push_back({nextFrame_, nextTick_, queued_});
            swf::StereoPcm pcm = block.empty() ? swf::StereoPcm{} : stream_->decodeBlock(block);
            // A frame with less than its share of sound (a gap in the stream, or MP3 frames
            // that came early) is made up with silence: the stream never lags the frames.
            const Run& run = runs_.back();
            const int64_t owed =
                static_cast<int64_t>(double(nextTick_ + 1 - run.tick) * framesPerTick_) -
                (queued_ + static_cast<int64_t>(swf::frameCount(pcm)) - run.start);
            if (owed > framesPerTick_ / 2)
                pcm.resize(pcm.size() + 2 * static_cast<size_t>(owed), 0);
            queued_ += static_cast<int64_t>(swf::frameCount(pcm));
            output_.queueStream(this, std::move(pcm));
        }
        nextFrame_ = successor(player, nextFrame_);
        ++nextTick_;
    }
}

std::optional<int> PlayerSound::ticksDue(const swf::Player& player) {
    if (!stream_) return std::nullopt;
    auto pos = output_.streamPosition(this);
    if (!pos) return std::nullopt;
    queueAhead(player, pos->heard);
    if (pos->heard >= queued_) return std::nullopt; // run dry
    const auto now = Clock::now();
    if (pos->heard != lastHeard_) {
        lastHeard_ = pos->heard;
        heardMoved_ = now;
    } else if (now - heardMoved_ > kStallTime) {
        return std::nullopt;
    }
    while (runs_.size() > 1 && runs_[1].start < pos->heard)
        runs_.pop_front();
    const Run* run = runAt(pos->heard);
    if (!run) return 0; // not heard yet: hold the frame
    const auto due =
        run->tick + static_cast<int64_t>(double(pos->heard - run->start) / framesPerTick_);
    return static_cast<int>(std::clamp<int64_t>(due - shownTick_, 0, kMaxCatchUp));
}

const PlayerSound::Run* PlayerSound::runAt(int64_t heard) const {
    for (auto r = runs_.rbegin(); r != runs_.rend(); ++r)
        if (r->start < heard) return &*r;
    return nullptr;
}

std::optional<double> PlayerSound::heardFrame() const {
    if (!stream_ || !movie_) return std::nullopt;
    const auto pos = output_.streamPosition(this);
    const Run* run = pos && pos->heard < queued_ ? runAt(pos->heard) : nullptr;
    if (!run) return std::nullopt;
    const double frame = run->frame + double(pos->heard - run->start) / framesPerTick_;
    // Past the last frame a looping movie starts again.
    const int count = std::max(movie_->frameCount(), 1);
    return frame < count ? frame : std::fmod(frame, count);
}
