#include "master_switch.h"

#include <alsa/asoundlib.h>

void MasterSwitch::Close::operator()(snd_mixer_t* mixer) const {
    snd_mixer_close(mixer);
}

MasterSwitch::MasterSwitch(const std::string& device) {
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0) return;
    std::unique_ptr<snd_mixer_t, Close> mixer(raw);
    if (snd_mixer_attach(raw, device.c_str()) < 0 ||
        snd_mixer_selem_register(raw, nullptr, nullptr) < 0 || snd_mixer_load(raw) < 0)
        return;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, "Master");
    snd_mixer_elem_t* elem = snd_mixer_find_selem(raw, id);
    if (!elem || !snd_mixer_selem_has_playback_switch(elem)) return;
    mixer_ = std::move(mixer);
    elem_ = elem;
}

MasterSwitch::~MasterSwitch() = default;

bool MasterSwitch::on() {
    if (!elem_) return true;
    // Takes in changes made by other programs since the last look.
    snd_mixer_handle_events(mixer_.get());
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (!snd_mixer_selem_has_playback_channel(elem_, channel)) continue;
        int value = 1;
        return snd_mixer_selem_get_playback_switch(elem_, channel, &value) < 0 || value != 0;
    }
    return true;
}
