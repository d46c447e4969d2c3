// reference.hpp - the established converters timed beside the library.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace zr::bench {

// One iconv descriptor, reset before each whole-buffer conversion.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv_open(%s, %s) failed\n", to, from);
            std::exit(2);
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts `len` bytes; returns the bytes written, or (size_t)-1.
    std::size_t Convert(const void* src, std::size_t len, void* dst, std::size_t cap) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = static_cast<char*>(const_cast<void*>(src));
        char* out = static_cast<char*>(dst);
        std::size_t inLeft = len, outLeft = cap;
        if (iconv(cd_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) return static_cast<std::size_t>(-1);
        iconv(cd_, nullptr, nullptr, &out, &outLeft);
        return cap - outLeft;
    }

private:
    iconv_t cd_;
};

}  // namespace zr::bench
