#include "mixer/cvolume.h"

#include "mixer/alsa_quiet.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QGuiApplication>

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

// Simple mixer elements of each line, in line order, each with the names cards use for it
// instead, tried in turn.
const std::initializer_list<const char*> kElementNames[] = {
    {"Master", "Front"}, {"Mic"}, {"Line"}, {"CD"}, {"Synth", "FM", "Music"}, {"PCM", "Wave"},
};
// The card's tone controls (ALSA's "Tone Control - Bass" and "- Treble").
const char* const kBassElement = "Bass";
const char* const kTrebleElement = "Treble";
// The capture side of the card as a whole; without it the microphone's own.
const char* const kCaptureElement = "Capture";

constexpr int32_t kPanLeft = -32768;
constexpr int32_t kPanRight = 32767;
constexpr int32_t kMeterMax = 32767;
// Samples a meter reading looks at, at most: about a second at 8000 Hz.
constexpr size_t kRecordedKept = 8192;

using Channel = snd_mixer_selem_channel_id_t;

// The element's playback or capture side, whichever a control uses.
struct Side {
    snd_mixer_elem_t* elem;
    bool capture;

    bool hasVolume() const {
        return capture ? snd_mixer_selem_has_capture_volume(elem)
                       : snd_mixer_selem_has_playback_volume(elem);
    }
    bool hasSwitch() const {
        return capture ? snd_mixer_selem_has_capture_switch(elem)
                       : snd_mixer_selem_has_playback_switch(elem);
    }
    bool hasChannel(Channel c) const {
        return capture ? snd_mixer_selem_has_capture_channel(elem, c)
                       : snd_mixer_selem_has_playback_channel(elem, c);
    }
    bool stereo() const {
        const int mono = capture ? snd_mixer_selem_is_capture_mono(elem)
                                 : snd_mixer_selem_is_playback_mono(elem);
        return mono == 0 && hasChannel(SND_MIXER_SCHN_FRONT_LEFT) &&
               hasChannel(SND_MIXER_SCHN_FRONT_RIGHT);
    }
    int range(long& min, long& max) const {
        return capture ? snd_mixer_selem_get_capture_volume_range(elem, &min, &max)
                       : snd_mixer_selem_get_playback_volume_range(elem, &min, &max);
    }
    int volume(Channel c, long& value) const {
        return capture ? snd_mixer_selem_get_capture_volume(elem, c, &value)
                       : snd_mixer_selem_get_playback_volume(elem, c, &value);
    }
    int setVolume(Channel c, long value) const {
        return capture ? snd_mixer_selem_set_capture_volume(elem, c, value)
                       : snd_mixer_selem_set_playback_volume(elem, c, value);
    }
    int setVolumeAll(long value) const {
        return capture ? snd_mixer_selem_set_capture_volume_all(elem, value)
                       : snd_mixer_selem_set_playback_volume_all(elem, value);
    }
    // On while sound passes (or, for capture, while it is recorded).
    int switchOn(Channel c, int& on) const {
        return capture ? snd_mixer_selem_get_capture_switch(elem, c, &on)
                       : snd_mixer_selem_get_playback_switch(elem, c, &on);
    }
    int setSwitchAll(bool on) const {
        return capture ? snd_mixer_selem_set_capture_switch_all(elem, on ? 1 : 0)
                       : snd_mixer_selem_set_playback_switch_all(elem, on ? 1 : 0);
    }
    // The channels the element has on this side, in ALSA's order.
    template <typename F> void forEachChannel(F&& f) const {
        for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c)
            if (hasChannel(static_cast<Channel>(c))) f(static_cast<Channel>(c));
    }
};

snd_mixer_elem_t* findElement(snd_mixer_t* mixer, const char* name) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, name);
    snd_mixer_selem_id_set_index(id, 0);
    return snd_mixer_find_selem(mixer, id);
}

// The balance of two channel volumes above the bottom of their range: the quieter side as
// a share of the louder, towards kPanLeft when the right is quieter, kPanRight when the
// left is.
int32_t balanceOf(long left, long right) {
    if (left == right) return 0;
    if (left > right) return -static_cast<int32_t>((int64_t(-kPanLeft) * (left - right) + left / 2) / left);
    return static_cast<int32_t>((int64_t(kPanRight) * (right - left) + right / 2) / right);
}

