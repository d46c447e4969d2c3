// codepage_sink.hpp - output sinks shared by the library's own code-page coders.
//
// Each coder is written once as a template over its sink and emits whole
// pieces (a character, a byte pair, a UTF-7 "padded digit and '-'"), so the
// host converter's capacity rules come from the sink alone:
//   CountSink      writes nothing and counts (capacity 0: the size needed);
//   UncheckedSink  writes without tests, used when the output surely fits;
//   CheckedSink    writes a piece only when all of it fits, and reports the
//                  first piece that does not, which ends the conversion.
// Every Put* returns false exactly when the conversion must stop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace zr::platform::detail {

template <class T>
class CountSink {
public:
    bool Put(T) noexcept { ++n_; return true; }
    bool Put2(T, T) noexcept { n_ += 2; return true; }
    bool Put3(T, T, T) noexcept { n_ += 3; return true; }
    bool Put4(T, T, T, T) noexcept { n_ += 4; return true; }
    bool PutCode(std::uint16_t c) noexcept { n_ += c < 0x100 ? 1 : 2; return true; }
    // One output element per input byte (a run of characters that map to
    // themselves, widened or not).
    template <class S>
    bool PutRun(const S*, std::size_t k) noexcept { n_ += k; return true; }
    std::size_t count() const noexcept { return n_; }

private:
    std::size_t n_ = 0;
};

template <class T>
class UncheckedSink {
public:
    explicit UncheckedSink(T* dst) noexcept : begin_(dst), p_(dst) {}
    bool Put(T a) noexcept { *p_++ = a; return true; }
    bool Put2(T a, T b) noexcept { p_[0] = a; p_[1] = b; p_ += 2; return true; }
    bool Put3(T a, T b, T c) noexcept { p_[0] = a; p_[1] = b; p_[2] = c; p_ += 3; return true; }
    bool Put4(T a, T b, T c, T d) noexcept {
        p_[0] = a; p_[1] = b; p_[2] = c; p_[3] = d; p_ += 4; return true;
    }
    // A code page 932 code, lead byte high. Both bytes are stored and the
    // pointer moves by the code's length: the spare byte of a single-byte
    // code is always overwritten by the next piece or the terminator, and
    // the unchecked sink's bound leaves room for it.
    bool PutCode(std::uint16_t c) noexcept {
        const bool pair = c >= 0x100;
        p_[0] = static_cast<T>(pair ? c >> 8 : c);
        p_[1] = static_cast<T>(c);
        p_ += 1 + pair;
        return true;
    }
    template <class S>
    bool PutRun(const S* s, std::size_t k) noexcept {
        for (std::size_t j = 0; j < k; ++j) p_[j] = static_cast<T>(s[j]);
        p_ += k;
        return true;
    }
    std::size_t count() const noexcept { return static_cast<std::size_t>(p_ - begin_); }

private:
    T* begin_;
    T* p_;
};

template <class T>
class CheckedSink {
public:
    CheckedSink(T* dst, std::size_t capacity) noexcept : begin_(dst), p_(dst), end_(dst + capacity) {}
    bool Put(T a) noexcept {
        if (p_ == end_) return false;
        *p_++ = a;
        return true;
    }
    bool Put2(T a, T b) noexcept {
        if (end_ - p_ < 2) return false;
        p_[0] = a; p_[1] = b; p_ += 2;
        return true;
    }
    bool Put3(T a, T b, T c) noexcept {
        if (end_ - p_ < 3) return false;
        p_[0] = a; p_[1] = b; p_[2] = c; p_ += 3;
        return true;
    }
    bool Put4(T a, T b, T c, T d) noexcept {
        if (end_ - p_ < 4) return false;
        p_[0] = a; p_[1] = b; p_[2] = c; p_[3] = d; p_ += 4;
        return true;
    }
    bool PutCode(std::uint16_t c) noexcept {
        return c < 0x100 ? Put(static_cast<T>(c)) : Put2(static_cast<T>(c >> 8), static_cast<T>(c));
    }
    // Every element of a run is a piece of its own: as many as fit are written.
    template <class S>
    bool PutRun(const S* s, std::size_t k) noexcept {
        const std::size_t room = static_cast<std::size_t>(end_ - p_);
        const std::size_t m = k < room ? k : room;
        for (std::size_t j = 0; j < m; ++j) p_[j] = static_cast<T>(s[j]);
        p_ += m;
        return m == k;
    }
    std::size_t count() const noexcept { return static_cast<std::size_t>(p_ - begin_); }

private:
    T* begin_;
    T* p_;
    T* end_;
};

// True when the eight bytes at s are all below 0x80.
inline bool IsAsciiWord(const std::uint8_t* s) noexcept {
    std::uint64_t w;
    std::memcpy(&w, s, 8);
    return (w & 0x8080808080808080ull) == 0;
}

// True when the four units at s are all below 0x80.
inline bool IsAsciiWord(const char16_t* s) noexcept {
    std::uint64_t w;
    std::memcpy(&w, s, 8);
    return (w & 0xFF80FF80FF80FF80ull) == 0;
}

// End of the run of bytes below 0x80 starting at s[i], within [i, n).
inline std::size_t AsciiRunEnd(const std::uint8_t* s, std::size_t i, std::size_t n) noexcept {
    while (n - i >= 8) {
        std::uint64_t w;
        std::memcpy(&w, s + i, 8);
        if (w & 0x8080808080808080ull) break;
        i += 8;
    }
    while (i < n && s[i] < 0x80) ++i;
    return i;
}

// Same for UTF-16 units below 0x80.
inline std::size_t AsciiRunEnd(const char16_t* s, std::size_t i, std::size_t n) noexcept {
    while (n - i >= 4) {
        std::uint64_t w;
        std::memcpy(&w, s + i, 8);
        if (w & 0xFF80FF80FF80FF80ull) break;
        i += 4;
    }
    while (i < n && s[i] < 0x80) ++i;
    return i;
}

// Runs `convert(sink)` under the capacity rules of the host converter.
// `worst` bounds the output of the whole input, terminator included: at or
// above it the unchecked sink is safe. The result is the count written, the
// count needed for capacity 0, or 0 when the output did not fit (or its
// count does not fit in an int).
template <class T, class Convert>
int RunWithCapacity(T* dst, int capacity, std::uint64_t worst, Convert&& convert) noexcept {
    constexpr std::size_t kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (capacity < 0) return 0;
    if (capacity == 0) {
        CountSink<T> sink;
        convert(sink);
        return sink.count() <= kMax ? static_cast<int>(sink.count()) : 0;
    }
    if (dst == nullptr) return 0;
    if (static_cast<std::uint64_t>(capacity) >= worst) {
        UncheckedSink<T> sink(dst);
        convert(sink);
        return static_cast<int>(sink.count());
    }
    CheckedSink<T> sink(dst, static_cast<std::size_t>(capacity));
    return convert(sink) ? static_cast<int>(sink.count()) : 0;
}

}  // namespace zr::platform::detail
