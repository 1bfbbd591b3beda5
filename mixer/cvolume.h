// The programs' one door to the sound card's mixer: ALSA's default mixer device, seen
// through its simple mixer elements. Six lines are looked up once, at construction: the
// speakers (master output), microphone, line in, compact disc, synthesizer and wave out,
// each with six kinds of control: volume, mute, fader, bass, treble and pan. Two peak meters
// go with them: the input meter records from the default capture device, the output meter
// follows what the program itself plays (mixer/output_peaks.h).
//
// Levels pass unscaled in the element's own raw range. The fader is the element's volume
// too. Bass and treble are the card's tone controls, which belong to the whole card and so
// to the speakers line alone. Pan is the balance between the left and right channel
// volumes, −32768 (left only) to 32767 (right only), 0 centred; a volume write keeps it.
// A control the card lacks (or a mono element's pan) reads 0 in every property and ignores
// writes. Without a mixer device the object still works: reads give 0, writes do nothing,
// and nothing is printed.
//
// Only the input meter can show a message: when the capture device cannot be opened, a
// critical message box titled "<application's display name> - Mixercontrol Fehler" tells
// why, and the reading is taken all the same.
#pragma once

#include "mixer/output_peaks.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct _snd_mixer;
struct _snd_mixer_elem;
struct _snd_pcm;

namespace platform {
class MessageBoxes;
}

class cVolume {
  public:
    // Messages go to `messages`; without one, to a message box of the application's own.
    explicit cVolume(platform::MessageBoxes* messages = nullptr);
    ~cVolume();
    cVolume(const cVolume&) = delete;
    cVolume& operator=(const cVolume&) = delete;

    // ---- ranges, as found at construction ----
    int32_t VolumeMin() const { return min(Kind::Volume, Line::Speakers); }
    int32_t MicMin() const { return min(Kind::Volume, Line::Microphone); }
    int32_t LineMin() const { return min(Kind::Volume, Line::LineIn); }
    int32_t CDMin() const { return min(Kind::Volume, Line::CompactDisc); }
    int32_t SynMin() const { return min(Kind::Volume, Line::Synthesizer); }
    int32_t WaveMin() const { return min(Kind::Volume, Line::WaveOut); }
    int32_t VolumeMax() const { return max(Kind::Volume, Line::Speakers); }
    int32_t MicMax() const { return max(Kind::Volume, Line::Microphone); }
    int32_t LineMax() const { return max(Kind::Volume, Line::LineIn); }
    int32_t CDMax() const { return max(Kind::Volume, Line::CompactDisc); }
    int32_t SynMax() const { return max(Kind::Volume, Line::Synthesizer); }
    int32_t WaveMax() const { return max(Kind::Volume, Line::WaveOut); }

    int32_t VolFadMin() const { return min(Kind::Fader, Line::Speakers); }
    int32_t MicFaderMin() const { return min(Kind::Fader, Line::Microphone); }
    int32_t LineFaderMin() const { return min(Kind::Fader, Line::LineIn); }
    int32_t CDFaderMin() const { return min(Kind::Fader, Line::CompactDisc); }
    int32_t SynFaderMin() const { return min(Kind::Fader, Line::Synthesizer); }
    int32_t WaveFaderMin() const { return min(Kind::Fader, Line::WaveOut); }
    int32_t VolFaderMax() const { return max(Kind::Fader, Line::Speakers); }
    int32_t MicFaderMax() const { return max(Kind::Fader, Line::Microphone); }
    int32_t LineFaderMax() const { return max(Kind::Fader, Line::LineIn); }
    int32_t CDFaderMax() const { return max(Kind::Fader, Line::CompactDisc); }
    int32_t SynFaderMax() const { return max(Kind::Fader, Line::Synthesizer); }
    int32_t WaveFaderMax() const { return max(Kind::Fader, Line::WaveOut); }

