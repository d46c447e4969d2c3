// codepage_win32.cpp - the code-page converter on Windows: KERNEL32 itself.
#include "platform/codepage.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace zr::platform {

// The code page is always named (932, never CP_ACP), so that a host whose
// ANSI code page is not Shift_JIS still converts Shift_JIS. Flags 0 keeps
// malformed input converting instead of failing the call; the NULL default
// character and "used" report leave the code page's own default in place.
// char16_t and WCHAR are both 16-bit units in host order.

int MultiByteToWide(CodePage cp, const char* src, char16_t* dst, int capacity) noexcept {
    return ::MultiByteToWideChar(static_cast<UINT>(cp), 0, src, -1, reinterpret_cast<LPWSTR>(dst),
                                 capacity);
}

int WideToMultiByte(CodePage cp, const char16_t* src, char* dst, int capacity) noexcept {
    return ::WideCharToMultiByte(static_cast<UINT>(cp), 0, reinterpret_cast<LPCWSTR>(src), -1, dst,
                                 capacity, nullptr, nullptr);
}

}  // namespace zr::platform
