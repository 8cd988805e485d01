#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime_control.h"
#include "runtime/system.h"

namespace desktop {

namespace {

// Splits "--name=value" or takes the value from the next argument. Returns
// false when the option wants a value and none is left.
bool TakeValue(const char* arg, const char* name, int argc, const char* const* argv, int* index,
               const char** value, bool* matched) {
    size_t length = std::strlen(name);
    *matched = false;
    if (std::strncmp(arg, name, length) != 0) {
        return true;
    }
    if (arg[length] == '=') {
        *matched = true;
        *value = arg + length + 1;
        return true;
    }
    if (arg[length] != '\0') {
        return true;  // a longer option that merely starts with this name
    }
    *matched = true;
    if (*index + 1 >= argc) {
        return false;
    }
    *index += 1;
    *value = argv[*index];
    return true;
}

bool ParseScale(const char* text, int* scale) {
    if (*text == '\0') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > kMaxScale) {
        return false;
    }
    *scale = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    *options = Options{};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options->help = true;
            continue;
        }
        if (std::strcmp(arg, "--version") == 0) {
            options->version = true;
            continue;
        }
        const char* value = nullptr;
        bool matched = false;
        if (!TakeValue(arg, "--scale", argc, argv, &i, &value, &matched)) {
            *error = "--scale needs a number";
            return false;
        }
        if (matched) {
            if (!ParseScale(value, &options->scale)) {
                *error = std::string("--scale wants a whole number from 1 to ") + std::to_string(kMaxScale) +
                         ", not '" + value + "'";
                return false;
            }
            continue;
        }
        // The options whose value is text, which must not be empty.
        const struct {
            const char* name;
            std::string* value;
            const char* missing;
        } texts[] = {
            {"--config-dir", &options->configDir, "--config-dir needs a directory"},
            {"--language", &options->language,
             "--language needs a language code (ja, ko, zh-Hans, zh-Hant, es, pt-BR, fr, de, en)"},
        };
        for (const auto& text : texts) {
            if (!TakeValue(arg, text.name, argc, argv, &i, &value, &matched) || (matched && *value == '\0')) {
                *error = text.missing;
                return false;
            }
            if (matched) {
                *text.value = value;
                break;
            }
        }
        if (matched) {
            continue;
        }
        *error = std::string("unknown option '") + arg + "'";
        return false;
    }
    return true;
}

void UseOptions(const Options& options) {
    if (!options.configDir.empty()) {
        sys::SetConfigDir(options.configDir);
    }
    if (!options.language.empty()) {
        sys::SetLanguage(options.language);
    }
    rt::UseRealClock();
}

}  // namespace desktop
