// A key event as SDL delivers one, for the tests that feed the host's input.
#pragma once

#include <SDL_events.h>

inline SDL_Event Key(Uint32 type, SDL_Keycode key, Uint16 mod, SDL_Scancode place = SDL_SCANCODE_UNKNOWN) {
    SDL_Event event = {};
    event.type = event.key.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    event.key.keysym.scancode = place;
    return event;
}