// The channel volumes above the bottom of the range for a volume and a balance: the louder
// side gets the volume, the quieter its share.
std::pair<long, long> channelsOf(long volume, int32_t pan) {
    if (pan < 0)
        return {volume, static_cast<long>((int64_t(volume) * (-kPanLeft + pan) - kPanLeft / 2) /
                                          -kPanLeft)};
    if (pan > 0)
        return {static_cast<long>((int64_t(volume) * (kPanRight - pan) + kPanRight / 2) / kPanRight),
                volume};
    return {volume, volume};
}

QString errorTitle() {
    return QGuiApplication::applicationDisplayName() + QStringLiteral(" - Mixercontrol Fehler");
}

} // namespace

void cVolume::MixerClose::operator()(snd_mixer_t* mixer) const {
    snd_mixer_close(mixer);
}

void cVolume::PcmClose::operator()(snd_pcm_t* pcm) const {
    snd_pcm_close(pcm);
}

cVolume::cVolume(platform::MessageBoxes* messages) : messages_(messages) {
    QuietAlsaErrors quiet;
    snd_mixer_t* raw = nullptr;
    lastResult_ = snd_mixer_open(&raw, 0);
    if (lastResult_ < 0) return;
    std::unique_ptr<snd_mixer_t, MixerClose> mixer(raw);
    if ((lastResult_ = snd_mixer_attach(raw, "default")) < 0 ||
        (lastResult_ = snd_mixer_selem_register(raw, nullptr, nullptr)) < 0 ||
        (lastResult_ = snd_mixer_load(raw)) < 0)
        return;
    mixer_ = std::move(mixer);

    for (int k = 0; k < kKindCount; ++k)
        for (int l = 0; l < kLineCount; ++l)
            findControl(static_cast<Line>(l), static_cast<Kind>(k), controls_[k * kLineCount + l]);

    // The input meter listens to what is recorded, where the card can record.
    auto records = [](snd_mixer_elem_t* elem) {
        return elem && (snd_mixer_selem_has_capture_volume(elem) ||
                        snd_mixer_selem_has_capture_switch(elem));
    };
    const Control& mic = control(Kind::Volume, Line::Microphone);
    if (records(findElement(raw, kCaptureElement)) ||
        (mic.element && records(findElement(raw, mic.element))))
        input_ = {-kMeterMax, kMeterMax};
    output_ = {-kMeterMax, kMeterMax};
}

cVolume::~cVolume() {
    QuietAlsaErrors quiet;
    if (running_) stopInput();
    mixer_.reset();
}

const cVolume::Control& cVolume::control(Kind kind, Line line) const {
    return controls_[static_cast<int>(kind) * kLineCount + static_cast<int>(line)];
}

bool cVolume::findControl(Line line, Kind kind, Control& entry) {
    if (!mixer_) return false;
    const char* name = nullptr;
    snd_mixer_elem_t* elem = nullptr;
    if (kind == Kind::Bass || kind == Kind::Treble) {
        // Tone controls belong to the whole card: the speakers line alone has them.
        if (line != Line::Speakers) return false;
        name = kind == Kind::Bass ? kBassElement : kTrebleElement;
        elem = findElement(mixer_.get(), name);
    } else {
        for (const char* candidate : kElementNames[static_cast<int>(line)])
            if ((elem = findElement(mixer_.get(), candidate))) {
                name = candidate;
                break;
            }
    }
    if (!elem) {
        lastResult_ = -ENOENT;
        return false;
    }

    // A microphone that is only recorded offers its capture side instead.
    Side side{elem, false};
    const bool mic = line == Line::Microphone;
    if (kind == Kind::Mute) {
        if (!side.hasSwitch()) side.capture = mic && Side{elem, true}.hasSwitch();
        if (!side.hasSwitch()) return false;
        entry = {name, kind, side.capture, 0, 1};
        return true;
    }
    if (!side.hasVolume()) side.capture = mic && Side{elem, true}.hasVolume();
    if (!side.hasVolume()) return false;
    if (kind == Kind::Pan) {
        if (!side.stereo()) return false;
        entry = {name, kind, side.capture, kPanLeft, kPanRight};
        return true;
    }
    long min = 0, max = 0;
    if ((lastResult_ = side.range(min, max)) < 0) return false;
    entry = {name, kind, side.capture, static_cast<int32_t>(min), static_cast<int32_t>(max)};
    return true;
}

