// Encoders the sound tests make their input with: a small ADPCM encoder written from the
// format description, and MP3 through LAME when the build found it.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#ifdef REELVISTA_HAVE_LAME
#include <lame/lame.h>
#endif

namespace soundtest {

// Bits, most significant first.
class BitWriter {
  public:
    void put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
            ++used_;
        }
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
    size_t used_ = 0;
};

inline std::vector<int16_t> sine(size_t frames, double hz, double amplitude, int rate = 44100,
                                 double phase = 0) {
    std::vector<int16_t> out(frames);
    for (size_t i = 0; i < frames; ++i)
        out[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(phase + 2 * M_PI * hz * double(i) / rate)));
    return out;
}

// Left and right into one interleaved buffer.
inline std::vector<int16_t> interleave(const std::vector<int16_t>& l,
                                       const std::vector<int16_t>& r) {
    std::vector<int16_t> out;
    for (size_t i = 0; i < l.size(); ++i) {
        out.push_back(l[i]);
        out.push_back(r[i]);
    }
    return out;
}

// ADPCM with n-bit codes. Each code is the one whose decoded value lands nearest the input,
// so the encoder's own reconstruction is exactly what a decoder must produce.
struct Adpcm {
    std::vector<uint8_t> data;
    std::vector<int16_t> decoded; // interleaved like the input
};

inline Adpcm encodeAdpcm(const std::vector<int16_t>& input, int channels, int bits) {
    static const std::array<int, 89> step = {
        7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
        25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
        88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
        307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
        1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
        3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
        12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
    static const std::vector<std::vector<int>> adjust = {
        {-1, 2},
        {-1, -1, 2, 4},
        {-1, -1, -1, -1, 2, 4, 6, 8},
        {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16}};
    struct State {
        int sample = 0, index = 0;
        State next(uint32_t code, int bits) const {
            int s = step[static_cast<size_t>(index)], diff = 0;
            for (uint32_t mask = 1u << (bits - 2); mask; mask >>= 1, s >>= 1)
                if (code & mask) diff += s;
            diff += s;
            State n;
            n.sample =
                std::clamp(sample + ((code >> (bits - 1)) & 1 ? -diff : diff), -32768, 32767);
            n.index = std::clamp(
                index + adjust[static_cast<size_t>(bits - 2)][code & ((1u << (bits - 1)) - 1)], 0,
                88);
            return n;
        }
    };
    Adpcm out;
    BitWriter w;
    w.put(static_cast<uint32_t>(bits - 2), 2);
    std::array<State, 2> st{};
    const size_t frames = input.size() / static_cast<size_t>(channels);
    for (size_t f = 0; f < frames; ++f) {
        if (f % 4096 == 0) {
            for (int c = 0; c < channels; ++c) {
                st[c].sample = input[f * channels + c];
                st[c].index = std::min(st[c].index, 63);
                w.put(static_cast<uint16_t>(st[c].sample), 16);
                w.put(static_cast<uint32_t>(st[c].index), 6);
            }
        } else {
            for (int c = 0; c < channels; ++c) {
                const int target = input[f * channels + c];
                uint32_t best = 0;
                for (uint32_t code = 1; code < (1u << bits); ++code)
                    if (std::abs(st[c].next(code, bits).sample - target) <
                        std::abs(st[c].next(best, bits).sample - target))
                        best = code;
                st[c] = st[c].next(best, bits);
                w.put(best, bits);
            }
        }
        for (int c = 0; c < channels; ++c)
            out.decoded.push_back(static_cast<int16_t>(st[c].sample));
    }
    out.data = w.take();
    return out;
}

// Frames of an MPEG audio Layer III stream, found by their headers.
inline std::vector<std::span<const uint8_t>> mp3Frames(std::span<const uint8_t> data) {
    static const int kbps1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kbps2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int rates[] = {44100, 48000, 32000};
    std::vector<std::span<const uint8_t>> frames;
    size_t at = 0;
    while (at + 4 <= data.size()) {
        const uint8_t* h = data.data() + at;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) break;
        const int version = (h[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int bitrate = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
        if (bitrate == 0 || bitrate == 15 || rateIndex == 3 || version == 1) break;
        const int rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
        const size_t length = version == 3 ? 144 * kbps1[bitrate] * 1000 / rate + padding
                                           : 72 * kbps2[bitrate] * 1000 / rate + padding;
        if (at + length > data.size()) break;
        frames.push_back(data.subspan(at, length));
        at += length;
    }
    return frames;
}

#ifdef REELVISTA_HAVE_LAME
// Constant bit rate MP3 without an info frame. `delay` is the encoder's delay in samples.
struct Mp3 {
    std::vector<uint8_t> data;
    int delay = 0;
};

inline Mp3 encodeMp3(const std::vector<int16_t>& interleaved, int channels, int rate, int kbps) {
    lame_global_flags* gf = lame_init();
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_num_channels(gf, channels);
    lame_set_mode(gf, channels == 1 ? MONO : STEREO);
    lame_set_brate(gf, kbps);
    lame_set_bWriteVbrTag(gf, 0);
    lame_set_errorf(gf, [](const char*, va_list) {});
    lame_set_debugf(gf, [](const char*, va_list) {});
    lame_set_msgf(gf, [](const char*, va_list) {});
    Mp3 out;
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return out;
    }
    const int frames = static_cast<int>(interleaved.size()) / channels;
    std::vector<uint8_t> buf(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    std::vector<int16_t> mono(interleaved);
    int n = channels == 2 ? lame_encode_buffer_interleaved(gf, mono.data(), frames, buf.data(),
                                                           static_cast<int>(buf.size()))
                          : lame_encode_buffer(gf, mono.data(), mono.data(), frames, buf.data(),
                                               static_cast<int>(buf.size()));
    if (n >= 0) {
        out.data.assign(buf.begin(), buf.begin() + n);
        n = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
        if (n > 0) out.data.insert(out.data.end(), buf.begin(), buf.begin() + n);
    }
    out.delay = lame_get_encoder_delay(gf);
    lame_close(gf);
    return out;
}
#endif

} // namespace soundtest
