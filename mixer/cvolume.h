// The programs' one door to the sound card's mixer: ALSA's default mixer device, seen
// through its simple mixer elements. Six lines are looked up once, at construction:
// the speakers (master output), microphone, line in, compact disc, synthesizer and wave out.
// Without a mixer device (or without one of the lines) the object still works: reads give
// neutral values, writes do nothing, and nothing is ever printed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct _snd_mixer;
struct _snd_mixer_elem;

class cVolume {
  public:
    cVolume();
    ~cVolume();
    cVolume(const cVolume&) = delete;
    cVolume& operator=(const cVolume&) = delete;

    // The mute of the speakers line: true while the master output is muted. Destroying the
    // object leaves the mute as it was last written.
    bool VolumeMute();
    void VolumeMute(bool New_Mute);

  private:
    friend struct cVolumeTestAccess;

    // Lines in table order.
    enum class Line { Speakers, Microphone, LineIn, CompactDisc, Synthesizer, WaveOut };
    static constexpr int kLineCount = 6;
    // Control kinds in table order. A mute control holds 1 for muted and 0 for not muted.
    enum class Kind { Volume, Mute };
    static constexpr int kKindCount = 2;

    // One looked-up control; an entry whose control was not found keeps a null element.
    struct Control {
        _snd_mixer_elem* elem = nullptr;
        Kind kind = Kind::Volume;
        int channel = 0; // the channel that reads report
        long min = 0;
        long max = 0;
    };

    bool findControl(Line line, Kind kind, Control& entry);
    bool setControlValue(const Control& entry, int32_t value);
    int32_t getControlValue(const Control& entry);
    const Control& control(Kind kind, Line line) const;

    struct MixerClose {
        void operator()(_snd_mixer* mixer) const;
    };
    std::unique_ptr<_snd_mixer, MixerClose> mixer_;
    // Result of the last ALSA call: 0 or a negative error code. No property reports it.
    int lastResult_ = 0;
    // Kind-major: the volume controls of the six lines, then their mutes.
    std::array<Control, kKindCount * kLineCount> controls_{};
};
