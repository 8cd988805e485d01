// SDL events as the host's input events: the stylus from the mouse and from
// touch through the letterbox, keys and Alt characters for the accelerators,
// and closing.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "input.h"
#include "key_event.h"

namespace sdlhost {
namespace {

using host::EventKind;

// which, x and y lie at the same places in a motion event, so one builder
// serves presses, releases and moves.
static_assert(offsetof(SDL_MouseMotionEvent, x) == offsetof(SDL_MouseButtonEvent, x));
SDL_Event Mouse(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT, Uint32 which = 0) {
    SDL_Event event = {};
    event.type = type;
    event.button.which = which;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event Finger(Uint32 type, SDL_FingerID id, float x) {
    SDL_Event event = {};
    event.type = type;
    event.tfinger.fingerId = id;
    event.tfinger.x = x;
    event.tfinger.y = 0.5f;
    return event;
}

// Text input, a quit, or a window event.
SDL_Event Other(Uint32 type, const char* text = "", Uint8 windowEvent = 0) {
    SDL_Event event = {};
    event.type = type;
    if (type == SDL_TEXTINPUT) {
        std::snprintf(event.text.text, sizeof(event.text.text), "%s", text);
    } else {
        event.window.event = windowEvent;
    }
    return event;
}

struct Step { SDL_Event event; uint64_t nowMs = 0; bool keyboardFocus = true; };
struct Case { const char* what; std::vector<Step> steps; const char* events; };

// Runs each case through a fresh translator for a 1000 x 700 window (the
// picture at scale 2 from (260, 30)) and compares the events it gives.
void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputTranslator input;
        input.SetLayout(desktop::FitPicture(1000, 700));
        std::deque<host::Event> out;
        for (const Step& step : c.steps) {
            input.SetKeyboardFocus(step.keyboardFocus);
            input.Translate(step.event, step.nowMs, &out);
        }
        std::string text;
        for (const host::Event& e : out) {
            const char* names[] = {"down", "move", "up", "key", "keyup", "char", "close", "handover"};
            text += names[static_cast<int>(e.kind)];
            if (e.kind <= EventKind::PenUp) {
                text += " " + std::to_string(e.x) + "," + std::to_string(e.y);
            } else if (e.kind <= EventKind::Char) {
                text += " " + std::to_string(e.kind == EventKind::Char ? unsigned{e.ch} : e.vk);
            }
            text += e.alt ? " alt; " : "; ";
        }
        EXPECT_EQ(text, c.events);
        EXPECT_FALSE(input.PenIsDown());
    }
}

TEST(InputTranslator, TheLeftButtonAndOneFingerAreTheStylus) {
    const Uint32 down = SDL_MOUSEBUTTONDOWN, move = SDL_MOUSEMOTION, up = SDL_MOUSEBUTTONUP;
    const Uint32 touch = SDL_TOUCH_MOUSEID;
    Check({
        {"a click", {{Mouse(down, 260 + 21, 30 + 41)}, {Mouse(up, 260 + 21, 30 + 41)}}, "down 10,20; up 10,20; "},
        {"other buttons, and moves without a button",
         {{Mouse(down, 300, 100, SDL_BUTTON_RIGHT)}, {Mouse(up, 300, 100, SDL_BUTTON_RIGHT)}, {Mouse(move, 310, 100)}},
         ""},
        // A press in a bar would land on whatever control touches the edge.
        {"a press in the bars drops its whole stroke",
         {{Mouse(down, 100, 100)}, {Mouse(move, 300, 100)}, {Mouse(up, 300, 100)}, {Mouse(down, 300, 10)},
          {Mouse(up, 300, 10)}},
         ""},
        // A button released off itself must see the release outside, not
        // clamped onto its edge; moves within one device pixel are not sent.
        {"a drag leaving the picture keeps exact coordinates",
         {{Mouse(down, 262, 32)}, {Mouse(move, 263, 33)}, {Mouse(move, 250, 32)}, {Mouse(move, -40, 800)},
          {Mouse(up, -40, 800)}},
         "down 1,1; move -5,1; move -150,385; up -150,385; "},
        {"a missed release is made up before the next press",
         {{Mouse(down, 270, 40)}, {Mouse(down, 300, 50)}, {Mouse(up, 300, 50)}},
         "down 5,5; up 5,5; down 20,10; up 20,10; "},
        {"touch, with the mouse events SDL makes from it ignored",
         {{Finger(SDL_FINGERDOWN, 7, 0.3f)}, {Mouse(down, 300, 350, SDL_BUTTON_LEFT, touch)},
          {Finger(SDL_FINGERMOTION, 7, 0.31f)}, {Mouse(move, 310, 350, SDL_BUTTON_LEFT, touch)},
          {Finger(SDL_FINGERUP, 7, 0.31f)}, {Mouse(up, 310, 350, SDL_BUTTON_LEFT, touch)}},
         "down 20,160; move 25,160; up 25,160; "},
        {"a second finger and the mouse cannot interrupt a finger stroke",
         {{Finger(SDL_FINGERDOWN, 1, 0.3f)}, {Finger(SDL_FINGERDOWN, 2, 0.5f)}, {Finger(SDL_FINGERMOTION, 2, 0.6f)},
          {Finger(SDL_FINGERUP, 2, 0.6f)}, {Mouse(down, 400, 100)}, {Finger(SDL_FINGERUP, 1, 0.3f)}},
         "down 20,160; up 20,160; "},
    });
}

// Alt+'/' and Alt+F4 are the game's accelerators; the desktop's own close
// right after Alt+F4 is the same request and must not arrive twice.
TEST(InputTranslator, KeysCharactersAndClosing) {
    const uint64_t closeMs = InputTranslator::kAltF4CloseWindowMs;
    Check({
        {"Alt+/ gives the key and one system character, not the desktop's text as well",
         {{Key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT)}, {Key(SDL_KEYDOWN, SDLK_SLASH, KMOD_LALT)},
          {Other(SDL_TEXTINPUT, "/")}, {Key(SDL_KEYUP, SDLK_SLASH, KMOD_LALT)}, {Key(SDL_KEYUP, SDLK_LALT, KMOD_NONE)}},
         "key 18 alt; key 191 alt; char 47 alt; keyup 191 alt; keyup 18; "},
        // A stray continuation byte, a lone lead byte and an encoded
        // surrogate are skipped; a character outside the BMP becomes a pair.
        // Text that is not UTF-8 (a stray continuation byte, a surrogate
        // written out) is dropped whole rather than guessed at.
        {"typed text as UTF-16 characters",
         {{Key(SDL_KEYDOWN, SDLK_a, KMOD_NONE)}, {Other(SDL_TEXTINPUT, "ab")}, {Other(SDL_TEXTINPUT, "a\x80" "b")},
          {Other(SDL_TEXTINPUT, "\xED\xA0\x80")}, {Other(SDL_TEXTINPUT, "\xC3\xA9\xF0\x9F\x98\x80")}},
         "key 65; char 97; char 98; char 233; char 55357; char 56832; "},
        {"Alt+F4 is a key, and the close right after it is dropped",
         {{Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT), 5000}, {Other(SDL_QUIT), 5000 + closeMs - 1},
          {Other(SDL_QUIT), 5000 + closeMs}},
         "key 115 alt; close; "},
        {"plain F4 is not Alt+F4", {{Key(SDL_KEYDOWN, SDLK_F4, KMOD_NONE), 100}, {Other(SDL_QUIT), 200}},
         "key 115; close; "},
        {"closing the window, and no other window event",
         {{Other(SDL_WINDOWEVENT, "", SDL_WINDOWEVENT_CLOSE)}, {Other(SDL_WINDOWEVENT, "", SDL_WINDOWEVENT_HIDDEN)}},
         "close; "},
    });
}

