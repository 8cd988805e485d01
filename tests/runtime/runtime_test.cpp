#include <gtest/gtest.h>

#include "runtime/crt.h"
#include "runtime/hash.h"
#include "runtime/runtime_control.h"
#include "runtime/utf.h"

TEST(Rand, FollowsTheClassicGeneratorFromAKnownSeed) {
    crt::srand(1);
    // The first values of the classic runtime generator seeded with 1.
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    crt::srand(0xFFFFFFFFu);
    for (int i = 0; i < 10000; ++i) {
        int v = crt::rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

int AlwaysMax() { return 32767; }
int AlwaysZero() { return 0; }

TEST(Rand, ScopedSourceReplacesAndRestoresTheGenerator) {
    crt::srand(7);
    int expected = crt::rand();
    crt::srand(7);
    {
        rt::ScopedRandSource max(AlwaysMax);
        EXPECT_EQ(crt::rand(), 32767);
        {
            rt::ScopedRandSource zero(AlwaysZero);
            EXPECT_EQ(crt::rand(), 0);
        }
        EXPECT_EQ(crt::rand(), 32767);
    }
    // The generator's own state was untouched while replaced.
    EXPECT_EQ(crt::rand(), expected);
}

TEST(Clock, VirtualClockWrapsTheTickCountAt32Bits) {
    rt::UseVirtualClock(0xFFFFFFFFull - 5);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFAu);
    DWORD before = GetTickCount();
    rt::AdvanceClock(10);
    EXPECT_EQ(GetTickCount(), 4u);
    EXPECT_EQ(static_cast<DWORD>(GetTickCount() - before), 10u);
    EXPECT_EQ(rt::NowMs(), 0xFFFFFFFFull + 5);
    rt::SetClock(123);
    EXPECT_EQ(GetTickCount(), 123u);
    rt::UseRealClock();
}

TEST(WideStrings, FormatsTheDirectivesTheProgramUses) {
    WCHAR buf[64];
    EXPECT_EQ(wsprintfW(buf, u"%d", 6), 1);
    EXPECT_EQ(std::u16string(buf), u"6");
    wsprintfW(buf, u"%d|%5d|%03d|%x|%X|%u", -42, 7, 5, 255, 255, 4000000000u);
    EXPECT_EQ(std::u16string(buf), u"-42|    7|005|ff|FF|4000000000");
    wsprintfW(buf, u"%s=%c%%", u"key", u'v');
    EXPECT_EQ(std::u16string(buf), u"key=v%");
    wsprintfW(buf, u"%d", -2147483647 - 1);
    EXPECT_EQ(std::u16string(buf), u"-2147483648");
    EXPECT_EQ(wcslen(u""), 0u);
    EXPECT_EQ(wcslen(u"Tavilo"), 6u);
}

TEST(WideStrings, NeverWritesPastTheFormatterLimit) {
    std::u16string longText(3000, u'x');
    std::vector<WCHAR> buf(2048, u'#');
    int n = wsprintfW(buf.data(), u"%s", longText.c_str());
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(buf[1023], 0);
    EXPECT_EQ(buf[1024], u'#');
}

// The codec is strict both ways: every malformed form is refused, so nothing
// read wrongly can be written back as if it were right.
TEST(Utf, RoundTripsEveryPlaneAndRefusesMalformedText) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e acute, euro, an emoji
    std::u16string wide;
    ASSERT_TRUE(rt::Utf8ToUtf16(text, wide));
    EXPECT_EQ(wide, (std::u16string{u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    std::string back;
    ASSERT_TRUE(rt::Utf16ToUtf8(wide, back));
    EXPECT_EQ(back, text);
    const char* badUtf8[] = {"\x80", "a\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8"};
    for (const char* bad : badUtf8) EXPECT_FALSE(rt::Utf8ToUtf16(bad, wide)) << bad;
    const std::u16string badUtf16[] = {{0xD800}, {0xDC00, u'a'}, {0xD800, u'a'}};
    for (const std::u16string& bad : badUtf16) EXPECT_FALSE(rt::Utf16ToUtf8(bad, back));
}

// The published FNV-1a test values, so that the names made from it (claims,
// socket files) are the same in every build; bytes above 0x7F count as
// unsigned, and a wide unit is mixed whole, not as its bytes.
TEST(Fnv1a, GivesThePublishedValuesAndMixesWideUnitsWhole) {
    struct Case { const char* text; uint64_t value; };
    for (const Case& c : {Case{"", 0xcbf29ce484222325ull}, Case{"a", 0xaf63dc4c8601ec8cull},
                          Case{"foobar", 0x85944171f73967e8ull}}) {
        rt::Fnv1a hash;
        hash.AddBytes(c.text);
        EXPECT_EQ(hash.Value(), c.value) << '"' << c.text << '"';
    }
    rt::Fnv1a bytes;
    bytes.AddBytes("\xff");
    rt::Fnv1a unit;
    unit.AddUnit(0xFF);
    EXPECT_EQ(bytes.Value(), unit.Value());
    rt::Fnv1a wide;
    wide.AddUnit(0x0161);
    rt::Fnv1a split;
    split.AddBytes("\x01\x61");
    EXPECT_NE(wide.Value(), split.Value());
    rt::Fnv1a a;
    a.AddBytes("a");
    EXPECT_EQ(a.Hex(), "af63dc4c8601ec8c");
}
