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

// The UTF-8 coders with the ASCII runs named rather than chosen, so that
// tests hold every kind the processor has to the same results; a kind it
// lacks is refused (HasAsciiRuns) and the fastest is used instead.
enum class AsciiRuns;
bool HasAsciiRuns(AsciiRuns runs) noexcept;
int Utf8ToWideWith(AsciiRuns runs, const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept;
int WideToUtf8With(AsciiRuns runs, const char16_t* src, std::size_t n, char* dst, int capacity) noexcept;

int Utf7ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept;
int WideToUtf7(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept;

}  // namespace zr::codepage
