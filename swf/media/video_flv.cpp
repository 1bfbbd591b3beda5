// FLV files through libavformat: packets in file order, video decoded up to the time
// asked for, sound decoded along the way and handed to the mixer in its format.
#include "swf/media/video_source.h"

#include "swf/format/limits.h"
#include "swf/media/sound_codecs.h"
#include "swf/media/video_av.h"
#include "swf/media/video_decoder.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <optional>
#include <utility>

namespace swf {
namespace {

struct FormatClose {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};

// Bounds on one call's work, whatever the file holds.
constexpr int kMaxPacketsPerCall = 4096;
constexpr size_t kMaxHeldAudioFrames = size_t(kMixRate) * 10;
// A jump ahead further than this seeks instead of decoding on.
constexpr double kSeekAhead = 2.0;

int16_t toS16(float v) { return static_cast<int16_t>(std::clamp(v, -1.0f, 1.0f) * 32767.0f); }

// One or two channels of a decoded sound frame, interleaved 16-bit.
std::vector<int16_t> interleaved(const AVFrame& f, int channels) {
    std::vector<int16_t> out;
    const int n = f.nb_samples;
    if (n <= 0 || channels <= 0) return out;
    out.reserve(size_t(n) * size_t(channels));
    const int all = f.ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(f.format));
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) {
            const int plane = planar ? c : 0;
            const int index = planar ? i : i * all + c;
            const uint8_t* d = f.extended_data[plane];
            switch (AVSampleFormat(f.format)) {
            case AV_SAMPLE_FMT_S16:
            case AV_SAMPLE_FMT_S16P:
                out.push_back(reinterpret_cast<const int16_t*>(d)[index]);
                break;
            case AV_SAMPLE_FMT_FLT:
            case AV_SAMPLE_FMT_FLTP:
                out.push_back(toS16(reinterpret_cast<const float*>(d)[index]));
                break;
            case AV_SAMPLE_FMT_S32:
            case AV_SAMPLE_FMT_S32P:
                out.push_back(static_cast<int16_t>(reinterpret_cast<const int32_t*>(d)[index] >> 16));
                break;
            case AV_SAMPLE_FMT_U8:
            case AV_SAMPLE_FMT_U8P:
                out.push_back(static_cast<int16_t>((d[index] - 128) << 8));
                break;
            default:
                out.push_back(0);
                break;
            }
        }
    return out;
}

class FlvSource : public VideoSource {
public:
    bool open(const std::filesystem::path& path, std::string& error) {
        av::quietLibraries();
        AVFormatContext* raw = avformat_alloc_context();
        if (!raw) return fail(error, "out of memory");
        raw->probesize = 1 << 20;
        raw->max_analyze_duration = 5 * AV_TIME_BASE;
        if (avformat_open_input(&raw, path.c_str(), av_find_input_format("flv"), nullptr) < 0)
            return fail(error, "the file is not a readable FLV video");
        format_.reset(raw);
        if (avformat_find_stream_info(format_.get(), nullptr) < 0) return fail(error, "the FLV file is damaged");
        video_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        audio_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (video_ >= 0) {
            const AVStream* s = format_->streams[video_];
            videoCodec_ = av::openDecoder(avcodec_find_decoder(s->codecpar->codec_id), s->codecpar);
            if (!videoCodec_ || s->codecpar->width <= 0 || s->codecpar->height <= 0 ||
                uint64_t(s->codecpar->width) * uint64_t(s->codecpar->height) > maxVideoPixels())
                video_ = -1, videoCodec_.reset();
            else
                width_ = s->codecpar->width, height_ = s->codecpar->height;
        }
        if (audio_ >= 0) {
            const AVStream* s = format_->streams[audio_];
            audioCodec_ = av::openDecoder(avcodec_find_decoder(s->codecpar->codec_id), s->codecpar);
            const int rate = s->codecpar->sample_rate;
            if (!audioCodec_ || rate < 1000 || rate > 192000) {
                audio_ = -1;
                audioCodec_.reset();
            }
        }
        if (video_ < 0 && audio_ < 0) return fail(error, "the FLV file has no video or sound that can be played");
        if (format_->duration > 0) duration_ = double(format_->duration) / AV_TIME_BASE;
        return packet_ && frame_ && latest_ && pending_;
    }

    int width() const override { return width_; }
    int height() const override { return height_; }
    bool hasAudio() const override { return audio_ >= 0; }
    double duration() const override { return duration_; }

    BitmapPtr frameAt(double seconds) override {
        seconds = std::max(0.0, seconds);
        if (seconds < position_ || seconds > position_ + kSeekAhead) seek(seconds);
        readUntil(seconds);
        position_ = seconds;
        return picture_;
    }

    StereoPcm takeAudio() override { return std::exchange(audioOut_, {}); }

private:
    static bool fail(std::string& error, const char* message) {
        error = message;
        return false;
    }

    double seconds(const AVStream* s, int64_t ts) const {
        return ts == AV_NOPTS_VALUE ? -1 : double(ts) * av_q2d(s->time_base);
    }

