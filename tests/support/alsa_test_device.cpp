#include "support/alsa_test_device.h"

#include <QSaveFile>

#include <alsa/asoundlib.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace {

const char* const kStateHeader = "# reelvistatest mixer state\n";

// A string in ALSA configuration syntax.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

bool writeFile(const std::filesystem::path& file, const std::string& text) {
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(text.data(), static_cast<qint64>(text.size()));
    return out.commit();
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

AlsaConfigScope::AlsaConfigScope(const std::filesystem::path& configFile) {
    if (const char* old = std::getenv("ALSA_CONFIG_PATH")) previous_ = old;
    setenv("ALSA_CONFIG_PATH", configFile.c_str(), 1);
    snd_config_update_free_global();
}

AlsaConfigScope::~AlsaConfigScope() {
    if (previous_)
        setenv("ALSA_CONFIG_PATH", previous_->c_str(), 1);
    else
        unsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
}

std::string AlsaTestDevice::captureFromFile(const std::filesystem::path& file) {
    return "type file slave.pcm { type null } file \"/dev/null\" infile " +
           quoted(file.string()) + " format \"raw\"";
}

AlsaTestDevice::AlsaTestDevice(const std::string& pcmDefinition,
                               const std::vector<std::string>& elements) {
    if (!dir_.isValid() || !std::filesystem::exists(pluginFile())) return;
    std::string list;
    if (!elements.empty()) {
        list = " elements [";
        for (const std::string& e : elements)
            list += " " + quoted(e);
        list += " ]";
    }
    std::string config = "ctl_type.reelvistatest { lib " + quoted(pluginFile().string()) +
                         " }\n"
                         "ctl.!default { type reelvistatest state " +
                         quoted(stateFile().string()) + list + " }\n" + "pcm.!default { " +
                         pcmDefinition + " }\n";
    if (!writeFile(stateFile(), kStateHeader) || !writeFile(configFile(), config)) return;
    scope_.emplace(configFile());
}

std::filesystem::path AlsaTestDevice::folder() const {
    return dir_.path().toStdString();
}
std::filesystem::path AlsaTestDevice::configFile() const {
    return folder() / "asound.conf";
}
std::filesystem::path AlsaTestDevice::stateFile() const {
    return folder() / "mixer.state";
}
std::filesystem::path AlsaTestDevice::pluginFile() {
    return REELVISTA_ALSA_TEST_PLUGIN;
}

std::optional<bool> AlsaTestDevice::playbackSwitch(const std::string& element) const {
    auto value = firstValue(element + " Playback Switch");
    if (!value) return std::nullopt;
    return *value != 0;
}

std::optional<long> AlsaTestDevice::playbackVolume(const std::string& element) const {
    return firstValue(element + " Playback Volume");
}

bool AlsaTestDevice::setPlaybackSwitch(const std::string& element, bool on) {
    return setValues(element + " Playback Switch", {on ? 1 : 0});
}

bool AlsaTestDevice::setPlaybackVolume(const std::string& element, long value) {
    return setValues(element + " Playback Volume", {value});
}

// State file lines read "<control>=<channel 1>[,<channel 2>...]".
std::vector<long> AlsaTestDevice::values(const std::string& control) const {
    std::istringstream lines(readFile(stateFile()));
    const std::string prefix = control + "=";
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        std::vector<long> out;
        const char* p = line.data() + prefix.size();
        const char* const last = line.data() + line.size();
        while (true) {
            long value = 0;
            auto [end, error] = std::from_chars(p, last, value);
            if (error != std::errc() || end == p) return {};
            out.push_back(value);
            if (end == last) return out;
            if (*end != ',') return {};
            p = end + 1;
        }
    }
    return {};
}

std::optional<long> AlsaTestDevice::firstValue(const std::string& control) const {
    const std::vector<long> all = values(control);
    if (all.empty()) return std::nullopt;
    return all.front();
}

bool AlsaTestDevice::setValues(const std::string& control, const std::vector<long>& values) {
    std::string line = control + "=";
    for (size_t i = 0; i < values.size(); ++i)
        line += (i ? "," : "") + std::to_string(values[i]);
    return replaceLine(control + "=", line);
}

bool AlsaTestDevice::unplug() {
    return replaceLine("unplugged=", "unplugged=1");
}

// Replaces the state file's lines starting with `key` by `line`.
bool AlsaTestDevice::replaceLine(const std::string& key, const std::string& line) {
    if (!valid()) return false;
    std::istringstream lines(readFile(stateFile()));
    std::string out;
    for (std::string old; std::getline(lines, old);)
        if (old.compare(0, key.size(), key) != 0) out += old + '\n';
    out += line + '\n';
    return writeFile(stateFile(), out);
}

} // namespace testsupport
