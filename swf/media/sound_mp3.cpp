#include "swf/media/sound_codecs.h"

#include <mpg123.h>

#include <mutex>
#include <vector>

namespace swf::sound {

namespace {

// Bytes of junk the decoder skips looking for the next frame before it gives up.
constexpr long kResyncLimit = 4096;
constexpr int kMaxIdleCalls = 1024;

struct HandleClose {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

// Length in bytes of the MPEG audio Layer III frame whose header starts `h`; 0 when the
// four bytes are no such header. Only Layer III belongs in a movie, and only well-formed
// frames reach the decoder: other layers' decoders report some faults on stderr.
size_t layer3FrameLength(const uint8_t* h) {
    static const int kbps1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kbps2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int rates[] = {44100, 48000, 32000};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
    const int version = (h[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    const int layer = (h[1] >> 1) & 3;   // 1 is Layer III
    const int bitrate = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
    if (version == 1 || layer != 1 || bitrate == 0 || bitrate == 15 || rateIndex == 3) return 0;
    const int rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int bytes = version == 3 ? 144000 * kbps1[bitrate] / rate : 72000 * kbps2[bitrate] / rate;
    return static_cast<size_t>(bytes + padding);
}

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

struct Mp3Decoder::Handle {
    std::unique_ptr<mpg123_handle, HandleClose> h;
    std::vector<uint8_t> pending; // the start of a frame whose end has not come yet
};

Mp3Decoder::Mp3Decoder() : handle_(std::make_unique<Handle>()) {
    open();
}

Mp3Decoder::~Mp3Decoder() = default;

void Mp3Decoder::open() {
    initLibrary();
    handle_->h.reset();
    handle_->pending.clear();
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleClose> h(mpg123_new(nullptr, &err));
    if (!h) return;
    // Quiet, no gapless trimming (the movie says what to skip), frames decoded as soon as
    // they are complete (blocks carry whole frames), no format changes inside a stream.
    const long flags = MPG123_QUIET | MPG123_NO_READAHEAD | MPG123_NO_FRANKENSTEIN |
                       MPG123_IGNORE_INFOFRAME | MPG123_SKIP_ID3V2;
    if (mpg123_param(h.get(), MPG123_FLAGS, flags, 0.0) != MPG123_OK ||
        mpg123_param(h.get(), MPG123_RESYNC_LIMIT, kResyncLimit, 0.0) != MPG123_OK)
        return;
    // Signed 16-bit output at whatever rate and channel count the frames have.
    if (mpg123_format_none(h.get()) != MPG123_OK ||
        mpg123_format2(h.get(), 0, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return;
    if (mpg123_open_feed(h.get()) != MPG123_OK) return;
    handle_->h = std::move(h);
}

void Mp3Decoder::decode(std::span<const uint8_t> data, size_t maxFrames, const Sink& sink) {
    if (!handle_->h) open();
    mpg123_handle* h = handle_->h.get();
    if (!h) return;
    // Whole frames go to the decoder; junk between them is skipped, and a frame cut off at
    // the end waits for the rest.
    std::vector<uint8_t>& pending = handle_->pending;
    pending.insert(pending.end(), data.begin(), data.end());
    size_t at = 0;
    while (at + 4 <= pending.size()) {
        const size_t length = layer3FrameLength(pending.data() + at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (at + length > pending.size()) break;
        if (mpg123_feed(h, pending.data() + at, length) != MPG123_OK) {
            open();
            return;
        }
        at += length;
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(at));
    size_t frames = 0;
    // Calls that yield nothing (format news, skipped junk) are bounded too.
    for (int idle = 0; frames < maxFrames && idle < kMaxIdleCalls;) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int rc = mpg123_decode_frame(h, &num, &audio, &bytes);
        if (rc == MPG123_NEED_MORE || rc == MPG123_DONE) return;
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
            open(); // a broken stream: start afresh with the next data
            return;
        }
        if (!audio || bytes == 0) {
            ++idle;
            continue;
        }
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK ||
            encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2) || rate <= 0) {
            open();
            return;
        }
        size_t count = bytes / (sizeof(int16_t) * static_cast<size_t>(channels));
        count = std::min(count, maxFrames - frames);
        frames += count;
        sink({reinterpret_cast<const int16_t*>(audio), count * static_cast<size_t>(channels)}, rate,
             channels);
    }
}

} // namespace swf::sound
