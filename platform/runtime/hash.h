// FNV-1a over 64 bits: a short, stable name made from a longer text, for the
// one-copy claims and their sockets. Not for anything chosen to collide.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace rt {

class Fnv1a {
public:
    // Each byte as a unit of its own, never sign-extended.
    void AddBytes(std::string_view bytes) {
        for (unsigned char c : bytes) {
            AddUnit(c);
        }
    }
    // One unit of any width up to 32 bits: a UTF-16 code unit, or a
    // separator above 0xFFFF that no code unit can be.
    void AddUnit(uint32_t unit) { value_ = (value_ ^ unit) * 1099511628211ull; }

    uint64_t Value() const { return value_; }
    // The value as 16 lower-case hexadecimal digits.
    std::string Hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
        return text;
    }

private:
    uint64_t value_ = 14695981039346656037ull;
};

}  // namespace rt
