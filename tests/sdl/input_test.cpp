// SDL events as the host's input events: the stylus from the mouse and from
// touch through the letterbox, keys for the accelerators, and closing.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "input.h"

namespace sdlhost {
namespace {

using host::EventKind;

// A window of 1000 x 700: the picture at scale 2 from (260, 30).
class InputTest : public ::testing::Test {
protected:
    void SetUp() override { input.SetLayout(FitPicture(1000, 700)); }

    void Send(const SDL_Event& event, uint64_t nowMs = 0) { input.Translate(event, nowMs, &out); }

    void Mouse(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT, Uint32 which = 0) {
        SDL_Event event = {};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.x = x;
            event.motion.y = y;
            event.motion.which = which;
        } else {
            event.button.x = x;
            event.button.y = y;
            event.button.button = button;
            event.button.which = which;
        }
        Send(event);
    }

    void Finger(Uint32 type, SDL_FingerID id, float x, float y) {
        SDL_Event event = {};
        event.type = type;
        event.tfinger.fingerId = id;
        event.tfinger.x = x;
        event.tfinger.y = y;
        Send(event);
    }

    void Key(Uint32 type, SDL_Keycode key, Uint16 mod, uint64_t nowMs = 0) {
        SDL_Event event = {};
        event.type = type;
        event.key.type = type;
        event.key.keysym.sym = key;
        event.key.keysym.mod = mod;
        Send(event, nowMs);
    }

    void Text(const char* text) {
        SDL_Event event = {};
        event.type = SDL_TEXTINPUT;
        std::snprintf(event.text.text, sizeof(event.text.text), "%s", text);
        Send(event);
    }

    void Quit(uint64_t nowMs) {
        SDL_Event event = {};
        event.type = SDL_QUIT;
        Send(event, nowMs);
    }

    // The events so far as one line each, for comparing whole sequences.
    std::string Take() {
        std::string text;
        for (const host::Event& e : out) {
            switch (e.kind) {
            case EventKind::PenDown: text += "down " + std::to_string(e.x) + "," + std::to_string(e.y); break;
            case EventKind::PenMove: text += "move " + std::to_string(e.x) + "," + std::to_string(e.y); break;
            case EventKind::PenUp: text += "up " + std::to_string(e.x) + "," + std::to_string(e.y); break;
            case EventKind::KeyDown: text += "key " + std::to_string(e.vk); break;
            case EventKind::KeyUp: text += "keyup " + std::to_string(e.vk); break;
            case EventKind::Char: text += "char " + std::to_string(static_cast<unsigned>(e.ch)); break;
            case EventKind::Close: text += "close"; break;
            default: text += "other"; break;
            }
            if (e.alt) {
                text += " alt";
            }
            text += "; ";
        }
        out.clear();
        return text;
    }

