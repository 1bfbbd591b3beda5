// Decoding of a video stream, one encoded frame after another, into pictures the
// renderer draws like bitmaps. Inter frames build on the frames before them, so a
// decoder keeps its state between calls; reset() before starting again at a key frame.
#pragma once

#include "swf/format/types.h"
#include "swf/media/bitmap.h"
#include "swf/media/video_packet.h"

#include <memory>
#include <span>

namespace swf {

// The largest picture a stream may decode to: that of one bitmap.
uint64_t maxVideoPixels();

struct VideoDecoderOptions {
    // Deblocking as DefineVideoStream gives it: 0 as the stream's frames say, 1 off, 2 and
    // up on. Decoders without a deblocking filter of their own ignore it.
    int deblocking = 0;
    // The size the stream declares. Pictures up to a macroblock larger (VP6 codes whole
    // macroblocks) are cut to it; others keep their own size.
    int displayWidth = 0, displayHeight = 0;
};

class VideoDecoder {
public:
    // A decoder for the codec, or an Error when it cannot be had.
    static Result<std::unique_ptr<VideoDecoder>> create(VideoCodec codec, const VideoDecoderOptions& options = {});
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    VideoCodec codec() const;
    // Decodes one frame. With wantPicture, the picture (straight from the decoder,
    // converted to premultiplied ARGB) is returned; without it only the decoder's state
    // moves on, for frames decoded on the way to the one on show. A frame that does not
    // decode gives an Error and leaves the state for the next key frame.
    Result<BitmapPtr> decode(std::span<const uint8_t> frame, bool keyFrame, bool wantPicture = true);
    // Forgets the frames decoded so far.
    void reset();

    struct State;

private:
    explicit VideoDecoder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace swf
