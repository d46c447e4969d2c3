// format.hpp - the host's formatted printing, as far as the library uses it.
//
// The library prints escapes only: "=%02X" (Quoted-Printable) and "%%%X"
// (URLs) with an unsigned byte value 0..255. The result is the number of
// characters written, without the terminating zero that is always written
// after them. On Windows these forward to wsprintfA / wsprintfW.
#pragma once

namespace zr::platform {

int FormatA(char* buf, const char* format, unsigned int value) noexcept;
int FormatW(char16_t* buf, const char16_t* format, unsigned int value) noexcept;

}  // namespace zr::platform