    int32_t VolBassMin() const { return min(Kind::Bass, Line::Speakers); }
    int32_t MicBassMin() const { return min(Kind::Bass, Line::Microphone); }
    int32_t LineBassMin() const { return min(Kind::Bass, Line::LineIn); }
    int32_t CDBassMin() const { return min(Kind::Bass, Line::CompactDisc); }
    int32_t SynBassMin() const { return min(Kind::Bass, Line::Synthesizer); }
    int32_t WaveBassMin() const { return min(Kind::Bass, Line::WaveOut); }
    int32_t VolBassMax() const { return max(Kind::Bass, Line::Speakers); }
    int32_t MicBassMax() const { return max(Kind::Bass, Line::Microphone); }
    int32_t LineBassMax() const { return max(Kind::Bass, Line::LineIn); }
    int32_t CDBassMax() const { return max(Kind::Bass, Line::CompactDisc); }
    int32_t SynBassMax() const { return max(Kind::Bass, Line::Synthesizer); }
    int32_t WaveBassMax() const { return max(Kind::Bass, Line::WaveOut); }

    int32_t VolTrebleMin() const { return min(Kind::Treble, Line::Speakers); }
    int32_t MicTrebleMin() const { return min(Kind::Treble, Line::Microphone); }
    int32_t LineTrebleMin() const { return min(Kind::Treble, Line::LineIn); }
    int32_t CDTrebleMin() const { return min(Kind::Treble, Line::CompactDisc); }
    int32_t SynTrebleMin() const { return min(Kind::Treble, Line::Synthesizer); }
    int32_t WaveTrebleMin() const { return min(Kind::Treble, Line::WaveOut); }
    int32_t VolTrebleMax() const { return max(Kind::Treble, Line::Speakers); }
    int32_t MicTrebleMax() const { return max(Kind::Treble, Line::Microphone); }
    int32_t LineTrebleMax() const { return max(Kind::Treble, Line::LineIn); }
    int32_t CDTrebleMax() const { return max(Kind::Treble, Line::CompactDisc); }
    int32_t SynTrebleMax() const { return max(Kind::Treble, Line::Synthesizer); }
    int32_t WaveTrebleMax() const { return max(Kind::Treble, Line::WaveOut); }

    int32_t VolPanMin() const { return min(Kind::Pan, Line::Speakers); }
    int32_t MicPanMin() const { return min(Kind::Pan, Line::Microphone); }
    int32_t LinePanMin() const { return min(Kind::Pan, Line::LineIn); }
    int32_t CDPanMin() const { return min(Kind::Pan, Line::CompactDisc); }
    int32_t SynPanMin() const { return min(Kind::Pan, Line::Synthesizer); }
    int32_t WavePanMin() const { return min(Kind::Pan, Line::WaveOut); }
    int32_t VolPanMax() const { return max(Kind::Pan, Line::Speakers); }
    int32_t MicPanMax() const { return max(Kind::Pan, Line::Microphone); }
    int32_t LinePanMax() const { return max(Kind::Pan, Line::LineIn); }
    int32_t CDPanMax() const { return max(Kind::Pan, Line::CompactDisc); }
    int32_t SynPanMax() const { return max(Kind::Pan, Line::Synthesizer); }
    int32_t WavePanMax() const { return max(Kind::Pan, Line::WaveOut); }

