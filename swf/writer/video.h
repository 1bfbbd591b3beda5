// Video tags: DefineVideoStream and VideoFrame.
#pragma once

#include "swf/writer/tag.h"

#include <cstdint>
#include <span>

namespace swf::writer {

struct VideoStream {
    uint16_t frameCount = 0;
    uint16_t width = 0, height = 0;
    uint8_t deblocking = 0; // 0 as the frames say, 1 off, 2..5 levels
    bool smoothing = false;
    uint8_t codec = 2;      // 2 Sorenson H.263, 3 screen video, 4 VP6, 5 VP6 with alpha, 6 screen video 2
};

Tag defineVideoStream(uint16_t id, const VideoStream& stream);
// One encoded frame (0-based number) of the stream.
Tag videoFrame(uint16_t streamId, uint16_t frame, std::span<const uint8_t> data);

} // namespace swf::writer
