// coders.hpp - the library's own code-page coders behind MultiByteToWide
// and WideToMultiByte on hosts without the system converter.
//
// Each takes the input without its terminator (`src[n]` is the terminator,
// which is converted too and is the last piece written) and applies the
// capacity rules of codepage.hpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zr::codepage {

int Cp932ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept;
int WideToCp932(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept;

int Utf8ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept;
int WideToUtf8(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept;

int Utf7ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept;
int WideToUtf7(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept;

}  // namespace zr::codepage
