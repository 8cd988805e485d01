// The .reg text layout on its own: what reads, what is refused, and that
// whatever reads is written back to the same values.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "include/windows.h"
#include "registry/regtext.h"

namespace {

using reg::Document;
using reg::ParseDocument;
using reg::SerializeDocument;

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

std::vector<BYTE> Bytes(std::initializer_list<int> list) {
    std::vector<BYTE> out;
    for (int b : list) {
        out.push_back(static_cast<BYTE>(b));
    }
    return out;
}

std::vector<BYTE> Utf16z(std::u16string_view text) {
    std::vector<BYTE> out;
    for (char16_t c : text) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

void ExpectSameDocument(const Document& a, const Document& b) {
    ASSERT_EQ(a.keys.size(), b.keys.size());
    for (size_t k = 0; k < a.keys.size(); ++k) {
        EXPECT_EQ(a.keys[k].path, b.keys[k].path);
        ASSERT_EQ(a.keys[k].entries.size(), b.keys[k].entries.size());
        for (size_t e = 0; e < a.keys[k].entries.size(); ++e) {
            const reg::Entry& x = a.keys[k].entries[e];
            const reg::Entry& y = b.keys[k].entries[e];
            EXPECT_EQ(x.isComment, y.isComment);
            EXPECT_EQ(x.comment, y.comment);
            EXPECT_EQ(x.value.name, y.value.name);
            EXPECT_EQ(x.value.type, y.value.type) << "value " << e << " of key " << k;
            EXPECT_EQ(x.value.data, y.value.data) << "value " << e << " of key " << k;
        }
    }
    EXPECT_EQ(a.leadingComments, b.leadingComments);
}

// Data that has no plain text form must still come back byte for byte.
TEST(RegText, EveryValueSurvivesARewrite) {
    Document doc;
    reg::Key& key = reg::AddKey(doc, u"Software\\Menkor\\Tavilo");
    std::vector<BYTE> longBinary(300);
    for (size_t i = 0; i < longBinary.size(); ++i) {
        longBinary[i] = static_cast<BYTE>(i * 7);
    }
    std::vector<BYTE> loneSurrogate = Bytes({0x00, 0xD8, 0x41, 0x00, 0, 0});
    std::vector<BYTE> text = Utf16z(u"quote \" back \\ \u00fc \U0001D11E end");
    struct {
        std::u16string name;
        DWORD type;
        std::vector<BYTE> data;
    } values[] = {
        {u"PlayerCount", REG_DWORD, Bytes({6, 0, 0, 0})},
        {u"Short", REG_DWORD, Bytes({1, 2})},
        {u"Long", REG_DWORD, Bytes({1, 2, 3, 4, 5})},
        {u"Text", REG_SZ, text},
        {u"Lines", REG_SZ, Utf16z(u"one\ntwo")},
        {u"Unterminated", REG_SZ, Bytes({0x41, 0})},
        {u"Odd", REG_SZ, Bytes({0x41, 0, 0})},
        {u"Broken", REG_SZ, loneSurrogate},
        {u"Empty", REG_BINARY, {}},
        {u"Blob", REG_BINARY, longBinary},
        {u"Multi", 7, Utf16z(u"a")},
        {u"Big type", 0x12345678, Bytes({0xFF})},
        {u"", REG_SZ, Utf16z(u"default")},
        {u"@", REG_SZ, Utf16z(u"named at")},
        {u"name \"with\" \\ and = sign", REG_DWORD, Bytes({9, 0, 0, 0})},
    };
    for (const auto& v : values) {
        reg::SetValue(key, v.name, v.type, v.data.data(), v.data.size());
    }
    reg::AddKey(doc, u"");
    reg::AddKey(doc, u"HKEY_CURRENT_USER\\Odd name");
    std::string written = SerializeDocument(doc);
    Document back;
    reg::ParseError error;
    ASSERT_TRUE(ParseDocument(written, back, &error)) << error.line << ": " << error.reason << "\n" << written;
    ExpectSameDocument(doc, back);
    // Readable where the value allows it, and wrapped like regedit.
    EXPECT_NE(written.find("\"PlayerCount\"=dword:00000006\n"), std::string::npos);
    EXPECT_NE(written.find("\"Text\"=\"quote \\\" back \\\\ \xc3\xbc \xf0\x9d\x84\x9e end\"\n"), std::string::npos);
    EXPECT_NE(written.find("\"Short\"=hex(4):01,02\n"), std::string::npos);
    EXPECT_NE(written.find("@=\"default\"\n"), std::string::npos);
    std::istringstream lines(written);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
    }
}

TEST(RegText, ToleratesTheUsualVariations) {
    const std::string variants[] = {
        kHeader + "[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000003\n",
        "\xEF\xBB\xBF" + kHeader + "[Software\\Menkor\\Tavilo]\r\n\"PlayerCount\"=dword:00000003\r\n",
        "\n\n" + kHeader + "; a note\n\n[HKEY_CURRENT_USER\\Software\\Menkor\\Tavilo]\n\n; more\n"
            "  \"PlayerCount\" = DWORD:3   \n",
        kHeader + "[software\\menkor\\tavilo]\n\"PlayerCount\"=dword:00000009\n[Software\\Menkor\\Tavilo]\n"
            "\"playercount\"=hex(4):03,\\\n   00,00,\\\n 00\n",
    };
    for (const std::string& text : variants) {
        Document doc;
        reg::ParseError error;
        ASSERT_TRUE(ParseDocument(text, doc, &error)) << error.line << ": " << error.reason << "\n" << text;
        reg::Key* key = reg::FindKey(doc, u"SOFTWARE\\Menkor\\TAVILO");
        ASSERT_NE(key, nullptr) << text;
        EXPECT_EQ(std::count_if(key->entries.begin(), key->entries.end(),
                                [](const reg::Entry& e) { return !e.isComment; }),
                  1)
            << text;
        reg::Value* value = reg::FindValue(*key, u"PLAYERCOUNT");
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->data, Bytes({3, 0, 0, 0})) << text;
    }