    void seek(double t) {
        const int stream = video_ >= 0 ? video_ : audio_;
        const AVStream* s = format_->streams[stream];
        const auto ts = static_cast<int64_t>(t / av_q2d(s->time_base));
        if (av_seek_frame(format_.get(), stream, ts, AVSEEK_FLAG_BACKWARD) < 0)
            av_seek_frame(format_.get(), stream, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_BYTE);
        if (videoCodec_) avcodec_flush_buffers(videoCodec_.get());
        if (audioCodec_) avcodec_flush_buffers(audioCodec_.get());
        av_frame_unref(pending_.get());
        av_frame_unref(latest_.get());
        havePending_ = haveLatest_ = false;
        resampler_.reset();
        audioOut_.clear();
        ended_ = false;
        audioSkipUntil_ = t;
    }

    // The latest frame at or before the time becomes the picture (the last good one stays
    // when it does not convert).
    void show(AVFrame& f) {
        auto r = converter_.convert(f);
        if (auto* pic = std::get_if<BitmapPtr>(&r)) picture_ = *pic;
        av_frame_unref(&f);
    }

    void readUntil(double t) {
        if (havePending_ && pendingTime_ <= t) {
            havePending_ = false;
            av_frame_unref(latest_.get());
            av_frame_move_ref(latest_.get(), pending_.get());
            haveLatest_ = true;
        }
        for (int n = 0; n < kMaxPacketsPerCall && !ended_ && !havePending_; ++n) {
            if (av_read_frame(format_.get(), packet_.get()) < 0) {
                ended_ = true;
                if (videoCodec_) decodeVideo(nullptr, t); // the frames the decoder still holds
                break;
            }
            const int index = packet_->stream_index;
            const AVStream* s = format_->streams[index];
            const double time = seconds(s, packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts);
            bool past = false;
            if (index == video_) {
                decodeVideo(packet_.get(), t);
            } else if (index == audio_) {
                decodeAudio(time);
                past = video_ < 0 && time > t;
            }
            av_packet_unref(packet_.get());
            if (past) break;
        }
        if (haveLatest_) {
            haveLatest_ = false;
            show(*latest_);
        }
    }

    // Only the picture that will be shown is converted: the last frame at or before t;
    // the first one after it waits for its time.
    void decodeVideo(const AVPacket* packet, double t) {
        if (avcodec_send_packet(videoCodec_.get(), packet) < 0) return;
        const AVStream* s = format_->streams[video_];
        while (avcodec_receive_frame(videoCodec_.get(), frame_.get()) == 0) {
            const double time = seconds(s, frame_->best_effort_timestamp);
            if (time <= t) {
                av_frame_unref(latest_.get());
                av_frame_move_ref(latest_.get(), frame_.get());
                haveLatest_ = true;
            } else if (!havePending_) {
                av_frame_move_ref(pending_.get(), frame_.get());
                pendingTime_ = time;
                havePending_ = true;
            } else {
                av_frame_unref(frame_.get()); // a second frame past t from one packet: not shown
            }
        }
    }

    void decodeAudio(double time) {
        if (time >= 0 && time + 0.5 < audioSkipUntil_) return; // before the jump's target
        if (avcodec_send_packet(audioCodec_.get(), packet_.get()) < 0) return;
        while (avcodec_receive_frame(audioCodec_.get(), frame_.get()) == 0) {
            const int channels = std::min(2, frame_->ch_layout.nb_channels);
            if (channels > 0 && frame_->sample_rate >= 1000) {
                if (!resampler_ || resampler_->channels() != channels ||
                    resampler_->rateHalfHz() != uint32_t(frame_->sample_rate) * 2)
                    resampler_.emplace(uint32_t(frame_->sample_rate) * 2, channels);
                resampler_->push(interleaved(*frame_, channels), audioOut_);
                // Sound nobody takes is not kept for ever.
                if (frameCount(audioOut_) > kMaxHeldAudioFrames)
                    audioOut_.erase(audioOut_.begin(), audioOut_.end() - long(kMaxHeldAudioFrames * 2));
            }
            av_frame_unref(frame_.get());
        }
    }

    std::unique_ptr<AVFormatContext, FormatClose> format_;
    int video_ = -1, audio_ = -1;
    av::CodecContextPtr videoCodec_, audioCodec_;
    av::PacketPtr packet_{av_packet_alloc()};
    av::FramePtr frame_{av_frame_alloc()};
    av::PictureConverter converter_;
    int width_ = 0, height_ = 0;
    double duration_ = 0;
    double position_ = 0;
    bool ended_ = false;
    BitmapPtr picture_;
    av::FramePtr latest_{av_frame_alloc()}, pending_{av_frame_alloc()};
    bool haveLatest_ = false, havePending_ = false;
    double pendingTime_ = 0;
    std::optional<sound::Resampler> resampler_;
    StereoPcm audioOut_;
    double audioSkipUntil_ = 0;
};

} // namespace

Result<std::unique_ptr<VideoSource>> openFlvFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Error{"cannot open " + path.filename().string()};
    auto source = std::make_unique<FlvSource>();
    std::string error;
    if (!source->open(path, error)) return Error{error};
    return std::unique_ptr<VideoSource>(std::move(source));
}

} // namespace swf
