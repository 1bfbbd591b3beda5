#include "swf/display/video_instance.h"

#include "swf/media/video_decoder.h"

#include <algorithm>

namespace swf {

VideoInstance::VideoInstance(const VideoDef& video) : video_(video) {}
VideoInstance::~VideoInstance() = default;

bool VideoInstance::decodeOne(int number, bool wantPicture) {
    auto it = video_.frames.find(static_cast<uint16_t>(number));
    if (it == video_.frames.end()) return false;
    last_ = number;
    ++decoded_;
    auto r = decoder_->decode(it->second.data, it->second.keyFrame, wantPicture);
    if (auto* pic = std::get_if<BitmapPtr>(&r); pic && *pic) {
        picture_ = *pic;
        return true;
    }
    return false;
}

BitmapPtr VideoInstance::frame(int n) {
    std::lock_guard lock(mutex_);
    if (failed_ || !video_.decodable()) return nullptr;
    n = std::clamp(n, 0, 65535);
    if (n == shown_) return picture_;
    if (!decoder_) {
        VideoDecoderOptions options;
        options.deblocking = video_.deblocking;
        options.displayWidth = video_.width;
        options.displayHeight = video_.height;
        auto d = VideoDecoder::create(video_.codec(), options);
        if (auto* dec = std::get_if<std::unique_ptr<VideoDecoder>>(&d)) {
            decoder_ = std::move(*dec);
        } else {
            failed_ = true;
            return nullptr;
        }
    }
    // The frame with data that frame n shows.
    auto target = video_.frames.upper_bound(static_cast<uint16_t>(n));
    if (target == video_.frames.begin()) return picture_;
    const int want = std::prev(target)->first;
    if (want == last_) {
        shown_ = n;
        return picture_;
    }
    // Carry on from the frames decoded so far when no key frame lies between them and
    // the target; start again at the key frame otherwise.
    int from = video_.keyFrameFor(want);
    if (last_ >= 0 && want > last_ && from <= last_) from = last_ + 1;
    else if (last_ >= 0) decoder_->reset();
    from = std::max(from, want - kMaxCatchUp + 1);
    auto decodeRun = [&](bool everyPicture) {
        bool good = false;
        for (auto it = video_.frames.lower_bound(static_cast<uint16_t>(from));
             it != video_.frames.end() && it->first <= want; ++it)
            good = decodeOne(it->first, everyPicture || it->first == want);
        return good;
    };
    if (!decodeRun(false) && from < want) {
        // The target did not decode: decode the run again, keeping every picture, so the
        // last frame that did decode is shown. Only broken streams pay for this.
        decoder_->reset();
        decodeRun(true);
    }
    last_ = want;
    shown_ = n;
    return picture_;
}

} // namespace swf
