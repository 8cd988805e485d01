// The desktop program: reads the options, opens the window and hands over to
// the program's WinMain, which runs until the player exits or closes the
// window.
#include <cstdio>
#include <string>

#include "desktop/options.h"
#include "gdi/cjk/cjk_glyphs.h"
#include "display.h"
#include "windows.h"

namespace {

constexpr char kUsage[] =
    "Usage: tavilo [--scale N] [--config-dir DIR] [--language CODE]\n"
    "Plays Tavilo in a desktop window.\n"
    "\n"
    "  --scale N         show each device pixel as N x N window pixels (1 to 16);\n"
    "                    the default, and the most, is the largest at which the\n"
    "                    window fits the desktop\n"
    "  --config-dir DIR  keep the settings in DIR instead of $XDG_CONFIG_HOME/tavilo\n"
    "  --language CODE   show the game in that language (en, ja, ko, zh-Hans,\n"
    "                    zh-Hant, es, pt-BR, fr, de);\n"
    "                    the default follows LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
    "  --help            show this text and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "The left mouse button or a finger is the stylus. Keys: 1 to 8 (top row or\n"
    "keypad) start that player's runner, N is New, A is All, O is Option (Left\n"
    "and Right or - and + change the count, Enter is OK, Esc is CANCEL), F10 or\n"
    "Alt alone walks the menu bar with the arrows, Alt+/ is About, Alt+F4 is Exit.\n"
    "Ctrl+S saves the board as a picture in the Pictures folder\n"
    "(XDG_PICTURES_DIR, else ~/Pictures); Ctrl+C copies the result as text.\n"
    "\n"
    "Without a display, tavilo-headless plays the game from a script.\n";

}  // namespace

int main(int argc, char** argv) {
    desktop::Options options;
    std::string error;
    if (!desktop::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "tavilo: %s (see tavilo --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Tavilo %s\n", TAVILO_VERSION);
        return 0;
    }
    desktop::UseOptions(options);
    // The Japanese, Korean and Chinese letters; a few kilobytes, so the
    // desktop always carries them.
    gdi::UseCjkGlyphs();
    if (!sdlhost::OpenDisplay(options.scale, &error)) {
        std::fprintf(stderr,
                     "tavilo: cannot open a window: %s\n"
                     "tavilo: without a display, tavilo-headless plays the game from a script "
                     "(see tavilo-headless --help)\n",
                     error.c_str());
        return 1;
    }
    // The options are the host's; the program gets an empty command line,
    // as when started from the device's menu.
    static WCHAR commandLine[] = {0};
    int code = WinMain(reinterpret_cast<HINSTANCE>(1), nullptr, commandLine, SW_SHOW);
    sdlhost::CloseDisplay();
    return code;
}