// Ctrl+S and Ctrl+C are the host's: no key of theirs reaches the program,
// their release neither (even with Ctrl let go first), and a held key
// repeats no shortcut. With another modifier they are the program's keys.
TEST(Shortcuts, CtrlSAndCtrlCAreTheHostsAndNeverReachTheProgram) {
    InputTranslator input;
    std::deque<host::Event> out;
    auto press = [&](Uint32 type, SDL_Keycode key, Uint16 mod, Uint8 repeat = 0) {
        SDL_Event event = Key(type, key, mod);
        event.key.keysym.scancode = key == SDLK_s ? SDL_SCANCODE_S : key == SDLK_c ? SDL_SCANCODE_C : SDL_SCANCODE_A;
        event.key.repeat = repeat;
        input.Translate(event, 0, &out);
        return input.TakeShortcut();
    };
    using Shortcut = InputTranslator::Shortcut;
    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL), Shortcut::SavePicture);
    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL, 1), Shortcut::None) << "a held key";
    EXPECT_EQ(press(SDL_KEYUP, SDLK_s, KMOD_NONE), Shortcut::None);
    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL), Shortcut::CopyResult);
    EXPECT_EQ(press(SDL_KEYUP, SDLK_c, KMOD_RCTRL), Shortcut::None);
    EXPECT_TRUE(out.empty()) << out.size() << " events reached the program";

    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL | KMOD_LSHIFT), Shortcut::None);
    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL | KMOD_LALT), Shortcut::None);
    EXPECT_EQ(press(SDL_KEYDOWN, SDLK_s, KMOD_NONE), Shortcut::None);
    EXPECT_EQ(press(SDL_KEYUP, SDLK_s, KMOD_NONE), Shortcut::None);
    ASSERT_EQ(out.size(), 5u);  // Ctrl+Alt+C brings its Alt character as well
    EXPECT_EQ(out[0].vk, 'S');
    EXPECT_EQ(out[1].vk, 'C');
    EXPECT_TRUE(out[1].alt);
    EXPECT_EQ(out[3].vk, 'S');
    EXPECT_EQ(out[4].kind, EventKind::KeyUp);
}

