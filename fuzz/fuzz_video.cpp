// libFuzzer target: the video decoders fed directly. The first byte picks the codec; the
// rest is a run of frames, each with a 16-bit length, decoded in order, then again from
// the nearest key frame after a jump back.
#include "swf/display/video_instance.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    swf::VideoDef def;
    def.codecId = static_cast<uint8_t>(2 + data[0] % 5);
    def.width = 64;
    def.height = 48;
    size_t pos = 1;
    uint16_t number = 0;
    while (pos + 2 <= size && number < 64) {
        size_t len = std::min<size_t>(size_t(data[pos]) << 8 | data[pos + 1], size - pos - 2);
        pos += 2;
        swf::VideoDef::EncodedFrame f;
        f.data.assign(data + pos, data + pos + len);
        f.keyFrame = swf::readVideoPacket(def.codec(), f.data).keyFrame;
        def.frames.emplace(number++, std::move(f));
        pos += len;
    }
    swf::VideoInstance video(def);
    for (int n = 0; n < number; ++n) video.frame(n);
    video.frame(number / 2);
    video.frame(0);
    return 0;
}
