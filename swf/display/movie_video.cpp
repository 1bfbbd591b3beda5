#include "swf/display/movie_video.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <iterator>

namespace swf {

VideoDef parseDefineVideoStream(Reader& r) {
    VideoDef v;
    v.frameCount = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    const uint8_t flags = r.u8();
    v.deblocking = (flags >> 1) & 0x07;
    v.smoothing = flags & 0x01;
    v.codecId = r.u8();
    if (r.overrun() || uint64_t(v.width) * v.height > limits::kMaxBitmapPixels) {
        // An incomplete or oversized stream keeps its place on the timeline but shows
        // nothing.
        v.codecId = 0;
    }
    return v;
}

void addVideoFrame(VideoDef& video, Reader& r) {
    const uint16_t number = r.u16();
    if (r.overrun() || !video.decodable() || video.frames.count(number)) return;
    auto data = r.rest();
    VideoDef::EncodedFrame f;
    f.data.assign(data.begin(), data.end());
    f.keyFrame = readVideoPacket(video.codec(), f.data).keyFrame;
    video.frames.emplace(number, std::move(f));
}

int VideoDef::keyFrameFor(int n) const {
    auto it = frames.upper_bound(static_cast<uint16_t>(std::clamp(n, 0, 65535)));
    if (n < 0 || it == frames.begin()) return -1;
    for (auto k = std::prev(it);; --k) {
        if (k->second.keyFrame) return k->first;
        if (k == frames.begin()) return k->first;
    }
}

} // namespace swf