// The keys of play, the dialogs and the menu bar, as Windows gives them:
// digits by their place, letters by what they type, the keypad's own keys,
// and the modifiers that tell Ctrl+A from A.
TEST(InputTranslator, KeysArriveAsWindowsVirtualKeys) {
    const Uint32 down = SDL_KEYDOWN, up = SDL_KEYUP;
    Check({
        // AZERTY types "&" on the 1 key and has A where QWERTY has Q.
        {"the top row is digits on every layout, letters follow the layout",
         {{Key(down, SDLK_AMPERSAND, KMOD_NONE, SDL_SCANCODE_1)}, {Key(down, SDLK_a, KMOD_NONE, SDL_SCANCODE_Q)},
          {Key(down, SDLK_0, KMOD_NONE, SDL_SCANCODE_0)}},
         "key 49; key 65; key 48; "},
        {"the keypad's digits whatever Num Lock says, and its signs and Enter",
         {{Key(down, SDLK_END, KMOD_NONE, SDL_SCANCODE_KP_1)}, {Key(down, SDLK_KP_8, KMOD_NUM, SDL_SCANCODE_KP_8)},
          {Key(down, SDLK_KP_PLUS, KMOD_NONE, SDL_SCANCODE_KP_PLUS)},
          {Key(down, SDLK_KP_MINUS, KMOD_NONE, SDL_SCANCODE_KP_MINUS)},
          {Key(down, SDLK_KP_ENTER, KMOD_NONE, SDL_SCANCODE_KP_ENTER)}},
         "key 97; key 104; key 107; key 109; key 13; "},
        {"minus and plus keys, F10, the arrows",
         {{Key(down, SDLK_MINUS, KMOD_NONE)}, {Key(down, SDLK_EQUALS, KMOD_NONE)}, {Key(down, SDLK_PLUS, KMOD_NONE)},
          {Key(down, SDLK_F10, KMOD_NONE)}, {Key(down, SDLK_LEFT, KMOD_NONE)}, {Key(down, SDLK_DOWN, KMOD_NONE)}},
         "key 189; key 187; key 187; key 121; key 37; key 40; "},
        {"Ctrl and Shift go down and up like keys",
         {{Key(down, SDLK_LCTRL, KMOD_LCTRL)}, {Key(down, SDLK_a, KMOD_LCTRL)}, {Key(up, SDLK_a, KMOD_LCTRL)},
          {Key(up, SDLK_LCTRL, KMOD_NONE)}, {Key(down, SDLK_RSHIFT, KMOD_RSHIFT)}, {Key(up, SDLK_RSHIFT, KMOD_NONE)}},
         "key 17; key 65; keyup 65; keyup 17; key 16; keyup 16; "},
        {"the left Alt alone goes down and up; AltGr is no Alt key",
         {{Key(down, SDLK_LALT, KMOD_LALT)}, {Key(up, SDLK_LALT, KMOD_NONE)}, {Key(down, SDLK_RALT, KMOD_RALT)},
          {Key(up, SDLK_RALT, KMOD_NONE)}},
         "key 18 alt; keyup 18; "},
        // Alt+Tab: the desktop takes the focus, and SDL releases Alt as it goes.
        {"an Alt released by the loss of the focus is dropped",
         {{Key(down, SDLK_LALT, KMOD_LALT)}, {Key(up, SDLK_LALT, KMOD_NONE), 0, false},
          {Key(down, SDLK_n, KMOD_NONE), 0, false}},
         "key 18 alt; key 78; "},
    });
}

}  // namespace
}  // namespace sdlhost
