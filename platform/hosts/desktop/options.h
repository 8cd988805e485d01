// The command line of the desktop programs (the SDL host's tavilo and the
// Windows tavilo.exe); each shows its own --help text.
#pragma once

#include <string>

namespace desktop {

constexpr int kMaxScale = 16;

struct Options {
    int scale = 0;          // 0: the largest that fits the desktop
    std::string configDir;  // empty: the system's own place for settings
    std::string language;   // empty: the system's languages
    bool help = false;
    bool version = false;
};

// Reads argv[1..argc-1]. Accepts "--scale N" and "--scale=N" (and the same for
// --config-dir and --language; a language the program does not speak is
// not an error: it reads English). Returns false with a one-line reason for anything it does
// not understand, so that a typo never starts the game with surprising
// settings.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// Hands the program what the options choose before it starts: the settings
// folder and the language where given, and the real clock.
void UseOptions(const Options& options);

}  // namespace desktop
