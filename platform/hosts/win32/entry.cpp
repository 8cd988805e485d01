// tavilo.exe: reads the options, opens the window and runs the program until
// the player exits or closes the window. The options are those of the SDL
// desktop program; problems are shown in a message box, since a Windows
// program has no console to print to.
#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "desktop/options.h"
#include "gdi/cjk/cjk_glyphs.h"
#include "runtime/win32/calls.h"
#include "win32_host.h"

namespace {

constexpr wchar_t kUsage[] =
    L"Usage: tavilo [--scale N] [--config-dir DIR] [--language CODE]\n\n"
    L"--scale N\tshow each device pixel as N x N screen pixels (1 to 16); the default, and the most, is "
    L"the largest at which the window fits the screen\n"
    L"--config-dir DIR\tkeep the settings in DIR instead of %APPDATA%\\Tavilo\n"
    L"--language CODE\tshow the game in that language (en, ja, ko, zh-Hans, zh-Hant, es, pt-BR, fr, de); the default follows "
    L"Windows' display language\n"
    L"--help\tshow this text\n"
    L"--version\tshow the version\n\n"
    L"Keys: 1 to 8 (top row or keypad) start that player's runner, N is New, A is All, O is Option "
    L"(Left and Right or - and + change the count, Enter is OK, Esc is CANCEL), F10 or Alt alone walks "
    L"the menu bar with the arrows, Alt+/ is About, Alt+F4 is Exit. "
    L"Ctrl+S saves the board as a picture in your Pictures folder; Ctrl+C copies the picture and the "
    L"result as text.";

int Message(const std::wstring& text, UINT icon, int code) {
    MessageBoxW(nullptr, text.c_str(), L"Tavilo", MB_OK | icon);
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    win32host::UseDpiAwareness();
    std::vector<std::string> args = win32sys::CommandLineArguments();
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    desktop::Options options;
    std::string error;
    if (!desktop::ParseOptions(static_cast<int>(argv.size()), argv.data(), &options, &error)) {
        return Message(win32sys::Wide(error) + L"\n\n" + kUsage, MB_ICONERROR, 2);
    }
    if (options.help) {
        return Message(kUsage, MB_ICONINFORMATION, 0);
    }
    if (options.version) {
        return Message(L"Tavilo " TAVILO_VERSION, MB_ICONINFORMATION, 0);
    }
    desktop::UseOptions(options);
    gdi::UseCjkGlyphs();
    std::wstring problem;
    if (!win32host::OpenWindow(instance, options.scale, showCommand, &problem)) {
        return Message(L"Tavilo cannot open its window: " + problem, MB_ICONERROR, 1);
    }
    // Waits end on the system's timer tick, 15.6 ms unless asked otherwise,
    // which would stretch every 50 ms animation step to 62.5 ms and run the
    // game a fifth slower than on other systems.
    timeBeginPeriod(1);
    int code = RunProgram();
    timeEndPeriod(1);
    win32host::CloseWindow();
    return code;
}
