#include "audio_mixer.h"

#include <algorithm>
#include <iterator>

void AudioMixer::startSound(Owner owner, const void* sound,
                            std::shared_ptr<const swf::StereoPcm> pcm, const swf::SoundInfo& info) {
    if (info.stop) {
        stopSound(owner, sound);
        return;
    }
    if (info.noMultiple && std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) {
            return v.owner == owner && v.sound == sound;
        }))
        return;
    swf::SoundInstance instance(std::move(pcm), info);
    if (instance.finished()) return;
    if (voices_.size() >= kMaxVoices) voices_.erase(voices_.begin());
    voices_.push_back({owner, sound, std::move(instance)});
}

void AudioMixer::stopSound(Owner owner, const void* sound) {
    std::erase_if(voices_, [&](const Voice& v) { return v.owner == owner && v.sound == sound; });
}

void AudioMixer::stopSounds(Owner owner) {
    std::erase_if(voices_, [&](const Voice& v) { return v.owner == owner; });
    std::erase_if(streams_, [&](const Stream& s) { return s.owner == owner; });
}

AudioMixer::Stream* AudioMixer::findStream(Owner owner) {
    auto it = std::find_if(streams_.begin(), streams_.end(),
                           [&](const Stream& s) { return s.owner == owner; });
    return it == streams_.end() ? nullptr : &*it;
}

const AudioMixer::Stream* AudioMixer::findStream(Owner owner) const {
    return const_cast<AudioMixer*>(this)->findStream(owner);
}

void AudioMixer::queueStream(Owner owner, swf::StereoPcm pcm) {
    const auto frames = static_cast<int64_t>(swf::frameCount(pcm));
    if (frames == 0) return;
    Stream* s = findStream(owner);
    if (!s) {
        s = &streams_.emplace_back();
        s->owner = owner;
    }
    if (s->queued - s->mixed + frames > kMaxStreamBacklog) return;
    pcm.resize(2 * static_cast<size_t>(frames));
    s->chunks.push_back(std::move(pcm));
    s->queued += frames;
}

void AudioMixer::restartStream(Owner owner) {
    std::erase_if(streams_, [&](const Stream& s) { return s.owner == owner; });
}

int64_t AudioMixer::Stream::heardAt(int64_t outputFrame) const {
    int64_t pos = heard;
    for (const Mark& m : marks) {
        if (m.output > outputFrame) break;
        pos = m.stream + std::min(outputFrame - m.output, m.count);
    }
    return pos;
}

AudioMixer::StreamPosition AudioMixer::streamPosition(Owner owner, int64_t heardOutput) const {
    const Stream* s = findStream(owner);
    if (!s) return {};
    return {s->heardAt(heardOutput), s->queued};
}

void AudioMixer::mixStream(Stream& s, std::span<int32_t> mix, int64_t outputFrame) {
    const size_t frames = mix.size() / 2;
    size_t done = 0;
    while (done < frames && !s.chunks.empty()) {
        const swf::StereoPcm& chunk = s.chunks.front();
        const size_t take = std::min(frames - done, swf::frameCount(chunk) - s.offset);
        for (size_t i = 0; i < 2 * take; ++i)
            mix[2 * done + i] += chunk[2 * s.offset + i];
        done += take;
        s.offset += take;
        if (s.offset == swf::frameCount(chunk)) {
            s.chunks.pop_front();
            s.offset = 0;
        }
    }
    if (done == 0) return;
    s.marks.push_back({outputFrame, s.mixed, static_cast<int64_t>(done)});
    s.mixed += static_cast<int64_t>(done);
}

void AudioMixer::mix(std::span<int16_t> out, int64_t outputFrame) {
    sum_.assign(out.size(), 0);
    for (Voice& v : voices_)
        v.instance.mixInto(sum_);
    std::erase_if(voices_, [](const Voice& v) { return v.instance.finished(); });
    for (Stream& s : streams_)
        mixStream(s, sum_, outputFrame);
    std::transform(sum_.begin(), sum_.end(), out.begin(),
                   [](int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); });
}

void AudioMixer::heardUpTo(int64_t outputFrame) {
    for (Stream& s : streams_)
        while (!s.marks.empty() && s.marks.front().output + s.marks.front().count <= outputFrame) {
            s.heard = s.marks.front().stream + s.marks.front().count;
            s.marks.pop_front();
        }
}

bool AudioMixer::active() const {
    return !voices_.empty() || std::any_of(streams_.begin(), streams_.end(),
                                           [](const Stream& s) { return !s.chunks.empty(); });
}

void AudioMixer::clear() {
    voices_.clear();
    streams_.clear();
}
