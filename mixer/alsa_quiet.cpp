#include "mixer/alsa_quiet.h"

#include <alsa/asoundlib.h>

namespace {

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

QuietAlsaErrors::QuietAlsaErrors() : previous_(snd_lib_error) {
    snd_lib_error_set_handler(ignoreAlsaError);
}

QuietAlsaErrors::~QuietAlsaErrors() {
    snd_lib_error_set_handler(previous_);
}
