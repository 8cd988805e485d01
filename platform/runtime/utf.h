// Conversions between UTF-8 and UTF-16. Both are strict: malformed input
// (a stray or missing continuation byte, an overlong form, a surrogate
// written in UTF-8, a lone surrogate in UTF-16, a code point past U+10FFFF)
// gives false rather than a guess, so that nothing read wrongly is ever
// written back.
#pragma once

#include <string>
#include <string_view>

namespace rt {

bool Utf8ToUtf16(std::string_view in, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view in, std::string& out);
// Whether in is UTF-8 by the same rules, without converting it.
bool IsUtf8(std::string_view in);

}  // namespace rt
