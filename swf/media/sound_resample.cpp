#include "swf/media/sound_codecs.h"

#include <algorithm>

namespace swf::sound {

namespace {

constexpr uint64_t kOutHalfHz = 2 * uint64_t(kMixRate);

} // namespace

Resampler::Resampler(uint32_t rateHalfHz, int channels)
    : rate_(std::max<uint32_t>(rateHalfHz, 1)), channels_(channels == 2 ? 2 : 1) {}

int32_t Resampler::sample(uint64_t frame, int channel, std::span<const int16_t> in) const {
    const uint64_t heldFrames = held_.size() / channels_;
    const uint64_t local = frame - heldStart_;
    if (local < heldFrames) return held_[local * channels_ + channel];
    return in[(local - heldFrames) * channels_ + channel];
}

void Resampler::emit(uint64_t index, uint64_t frac, std::span<const int16_t> in,
                     StereoPcm& out) const {
    for (int c = 0; c < 2; ++c) {
        const int channel = channels_ == 2 ? c : 0;
        const int64_t s0 = sample(index, channel, in);
        const int64_t s1 = frac ? sample(index + 1, channel, in) : s0;
        out.push_back(static_cast<int16_t>(s0 + (s1 - s0) * static_cast<int64_t>(frac) /
                                                    static_cast<int64_t>(kOutHalfHz)));
    }
}

void Resampler::push(std::span<const int16_t> in, StereoPcm& out) {
    const uint64_t count = in.size() / channels_;
    in = in.first(count * channels_);
    inFrames_ += count;
    for (;;) {
        const uint64_t x = next_ * rate_;
        const uint64_t index = x / kOutHalfHz, frac = x % kOutHalfHz;
        if ((frac == 0 ? index : index + 1) >= inFrames_) break;
        emit(index, frac, in, out);
        ++next_;
    }
    // Keep the input frames the next output still needs (at most one).
    const uint64_t keepFrom = std::min(next_ * rate_ / kOutHalfHz, inFrames_);
    std::vector<int16_t> kept;
    for (uint64_t f = keepFrom; f < inFrames_; ++f)
        for (int c = 0; c < channels_; ++c)
            kept.push_back(static_cast<int16_t>(sample(f, c, in)));
    held_ = std::move(kept);
    heldStart_ = keepFrom;
}

void Resampler::finish(StereoPcm& out) {
    for (;;) {
        const uint64_t x = next_ * rate_;
        const uint64_t index = x / kOutHalfHz;
        if (index >= inFrames_) break;
        // Past the last input frame the last one is repeated.
        emit(index, index + 1 < inFrames_ ? x % kOutHalfHz : 0, {}, out);
        ++next_;
    }
    held_.clear();
    heldStart_ = inFrames_;
}

} // namespace swf::sound
