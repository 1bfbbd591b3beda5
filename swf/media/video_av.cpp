#include "swf/media/video_av.h"

#include "swf/media/video_decoder.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <mutex>

namespace swf::av {

void quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

CodecContextPtr openDecoder(const AVCodec* codec, const AVCodecParameters* parameters) {
    if (!codec) return nullptr;
    CodecContextPtr c(avcodec_alloc_context3(codec));
    if (!c) return nullptr;
    if (parameters && avcodec_parameters_to_context(c.get(), parameters) < 0) return nullptr;
    c->thread_count = 1;
    c->max_pixels = static_cast<int64_t>(maxVideoPixels());
    if (avcodec_open2(c.get(), codec, nullptr) < 0) return nullptr;
    return c;
}

Result<BitmapPtr> PictureConverter::convert(const AVFrame& f, int declaredWidth, int declaredHeight) {
    if (f.width <= 0 || f.height <= 0 || uint64_t(f.width) * uint64_t(f.height) > maxVideoPixels())
        return Error{"the video frame's size is out of range"};
    auto cut = [](int size, int declared) { return declared > 0 && size > declared && size - declared < 16 ? declared : size; };
    const int width = cut(f.width, declaredWidth), height = cut(f.height, declaredHeight);
    scaler_.reset(sws_getCachedContext(scaler_.release(), width, height, AVPixelFormat(f.format), width, height,
                                       AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_) return Error{"the video frame's pixel format cannot be converted"};
    // The converter writes whole vector widths, so it works in a buffer of aligned, padded
    // rows; the picture takes the rows' pixels from there.
    const int stride = (width * 4 + 63) & ~63;
    rows_.resize(size_t(stride) * size_t(height) + 64);
    uint8_t* base = rows_.data() + ((64 - reinterpret_cast<uintptr_t>(rows_.data()) % 64) % 64);
    uint8_t* dst[4] = {base, nullptr, nullptr, nullptr};
    int dstStride[4] = {stride, 0, 0, 0};
    if (sws_scale(scaler_.get(), f.data, f.linesize, 0, height, dst, dstStride) != height)
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

} // namespace swf::av
