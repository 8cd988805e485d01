// SDL keys as the virtual keys and Alt characters the accelerators match.
#include <gtest/gtest.h>

#include "keymap.h"

namespace sdlhost {
namespace {

TEST(VkFromKeycode, LettersAreUpperCaseAndDigitsAreThemselves) {
    EXPECT_EQ(VkFromKeycode(SDLK_a), 0x41u);
    EXPECT_EQ(VkFromKeycode(SDLK_z), 0x5Au);
    EXPECT_EQ(VkFromKeycode(SDLK_0), 0x30u);
    EXPECT_EQ(VkFromKeycode(SDLK_9), 0x39u);
}

TEST(VkFromKeycode, FunctionKeysRunFromF1ToF12) {
    EXPECT_EQ(VkFromKeycode(SDLK_F1), 0x70u);
    EXPECT_EQ(VkFromKeycode(SDLK_F4), 0x73u);  // Alt+F4 is the Exit accelerator
    EXPECT_EQ(VkFromKeycode(SDLK_F12), 0x7Bu);
    EXPECT_EQ(VkFromKeycode(SDLK_F13), 0u);
}

TEST(VkFromKeycode, EditingAndCursorKeys) {
    EXPECT_EQ(VkFromKeycode(SDLK_RETURN), 0x0Du);
    EXPECT_EQ(VkFromKeycode(SDLK_KP_ENTER), 0x0Du);
    EXPECT_EQ(VkFromKeycode(SDLK_ESCAPE), 0x1Bu);
    EXPECT_EQ(VkFromKeycode(SDLK_TAB), 0x09u);
    EXPECT_EQ(VkFromKeycode(SDLK_BACKSPACE), 0x08u);
    EXPECT_EQ(VkFromKeycode(SDLK_SPACE), 0x20u);
    EXPECT_EQ(VkFromKeycode(SDLK_LEFT), 0x25u);
    EXPECT_EQ(VkFromKeycode(SDLK_UP), 0x26u);
    EXPECT_EQ(VkFromKeycode(SDLK_RIGHT), 0x27u);
    EXPECT_EQ(VkFromKeycode(SDLK_DOWN), 0x28u);
}

TEST(VkFromKeycode, SlashIsTheOemTwoKey) {
    EXPECT_EQ(VkFromKeycode(SDLK_SLASH), 0xBFu);
}

TEST(VkFromKeycode, ModifiersAndUnknownKeysAreNotPassedOn) {
    EXPECT_EQ(VkFromKeycode(SDLK_LALT), 0u);
    EXPECT_EQ(VkFromKeycode(SDLK_LSHIFT), 0u);
    EXPECT_EQ(VkFromKeycode(SDLK_UNKNOWN), 0u);
    EXPECT_EQ(VkFromKeycode(SDLK_VOLUMEUP), 0u);
}

TEST(AltCharFromKeycode, PrintableKeysGiveTheirCharacter) {
    EXPECT_EQ(AltCharFromKeycode(SDLK_SLASH, KMOD_LALT), u'/');
    EXPECT_EQ(AltCharFromKeycode(SDLK_KP_DIVIDE, KMOD_LALT), u'/');
    EXPECT_EQ(AltCharFromKeycode(SDLK_a, KMOD_LALT), u'a');
    EXPECT_EQ(AltCharFromKeycode(SDLK_a, KMOD_LALT | KMOD_LSHIFT), u'A');
    EXPECT_EQ(AltCharFromKeycode(SDLK_7, KMOD_RALT), u'7');
    EXPECT_EQ(AltCharFromKeycode(SDLK_SPACE, KMOD_LALT), u' ');
}

TEST(AltCharFromKeycode, KeysWithoutACharacterGiveNone) {
    EXPECT_EQ(AltCharFromKeycode(SDLK_F4, KMOD_LALT), 0);
    EXPECT_EQ(AltCharFromKeycode(SDLK_RETURN, KMOD_LALT), 0);
    EXPECT_EQ(AltCharFromKeycode(SDLK_ESCAPE, KMOD_LALT), 0);
    EXPECT_EQ(AltCharFromKeycode(SDLK_DELETE, KMOD_LALT), 0);
    EXPECT_EQ(AltCharFromKeycode(SDLK_LEFT, KMOD_LALT), 0);
}

}  // namespace
}  // namespace sdlhost
