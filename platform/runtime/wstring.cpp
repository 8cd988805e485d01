// UTF-16 string helpers of the device runtime.
#include <cstdarg>
#include <cstdio>

#include "crt.h"

size_t wcslen(const WCHAR* text) {
    size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return n;
}

namespace {

constexpr int kWsprintfMax = 1024;

struct Writer {
    LPWSTR out;
    int length = 0;
    void Put(WCHAR c) {
        if (length < kWsprintfMax - 1) {
            out[length++] = c;
        }
    }
};

void PutNumber(Writer& w, unsigned long long magnitude, bool negative, unsigned base, bool upper,
               int width, bool zeroPad) {
    char digits[32];
    int n = 0;
    do {
        unsigned d = static_cast<unsigned>(magnitude % base);
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : (upper ? 'A' : 'a') + d - 10);
        magnitude /= base;
    } while (magnitude != 0);
    int total = n + (negative ? 1 : 0);
    if (negative && zeroPad) {
        w.Put(u'-');
    }
    for (int pad = total; pad < width; ++pad) {
        w.Put(zeroPad ? u'0' : u' ');
    }
    if (negative && !zeroPad) {
        w.Put(u'-');
    }
    while (n > 0) {
        w.Put(static_cast<WCHAR>(digits[--n]));
    }
}

}  // namespace

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    Writer w{buffer};
    for (const WCHAR* p = format; *p != 0; ++p) {
        if (*p != u'%') {
            w.Put(*p);
            continue;
        }
        ++p;
        bool zeroPad = false;
        int width = 0;
        if (*p == u'0') {
            zeroPad = true;
            ++p;
        }
        while (*p >= u'0' && *p <= u'9') {
            width = width * 10 + (*p - u'0');
            ++p;
        }
        switch (*p) {
            case u'd':
            case u'i': {
                int v = va_arg(args, int);
                long long wide = v;
                PutNumber(w, static_cast<unsigned long long>(wide < 0 ? -wide : wide), wide < 0, 10, false,
                          width, zeroPad);
                break;
            }
            case u'u':
                PutNumber(w, va_arg(args, unsigned), false, 10, false, width, zeroPad);
                break;
            case u'x':
            case u'X':
                PutNumber(w, va_arg(args, unsigned), false, 16, *p == u'X', width, zeroPad);
                break;
            case u'c':
                w.Put(static_cast<WCHAR>(va_arg(args, int)));
                break;
            case u's': {
                const WCHAR* s = va_arg(args, const WCHAR*);
                if (s == nullptr) {
                    s = u"(null)";
                }
                int len = static_cast<int>(wcslen(s));
                for (int pad = len; pad < width; ++pad) {
                    w.Put(u' ');
                }
                for (int i = 0; i < len; ++i) {
                    w.Put(s[i]);
                }
                break;
            }
            case u'%':
                w.Put(u'%');
                break;
            case 0:
                --p;  // a lone '%' at the end is dropped
                break;
            default:
                w.Put(u'%');
                w.Put(*p);
                break;
        }
    }
    va_end(args);
    buffer[w.length] = 0;
    return w.length;
}
