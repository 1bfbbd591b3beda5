#include "audio_output.h"

#include "master_switch.h"
#include "pcm_device.h"

#include "mixer/output_peaks.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How often the writer looks at the system mute.
constexpr auto kMuteCheckInterval = std::chrono::milliseconds(100);

// ALSA reports problems (no card, a broken configuration) on stderr unless told otherwise.
// This handler applies to the writer thread only, so other users of ALSA keep theirs.
void ignoreAlsaError(const char*, int, const char*, int, const char*, va_list) {}

} // namespace

// alsa/error.h declares snd_lib_error_set_local outside its extern "C" block, so C++ would
// look for a mangled name; this declaration binds to the library's plain one.
snd_local_error_handler_t
setThreadAlsaErrorHandler(snd_local_error_handler_t handler) __asm__("snd_lib_error_set_local");

AudioOutput& AudioOutput::instance() {
    static AudioOutput output;
    return output;
}

AudioOutput::AudioOutput(Options options) : options_(std::move(options)) {
    thread_ = std::thread([this] { run(); });
}

AudioOutput::~AudioOutput() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool AudioOutput::accepting() const {
    return open_ || Clock::now() >= retryAt_;
}

void AudioOutput::startSound(Owner owner, const void* sound,
                             std::shared_ptr<const swf::StereoPcm> pcm,
                             const swf::SoundInfo& info) {
    std::lock_guard lock(mutex_);
    if (!accepting()) return;
    mixer_.startSound(owner, sound, std::move(pcm), info);
    wake_.notify_all();
}

void AudioOutput::stopSound(Owner owner, const void* sound) {
    std::lock_guard lock(mutex_);
    mixer_.stopSound(owner, sound);
}

void AudioOutput::stopSounds(Owner owner) {
    std::lock_guard lock(mutex_);
    mixer_.stopSounds(owner);
}

void AudioOutput::queueStream(Owner owner, swf::StereoPcm pcm) {
    std::lock_guard lock(mutex_);
    if (!accepting()) return;
    mixer_.queueStream(owner, std::move(pcm));
    wake_.notify_all();
}

void AudioOutput::restartStream(Owner owner) {
    std::lock_guard lock(mutex_);
    mixer_.restartStream(owner);
}

int64_t AudioOutput::heardNow() const {
    if (!open_) return written_;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - heardTime_);
    return std::min(written_, heard_ + elapsed.count() * swf::kMixRate / 1000000);
}

std::optional<AudioOutput::StreamPosition> AudioOutput::streamPosition(Owner owner) const {
    std::lock_guard lock(mutex_);
    if (!accepting()) return std::nullopt;
    return mixer_.streamPosition(owner, heardNow());
}

bool AudioOutput::deviceOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool AudioOutput::idle() const {
    std::lock_guard lock(mutex_);
    return !open_ && !mixer_.active();
}

void AudioOutput::run() {
    setThreadAlsaErrorHandler(ignoreAlsaError);
    std::unique_ptr<PcmDevice> device;
    std::unique_ptr<MasterSwitch> master;
    std::vector<int16_t> buffer;
    Clock::time_point lastSound, nextMuteCheck;
    bool muted = false;

    std::unique_lock lock(mutex_);
    // Ends the device; everything written counts as heard.
    auto close = [&](bool failed) {
        open_ = false;
        heard_ = written_;
        mixer_.heardUpTo(written_);
        if (failed) {
            retryAt_ = Clock::now() + options_.retryAfter;
            mixer_.clear();
        }
        lock.unlock();
        master.reset();
        device.reset();
        lock.lock();
    };
    while (!quit_) {
        if (!device) {
            wake_.wait(lock, [&] { return quit_ || mixer_.active(); });
            if (quit_) break;
            lock.unlock();
            device = PcmDevice::open(options_.device, options_.latency);
            if (device) master = std::make_unique<MasterSwitch>(options_.device);
            lock.lock();
            if (!device) {
                close(true);
                continue;
            }
            open_ = true;
            heard_ = written_;
            heardTime_ = lastSound = nextMuteCheck = Clock::now();
            buffer.assign(2 * device->periodFrames(), 0);
        }
        const auto now = Clock::now();
        if (mixer_.active())
            lastSound = now;
        else if (now - lastSound >= options_.idleClose) {
            close(false);
            continue;
        }
        mixer_.mix(buffer, written_);
        lock.unlock();
        if (now >= nextMuteCheck) {
            muted = !master->on();
            nextMuteCheck = now + kMuteCheckInterval;
        }
        if (muted) std::fill(buffer.begin(), buffer.end(), 0);
        mixer::publishOutputPeak(buffer); // for the mixer's output meter
        const bool ok = device->write(buffer);
        const int64_t pending = ok ? device->pending() : 0;
        lock.lock();
        written_ += static_cast<int64_t>(buffer.size() / 2);
        if (!ok) {
            close(true);
            continue;
        }
        heard_ = written_ - pending;
        heardTime_ = Clock::now();
        mixer_.heardUpTo(heard_);
    }
    close(false);
}
