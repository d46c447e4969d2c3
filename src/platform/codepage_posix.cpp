// codepage_posix.cpp - the host code-page converter where the host has none:
// the library's own code page 932, UTF-8 and UTF-7 coders.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/codepage.hpp"
#include "codepage/coders.hpp"

namespace zr::platform {
namespace {

// Units are read one at a time and never past the terminator, as every
// reader in the library does; four tests a round keep the loop overhead off
// the scan, which the encoders pay once per call over the whole text.
std::size_t WideLength(const char16_t* s) noexcept {
    std::size_t n = 0;
    for (;;) {
        if (s[n] == 0) return n;
        if (s[n + 1] == 0) return n + 1;
        if (s[n + 2] == 0) return n + 2;
        if (s[n + 3] == 0) return n + 3;
        n += 4;
    }
}

}  // namespace

// A null source, like any argument the host converter rejects, gives 0 with
// nothing written; so does an unknown code page.
int MultiByteToWide(CodePage cp, const char* src, char16_t* dst, int capacity) noexcept {
    if (src == nullptr || capacity < 0) return 0;
    const auto* s = reinterpret_cast<const std::uint8_t*>(src);
    const std::size_t n = std::strlen(src);
    switch (cp) {
        case CodePage::kCp932: return codepage::Cp932ToWide(s, n, dst, capacity);
        case CodePage::kUtf8: return codepage::Utf8ToWide(s, n, dst, capacity);
        case CodePage::kUtf7: return codepage::Utf7ToWide(s, n, dst, capacity);
    }
    return 0;
}

int WideToMultiByte(CodePage cp, const char16_t* src, char* dst, int capacity) noexcept {
    if (src == nullptr || capacity < 0) return 0;
    const std::size_t n = WideLength(src);
    switch (cp) {
        case CodePage::kCp932: return codepage::WideToCp932(src, n, dst, capacity);
        case CodePage::kUtf8: return codepage::WideToUtf8(src, n, dst, capacity);
        case CodePage::kUtf7: return codepage::WideToUtf7(src, n, dst, capacity);
    }
    return 0;
}

}  // namespace zr::platform
