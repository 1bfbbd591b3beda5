#include "swf/media/sound_codecs.h"

#include "swf/format/reader.h"

#include <algorithm>
#include <array>

namespace swf::sound {

namespace {

constexpr std::array<int32_t, 89> kStep = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index changes by code magnitude, for 2, 3, 4 and 5 bit codes.
constexpr int8_t kAdjust2[] = {-1, 2};
constexpr int8_t kAdjust3[] = {-1, -1, 2, 4};
constexpr int8_t kAdjust4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int8_t kAdjust5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int8_t* kAdjust[] = {kAdjust2, kAdjust3, kAdjust4, kAdjust5};

struct Channel {
    int32_t sample = 0;
    int index = 0;

    void decode(uint32_t code, int bits) {
        int32_t step = kStep[static_cast<size_t>(index)];
        int32_t diff = 0;
        for (uint32_t mask = 1u << (bits - 2); mask != 0; mask >>= 1) {
            if (code & mask) diff += step;
            step >>= 1;
        }
        diff += step;
        const bool negative = (code >> (bits - 1)) & 1;
        sample = std::clamp(sample + (negative ? -diff : diff), -32768, 32767);
        const uint32_t magnitude = code & ((1u << (bits - 1)) - 1);
        index = std::clamp(index + kAdjust[bits - 2][magnitude], 0, 88);
    }
};

constexpr int kCodesPerPacket = 4095;

} // namespace

void decodeAdpcm(std::span<const uint8_t> data, bool stereo, size_t maxFrames,
                 std::vector<int16_t>& out) {
    Reader r(data);
    const int bits = static_cast<int>(r.ub(2)) + 2;
    const int channels = stereo ? 2 : 1;
    Channel ch[2];
    size_t frames = 0;
    auto emit = [&] {
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(ch[c].sample));
        ++frames;
    };
    // A packet or code cut short by the end of the data is dropped whole.
    while (frames < maxFrames && !r.overrun()) {
        for (int c = 0; c < channels; ++c) {
            ch[c].sample = r.sb(16);
            ch[c].index = std::min(static_cast<int>(r.ub(6)), 88);
        }
        if (r.overrun()) return;
        emit();
        for (int k = 0; k < kCodesPerPacket && frames < maxFrames; ++k) {
            uint32_t codes[2] = {};
            for (int c = 0; c < channels; ++c)
                codes[c] = r.ub(bits);
            if (r.overrun()) return;
            for (int c = 0; c < channels; ++c)
                ch[c].decode(codes[c], bits);
            emit();
        }
    }
}

} // namespace swf::sound
