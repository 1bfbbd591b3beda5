#include "pcm_device.h"

#include "swf/media/sound_decode.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace {

// Failed writes in a row, each recovered, after which the device counts as gone.
constexpr int kMaxRecoveries = 8;

} // namespace

void PcmDevice::Close::operator()(snd_pcm_t* pcm) const {
    snd_pcm_close(pcm);
}

std::unique_ptr<PcmDevice> PcmDevice::open(const std::string& name,
                                           std::chrono::microseconds latency) {
    snd_pcm_t* raw = nullptr;
    // Opened without blocking so that a busy device fails instead of waiting; writes block.
    if (snd_pcm_open(&raw, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    std::unique_ptr<PcmDevice> device(new PcmDevice(raw));
    snd_pcm_uframes_t buffer = 0, period = 0;
    if (snd_pcm_nonblock(raw, 0) < 0 ||
        snd_pcm_set_params(raw, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 2, swf::kMixRate,
                           1, static_cast<unsigned>(latency.count())) < 0 ||
        snd_pcm_get_params(raw, &buffer, &period) < 0)
        return nullptr;
    device->period_ = std::clamp<size_t>(period, 64, 8192);
    device->buffer_ = std::max<int64_t>(static_cast<int64_t>(buffer), device->period_);
    device->reanchor(Clock::now());
    return device;
}

PcmDevice::~PcmDevice() = default;

int64_t PcmDevice::lead(Clock::time_point now) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - anchor_);
    return written_ - anchorFrames_ - elapsed.count() * swf::kMixRate / 1000000;
}

void PcmDevice::reanchor(Clock::time_point now) {
    anchor_ = now;
    anchorFrames_ = written_;
}

bool PcmDevice::write(std::span<const int16_t> samples) {
    const int16_t* data = samples.data();
    auto left = static_cast<snd_pcm_uframes_t>(samples.size() / 2);
    for (int failures = 0; left > 0;) {
        snd_pcm_sframes_t n = snd_pcm_writei(pcm_.get(), data, left);
        if (n == -EAGAIN) {
            snd_pcm_wait(pcm_.get(), 100);
            n = 0;
        }
        if (n < 0) {
            // An underrun or a suspend: the device starts over, and so does the clock.
            if (++failures > kMaxRecoveries ||
                snd_pcm_recover(pcm_.get(), static_cast<int>(n), 1) < 0)
                return false;
            reanchor(Clock::now());
            continue;
        }
        data += 2 * n;
        left -= static_cast<snd_pcm_uframes_t>(n);
        written_ += n;
    }
    // A device that took more than its buffer ahead of real time does not pace itself.
    const auto now = Clock::now();
    const int64_t ahead = lead(now);
    if (ahead < 0) reanchor(now);
    const int64_t excess = ahead - (buffer_ + static_cast<int64_t>(period_));
    if (excess > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(excess * 1000000 / swf::kMixRate));
    return true;
}

int64_t PcmDevice::pending() {
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_.get(), &delay) < 0) delay = 0;
    const int64_t wall = lead(Clock::now());
    return std::clamp<int64_t>(std::max<int64_t>(delay, wall), 0, written_);
}
