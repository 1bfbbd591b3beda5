// Embedded video: the DefineVideoStream character and the frames that VideoFrame tags
// deliver to it.
#pragma once

#include "swf/format/reader.h"
#include "swf/media/video_packet.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace swf {

struct VideoDef {
    uint16_t frameCount = 0;       // as the tag declares it
    uint16_t width = 0, height = 0; // pixels: the instance's size on its timeline
    uint8_t deblocking = 0;
    bool smoothing = false;
    uint8_t codecId = 0;            // DefineVideoStream's codec id, known or not
    struct EncodedFrame {
        std::vector<uint8_t> data;
        bool keyFrame = false;
    };
    // By frame number; numbers without data show the frame before them.
    std::map<uint16_t, EncodedFrame> frames;

    bool decodable() const { return isKnownVideoCodec(codecId) && width > 0 && height > 0; }
    VideoCodec codec() const { return static_cast<VideoCodec>(codecId); }
    // The number of the key frame a decode of frame n starts at: the last key frame at
    // or before n, else the first frame with data; -1 when none comes at or before n.
    int keyFrameFor(int n) const;
};

// DefineVideoStream (60), read after the character id.
VideoDef parseDefineVideoStream(Reader& r);
// VideoFrame (61), read after the stream id: stores the frame in its stream. A frame for
// a number that already has one, or for a stream that cannot be shown, is dropped.
void addVideoFrame(VideoDef& video, Reader& r);

} // namespace swf
