#include "input.h"

#include <cmath>

#include "keymap.h"
#include "runtime/utf.h"
#include "windows.h"

namespace sdlhost {

void InputTranslator::Translate(const SDL_Event& event, uint64_t nowMs, std::deque<host::Event>* out) {
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
        // Touch also arrives as synthesized mouse events; the finger events
        // below handle touch, so these copies are ignored.
        if (event.button.button == SDL_BUTTON_LEFT && event.button.which != SDL_TOUCH_MOUSEID &&
            pen_ != Pen::Finger) {
            if (pen_ == Pen::Mouse) {
                // The release went missing (it happened outside while another
                // program held the mouse); end that stroke where it was last
                // seen so the program never sees two presses in a row.
                out->push_back(PenEvent(host::EventKind::PenUp, lastX_, lastY_));
                pen_ = Pen::Up;
            }
            PenPress(Pen::Mouse, event.button.x, event.button.y, out);
        }
        break;
    case SDL_MOUSEMOTION:
        if (pen_ == Pen::Mouse && event.motion.which != SDL_TOUCH_MOUSEID) {
            PenDrag(event.motion.x, event.motion.y, host::EventKind::PenMove, out);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (pen_ == Pen::Mouse && event.button.button == SDL_BUTTON_LEFT &&
            event.button.which != SDL_TOUCH_MOUSEID) {
            PenDrag(event.button.x, event.button.y, host::EventKind::PenUp, out);
            pen_ = Pen::Up;
        }
        break;
    case SDL_FINGERDOWN:
        if (pen_ == Pen::Up) {
            finger_ = event.tfinger.fingerId;
            PenPress(Pen::Finger, static_cast<int>(std::floor(event.tfinger.x * layout_.windowWidth)),
                     static_cast<int>(std::floor(event.tfinger.y * layout_.windowHeight)), out);
        }
        break;
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
        if (pen_ == Pen::Finger && event.tfinger.fingerId == finger_) {
            bool up = event.type == SDL_FINGERUP;
            PenDrag(static_cast<int>(std::floor(event.tfinger.x * layout_.windowWidth)),
                    static_cast<int>(std::floor(event.tfinger.y * layout_.windowHeight)),
                    up ? host::EventKind::PenUp : host::EventKind::PenMove, out);
            if (up) {
                pen_ = Pen::Up;
            }
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        Key(event.key, nowMs, out);
        break;
    case SDL_TEXTINPUT:
        Text(event.text.text, out);
        break;
    case SDL_QUIT:
        CloseRequest(nowMs, out);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            CloseRequest(nowMs, out);
        }
        break;
    default:
        break;
    }
}

// A press in the black bars is dropped: it would otherwise land on whatever
// control touches the screen edge, which the player did not aim at.
void InputTranslator::PenPress(Pen source, int windowX, int windowY, std::deque<host::Event>* out) {
    desktop::DevicePoint point = desktop::WindowToDevice(layout_, windowX, windowY);
    if (!point.inside) {
        return;
    }
    pen_ = source;
    lastX_ = point.x;
    lastY_ = point.y;
    out->push_back(PenEvent(host::EventKind::PenDown, point.x, point.y));
}

// Once the pen is down, moves and the release go on with exact coordinates
// even outside the picture, as a captured mouse does on the device: a button
// released off itself must see the release outside, not clamped onto its
// edge.
void InputTranslator::PenDrag(int windowX, int windowY, host::EventKind kind, std::deque<host::Event>* out) {
    desktop::DevicePoint point = desktop::WindowToDevice(layout_, windowX, windowY);
    if (kind == host::EventKind::PenMove && point.x == lastX_ && point.y == lastY_) {
        return;  // moved within one device pixel
    }
    lastX_ = point.x;
    lastY_ = point.y;
    out->push_back(PenEvent(kind, point.x, point.y));
}

// Ctrl with S or C and no other modifier. The letter is the one the
// keyboard layout gives the key, as for any program's Ctrl+S.
bool InputTranslator::ShortcutKey(const SDL_KeyboardEvent& key) {
    const SDL_Scancode code = key.keysym.scancode;
    for (SDL_Scancode& taken : shortcutKeys_) {
        if (key.type == SDL_KEYUP && taken == code && code != SDL_SCANCODE_UNKNOWN) {
            taken = SDL_SCANCODE_UNKNOWN;
            return true;
        }
    }
    const Uint16 mod = key.keysym.mod;
    const SDL_Keycode sym = key.keysym.sym;
    if (key.type != SDL_KEYDOWN || (mod & KMOD_CTRL) == 0 || (mod & (KMOD_ALT | KMOD_SHIFT | KMOD_GUI)) != 0 ||
        (sym != SDLK_s && sym != SDLK_c)) {
        return false;
    }
    shortcutKeys_[sym == SDLK_s ? 0 : 1] = code;
    if (key.repeat == 0) {
        shortcut_ = sym == SDLK_s ? Shortcut::SavePicture : Shortcut::CopyResult;
    }
    return true;
}

void InputTranslator::Key(const SDL_KeyboardEvent& key, uint64_t nowMs, std::deque<host::Event>* out) {
    if (ShortcutKey(key)) {
        return;
    }
    altHeld_ = (key.keysym.mod & KMOD_ALT) != 0;
    unsigned vk = VkFromKey(key.keysym);
    if (vk == 0 || (vk == VK_MENU && key.type == SDL_KEYUP && !keyboardFocus_)) {
        return;
    }
    host::Event event;
    event.kind = key.type == SDL_KEYDOWN ? host::EventKind::KeyDown : host::EventKind::KeyUp;
    event.vk = vk;
    event.alt = altHeld_;
    out->push_back(event);
    if (key.type != SDL_KEYDOWN || !altHeld_) {
        return;
    }
    if (vk == VK_F4) {
        altF4Seen_ = true;
        altF4Ms_ = nowMs;
    }
    char16_t ch = AltCharFromKeycode(key.keysym.sym, key.keysym.mod);
    if (ch != 0) {
        host::Event character;
        character.kind = host::EventKind::Char;
        character.ch = ch;
        character.alt = true;
        out->push_back(character);
    }
}

// With Alt held the characters were already made from the key (see Key);
// text that SDL sends as well would arrive twice.
void InputTranslator::Text(const char* utf8, std::deque<host::Event>* out) {
    if (altHeld_) {
        return;
    }
    std::u16string units;
    if (!rt::Utf8ToUtf16(utf8, units)) {
        return;  // SDL hands over UTF-8; anything else is dropped whole
    }
    for (char16_t unit : units) {
        host::Event character;
        character.kind = host::EventKind::Char;
        character.ch = unit;
        out->push_back(character);
    }
}

void InputTranslator::CloseRequest(uint64_t nowMs, std::deque<host::Event>* out) {
    if (altF4Seen_ && nowMs - altF4Ms_ < kAltF4CloseWindowMs) {
        return;
    }
    host::Event event;
    event.kind = host::EventKind::Close;
    out->push_back(event);
}


}  // namespace sdlhost
