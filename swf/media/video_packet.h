// What the engine reads from an encoded video frame without decoding it: whether it
// starts a run of frames that decode on their own (a key frame), and the picture size
// its header names.
#pragma once

#include <cstdint>
#include <span>

namespace swf {

// The codec ids of DefineVideoStream (and of FLV video tags).
enum class VideoCodec : uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
};

bool isKnownVideoCodec(uint8_t id);

struct VideoPacketInfo {
    bool valid = false;    // the header could be read
    bool keyFrame = false; // decodes without the frames before it
    int width = 0, height = 0; // 0 where the header does not say (VP6 inter frames)
};

// Reads the header of one frame of the codec's data as a VideoFrame tag holds it (VP6
// without the one-byte size adjustment of FLV; VP6 with alpha starting with the offset to
// its alpha frame).
VideoPacketInfo readVideoPacket(VideoCodec codec, std::span<const uint8_t> data);

} // namespace swf
