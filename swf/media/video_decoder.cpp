#include "swf/media/video_decoder.h"

#include "swf/format/limits.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <mutex>
#include <vector>

namespace swf {
namespace {

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

AVCodecID codecId(VideoCodec codec) {
    switch (codec) {
    case VideoCodec::SorensonH263:
        return AV_CODEC_ID_FLV1;
    case VideoCodec::ScreenVideo:
        return AV_CODEC_ID_FLASHSV;
    case VideoCodec::Vp6:
        return AV_CODEC_ID_VP6F; // as FLV stores it, less the size adjustment byte
    case VideoCodec::Vp6Alpha:
        return AV_CODEC_ID_VP6A;
    case VideoCodec::ScreenVideo2:
        return AV_CODEC_ID_FLASHSV2;
    }
    return AV_CODEC_ID_NONE;
}

// Broken streams are expected here and answered with the last good picture, so the
// library's own complaints are not wanted on the terminal.
void quietLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

uint64_t maxVideoPixels() { return limits::kMaxBitmapPixels; }

struct VideoDecoder::State {
    VideoCodec codec;
    VideoDecoderOptions options;
    const AVCodec* decoder = nullptr;
    std::unique_ptr<AVCodecContext, CodecContextFree> context;
    std::unique_ptr<AVFrame, FrameFree> frame{av_frame_alloc()};
    std::unique_ptr<AVPacket, PacketFree> packet{av_packet_alloc()};
    std::unique_ptr<SwsContext, SwsFree> scaler;
    std::vector<uint8_t> converted;

    bool open() {
        context.reset(avcodec_alloc_context3(decoder));
        if (!context) return false;
        context->thread_count = 1; // many players decode at once; each keeps to itself
        context->max_pixels = static_cast<int64_t>(maxVideoPixels());
        if (options.deblocking == 1) context->skip_loop_filter = AVDISCARD_ALL;
        return avcodec_open2(context.get(), decoder, nullptr) == 0;
    }

    Result<BitmapPtr> picture() {
        const AVFrame& f = *frame;
        if (f.width <= 0 || f.height <= 0 || uint64_t(f.width) * uint64_t(f.height) > maxVideoPixels())
            return Error{"the video frame's size is out of range"};
        auto cut = [](int size, int declared) { return size > declared && size - declared < 16 ? declared : size; };
        const int width = cut(f.width, options.displayWidth), height = cut(f.height, options.displayHeight);
        scaler.reset(sws_getCachedContext(scaler.release(), width, height, AVPixelFormat(f.format), width, height,
                                          AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler) return Error{"the video frame's pixel format cannot be converted"};
        // The converter writes whole vector widths, so it works in a buffer of aligned,
        // padded rows; the picture takes the rows' pixels from there.
        const int stride = (width * 4 + 63) & ~63;
        converted.resize(size_t(stride) * size_t(height) + 64);
        uint8_t* base = converted.data() + ((64 - reinterpret_cast<uintptr_t>(converted.data()) % 64) % 64);
        uint8_t* dst[4] = {base, nullptr, nullptr, nullptr};
        int dstStride[4] = {stride, 0, 0, 0};
        if (sws_scale(scaler.get(), f.data, f.linesize, 0, height, dst, dstStride) != height)
            return Error{"the video frame could not be converted"};
        auto bmp = std::make_shared<Bitmap>();
        bmp->width = width;
        bmp->height = height;
        bmp->pixels.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(bmp->pixels.data() + size_t(y) * size_t(width), base + size_t(y) * size_t(stride),
                        size_t(width) * 4);
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(f.format));
        if (desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA)) {
            // The renderer takes premultiplied colour.
            for (uint32_t& px : bmp->pixels) {
                const uint32_t a = px >> 24;
                if (a == 255) continue;
                auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
                px = (a << 24) | (mul((px >> 16) & 0xff) << 16) | (mul((px >> 8) & 0xff) << 8) | mul(px & 0xff);
            }
        }
        return BitmapPtr(std::move(bmp));
    }
};

VideoDecoder::VideoDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
VideoDecoder::~VideoDecoder() = default;

Result<std::unique_ptr<VideoDecoder>> VideoDecoder::create(VideoCodec codec, const VideoDecoderOptions& options) {
    quietLibrary();
    auto s = std::make_unique<State>();
    s->codec = codec;
    s->options = options;
    s->decoder = avcodec_find_decoder(codecId(codec));
    if (!s->decoder) return Error{"this video codec is not available"};
    if (!s->frame || !s->packet || !s->open()) return Error{"the video decoder could not be started"};
    return std::unique_ptr<VideoDecoder>(new VideoDecoder(std::move(s)));
}

VideoCodec VideoDecoder::codec() const { return state_->codec; }

void VideoDecoder::reset() {
    // A fresh context: some decoders keep more than flushing forgets (the screen video
    // key frame, the VP6 golden frame).
    if (!state_->open()) state_->context.reset();
}

Result<BitmapPtr> VideoDecoder::decode(std::span<const uint8_t> data, bool keyFrame, bool wantPicture) {
    State& s = *state_;
    if (!s.context) return Error{"the video decoder could not be started"};
    if (data.empty()) return Error{"the video frame is empty"};
    const VideoPacketInfo info = readVideoPacket(s.codec, data);
    if (!info.valid) return Error{"the video frame's header is damaged"};
    if (uint64_t(info.width) * uint64_t(info.height) > maxVideoPixels())
        return Error{"the video frame's size is out of range"};
    if (data.size() > size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return Error{"the video frame is too large"};
    // The decoder reads a little past the end of its input, so it gets a padded copy.
    if (av_new_packet(s.packet.get(), static_cast<int>(data.size())) < 0) return Error{"out of memory"};
    std::copy(data.begin(), data.end(), s.packet->data);
    if (keyFrame) s.packet->flags |= AV_PKT_FLAG_KEY;
    int rc = avcodec_send_packet(s.context.get(), s.packet.get());
    av_packet_unref(s.packet.get());
    if (rc < 0) return Error{"the video frame does not decode"};
    rc = avcodec_receive_frame(s.context.get(), s.frame.get());
    if (rc < 0) return Error{"the video frame gave no picture"};
    Result<BitmapPtr> out = BitmapPtr{};
    if (wantPicture) out = s.picture();
    av_frame_unref(s.frame.get());
    return out;
}

} // namespace swf
