// format_win32.cpp - escapes printed by USER32's wsprintf, as on every Windows caller.
#include "platform/format.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace zr::platform {

// `value` arrives unsigned: a plain char holding 0x80..0xFF would reach the
// formatter sign-extended and print eight hex digits.
int FormatA(char* buf, const char* format, unsigned int value) noexcept {
    return ::wsprintfA(buf, format, value);
}

int FormatW(char16_t* buf, const char16_t* format, unsigned int value) noexcept {
    return ::wsprintfW(reinterpret_cast<LPWSTR>(buf), reinterpret_cast<LPCWSTR>(format), value);
}

}  // namespace zr::platform
