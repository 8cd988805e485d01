// Every text fits its control, in every language: each is drawn with the
// control's own font into a surface larger than the control, and any ink
// outside the control's room fails. The room is the control's rectangle as
// the window manager made it (a push button's less its frame and a pixel of
// air); what fits is judged by the ink alone, never by a text measurement.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gdi/cjk/cjk_glyphs.h"
#include "gdi/font.h"
#include "gdi/font_data.h"
#include "harness.h"
#include "intro/intro.h"
#include "resource.h"
#include "runtime/language.h"
#include "runtime/system.h"
#include "runtime/utf.h"
#include "shell/globals.h"
#include "user/dialog_internal.h"
#include "user/user_internal.h"

namespace progtest {
namespace {

constexpr COLORREF kPaper = RGB(0, 255, 0);  // a colour no text uses
constexpr int kMargin = 120;                   // room around the control to catch spills

const char* const kLanguages[] = {"en", "ja", "ko", "zh-Hans", "zh-Hant", "es", "pt-BR", "fr", "de"};

// Ink found outside a room: how far it reaches past each side.
struct Spill {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool any() const { return left > 0 || top > 0 || right > 0 || bottom > 0; }
};

std::string Utf8(const std::u16string& text) {
    std::string out;
    rt::Utf16ToUtf8(text, out);
    return out;
}

std::string Describe(const Spill& s) {
    return "ink spills left " + std::to_string(s.left) + ", top " + std::to_string(s.top) + ", right " +
           std::to_string(s.right) + ", bottom " + std::to_string(s.bottom) + " pixels";
}

// A memory surface filled with the paper colour; the text drawn on it in
// black and whatever else the caller draws shows as ink.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH paper = CreateSolidBrush(kPaper);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, paper);
        DeleteObject(paper);
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, RGB(0, 0, 0));
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

