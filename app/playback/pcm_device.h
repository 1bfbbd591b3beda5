// An open ALSA playback PCM taking 44100 Hz interleaved 16-bit stereo. Writes wait while the
// device is full; a device that never fills (a null or file PCM) is paced by the clock
// instead, so that it too plays in real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct _snd_pcm;

class PcmDevice {
  public:
    // Nothing when the device cannot be opened or set up.
    static std::unique_ptr<PcmDevice> open(const std::string& name,
                                           std::chrono::microseconds latency);
    ~PcmDevice();
    PcmDevice(const PcmDevice&) = delete;
    PcmDevice& operator=(const PcmDevice&) = delete;

    // Frames best written at a time.
    size_t periodFrames() const { return period_; }
    // Writes every frame, recovering from underruns. False when the device has failed.
    bool write(std::span<const int16_t> samples);
    // Frames written but not yet heard.
    int64_t pending();

  private:
    using Clock = std::chrono::steady_clock;
    struct Close {
        void operator()(_snd_pcm* pcm) const;
    };
    explicit PcmDevice(_snd_pcm* pcm) : pcm_(pcm) {}
    // Written frames beyond what real time has consumed since the anchor.
    int64_t lead(Clock::time_point now) const;
    void reanchor(Clock::time_point now);

    std::unique_ptr<_snd_pcm, Close> pcm_;
    size_t period_ = 1024;
    int64_t buffer_ = 4096;
    int64_t written_ = 0;
    Clock::time_point anchor_{};
    int64_t anchorFrames_ = 0;
};
