// The device's runtime services that the game's rules may use: the classic
// random source, the millisecond tick count and the wide-string helpers.
// Nothing here touches a window or the screen.
#pragma once

#include <cstdint>

#include "../include/wintypes.h"

// Milliseconds since the clock started, as an unsigned 32-bit count that
// wraps through zero every 49.7 days, exactly as on the device.
DWORD GetTickCount();

// The C runtime of the device. Kept in a namespace of its own so that it is
// never confused with the host C library's rand, whose range differs.
namespace crt {

// state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
int rand();
void srand(unsigned int seed);

}  // namespace crt

// Length of a null-terminated UTF-16 string.
size_t wcslen(const WCHAR* text);

// The subset of wsprintfW the program needs: %d, %i, %u, %x, %X, %s (UTF-16),
// %c and %%, with an optional width and '0' flag. Writes at most 1024 units
// including the terminator, as the platform's wsprintf does, and returns the
// number of units written without the terminator.
int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