    // Ink outside room, and whether there is any ink at all.
    Spill Outside(const RECT& room, bool* inked = nullptr) const {
        Spill s;
        bool any = false;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                if (GetPixel(dc_, x, y) == kPaper) continue;
                any = true;
                s.left = std::max(s.left, int(room.left) - x);
                s.right = std::max(s.right, x + 1 - int(room.right));
                s.top = std::max(s.top, int(room.top) - y);
                s.bottom = std::max(s.bottom, y + 1 - int(room.bottom));
            }
        if (inked != nullptr) *inked = any;
        return s;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// Every character of a text has a glyph, in the font or the supplement: a
// character without one is drawn as a box, which fits but reads as nothing.
void ExpectGlyphs(const std::u16string& text, HFONT font) {
    const gdi::BakedFont* baked = gdi::ResolveFont(font);
    for (char16_t c : text) {
        EXPECT_TRUE(gdi::FindGlyph(baked, c) != nullptr || gdi::FindGlyph(gdi::SupplementFont(), c) != nullptr)
            << "no glyph for U+" << std::hex << int(c) << " of \"" << Utf8(text) << "\"";
    }
}

// Draws text as a control of the given size draws it (its font, its
// format), placed kMargin pixels in, and returns the ink outside room
// (in the control's client coordinates).
Spill DrawnOutside(const std::u16string& text, HFONT font, UINT format, SIZE control, RECT room) {
    ExpectGlyphs(text, font);
    Surface surface(control.cx + 2 * kMargin, control.cy + 2 * kMargin);
    HGDIOBJ old = font != nullptr ? SelectObject(surface.dc(), font) : nullptr;
    RECT r{kMargin, kMargin, kMargin + control.cx, kMargin + control.cy};
    DrawTextW(surface.dc(), text.c_str(), -1, &r, format | DT_NOCLIP);
    if (font != nullptr) SelectObject(surface.dc(), old);
    room = RECT{room.left + kMargin, room.top + kMargin, room.right + kMargin, room.bottom + kMargin};
    bool inked = false;
    Spill s = surface.Outside(room, &inked);
    EXPECT_TRUE(inked || text.empty()) << "nothing was drawn";
    return s;
}

SIZE SizeOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// How a control draws its label and the room the label has: a push
// button's face inside its frame (2 pixels for the default button, 1 for
// another) less a pixel of air; a static's whole rectangle.
struct Label {
    UINT format;
    int inset;
};

Label LabelOf(const user::Window* w) {
    if (w->cls != nullptr && w->cls->name == u"BUTTON") {
        const bool isDefault = (w->style & 0x0F) == BS_DEFPUSHBUTTON;
        return {DT_CENTER | DT_VCENTER | DT_SINGLELINE, isDefault ? 3 : 2};
    }
    const UINT align = (w->style & 0x03) == SS_CENTER ? DT_CENTER : (w->style & 0x03) == 2 /* SS_RIGHT */ ? DT_RIGHT : DT_LEFT;
    return {align | ((w->style & SS_NOPREFIX) ? UINT(DT_NOPREFIX) : 0u), 0};
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Every text of a dialog's controls, checked in the control's font; text
// replaces one control's words when given (the test of the test).
void CheckDialog(int id, const std::string& language, std::vector<std::string>* failures,
                 const char16_t* replacement = nullptr) {
    HRSRC found = FindResourceW(g_hInst, MAKEINTRESOURCEW(id), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    auto* tmpl = static_cast<LPCDLGTEMPLATEW>(LoadResource(g_hInst, found));
    HWND dialog = CreateDialogIndirectParamW(g_hInst, tmpl, g_hwndMain, QuietDialog, 0);
    ASSERT_NE(dialog, nullptr);
    int texts = 0;
    for (const user::Window* child : user::FromHandle(dialog)->children) {
        if (child->text.empty()) continue;  // the logo
        const std::u16string text = replacement != nullptr && texts == 0 ? std::u16string(replacement) : child->text;
        const Label label = LabelOf(child);
        const SIZE size = SizeOf(child->handle);
        const RECT room{label.inset, label.inset, size.cx - label.inset, size.cy - label.inset};
        auto font = reinterpret_cast<HFONT>(SendMessageW(child->handle, WM_GETFONT, 0, 0));
        const Spill s = DrawnOutside(text, font, label.format, size, room);
        if (s.any())
            failures->push_back(language + " dialog " + std::to_string(id) + " \"" + Utf8(text) + "\" in " +
                                std::to_string(size.cx) + " x " + std::to_string(size.cy) + ": " + Describe(s));
        ++texts;
    }
    EXPECT_GE(texts, 3) << "the dialog lost its texts";
    DestroyWindow(dialog);
}

// The bar's five buttons: each inside the screen, its label in the system
// font inside the button's face, and Help's left of its 8-pixel arrow.
void CheckBar(const std::string& language, std::vector<std::string>* failures) {
    const user::Window* bar = user::FromHandle(g_hwndMenuBar);
    ASSERT_NE(bar, nullptr);
    WCHAR help[64] = {0};
    LoadStringW(g_hInst, IDS_HELP, help, 64);
    int buttons = 0;
    for (const user::Window* b : bar->children) {
        RECT onScreen{};
        GetWindowRect(b->handle, &onScreen);
        if (onScreen.left < 0 || onScreen.right > 240)
            failures->push_back(language + " bar \"" + Utf8(b->text) + "\" lies past the screen's edge at " +
                                std::to_string(onScreen.right));
        const SIZE size = SizeOf(b->handle);
        const int arrow = b->text == help ? 8 : 0;
        const SIZE face{size.cx - arrow, size.cy};
        const Spill s = DrawnOutside(b->text, nullptr, DT_CENTER | DT_VCENTER | DT_SINGLELINE, face,
                                     RECT{1, 1, face.cx - 1, face.cy - 1});
        if (s.any()) failures->push_back(language + " bar \"" + Utf8(b->text) + "\": " + Describe(s));
        ++buttons;
    }
    EXPECT_EQ(buttons, 5) << language;
}

// The intro panel's five messages, outlined as the panel draws them, inside
// the panel. The panel centres each message, so a message too wide spills
// past both sides; the surface reaches past the right and bottom ones.
void CheckIntro(const std::string& language, std::vector<std::string>* failures, const char16_t* extra = nullptr) {
    const SIZE panel = SizeOf(g_hwndIntro);
    ASSERT_GT(panel.cx, 100);
    std::vector<std::u16string> messages;
    for (int i = 0; i < INTRO_MESSAGE_COUNT; ++i) {
        const WCHAR* text = nullptr;
        const bool own = LoadStringW(g_hInst, IDS_INTRO_FIRST + i, reinterpret_cast<LPWSTR>(&text), 0) > 0;
        messages.push_back(own ? text : g_introMessages[i]);
    }
    if (extra != nullptr) messages.push_back(extra);
    for (const std::u16string& message : messages) {
        Surface surface(panel.cx + kMargin, panel.cy + kMargin);
        ExpectGlyphs(message, nullptr);
        DrawOutlinedText(g_hwndIntro, surface.dc(), message.c_str(), RGB(255, 255, 255));
        bool inked = false;
        const Spill s = surface.Outside(RECT{0, 0, panel.cx, panel.cy}, &inked);
        EXPECT_TRUE(inked);
        if (s.any()) failures->push_back(language + " intro \"" + Utf8(message) + "\": " + Describe(s));
    }
}

// Runs the program in a language, starts a game (for the intro panel) and
// runs check inside it.
void InLanguage(const std::string& language, const std::function<void()>& check) {
    sys::SetLanguage(language);
    const int code = RunProgram({CommandStep(IDM_NEW), WaitStep(100), CheckStep(check)});
    sys::SetLanguage("");
    EXPECT_EQ(code, 0);
}

class FitTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gdi::UseCjkGlyphs()); }
    void TearDown() override { gdi::RemoveSupplement(); }
};

TEST_F(FitTest, EveryTextOfEveryLanguageFitsItsControl) {
    for (const char* language : kLanguages) {
        std::vector<std::string> failures;
        InLanguage(language, [&] {
            CheckBar(language, &failures);
            CheckDialog(IDD_OPTION, language, &failures);
            CheckDialog(IDD_ABOUT, language, &failures);
            CheckIntro(language, &failures);
        });
        for (const std::string& f : failures) ADD_FAILURE() << f;
    }
}

// The checks see an overflow when there is one: a long word in the Option
// dialog's first button, a long message in the intro panel.
TEST_F(FitTest, TheChecksCatchATextTooLong) {
    std::vector<std::string> failures;
    InLanguage("ja", [&] {
        CheckDialog(IDD_OPTION, "ja", &failures, u"キャンセルキャンセル");
        CheckIntro("ja", &failures, u"MENKORのあみだくじ MENKORのあみだくじ");
    });
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_NE(failures[0].find("right"), std::string::npos);
    EXPECT_NE(failures[1].find("intro"), std::string::npos);
}

}  // namespace
}  // namespace progtest