    // ---- levels: read fresh from the card, written straight to it ----
    int32_t VolumeLevel() { return level(Kind::Volume, Line::Speakers); }
    int32_t MicLevel() { return level(Kind::Volume, Line::Microphone); }
    int32_t LineLevel() { return level(Kind::Volume, Line::LineIn); }
    int32_t CDLevel() { return level(Kind::Volume, Line::CompactDisc); }
    int32_t SynLevel() { return level(Kind::Volume, Line::Synthesizer); }
    int32_t WaveLevel() { return level(Kind::Volume, Line::WaveOut); }
    void VolumeLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::Speakers, New_Volume); }
    void MicLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::Microphone, New_Volume); }
    void LineLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::LineIn, New_Volume); }
    void CDLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::CompactDisc, New_Volume); }
    void SynLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::Synthesizer, New_Volume); }
    void WaveLevel(int32_t New_Volume) { setLevel(Kind::Volume, Line::WaveOut, New_Volume); }

    int32_t VolumeLevelBass() { return level(Kind::Bass, Line::Speakers); }
    int32_t MicLevelBass() { return level(Kind::Bass, Line::Microphone); }
    int32_t LineLevelBass() { return level(Kind::Bass, Line::LineIn); }
    int32_t CDLevelBass() { return level(Kind::Bass, Line::CompactDisc); }
    int32_t SynLevelBass() { return level(Kind::Bass, Line::Synthesizer); }
    int32_t WaveLevelBass() { return level(Kind::Bass, Line::WaveOut); }
    void VolumeLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::Speakers, New_Bass); }
    void MicLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::Microphone, New_Bass); }
    void LineLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::LineIn, New_Bass); }
    void CDLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::CompactDisc, New_Bass); }
    void SynLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::Synthesizer, New_Bass); }
    void WaveLevelBass(int32_t New_Bass) { setLevel(Kind::Bass, Line::WaveOut, New_Bass); }

    int32_t VolumeLevelTreble() { return level(Kind::Treble, Line::Speakers); }
    int32_t MicLevelTreble() { return level(Kind::Treble, Line::Microphone); }
    int32_t LineLevelTreble() { return level(Kind::Treble, Line::LineIn); }
    int32_t CDLevelTreble() { return level(Kind::Treble, Line::CompactDisc); }
    int32_t SynLevelTreble() { return level(Kind::Treble, Line::Synthesizer); }
    int32_t WaveLevelTreble() { return level(Kind::Treble, Line::WaveOut); }
    void VolumeLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::Speakers, New_Treble); }
    void MicLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::Microphone, New_Treble); }
    void LineLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::LineIn, New_Treble); }
    void CDLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::CompactDisc, New_Treble); }
    void SynLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::Synthesizer, New_Treble); }
    void WaveLevelTreble(int32_t New_Treble) { setLevel(Kind::Treble, Line::WaveOut, New_Treble); }

    int32_t VolumeLevelPan() { return level(Kind::Pan, Line::Speakers); }
    int32_t MicLevelPan() { return level(Kind::Pan, Line::Microphone); }
    int32_t LineLevelPan() { return level(Kind::Pan, Line::LineIn); }
    int32_t CDLevelPan() { return level(Kind::Pan, Line::CompactDisc); }
    int32_t SynLevelPan() { return level(Kind::Pan, Line::Synthesizer); }
    int32_t WaveLevelPan() { return level(Kind::Pan, Line::WaveOut); }
    void VolumeLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::Speakers, New_Pan); }
    void MicLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::Microphone, New_Pan); }
    void LineLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::LineIn, New_Pan); }
    void CDLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::CompactDisc, New_Pan); }
    void SynLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::Synthesizer, New_Pan); }
    void WaveLevelPan(int32_t New_Pan) { setLevel(Kind::Pan, Line::WaveOut, New_Pan); }

    int32_t VolumeLevelFader() { return level(Kind::Fader, Line::Speakers); }
    int32_t MicLevelFader() { return level(Kind::Fader, Line::Microphone); }
    int32_t LineLevelFader() { return level(Kind::Fader, Line::LineIn); }
    int32_t CDLevelFader() { return level(Kind::Fader, Line::CompactDisc); }
    int32_t SynLevelFader() { return level(Kind::Fader, Line::Synthesizer); }
    int32_t WaveLevelFader() { return level(Kind::Fader, Line::WaveOut); }
    void VolumeLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::Speakers, New_Fader); }
    void MicLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::Microphone, New_Fader); }
    void LineLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::LineIn, New_Fader); }
    void CDLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::CompactDisc, New_Fader); }
    void SynLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::Synthesizer, New_Fader); }
    void WaveLevelFader(int32_t New_Fader) { setLevel(Kind::Fader, Line::WaveOut, New_Fader); }

    // ---- mutes: true while the line is muted ----
    // Destroying the object leaves every mute as it was last written.
    bool VolumeMute() { return mute(Line::Speakers); }
    bool MikrofonMute() { return mute(Line::Microphone); }
    bool LineMute() { return mute(Line::LineIn); }
    bool CompactDiscMute() { return mute(Line::CompactDisc); }
    bool SynthesizerMute() { return mute(Line::Synthesizer); }
    bool WaveMute() { return mute(Line::WaveOut); }
    void VolumeMute(bool New_Mute) { setMute(Line::Speakers, New_Mute); }
    void MikrofonMute(bool New_Mute) { setMute(Line::Microphone, New_Mute); }
    void LineMute(bool New_Mute) { setMute(Line::LineIn, New_Mute); }
    void CompactDiscMute(bool New_Mute) { setMute(Line::CompactDisc, New_Mute); }
    void SynthesizerMute(bool New_Mute) { setMute(Line::Synthesizer, New_Mute); }
    void WaveMute(bool New_Mute) { setMute(Line::WaveOut, New_Mute); }

    // ---- peak meters ----
    // −32767..32767 where the meter exists, 0..0 where it does not: the input meter needs a
    // capture control on the card ("Capture", else the microphone's), the output meter a
    // mixer device.
    int32_t MinVolumeMeterInput() const { return input_.min; }
    int32_t MaxVolumeMeterInput() const { return input_.max; }
    int32_t MinVolumeMeterOutput() const { return output_.min; }
    int32_t MaxVolumeMeterOutput() const { return output_.max; }
    // The highest absolute level recorded since the previous reading (of at most the last
    // 8192 samples), 0..MaxVolumeMeterInput. The first reading starts recording, which runs
    // until the object is destroyed.
    int32_t CurrentVolumeMeterInput();
    // The highest absolute level the program played since the previous reading,
    // 0..MaxVolumeMeterOutput.
    int32_t CurrentVolumeMeterOutput();

  private:
    // Lines in table order.
    enum class Line { Speakers, Microphone, LineIn, CompactDisc, Synthesizer, WaveOut };
    static constexpr int kLineCount = 6;
    // Control kinds in table order. A mute control holds 1 for muted and 0 for not muted.
    enum class Kind { Volume, Mute, Fader, Bass, Treble, Pan };
    static constexpr int kKindCount = 6;

    // One looked-up control; an entry whose control was not found keeps no element name and
    // a zero range. The element is looked up by name at every use, so a card that goes away
    // (and takes its elements with it) leaves nothing dangling.
    struct Control {
        const char* element = nullptr;
        Kind kind = Kind::Volume;
        bool capture = false; // the element's capture side rather than its playback side
        int32_t min = 0;
        int32_t max = 0;
    };
    struct Meter {
        int32_t min = 0;
        int32_t max = 0;
    };
    // The balance last written to a line, with the channel volumes it gave. It holds while
    // the channels keep those volumes, so that it survives rounding and a volume of 0.
    struct Balance {
        bool valid = false;
        int32_t pan = 0;
        long left = 0, right = 0;
    };

    bool findControl(Line line, Kind kind, Control& entry);
    bool setControlValue(Line line, const Control& entry, int32_t value);
    int32_t getControlValue(Line line, const Control& entry);
    const Control& control(Kind kind, Line line) const;

    int32_t min(Kind kind, Line line) const { return control(kind, line).min; }
    int32_t max(Kind kind, Line line) const { return control(kind, line).max; }
    int32_t level(Kind kind, Line line);
    void setLevel(Kind kind, Line line, int32_t value);
    bool mute(Line line);
    void setMute(Line line, bool muted);

    _snd_mixer_elem* element(const Control& entry);
    int32_t pan(Line line, _snd_mixer_elem* elem, const Control& entry);
    bool setChannels(Line line, _snd_mixer_elem* elem, const Control& entry, int32_t volume,
                     int32_t pan);

    bool startInput();
    void stopInput();
    // Takes in what the capture device has recorded since the last look.
    void drainInput();
    void showInputError(int error);

    struct MixerClose {
        void operator()(_snd_mixer* mixer) const;
    };
    struct PcmClose {
        void operator()(_snd_pcm* pcm) const;
    };
    platform::MessageBoxes* messages_;
    std::unique_ptr<_snd_mixer, MixerClose> mixer_;
    // Result of the last ALSA call: 0 or a negative error code. No property reports it.
    int lastResult_ = 0;
    // Kind-major: the volume controls of the six lines, then their mutes, faders, basses,
    // trebles and pans.
    std::array<Control, kKindCount * kLineCount> controls_{};
    std::array<Balance, kLineCount> balances_{};
    Meter input_, output_;

    // The input meter's recording: the capture device while it runs, and the samples (8-bit
    // unsigned, 128 silent) it delivered since the previous reading, the last 8192 at most.
    std::unique_ptr<_snd_pcm, PcmClose> capture_;
    bool running_ = false;
    // While a message box is up: readings made meanwhile (a timer's, say) show no second one.
    bool showingError_ = false;
    std::vector<uint8_t> recorded_;
    mixer::OutputPeakReader played_;
};
