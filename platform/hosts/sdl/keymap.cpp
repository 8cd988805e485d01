#include "keymap.h"

namespace sdlhost {

namespace {

// Win32 virtual-key codes; the program's header defines only those the game
// names, so the host keeps the full set it maps to here.
constexpr unsigned kVkBack = 0x08;
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkSpace = 0x20;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkDivide = 0x6F;
constexpr unsigned kVkF1 = 0x70;
constexpr unsigned kVkOem2 = 0xBF;  // the '/?' key of a US keyboard

}  // namespace

unsigned VkFromKeycode(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + static_cast<unsigned>(key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + static_cast<unsigned>(key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return kVkF1 + static_cast<unsigned>(key - SDLK_F1);
    }
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return kVkReturn;
    case SDLK_ESCAPE:
        return kVkEscape;
    case SDLK_LEFT:
        return kVkLeft;
    case SDLK_UP:
        return kVkUp;
    case SDLK_RIGHT:
        return kVkRight;
    case SDLK_DOWN:
        return kVkDown;
    case SDLK_TAB:
        return kVkTab;
    case SDLK_BACKSPACE:
        return kVkBack;
    case SDLK_SPACE:
        return kVkSpace;
    case SDLK_SLASH:
        return kVkOem2;
    case SDLK_KP_DIVIDE:
        return kVkDivide;
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
