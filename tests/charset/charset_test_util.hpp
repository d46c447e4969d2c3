// charset_test_util.hpp - hex notation and exact-size buffers for the charset tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace zr_test {

using B2B = int32_t(ZR_CALL*)(const char*, char*, int32_t);
using B2U = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);
using U2B = int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, int32_t);

constexpr unsigned char kFill = 0xCC;

// "1B2442 3021" -> the bytes; spaces are for reading only.
inline std::string Hex(const char* hex) {
    std::string out;
    int hi = -1;
    for (const char* p = hex; *p; ++p) {
        int v;
        if (*p >= '0' && *p <= '9') v = *p - '0';
        else if (*p >= 'A' && *p <= 'F') v = *p - 'A' + 10;
        else if (*p >= 'a' && *p <= 'f') v = *p - 'a' + 10;
        else continue;
        if (hi < 0) {
            hi = v;
        } else {
            out.push_back(static_cast<char>(hi * 16 + v));
            hi = -1;
        }
    }
    return out;
}

inline std::string ToHex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out.push_back(' ');
        out.push_back(d[c >> 4]);
        out.push_back(d[c & 15]);
    }
    return out;
}

inline std::string ToHex(const std::u16string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (char16_t c : s) {
        if (!out.empty()) out.push_back(' ');
        for (int shift = 12; shift >= 0; shift -= 4) out.push_back(d[(c >> shift) & 15]);
    }
    return out;
}

// A heap buffer of exactly `size` elements (so AddressSanitizer sees any
// write past it) pre-filled with kFill bytes.
template <class T>
struct ExactBuffer {
    explicit ExactBuffer(int32_t n) : size(n), data(new T[n > 0 ? n : 0]) {
        if (n > 0) std::memset(data.get(), kFill, sizeof(T) * static_cast<size_t>(n));
    }
    // The text up to its terminator; "<unterminated>" when none lies within.
    std::basic_string<T> Text() const {
        for (int32_t i = 0; i < size; ++i) {
            if (data[i] == 0) return std::basic_string<T>(data.get(), data.get() + i);
        }
        return std::basic_string<T>();
    }
    bool Terminated() const {
        for (int32_t i = 0; i < size; ++i) {
            if (data[i] == 0) return true;
        }
        return false;
    }
    // True when every byte from `from` (in bytes) onwards still holds kFill.
    bool UntouchedFrom(size_t from) const {
        const auto* b = reinterpret_cast<const unsigned char*>(data.get());
        for (size_t i = from; i < sizeof(T) * static_cast<size_t>(size); ++i) {
            if (b[i] != kFill) return false;
        }
        return true;
    }
    bool ZeroUpTo(size_t bytes) const {
        const auto* b = reinterpret_cast<const unsigned char*>(data.get());
        for (size_t i = 0; i < bytes; ++i) {
            if (b[i] != 0) return false;
        }
        return true;
    }
    int32_t size;
    std::unique_ptr<T[]> data;
};

using Bytes = ExactBuffer<char>;
using Units = ExactBuffer<ZR_WCHAR>;

struct ByteResult {
    int32_t result;
    std::string text;
    bool terminated;
};

struct UnitResult {
    int32_t result;
    std::u16string text;
};

inline ByteResult Call(B2B fn, const std::string& src, int32_t dstSize) {
    Bytes dst(dstSize);
    const int32_t r = fn(src.c_str(), dst.data.get(), dstSize);
    return {r, dst.Text(), dst.Terminated()};
}

inline ByteResult Call(U2B fn, const std::u16string& src, int32_t dstSize) {
    Bytes dst(dstSize);
    const int32_t r = fn(reinterpret_cast<const ZR_WCHAR*>(src.c_str()), dst.data.get(), dstSize);
    return {r, dst.Text(), dst.Terminated()};
}

inline UnitResult Call(B2U fn, const std::string& src, int32_t dstSize) {
    Units dst(dstSize);
    const int32_t r = fn(src.c_str(), dst.data.get(), dstSize);
    const auto t = dst.Text();
    return {r, std::u16string(t.begin(), t.end())};
}

}  // namespace zr_test

namespace zr_test {

// Runs a byte conversion at every capacity up to two past `fit`, the
// smallest that holds its output: from `fit` on it gives `result` and `out`;
// below, -1 while src is longer than the capacity and 0 after.
inline void ExpectFitsFrom(B2B fn, const std::string& in, const std::string& out, int32_t result, int32_t fit,
                           const char* why) {
    const int32_t n = static_cast<int32_t>(in.size());
    for (int32_t size = 0; size <= fit + 2; ++size) {
        const auto r = Call(fn, in, size);
        if (size >= fit) {
            EXPECT_EQ(r.result, result) << why << " at " << size;
            EXPECT_EQ(ToHex(r.text), ToHex(out)) << why << " at " << size;
        } else {
            EXPECT_EQ(r.result, n > size ? -1 : 0) << why << " at " << size << ", fit " << fit;
        }
    }
}

}  // namespace zr_test
