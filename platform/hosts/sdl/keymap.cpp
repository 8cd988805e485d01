#include "keymap.h"

#include "windows.h"

namespace sdlhost {

unsigned VkFromKeycode(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + static_cast<unsigned>(key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + static_cast<unsigned>(key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<unsigned>(key - SDLK_F1);
    }
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_SLASH:
        return VK_OEM_2;
    case SDLK_KP_DIVIDE:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

char16_t AltCharFromKeycode(SDL_Keycode key, Uint16 mod) {
    if (key >= SDLK_a && key <= SDLK_z && (mod & KMOD_SHIFT) != 0) {
        return static_cast<char16_t>('A' + (key - SDLK_a));
    }
    if (key == SDLK_KP_DIVIDE) {
        return u'/';
    }
    // SDL's key codes for the printable keys are their unshifted ASCII
    // characters; everything else lies outside this range.
    if (key >= 0x21 && key <= 0x7E) {
        return static_cast<char16_t>(key);
    }
    if (key == SDLK_SPACE) {
        return u' ';
    }
    return 0;
}

}  // namespace sdlhost