snd_mixer_elem_t* cVolume::element(const Control& entry) {
    if (!entry.element || !mixer_) {
        lastResult_ = -ENOENT;
        return nullptr;
    }
    // Takes in changes made by other programs first: the simple mixer skips a write that
    // matches what it believes the value is. A card that is gone removes its elements here.
    snd_mixer_handle_events(mixer_.get());
    snd_mixer_elem_t* elem = findElement(mixer_.get(), entry.element);
    if (!elem) lastResult_ = -ENODEV;
    return elem;
}

int32_t cVolume::level(Kind kind, Line line) {
    QuietAlsaErrors quiet;
    return getControlValue(line, control(kind, line));
}

void cVolume::setLevel(Kind kind, Line line, int32_t value) {
    QuietAlsaErrors quiet;
    setControlValue(line, control(kind, line), value);
}

bool cVolume::mute(Line line) {
    QuietAlsaErrors quiet;
    return getControlValue(line, control(Kind::Mute, line)) == 1;
}

void cVolume::setMute(Line line, bool muted) {
    QuietAlsaErrors quiet;
    setControlValue(line, control(Kind::Mute, line), muted ? 1 : 0);
}

int32_t cVolume::getControlValue(Line line, const Control& entry) {
    snd_mixer_elem_t* elem = element(entry);
    if (!elem) return 0;
    const Side side{elem, entry.capture};
    if (entry.kind == Kind::Mute) {
        int on = 1;
        bool read = false;
        side.forEachChannel([&](Channel c) {
            if (read) return;
            read = true;
            lastResult_ = side.switchOn(c, on);
        });
        return read && lastResult_ == 0 && !on ? 1 : 0;
    }
    if (entry.kind == Kind::Pan) return pan(line, elem, entry);
    // The louder channel: a balance leaves the volume where it was.
    long level = 0;
    bool read = false;
    side.forEachChannel([&](Channel c) {
        long value = 0;
        if ((lastResult_ = side.volume(c, value)) < 0) return;
        level = read ? std::max(level, value) : value;
        read = true;
    });
    return read ? static_cast<int32_t>(level) : 0;
}

bool cVolume::setControlValue(Line line, const Control& entry, int32_t value) {
    snd_mixer_elem_t* elem = element(entry);
    if (!elem) return false;
    const Side side{elem, entry.capture};
    // Values outside the control's range are dropped, as ALSA drops them.
    if (entry.kind != Kind::Mute && (value < entry.min || value > entry.max)) {
        lastResult_ = -EINVAL;
        return false;
    }
    switch (entry.kind) {
    case Kind::Mute:
        lastResult_ = side.setSwitchAll(value == 0);
        break;
    case Kind::Pan:
        return setChannels(line, elem, control(Kind::Volume, line),
                           getControlValue(line, control(Kind::Volume, line)), value);
    case Kind::Volume:
    case Kind::Fader:
        if (control(Kind::Pan, line).element)
            return setChannels(line, elem, entry, value, pan(line, elem, control(Kind::Pan, line)));
        lastResult_ = side.setVolumeAll(value);
        break;
    case Kind::Bass:
    case Kind::Treble:
        lastResult_ = side.setVolumeAll(value);
        break;
    }
    return lastResult_ >= 0;
}

int32_t cVolume::pan(Line line, snd_mixer_elem_t* elem, const Control& entry) {
    const Side side{elem, entry.capture};
    long left = 0, right = 0;
    if ((lastResult_ = side.volume(SND_MIXER_SCHN_FRONT_LEFT, left)) < 0 ||
        (lastResult_ = side.volume(SND_MIXER_SCHN_FRONT_RIGHT, right)) < 0)
        return 0;
    const Balance& kept = balances_[static_cast<int>(line)];
    if (kept.valid && kept.left == left && kept.right == right) return kept.pan;
    const long bottom = control(Kind::Volume, line).min;
    return balanceOf(left - bottom, right - bottom);
}

