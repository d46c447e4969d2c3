// format_posix.cpp - the wsprintf subset the library prints its escapes with.
#include "platform/format.hpp"

namespace zr::platform {
namespace {

// Conversions: %X %x (hexadecimal), %u, %d and %i (decimal, %d/%i signed),
// %c, and %% for a percent sign; each prints `value`, the single argument.
// Flags '-' (left-justify) and '0' (pad with zeros) and a decimal width are
// honoured. A '%' before any other character prints that character; a '%'
// at the end prints nothing. The width is capped so that a malformed format
// cannot run far past what any real escape needs.
constexpr int kMaxWidth = 64;

template <class C>
int FormatImpl(C* buf, const C* format, unsigned int value) noexcept {
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    C* out = buf;
    for (const C* f = format; *f;) {
        if (*f != C('%')) {
            *out++ = *f++;
            continue;
        }
        ++f;
        bool left = false;
        bool zero = false;
        for (;; ++f) {
            if (*f == C('-')) left = true;
            else if (*f == C('0')) zero = true;
            else break;
        }
        int width = 0;
        while (*f >= C('0') && *f <= C('9')) {
            if (width < kMaxWidth) width = width * 10 + static_cast<int>(*f - C('0'));
            ++f;
        }
        if (width > kMaxWidth) width = kMaxWidth;
        if (*f == 0) break;
        // Digits are produced backwards into a small buffer, then padded.
        char digits[16];
        int nd = 0;
        bool negative = false;
        switch (*f) {
            case C('X'):
            case C('x'): {
                const char* table = *f == C('X') ? kUpper : kLower;
                unsigned int v = value;
                do {
                    digits[nd++] = table[v & 0xF];
                    v >>= 4;
                } while (v);
                break;
            }
            case C('u'):
            case C('d'):
            case C('i'): {
                unsigned int v = value;
                if (*f != C('u') && static_cast<int>(value) < 0) {
                    negative = true;
                    v = 0u - value;
                }
                do {
                    digits[nd++] = kUpper[v % 10];
                    v /= 10;
                } while (v);
                break;
            }
            case C('c'):
                digits[nd++] = 0;
                break;
            default:
                // "%%" and any unknown conversion print the character itself.
                *out++ = *f++;
                continue;
        }
        const int len = nd + (negative ? 1 : 0);
        const int pad = width > len ? width - len : 0;
        if (!left && !zero) for (int k = 0; k < pad; ++k) *out++ = C(' ');
        if (negative) *out++ = C('-');
        if (!left && zero) for (int k = 0; k < pad; ++k) *out++ = C('0');
        if (*f == C('c')) {
            *out++ = static_cast<C>(value);
        } else {
            while (nd > 0) *out++ = static_cast<C>(digits[--nd]);
        }
        if (left) for (int k = 0; k < pad; ++k) *out++ = C(' ');
        ++f;
    }
    *out = 0;
    return static_cast<int>(out - buf);
}

// The two escapes the library prints for every byte it escapes, recognised
// before the general loop: "=%02X" and "%%%X" with a byte value.
template <class C>
int FormatByteEscape(C* buf, const C* f, unsigned int value) noexcept {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (value > 0xFF) return -1;
    if (f[0] == C('=') && f[1] == C('%') && f[2] == C('0') && f[3] == C('2') && f[4] == C('X') && f[5] == 0) {
        buf[0] = C('=');
        buf[1] = C(kHex[value >> 4]);
        buf[2] = C(kHex[value & 0xF]);
        buf[3] = 0;
        return 3;
    }
    if (f[0] == C('%') && f[1] == C('%') && f[2] == C('%') && f[3] == C('X') && f[4] == 0) {
        buf[0] = C('%');
        if (value < 0x10) {
            buf[1] = C(kHex[value]);
            buf[2] = 0;
            return 2;
        }
        buf[1] = C(kHex[value >> 4]);
        buf[2] = C(kHex[value & 0xF]);
        buf[3] = 0;
        return 3;
    }
    return -1;
}

template <class C>
int Format(C* buf, const C* format, unsigned int value) noexcept {
    const int n = FormatByteEscape(buf, format, value);
    return n >= 0 ? n : FormatImpl(buf, format, value);
}

}  // namespace

int FormatA(char* buf, const char* format, unsigned int value) noexcept {
    return Format(buf, format, value);
}

int FormatW(char16_t* buf, const char16_t* format, unsigned int value) noexcept {
    return Format(buf, format, value);
}

}  // namespace zr::platform
