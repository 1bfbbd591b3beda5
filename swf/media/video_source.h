// A video file played by time, for scripted movies that show one in a video object:
// pictures by time from the start and the sound read along with them.
#pragma once

#include "swf/format/types.h"
#include "swf/media/bitmap.h"
#include "swf/media/sound_decode.h"

#include <filesystem>
#include <memory>

namespace swf {

class VideoSource {
public:
    virtual ~VideoSource() = default;

    bool hasVideo() const { return width() > 0; }
    virtual int width() const = 0; // 0 without a video stream
    virtual int height() const = 0;
    virtual bool hasAudio() const = 0;
    virtual double duration() const = 0; // seconds; 0 when the file does not say

    // The picture on show at the given time: the last frame starting at or before it.
    // Playing on decodes each frame once; a jump back, or far ahead, starts again at the
    // key frame before the time, so it shows what playing there shows. Null before the
    // first picture; after a frame that does not decode, the last good one.
    virtual BitmapPtr frameAt(double seconds) = 0;
    // The sound of the data read so far and not taken yet, as the mixer takes it. A jump
    // drops what was not taken.
    virtual StereoPcm takeAudio() = 0;
};

// A local FLV file (Sorenson H.263, screen video, VP6, H.264; MP3, AAC and the other
// sound codecs the library reads). An Error names the problem in a short sentence.
Result<std::unique_ptr<VideoSource>> openFlvFile(const std::filesystem::path& path);

} // namespace swf
