#include "mixer/cvolume.h"

#include "mixer/alsa_quiet.h"

#include <alsa/asoundlib.h>

#include <cerrno>

namespace {

// Simple mixer element of each line, in line order.
constexpr std::array<const char*, 6> kElementNames = {"Master", "Mic",   "Line",
                                                      "CD",     "Synth", "PCM"};

// The first playback channel the element has (mono elements have only the first).
int firstPlaybackChannel(snd_mixer_elem_t* elem) {
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c)
        if (snd_mixer_selem_has_playback_channel(elem,
                                                 static_cast<snd_mixer_selem_channel_id_t>(c)))
            return c;
    return 0;
}

} // namespace

void cVolume::MixerClose::operator()(snd_mixer_t* mixer) const {
    snd_mixer_close(mixer);
}

cVolume::cVolume() {
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
}

cVolume::~cVolume() {
    QuietAlsaErrors quiet;
    mixer_.reset();
}

bool cVolume::VolumeMute() {
    QuietAlsaErrors quiet;
    return getControlValue(control(Kind::Mute, Line::Speakers)) == 1;
}

void cVolume::VolumeMute(bool New_Mute) {
    QuietAlsaErrors quiet;
    setControlValue(control(Kind::Mute, Line::Speakers), New_Mute ? 1 : 0);
}

const cVolume::Control& cVolume::control(Kind kind, Line line) const {
    return controls_[static_cast<int>(kind) * kLineCount + static_cast<int>(line)];
}

bool cVolume::findControl(Line line, Kind kind, Control& entry) {
    if (!mixer_) return false;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, kElementNames[static_cast<int>(line)]);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer_.get(), id);
    if (!elem) {
        lastResult_ = -ENOENT;
        return false;
    }
    Control found{elem, kind, firstPlaybackChannel(elem), 0, 1};
    if (kind == Kind::Volume) {
        if (!snd_mixer_selem_has_playback_volume(elem)) return false;
        lastResult_ = snd_mixer_selem_get_playback_volume_range(elem, &found.min, &found.max);
        if (lastResult_ < 0) return false;
    } else if (!snd_mixer_selem_has_playback_switch(elem)) {
        return false;
    }
    entry = found;
    return true;
}

// Mutes are kept by ALSA as playback switches, which are on while sound passes.
bool cVolume::setControlValue(const Control& entry, int32_t value) {
    if (!entry.elem) {
        lastResult_ = -ENOENT;
        return false;
    }
    // Take in changes made by other programs first: the simple mixer skips a write that
    // matches what it believes the value is.
    snd_mixer_handle_events(mixer_.get());
    if (entry.kind == Kind::Mute)
        lastResult_ = snd_mixer_selem_set_playback_switch_all(entry.elem, value != 0 ? 0 : 1);
    else
        lastResult_ = snd_mixer_selem_set_playback_volume_all(entry.elem, value);
    return lastResult_ >= 0;
}

int32_t cVolume::getControlValue(const Control& entry) {
    if (!entry.elem) {
        lastResult_ = -ENOENT;
        return 0;
    }
    snd_mixer_handle_events(mixer_.get());
    const auto channel = static_cast<snd_mixer_selem_channel_id_t>(entry.channel);
    if (entry.kind == Kind::Mute) {
        int on = 1;
        lastResult_ = snd_mixer_selem_get_playback_switch(entry.elem, channel, &on);
        return lastResult_ == 0 && !on ? 1 : 0;
    }
    long level = 0;
    lastResult_ = snd_mixer_selem_get_playback_volume(entry.elem, channel, &level);
    return lastResult_ == 0 ? static_cast<int32_t>(level) : 0;
}