    InputTranslator input;
    std::deque<host::Event> out;
};

TEST_F(InputTest, ALeftClickIsPenDownAndUpAtTheDevicePixel) {
    Mouse(SDL_MOUSEBUTTONDOWN, 260 + 21, 30 + 41);
    Mouse(SDL_MOUSEBUTTONUP, 260 + 21, 30 + 41);
    EXPECT_EQ(Take(), "down 10,20; up 10,20; ");
    EXPECT_FALSE(input.PenIsDown());
}

TEST_F(InputTest, OtherButtonsAreNotTheStylus) {
    Mouse(SDL_MOUSEBUTTONDOWN, 300, 100, SDL_BUTTON_RIGHT);
    Mouse(SDL_MOUSEBUTTONUP, 300, 100, SDL_BUTTON_RIGHT);
    Mouse(SDL_MOUSEMOTION, 310, 100);
    EXPECT_EQ(Take(), "");
}

TEST_F(InputTest, MovesWithoutTheButtonAreNotStrokes) {
    Mouse(SDL_MOUSEMOTION, 300, 100);
    EXPECT_EQ(Take(), "");
}

TEST_F(InputTest, AClickInTheBarsIsDroppedWithItsWholeStroke) {
    Mouse(SDL_MOUSEBUTTONDOWN, 100, 100);  // left bar
    Mouse(SDL_MOUSEMOTION, 300, 100);      // dragged into the picture
    Mouse(SDL_MOUSEBUTTONUP, 300, 100);
    EXPECT_EQ(Take(), "");
    Mouse(SDL_MOUSEBUTTONDOWN, 300, 10);  // top bar
    Mouse(SDL_MOUSEBUTTONUP, 300, 10);
    EXPECT_EQ(Take(), "");
}

TEST_F(InputTest, ADragLeavingThePictureKeepsExactOutsideCoordinates) {
    Mouse(SDL_MOUSEBUTTONDOWN, 262, 32);
    Mouse(SDL_MOUSEMOTION, 250, 32);  // into the left bar
    Mouse(SDL_MOUSEMOTION, -40, 800);  // beyond the window, still captured
    Mouse(SDL_MOUSEBUTTONUP, -40, 800);
    EXPECT_EQ(Take(), "down 1,1; move -5,1; move -150,385; up -150,385; ");
}

TEST_F(InputTest, MovesWithinOneDevicePixelAreNotRepeated) {
    Mouse(SDL_MOUSEBUTTONDOWN, 260, 30);
    Mouse(SDL_MOUSEMOTION, 261, 31);
    Mouse(SDL_MOUSEMOTION, 262, 31);
    EXPECT_EQ(Take(), "down 0,0; move 1,0; ");
}

TEST_F(InputTest, AMissedReleaseIsMadeUpBeforeTheNextPress) {
    Mouse(SDL_MOUSEBUTTONDOWN, 270, 40);
    Mouse(SDL_MOUSEBUTTONDOWN, 300, 50);
    EXPECT_EQ(Take(), "down 5,5; up 5,5; down 20,10; ");
}

TEST_F(InputTest, TouchIsTheStylusAndItsMouseCopiesAreIgnored) {
    Finger(SDL_FINGERDOWN, 7, 0.3f, 0.5f);  // window (300, 350)
    Mouse(SDL_MOUSEBUTTONDOWN, 300, 350, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID);
    Finger(SDL_FINGERMOTION, 7, 0.31f, 0.5f);
    Mouse(SDL_MOUSEMOTION, 310, 350, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID);
    Finger(SDL_FINGERUP, 7, 0.31f, 0.5f);
    Mouse(SDL_MOUSEBUTTONUP, 310, 350, SDL_BUTTON_LEFT, SDL_TOUCH_MOUSEID);
    EXPECT_EQ(Take(), "down 20,160; move 25,160; up 25,160; ");
}

TEST_F(InputTest, ASecondFingerIsIgnoredWhileTheFirstIsDown) {
    Finger(SDL_FINGERDOWN, 1, 0.3f, 0.5f);
    Finger(SDL_FINGERDOWN, 2, 0.5f, 0.5f);
    Finger(SDL_FINGERMOTION, 2, 0.6f, 0.5f);
    Finger(SDL_FINGERUP, 2, 0.6f, 0.5f);
    EXPECT_TRUE(input.PenIsDown());
    Finger(SDL_FINGERUP, 1, 0.3f, 0.5f);
    EXPECT_EQ(Take(), "down 20,160; up 20,160; ");
}

TEST_F(InputTest, TheMouseCannotInterruptAFingerStroke) {
    Finger(SDL_FINGERDOWN, 1, 0.3f, 0.5f);
    Mouse(SDL_MOUSEBUTTONDOWN, 400, 100);
    Finger(SDL_FINGERUP, 1, 0.3f, 0.5f);
    EXPECT_EQ(Take(), "down 20,160; up 20,160; ");
}

TEST_F(InputTest, AltSlashGivesTheKeyAndTheSystemCharacter) {
    Key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    Key(SDL_KEYDOWN, SDLK_SLASH, KMOD_LALT);
    Text("/");  // some desktops send the text as well
    Key(SDL_KEYUP, SDLK_SLASH, KMOD_LALT);
    Key(SDL_KEYUP, SDLK_LALT, KMOD_NONE);
    EXPECT_EQ(Take(), "key 191 alt; char 47 alt; keyup 191 alt; ");
}

TEST_F(InputTest, TypedTextArrivesAsCharactersWithoutAlt) {
    Key(SDL_KEYDOWN, SDLK_a, KMOD_NONE);
    Text("a");
    Text("\xC3\xA9\xF0\x9F\x98\x80");  // e acute, then a character outside the BMP
    EXPECT_EQ(Take(), "key 65; char 97; char 233; char 55357; char 56832; ");
}

TEST_F(InputTest, AltF4IsAKeyAndTheDesktopsOwnCloseRightAfterIsDropped) {
    Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT, 5000);
    Quit(5000 + InputTranslator::kAltF4CloseWindowMs - 1);
    EXPECT_EQ(Take(), "key 115 alt; ");
    Quit(5000 + InputTranslator::kAltF4CloseWindowMs);
    EXPECT_EQ(Take(), "close; ");
}

TEST_F(InputTest, ClosingTheWindowIsClose) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    Send(event, 0);
    EXPECT_EQ(Take(), "close; ");
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Send(event, 0);
    EXPECT_EQ(Take(), "");
}

TEST_F(InputTest, PlainF4IsNotTakenForAltF4) {
    Key(SDL_KEYDOWN, SDLK_F4, KMOD_NONE, 100);
    Quit(200);
    EXPECT_EQ(Take(), "key 115; close; ");
}

TEST(Utf16FromUtf8, SkipsMalformedBytes) {
    EXPECT_EQ(Utf16FromUtf8("a\x80" "b\xC3"), u"ab");
    EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80x"), u"x");  // an encoded surrogate is not a character
    EXPECT_EQ(Utf16FromUtf8(""), u"");
}

}  // namespace
}  // namespace sdlhost
