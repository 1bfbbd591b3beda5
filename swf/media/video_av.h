// What the video decoders share over the libav* libraries. Included by the media
// layer's implementation files only: the libraries stay out of the engine's headers.
#pragma once

#include "swf/format/types.h"
#include "swf/media/bitmap.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <vector>

namespace swf::av {

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// Broken streams are expected and answered with the last good picture, so the libraries'
// own complaints are not wanted on the terminal.
void quietLibraries();

// A decoder context for the codec: one thread (many players decode at once), pictures
// bounded by maxVideoPixels(). Null when it cannot be opened.
CodecContextPtr openDecoder(const AVCodec* codec, const AVCodecParameters* parameters = nullptr);

// Turns decoded frames into pictures (premultiplied ARGB).
class PictureConverter {
public:
    // Pictures up to a macroblock larger than a declared size (given, non-zero) are cut
    // to it.
    Result<BitmapPtr> convert(const AVFrame& frame, int declaredWidth = 0, int declaredHeight = 0);

private:
    std::unique_ptr<SwsContext, SwsFree> scaler_;
    std::vector<uint8_t> rows_;
};

} // namespace swf::av
