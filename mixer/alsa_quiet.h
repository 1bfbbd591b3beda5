// Keeps ALSA from writing its error messages to the terminal while an object of this class
// lives, and puts the earlier error handler back afterwards. The mixer must stay silent on
// machines without a sound card or with a broken sound configuration.
#pragma once

class QuietAlsaErrors {
  public:
    QuietAlsaErrors();
    ~QuietAlsaErrors();
    QuietAlsaErrors(const QuietAlsaErrors&) = delete;
    QuietAlsaErrors& operator=(const QuietAlsaErrors&) = delete;

  private:
    // Same shape as ALSA's snd_lib_error_handler_t.
    using Handler = void (*)(const char* file, int line, const char* function, int err,
                             const char* fmt, ...);
    Handler previous_;
};
