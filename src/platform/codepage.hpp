// codepage.hpp - the host code-page converter: code page 932, UTF-8, UTF-7 <-> UTF-16.
//
// The contract is the host converter's, called with flags 0, NUL-terminated
// input (the terminator is converted too) and, towards bytes, no default
// character and no "default used" report:
//   - capacity > 0 and the output with its terminator fits: the output and its
//     terminator are written; the result counts the elements written,
//     terminator included.
//   - 0 < capacity < needed: as many whole pieces as fit are written from the
//     start (never half a double-byte character or half a UTF-8 sequence) and
//     the result is 0.
//   - capacity 0: nothing is written; the result is the size needed.
//   - capacity < 0: nothing is written; the result is 0.
// No input makes a call fail for its content. On Windows these forward to
// MultiByteToWideChar / WideCharToMultiByte; elsewhere the library's own
// tables and coders stand in, byte for byte the same.
#pragma once

#include <cstdint>

namespace zr::platform {

enum class CodePage : std::uint32_t {
    kCp932 = 932,
    kUtf7 = 65000,
    kUtf8 = 65001,
};

// Bytes of `cp` to UTF-16; `capacity` in 16-bit units.
int MultiByteToWide(CodePage cp, const char* src, char16_t* dst, int capacity) noexcept;

// UTF-16 to bytes of `cp`; `capacity` in bytes.
int WideToMultiByte(CodePage cp, const char16_t* src, char* dst, int capacity) noexcept;

}  // namespace zr::platform