// Sets a stereo element's volume with the balance given: front left and right as the
// balance has them, any other channel at the volume itself.
bool cVolume::setChannels(Line line, snd_mixer_elem_t* elem, const Control& volumeEntry,
                          int32_t volume, int32_t pan) {
    const Side side{elem, volumeEntry.capture};
    const long bottom = volumeEntry.min;
    const auto [l, r] = channelsOf(volume - bottom, pan);
    const long left = bottom + l, right = bottom + r;
    if (left == right) {
        lastResult_ = side.setVolumeAll(volume);
    } else {
        lastResult_ = 0;
        side.forEachChannel([&](Channel c) {
            const long value = c == SND_MIXER_SCHN_FRONT_LEFT    ? left
                               : c == SND_MIXER_SCHN_FRONT_RIGHT ? right
                                                                 : long(volume);
            const int result = side.setVolume(c, value);
            if (result < 0) lastResult_ = result;
        });
    }
    if (lastResult_ < 0) return false;
    balances_[static_cast<int>(line)] = {true, pan, left, right};
    return true;
}

// ---- peak meters ----

int32_t cVolume::CurrentVolumeMeterInput() {
    QuietAlsaErrors quiet;
    if (!startInput()) startInput();
    drainInput();
    int32_t peak = 0;
    for (uint8_t sample : recorded_)
        peak = std::max(peak, std::abs(int32_t(sample) - 128));
    recorded_.clear();
    // 8-bit samples scaled to 16 bits; the lowest, −128, is heard as loud as the highest.
    return std::min(peak * 256, input_.max);
}

int32_t cVolume::CurrentVolumeMeterOutput() {
    QuietAlsaErrors quiet;
    drainInput();
    return std::min(played_.take(), output_.max);
}

bool cVolume::startInput() {
    if (running_) return true;
    snd_pcm_t* raw = nullptr;
    // Opened non-blocking and polled by the readings: nothing here ever waits for the device.
    lastResult_ = snd_pcm_open(&raw, "default", SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (lastResult_ < 0) {
        showInputError(lastResult_);
        return false;
    }
    capture_.reset(raw);
    // 8000 Hz mono unsigned 8-bit, with a second of buffer so that readings a second apart
    // lose nothing.
    lastResult_ = snd_pcm_set_params(raw, SND_PCM_FORMAT_U8, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                                     8000, 1, 1000000);
    if (lastResult_ < 0) showInputError(lastResult_);
    running_ = true;
    lastResult_ = snd_pcm_start(raw);
    return true;
}

void cVolume::stopInput() {
    running_ = false;
    if (capture_) snd_pcm_drop(capture_.get());
    capture_.reset();
    recorded_.clear();
}

void cVolume::drainInput() {
    if (!running_ || !capture_) return;
    snd_pcm_t* pcm = capture_.get();
    snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm);
    if (avail < 0) {
        // Overrun (the readings came too far apart) or suspended: record afresh.
        if ((lastResult_ = snd_pcm_recover(pcm, static_cast<int>(avail), 1)) == 0)
            lastResult_ = snd_pcm_start(pcm);
        return;
    }
    auto wanted = static_cast<size_t>(avail);
    if (wanted > kRecordedKept) {
        snd_pcm_forward(pcm, static_cast<snd_pcm_uframes_t>(wanted - kRecordedKept));
        wanted = kRecordedKept;
    }
    // What is there now, and no more: some devices never run dry.
    size_t start = recorded_.size();
    recorded_.resize(start + wanted);
    while (wanted > 0) {
        const snd_pcm_sframes_t got = snd_pcm_readi(pcm, recorded_.data() + start, wanted);
        if (got == -EAGAIN) break;
        if (got < 0) {
            lastResult_ = static_cast<int>(got);
            if (snd_pcm_recover(pcm, lastResult_, 1) == 0) snd_pcm_start(pcm);
            break;
        }
        start += static_cast<size_t>(got);
        wanted -= static_cast<size_t>(got);
    }
    recorded_.resize(start);
    if (recorded_.size() > kRecordedKept)
        recorded_.erase(recorded_.begin(),
                        recorded_.end() - static_cast<std::ptrdiff_t>(kRecordedKept));
}

void cVolume::showInputError(int error) {
    if (showingError_) return;
    showingError_ = true;
    const QString text = QString::fromLocal8Bit(snd_strerror(error));
    if (messages_) {
        messages_->show(errorTitle(), text, platform::MessageIcon::Critical);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        platform::QtMessageBoxes().show(errorTitle(), text, platform::MessageIcon::Critical);
    } else {
        // No windows in this program: the message goes where a console program's would.
        std::fprintf(stderr, "%s: %s\n", qPrintable(errorTitle()), qPrintable(text));
    }
    showingError_ = false;
}
