// One video instance on a display list: its decoder and the picture last decoded.
// Pictures are decoded when they are drawn, each encoded frame once while the movie
// plays on; a jump decodes from the key frame before the target, so it shows what
// playing there would show.
#pragma once

#include "swf/display/movie_video.h"
#include "swf/media/bitmap.h"

#include <memory>
#include <mutex>

namespace swf {

class VideoDecoder;

class VideoInstance {
public:
    explicit VideoInstance(const VideoDef& video);
    ~VideoInstance();
    VideoInstance(const VideoInstance&) = delete;
    VideoInstance& operator=(const VideoInstance&) = delete;

    // The picture of frame n (0-based, the placement's ratio): that of the last frame at
    // or before n with data. Null while nothing could be decoded; after a frame that does
    // not decode, the last good picture.
    BitmapPtr frame(int n);

    // How many encoded frames were decoded so far (for tests and benchmarks).
    size_t decodedCount() const { return decoded_; }

    // The most frames one call decodes to catch up with its target.
    static constexpr int kMaxCatchUp = 1024;

private:
    bool decodeOne(int number, bool wantPicture);

    const VideoDef& video_;
    std::unique_ptr<VideoDecoder> decoder_;
    std::mutex mutex_; // drawing may go on off the thread that plays
    int last_ = -1;    // number of the last frame fed to the decoder
    int shown_ = -1;   // number of the frame the picture belongs to
    BitmapPtr picture_;
    size_t decoded_ = 0;
    bool failed_ = false; // no decoder for this stream
};

} // namespace swf
