#include "swf/media/sound_decode.h"

#include "swf/media/sound_codecs.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace swf {

namespace {

enum Codec : uint8_t { kRawNative = 0, kAdpcm = 1, kMp3 = 2, kRawLittleEndian = 3 };

// Samples at the sound's own rate, interleaved when stereo.
struct Source {
    std::vector<int16_t> samples;
    uint32_t rateHalfHz = 0;
    int channels = 1;
};

StereoPcm resample(const Source& src) {
    StereoPcm out;
    sound::Resampler r(src.rateHalfHz, src.channels);
    r.push(src.samples, out);
    r.finish(out);
    out.resize(std::min(out.size(), 2 * kMaxSoundFrames));
    return out;
}

int16_t leS16(std::span<const uint8_t> d, size_t at) {
    return d.size() >= at + 2 ? static_cast<int16_t>(d[at] | (d[at + 1] << 8)) : 0;
}

// The decoded MP3 of a DefineSound: SeekSamples dropped, then at most sampleCount frames.
Source decodeMp3Sound(const SoundDef& s) {
    Source src;
    if (s.data.size() < 2) return src;
    const size_t skip = static_cast<size_t>(std::max<int>(leS16(s.data, 0), 0));
    const size_t wanted = skip + s.sampleCount;
    size_t skipped = 0, frames = 0;
    sound::Mp3Decoder mp3;
    mp3.decode(std::span(s.data).subspan(2), wanted,
               [&](std::span<const int16_t> samples, long rate, int channels) {
                   if (src.rateHalfHz == 0) {
                       src.rateHalfHz = static_cast<uint32_t>(rate) * 2;
                       src.channels = channels;
                   }
                   // The format never changes inside one stream; anything else is dropped.
                   if (src.rateHalfHz != static_cast<uint32_t>(rate) * 2 ||
                       src.channels != channels)
                       return;
                   size_t count = samples.size() / static_cast<size_t>(channels);
                   size_t first = std::min(count, skip - skipped);
                   skipped += first;
                   count = std::min(count - first, s.sampleCount - frames);
                   frames += count;
                   const auto* begin = samples.data() + first * static_cast<size_t>(channels);
                   src.samples.insert(src.samples.end(), begin,
                                      begin + count * static_cast<size_t>(channels));
               });
    return src;
}

// Rate of a codec whose data is not decoded, for silence of the right length.
uint32_t nominalRateHalfHz(const SoundFormat& f) {
    switch (f.codec) {
    case 4:
    case 11:
        return 32000;
    case 5:
        return 16000;
    default:
        return sound::halfHz(f.rate);
    }
}

} // namespace

Result<StereoPcm> decodeSound(const SoundDef& s) {
    const SoundFormat& f = s.format;
    const size_t limit = sound::maxSourceFrames(sound::halfHz(f.rate));
    if (s.sampleCount > limit) return Error{"sound longer than ten minutes"};
    Source src;
    src.rateHalfHz = sound::halfHz(f.rate);
    src.channels = f.stereo ? 2 : 1;
    switch (f.codec) {
    case kRawNative:
    case kRawLittleEndian:
        sound::decodeRaw(s.data, f, s.sampleCount, src.samples);
        break;
    case kAdpcm:
        sound::decodeAdpcm(s.data, f.stereo, s.sampleCount, src.samples);
        break;
    case kMp3:
        src = decodeMp3Sound(s);
        break;
    default:
        return Error{"sound format " + std::to_string(f.codec) + " is not supported"};
    }
    if (src.samples.empty()) return StereoPcm{};
    return resample(src);
}

struct StreamDecoder::State {
    std::optional<sound::Resampler> resampler;
    std::unique_ptr<sound::Mp3Decoder> mp3;
    bool first = true;
    size_t skip = 0; // source frames still to drop at the start

    void feed(std::span<const int16_t> samples, uint32_t rateHalfHz, int channels, StereoPcm& out) {
        const size_t count = samples.size() / static_cast<size_t>(channels);
        const size_t dropped = std::min(count, skip);
        skip -= dropped;
        samples = samples.subspan(dropped * static_cast<size_t>(channels));
        if (resampler &&
            (resampler->rateHalfHz() != rateHalfHz || resampler->channels() != channels)) {
            resampler->finish(out);
            resampler.reset();
        }
        if (!resampler) resampler.emplace(rateHalfHz, channels);
        resampler->push(samples, out);
    }
};

StreamDecoder::StreamDecoder(const StreamHead& head) : head_(head) {
    reset();
}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::reset() {
    state_ = std::make_unique<State>();
}

StereoPcm StreamDecoder::decodeBlock(std::span<const uint8_t> block) {
    const SoundFormat& f = head_.format;
    const uint32_t rate = sound::halfHz(f.rate);
    const size_t limit = sound::maxSourceFrames(rate);
    const bool first = std::exchange(state_->first, false);
    StereoPcm out;
    std::vector<int16_t> samples;
    switch (f.codec) {
    case kRawNative:
    case kRawLittleEndian:
        sound::decodeRaw(block, f, limit, samples);
        state_->feed(samples, rate, f.stereo ? 2 : 1, out);
        break;
    case kAdpcm:
        sound::decodeAdpcm(block, f.stereo, limit, samples);
        state_->feed(samples, rate, f.stereo ? 2 : 1, out);
        break;
    case kMp3: {
        // SampleCount UI16, SeekSamples SI16, then MP3 frames.
        if (block.size() < 4) break;
        if (first) state_->skip = static_cast<size_t>(std::max<int>(leS16(block, 2), 0));
        if (!state_->mp3) state_->mp3 = std::make_unique<sound::Mp3Decoder>();
        state_->mp3->decode(block.subspan(4), sound::maxSourceFrames(96000),
                            [&](std::span<const int16_t> pcm, long r, int channels) {
                                state_->feed(pcm, static_cast<uint32_t>(r) * 2, channels, out);
                            });
        break;
    }
    default: {
        // One frame's silence; a header claiming more than a second per frame is
        // not believed (it would only fill memory with nothing).
        const uint64_t frames = std::min<uint64_t>(
            uint64_t(head_.samplesPerBlock) * 2 * kMixRate / nominalRateHalfHz(f), kMixRate);
        out.assign(2 * static_cast<size_t>(frames), 0);
        break;
    }
    }
    out.resize(std::min(out.size(), 2 * kMaxSoundFrames));
    return out;
}

StereoPcm decodeStream(const StreamHead& head, std::span<const std::vector<uint8_t>> blocks) {
    StreamDecoder decoder(head);
    StereoPcm out;
    for (const auto& b : blocks) {
        StereoPcm part = decoder.decodeBlock(b);
        out.insert(out.end(), part.begin(), part.end());
        if (frameCount(out) >= kMaxSoundFrames) break;
    }
    return out;
}

} // namespace swf
