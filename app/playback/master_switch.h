// The system mute as the audio output sees it: the playback switch of the "Master" element
// of an ALSA mixer. Used from the output's own thread, which keeps ALSA quiet there.
#pragma once

#include <memory>
#include <string>

struct _snd_mixer;
struct _snd_mixer_elem;

class MasterSwitch {
  public:
    // Looks the element up once. Without a mixer, element or switch it reads as on.
    explicit MasterSwitch(const std::string& device);
    ~MasterSwitch();
    MasterSwitch(const MasterSwitch&) = delete;
    MasterSwitch& operator=(const MasterSwitch&) = delete;

    // False while the master output is switched off (muted), as last changed by anyone.
    bool on();

  private:
    struct Close {
        void operator()(_snd_mixer* mixer) const;
    };
    std::unique_ptr<_snd_mixer, Close> mixer_;
    _snd_mixer_elem* elem_ = nullptr;
};
