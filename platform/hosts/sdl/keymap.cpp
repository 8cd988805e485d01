#include "keymap.h"

#include "windows.h"

namespace sdlhost {

namespace {

// Keys known by their place on the keyboard rather than by what they type.
unsigned VkFromScancode(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) {
        return '1' + static_cast<unsigned>(code - SDL_SCANCODE_1);
    }
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD0 + 1 + static_cast<unsigned>(code - SDL_SCANCODE_KP_1);
    }
    switch (code) {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_KP_0:
        return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PLUS:
        return VK_ADD;
    case SDL_SCANCODE_KP_MINUS:
        return VK_SUBTRACT;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDL_SCANCODE_KP_DIVIDE:
        return VK_DIVIDE;
    case SDL_SCANCODE_KP_ENTER:
        return VK_RETURN;
    default:
        return 0;
    }
}

unsigned VkFromKeycode(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + static_cast<unsigned>(key - SDLK_a);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<unsigned>(key - SDLK_F1);
    }
    switch (key) {
    case SDLK_RETURN:
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
    case SDLK_MINUS:
        return VK_OEM_MINUS;
    case SDLK_EQUALS:
    case SDLK_PLUS:
        return VK_OEM_PLUS;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    // Only the left Alt: the right one is AltGr on many layouts, which types
    // characters and must not open the menu bar when it comes up alone.
    case SDLK_LALT:
        return VK_MENU;
    default:
        return 0;
    }
}

}  // namespace

unsigned VkFromKey(const SDL_Keysym& key) {
    unsigned vk = VkFromScancode(key.scancode);
    return vk != 0 ? vk : VkFromKeycode(key.sym);
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
