#include "swf/media/video_decoder.h"

#include "swf/format/limits.h"
#include "swf/media/video_av.h"

#include <algorithm>

namespace swf {
namespace {

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

} // namespace

uint64_t maxVideoPixels() { return limits::kMaxBitmapPixels; }

struct VideoDecoder::State {
    VideoCodec codec;
    VideoDecoderOptions options;
    const AVCodec* decoder = nullptr;
    av::CodecContextPtr context;
    av::FramePtr frame{av_frame_alloc()};
    av::PacketPtr packet{av_packet_alloc()};
    av::PictureConverter converter;

    bool open() {
        context = av::openDecoder(decoder);
        if (context && options.deblocking == 1) context->skip_loop_filter = AVDISCARD_ALL;
        return context != nullptr;
    }
};

VideoDecoder::VideoDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
VideoDecoder::~VideoDecoder() = default;

Result<std::unique_ptr<VideoDecoder>> VideoDecoder::create(VideoCodec codec, const VideoDecoderOptions& options) {
    av::quietLibraries();
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
    state_->open();
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
    if (wantPicture) out = s.converter.convert(*s.frame, s.options.displayWidth, s.options.displayHeight);
    av_frame_unref(s.frame.get());
    return out;
}

} // namespace swf
