// SDL key codes as the Win32 virtual-key codes that the accelerators and
// dialogs of the program expect.
#pragma once

#include <SDL_keyboard.h>

namespace sdlhost {

// The virtual-key code for an SDL key, or 0 for a key the program has no use
// for (media keys, AltGr ...), which the host then does not pass on. As on
// Windows, letters follow the layout (the key that types "a" is A), while
// the top row's digits are 1 to 0 on every layout (AZERTY types "&" there
// without Shift) and the keypad's keys are its own whatever Num Lock says.
unsigned VkFromKey(const SDL_Keysym& key);

// The character that Alt plus this key stands for, as WM_SYSCHAR carries it,
// or 0 when the key is not printable. SDL does not reliably send text input
// while Alt is held, so the host makes these characters itself; letters follow
// Shift, other keys give their unshifted character.
char16_t AltCharFromKeycode(SDL_Keycode key, Uint16 mod);

}  // namespace sdlhost