    // A regedit export in UTF-16 with its byte-order mark.
    std::u16string wide = u"Windows Registry Editor Version 5.00\r\n\r\n[A]\r\n\"N\"=\"\u00e9\"\r\n";
    std::string raw = "\xFF\xFE";
    for (char16_t c : wide) {
        raw.push_back(static_cast<char>(c & 0xFF));
        raw.push_back(static_cast<char>(c >> 8));
    }
    Document doc;
    ASSERT_TRUE(ParseDocument(raw, doc, nullptr));
    ASSERT_NE(reg::FindKey(doc, u"a"), nullptr);
    EXPECT_EQ(reg::FindValue(*reg::FindKey(doc, u"a"), u"n")->data, Utf16z(u"\u00e9"));

    // Nothing at all is an empty registry, not damage.
    EXPECT_TRUE(ParseDocument("", doc, nullptr));
    EXPECT_TRUE(ParseDocument(" \n\r\n", doc, nullptr));
}

TEST(RegText, RefusesDamage) {
    const std::string section = kHeader + "[Software\\Menkor\\Tavilo]\n";
    const std::string damaged[] = {
        "garbage\n",
        "[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000003\n",
        "; comment first\n" + kHeader,
        section + "\"PlayerCount\"=dword:zzzz\n",
        section + "\"PlayerCount\"=dword:100000000\n",
        section + "\"PlayerCount\"=dword:\n",
        section + "\"PlayerCount\"=dword:0000000g\n",
        section + "\"PlayerCount\"=-\n",
        section + "\"PlayerCount\"\n",
        section + "\"Name\"=\"unterminated\n",
        section + "\"Name\"=\"bad \\q escape\"\n",
        section + "\"Name\"=\"text\" trailing\n",
        section + "\"Name=dword:00000001\n",
        section + "\"Blob\"=hex:01,,02\n",
        section + "\"Blob\"=hex:123\n",
        section + "\"Blob\"=hex(zz):01\n",
        section + "\"Blob\"=hex:01,\\\n",
        section + "PlayerCount=dword:00000003\n",
        kHeader + "\"PlayerCount\"=dword:00000003\n",
        kHeader + "[Software\\Menkor\n",
        kHeader + "[]\n",
        kHeader + "[Software\\\\Menkor]\n",
        kHeader + "[\\Software]\n",
        section + "\"Name\"=\"\xC3\x28\"\n",
        section + "\"Name\"=\"\xC0\xAF\"\n",
        std::string("\xFF\xFE\x41"),
    };
    for (const std::string& text : damaged) {
        Document doc;
        EXPECT_FALSE(ParseDocument(text, doc, nullptr)) << text;
    }
}

TEST(RegText, KeyNamesCompareWithoutCase) {
    Document doc;
    reg::AddKey(doc, u"Software\\Menkor\\Tavilo");
    EXPECT_TRUE(reg::KeyExists(doc, u"SOFTWARE\\MENKOR"));
    EXPECT_TRUE(reg::KeyExists(doc, u"software"));
    EXPECT_FALSE(reg::KeyExists(doc, u"Soft"));
    EXPECT_FALSE(reg::KeyExists(doc, u"Software\\Menkor\\Tavilo\\More"));
    EXPECT_EQ(reg::CanonicalPath(doc, u"SOFTWARE\\menkor\\New"), u"Software\\Menkor\\New");
    EXPECT_TRUE(reg::SameName(u"\u00c4rger \u0416", u"\u00e4RGER \u0436"));
    EXPECT_FALSE(reg::SameName(u"A", u"B"));
}

}  // namespace
