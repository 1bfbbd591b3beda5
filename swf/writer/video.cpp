#include "swf/writer/video.h"

#include "swf/writer/buffer.h"

namespace swf::writer {

Tag defineVideoStream(uint16_t id, const VideoStream& s) {
    Buffer b;
    b.u16(id).u16(s.frameCount).u16(s.width).u16(s.height);
    b.ub(0, 4).ub(s.deblocking, 3).flag(s.smoothing);
    b.u8(s.codec);
    return {tagcode::DefineVideoStream, b.take()};
}

Tag videoFrame(uint16_t streamId, uint16_t frame, std::span<const uint8_t> data) {
    Buffer b;
    b.u16(streamId).u16(frame).bytes(data);
    return {tagcode::VideoFrame, b.take()};
}

} // namespace swf::writer
