// The program's one sound output: ALSA's default PCM at 44100 Hz, 16-bit stereo, fed by a
// thread of its own with the mix of every voice the players start. The device is opened
// when there is something to play and closed again after a spell of silence. Without a
// device everything still works and nothing is heard or printed. The master switch of the
// default mixer (the system mute) silences what is written while it is off.
#pragma once

#include "audio_mixer.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class AudioOutput {
  public:
    using Owner = AudioMixer::Owner;
    using StreamPosition = AudioMixer::StreamPosition;

    struct Options {
        std::string device = "default";
        // Sound written ahead of what is heard.
        std::chrono::milliseconds latency{80};
        // Silence after which the device is closed.
        std::chrono::milliseconds idleClose{2000};
        // After the device failed to open, sounds are dropped this long before it is tried again.
        std::chrono::milliseconds retryAfter{5000};
    };

    // The output every player of the program shares.
    static AudioOutput& instance();

    explicit AudioOutput(Options options);
    AudioOutput() : AudioOutput(Options{}) {}
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // See AudioMixer for what these do; all return at once.
    void startSound(Owner owner, const void* sound, std::shared_ptr<const swf::StereoPcm> pcm,
                    const swf::SoundInfo& info);
    void stopSound(Owner owner, const void* sound);
    void stopSounds(Owner owner);
    void queueStream(Owner owner, swf::StereoPcm pcm);
    void restartStream(Owner owner);

    // The owner's stream as heard now: the clock that keeps pictures in step with stream
    // sound. Nothing while no device plays.
    std::optional<StreamPosition> streamPosition(Owner owner) const;

    // For tests: the device is open / the output has nothing left to do.
    bool deviceOpen() const;
    bool idle() const;

  private:
    class Device;

    void run();
    bool accepting() const; // call with the lock held
    int64_t heardNow() const;
    void wake();

    const Options options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    AudioMixer mixer_;
    bool quit_ = false;
    bool open_ = false;
    std::chrono::steady_clock::time_point retryAt_{};
    int64_t written_ = 0; // frames written to the device, over the whole life of the output
    int64_t heard_ = 0;   // frames heard at heardTime_
    std::chrono::steady_clock::time_point heardTime_{};
    std::thread thread_;
};
