// Turns SDL events into the host seam's input events: the left mouse button
// and touch as the stylus, keys as virtual keys and characters, and a request
// to close the desktop window as Close.
#pragma once

#include <SDL_events.h>

#include <cstdint>
#include <deque>

#include "desktop/layout.h"
#include "user/host.h"

namespace sdlhost {

class InputTranslator {
public:
    // A close request this soon after Alt+F4 went to the program as a key is
    // the desktop's own reaction to the same keys; the key already carries
    // the request, so the close is dropped.
    static constexpr uint64_t kAltF4CloseWindowMs = 1000;

    // What the host itself does for a key, which the program never sees:
    // Ctrl+S saves the board picture, Ctrl+C copies the draw as text.
    enum class Shortcut { None, SavePicture, CopyResult };

    void SetLayout(const desktop::Layout& layout) { layout_ = layout; }

    // The shortcut of the last key translated, once; None when there was
    // none.
    Shortcut TakeShortcut() {
        Shortcut taken = shortcut_;
        shortcut_ = Shortcut::None;
        return taken;
    }

    // Whether the window has the keyboard as the next event is translated.
    // When the desktop takes the focus away (Alt+Tab), SDL releases every
    // key still held before it reports the loss; such a release of Alt is
    // not the player's Alt pressed alone, which would open the menu bar.
    void SetKeyboardFocus(bool focused) { keyboardFocus_ = focused; }

    // Appends to out the events that one SDL event stands for (often none).
    void Translate(const SDL_Event& event, uint64_t nowMs, std::deque<host::Event>* out);

    bool PenIsDown() const { return pen_ != Pen::Up; }

private:
    enum class Pen { Up, Mouse, Finger };

    void PenPress(Pen source, int windowX, int windowY, std::deque<host::Event>* out);
    void PenDrag(int windowX, int windowY, host::EventKind kind, std::deque<host::Event>* out);
    void Key(const SDL_KeyboardEvent& key, uint64_t nowMs, std::deque<host::Event>* out);
    bool ShortcutKey(const SDL_KeyboardEvent& key);
    void Text(const char* utf8, std::deque<host::Event>* out);
    void CloseRequest(uint64_t nowMs, std::deque<host::Event>* out);

    desktop::Layout layout_;
    Pen pen_ = Pen::Up;
    SDL_FingerID finger_ = 0;
    int lastX_ = 0;
    int lastY_ = 0;
    bool altHeld_ = false;
    bool keyboardFocus_ = true;
    bool altF4Seen_ = false;
    uint64_t altF4Ms_ = 0;
    Shortcut shortcut_ = Shortcut::None;
    // The keys pressed as shortcuts, whose release is not the program's
    // either, whatever modifiers are held by then.
    SDL_Scancode shortcutKeys_[2] = {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN};
};

}  // namespace sdlhost
