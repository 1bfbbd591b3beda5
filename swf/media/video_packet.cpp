#include "swf/media/video_packet.h"

#include "swf/format/reader.h"

namespace swf {
namespace {

// Sorenson H.263: start code, version, temporal reference, size, picture type.
VideoPacketInfo readH263(std::span<const uint8_t> data) {
    VideoPacketInfo info;
    Reader r(data);
    if (r.ub(17) != 1) return info;
    if (r.ub(5) > 1) return info;
    r.ub(8);
    static const int sizes[][2] = {{352, 288}, {176, 144}, {128, 96}, {320, 240}, {160, 120}};
    uint32_t size = r.ub(3);
    if (size == 0 || size == 1) {
        int bits = size == 0 ? 8 : 16;
        info.width = static_cast<int>(r.ub(bits));
        info.height = static_cast<int>(r.ub(bits));
    } else if (size <= 6) {
        info.width = sizes[size - 2][0];
        info.height = sizes[size - 2][1];
    } else {
        return info;
    }
    uint32_t type = r.ub(2);
    if (r.overrun() || type == 3) return info;
    info.valid = true;
    info.keyFrame = type == 0;
    return info;
}

// VP6: frame type and quantiser, then on key frames the version bytes and the size in
// macroblocks.
VideoPacketInfo readVp6(std::span<const uint8_t> data) {
    VideoPacketInfo info;
    if (data.empty()) return info;
    info.valid = true;
    info.keyFrame = (data[0] & 0x80) == 0;
    if (!info.keyFrame) return info;
    if (data.size() < 2) {
        info.valid = false;
        return info;
    }
    const bool separated = data[0] & 0x01;
    const int profile = (data[1] >> 1) & 0x03;
    size_t pos = 2 + ((separated || profile == 0) ? 2 : 0);
    if (data.size() < pos + 2) {
        info.valid = false;
        return info;
    }
    info.height = data[pos] * 16;
    info.width = data[pos + 1] * 16;
    return info;
}

// Screen video 1 and 2: block and image sizes, then one sized block after another from
// the bottom left. A frame that carries every block, none of them drawn against the
// previous frame, stands on its own.
VideoPacketInfo readScreenVideo(std::span<const uint8_t> data, bool v2) {
    VideoPacketInfo info;
    Reader r(data);
    const int blockWidth = (static_cast<int>(r.ub(4)) + 1) * 16;
    info.width = static_cast<int>(r.ub(12));
    const int blockHeight = (static_cast<int>(r.ub(4)) + 1) * 16;
    info.height = static_cast<int>(r.ub(12));
    if (v2) {
        r.ub(6);
        const bool iframeImage = r.flag();
        const bool palette = r.flag();
        if (iframeImage || palette) return info; // forms no decoder here reads
    }
    if (r.overrun() || info.width == 0 || info.height == 0) return info;
    const long blocks = long((info.width + blockWidth - 1) / blockWidth) * ((info.height + blockHeight - 1) / blockHeight);
    bool whole = true;
    for (long i = 0; i < blocks; ++i) {
        const uint32_t size = r.ub(16);
        if (r.overrun() || size > r.remaining()) return info;
        if (size == 0) {
            whole = false;
            continue;
        }
        if (v2) {
            const uint8_t flags = data[r.pos()];
            if (flags & 0x05) whole = false; // drawn as a difference, or primed from before
        }
        r.skip(size);
    }
    info.valid = true;
    info.keyFrame = whole;
    return info;
}

} // namespace

bool isKnownVideoCodec(uint8_t id) { return id >= 2 && id <= 6; }

VideoPacketInfo readVideoPacket(VideoCodec codec, std::span<const uint8_t> data) {
    switch (codec) {
    case VideoCodec::SorensonH263:
        return readH263(data);
    case VideoCodec::Vp6:
        return readVp6(data);
    case VideoCodec::Vp6Alpha: {
        if (data.size() < 3) return {};
        const size_t alphaOffset = (size_t(data[0]) << 16) | (size_t(data[1]) << 8) | data[2];
        if (alphaOffset > data.size() - 3) return {};
        return readVp6(data.subspan(3, alphaOffset));
    }
    case VideoCodec::ScreenVideo:
        return readScreenVideo(data, false);
    case VideoCodec::ScreenVideo2:
        return readScreenVideo(data, true);
    }
    return {};
}

} // namespace swf
