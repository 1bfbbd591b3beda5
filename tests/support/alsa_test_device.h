// A sound card for tests on machines without one. AlsaTestDevice writes a private ALSA
// configuration into a temporary folder: the default control device is the reelvistatest
// plugin (built from tests/alsa-plugin), which offers the simple mixer elements Master, Mic,
// Line, CD, Synth, PCM, Bass, Treble and Capture (or the controls the caller lists) and keeps
// their values in a state file beside the configuration; the default PCM is the caller's
// choice. While the object lives, ALSA in this process and in
// the programs it starts (amixer, a program under test) uses that configuration.
#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Points ALSA_CONFIG_PATH of this process at a file until destroyed, then puts the earlier
// value back. Both times ALSA's cached configuration is dropped, so the next ALSA call reads
// the file then in force.
class AlsaConfigScope {
  public:
    explicit AlsaConfigScope(const std::filesystem::path& configFile);
    ~AlsaConfigScope();
    AlsaConfigScope(const AlsaConfigScope&) = delete;
    AlsaConfigScope& operator=(const AlsaConfigScope&) = delete;

  private:
    std::optional<std::string> previous_;
};

class AlsaTestDevice {
  public:
    // Body of the default PCM's definition: this one swallows whatever is played. The private
    // configuration defines no named PCMs, so slaves are written out in full. To capture sound
    // output use a file PCM, e.g.
    //   type file slave.pcm { type null } file "<folder()>/out.raw" format "raw"
    static constexpr const char* kNullPcm = "type plug slave.pcm { type null }";

    // A default PCM whose capture delivers the bytes of `file` as they stand (playback is
    // swallowed); the caller's format is applied to them, so raw unsigned 8-bit samples are
    // read as such by a program recording 8-bit mono.
    static std::string captureFromFile(const std::filesystem::path& file);

    // `elements` replaces the device's controls, each given as the plugin reads them:
    // "bool CHANNELS NAME" or "int CHANNELS MIN MAX DEFAULT NAME", e.g.
    // "int 2 0 31 20 Front Playback Volume". Empty: the default set above.
    explicit AlsaTestDevice(const std::string& pcmDefinition = kNullPcm,
                            const std::vector<std::string>& elements = {});
    AlsaTestDevice(const AlsaTestDevice&) = delete;
    AlsaTestDevice& operator=(const AlsaTestDevice&) = delete;

    // False when the plugin is not built or the files could not be written; tests skip then.
    bool valid() const { return scope_.has_value(); }

    std::filesystem::path folder() const;
    std::filesystem::path configFile() const;
    std::filesystem::path stateFile() const;
    static std::filesystem::path pluginFile();

    // A mixer element's values as the state file holds them ("Master", "PCM", ...): the
    // playback switch (true = sound passes, false = muted) and the first channel's playback
    // volume (0..87). Nothing while the file holds no value for it: the device then reports
    // its default, switch on and volume 65.
    std::optional<bool> playbackSwitch(const std::string& element) const;
    std::optional<long> playbackVolume(const std::string& element) const;

    // Change a value behind the back of every open mixer handle, as another program would.
    bool setPlaybackSwitch(const std::string& element, bool on);
    bool setPlaybackVolume(const std::string& element, long value);

    // Every channel of a control ("Line Playback Volume", "Tone Control - Bass") as the state
    // file holds it; empty while it holds no value for it. Setting one value sets every
    // channel; a control given fewer values than it has channels repeats the last.
    std::vector<long> values(const std::string& control) const;
    bool setValues(const std::string& control, const std::vector<long>& values);

    // From now on the card behaves as one that has been pulled out: every read, write and
    // event of its controls fails.
    bool unplug();

  private:
    std::optional<long> firstValue(const std::string& control) const;
    bool replaceLine(const std::string& key, const std::string& line);

    QTemporaryDir dir_;
    std::optional<AlsaConfigScope> scope_;
};

} // namespace testsupport
