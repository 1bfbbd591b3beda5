#include "swf/media/sound_instance.h"

#include <algorithm>

namespace swf {

namespace {

constexpr int32_t kFullLevel = 32768;

int32_t level(uint16_t v) {
    return std::min<int32_t>(v, kFullLevel);
}

} // namespace

SoundInstance::SoundInstance(std::shared_ptr<const StereoPcm> pcm, const SoundInfo& info)
    : pcm_(std::move(pcm)) {
    const uint64_t frames = pcm_ ? frameCount(*pcm_) : 0;
    begin_ = info.hasIn ? std::min<uint64_t>(info.inPoint, frames) : 0;
    const uint64_t end = info.hasOut ? std::clamp<uint64_t>(info.outPoint, begin_, frames) : frames;
    span_ = end - begin_;
    length_ = span_ * std::max<uint16_t>(info.loops, 1);
    envelope_ = info.envelope;
    std::stable_sort(envelope_.begin(), envelope_.end(),
                     [](const auto& a, const auto& b) { return a.pos44 < b.pos44; });
}

void SoundInstance::levelsAt(uint64_t position, int32_t& left, int32_t& right) {
    while (nextPoint_ < envelope_.size() && envelope_[nextPoint_].pos44 <= position)
        ++nextPoint_;
    if (nextPoint_ == 0 || nextPoint_ == envelope_.size()) {
        const auto& p = envelope_[nextPoint_ == 0 ? 0 : nextPoint_ - 1];
        left = level(p.left);
        right = level(p.right);
        return;
    }
    const auto& a = envelope_[nextPoint_ - 1];
    const auto& b = envelope_[nextPoint_];
    const int64_t t = static_cast<int64_t>(position - a.pos44);
    const int64_t width = static_cast<int64_t>(b.pos44) - a.pos44; // > 0: b is past position
    left = static_cast<int32_t>(level(a.left) + (level(b.left) - level(a.left)) * t / width);
    right = static_cast<int32_t>(level(a.right) + (level(b.right) - level(a.right)) * t / width);
}

size_t SoundInstance::mixInto(std::span<int32_t> mix) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(mix.size() / 2, length_ - played_));
    const int16_t* data = pcm_ ? pcm_->data() : nullptr;
    for (size_t i = 0; i < count; ++i, ++played_) {
        const uint64_t frame = begin_ + played_ % span_;
        int32_t l = data[2 * frame], r = data[2 * frame + 1];
        if (!envelope_.empty()) {
            int32_t left = kFullLevel, right = kFullLevel;
            levelsAt(begin_ + played_, left, right);
            l = l * left / kFullLevel;
            r = r * right / kFullLevel;
        }
        mix[2 * i] += l;
        mix[2 * i + 1] += r;
    }
    return count;
}

} // namespace swf
