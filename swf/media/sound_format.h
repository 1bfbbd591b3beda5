// The sound records of a movie as its tags give them: formats, event sounds and how
// a frame starts them, and the head of a timeline's stream sound.
#pragma once

#include <cstdint>
#include <vector>

namespace swf {

struct SoundInfo {
    bool stop = false, noMultiple = false;
    uint32_t inPoint = 0, outPoint = 0; // samples; 0 = not set
    bool hasIn = false, hasOut = false;
    uint16_t loops = 1;
    struct Envelope {
        uint32_t pos44 = 0;
        uint16_t left = 32768, right = 32768;
    };
    std::vector<Envelope> envelope;
};

struct SoundStart {
    uint16_t soundId = 0;
    SoundInfo info;
};

struct SoundFormat {
    uint8_t codec = 0;      // 0 native PCM, 1 ADPCM, 2 MP3, 3 PCM little-endian, 4-6 Nellymoser, 11 Speex
    uint32_t rate = 5512;   // Hz
    bool is16Bit = true;
    bool stereo = false;
};

struct StreamHead {
    SoundFormat format;
    uint16_t samplesPerBlock = 0;
    int16_t latencySeek = 0;
};

// The levels a script's Sound object sets on a clip or on the whole movie: the
// volume, and the percent of each input channel sent to each output channel
// (ll: left to left, lr: left to right, rr, rl). Scripts read back what they set.
struct SoundLevels {
    int32_t volume = 100;
    int32_t ll = 100, lr = 0, rr = 100, rl = 0;
};

struct SoundDef {
    SoundFormat format;
    uint32_t sampleCount = 0;
    std::vector<uint8_t> data;
};

} // namespace swf
