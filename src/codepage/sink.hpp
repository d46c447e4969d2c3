// sink.hpp - output sinks shared by the library's own code-page coders.
//
// Each coder is written once as a template over its sink and emits whole
// pieces (a character, a byte pair, a UTF-7 "padded digit and '-'"), so the
// host converter's capacity rules come from the sink alone:
//   CountSink      writes nothing and counts (capacity 0: the size needed);
//   UncheckedSink  writes without tests, used when the output surely fits;
//   CheckedSink    writes a piece only when all of it fits, and reports the
//                  first piece that does not, which ends the conversion.
// Every Put* returns false exactly when the conversion must stop.
//
// The block paths of the coders write straight to Ptr(): up to Room()
// elements, then Advance() by those that count. They may store more than
// they count (a whole vector where only part of it is output) only where
// the coder shows that later output overwrites the extra, in every outcome:
// when everything fits, and when the conversion stops for capacity.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

// The block paths use SSE2 where the build has that level (levels.hpp) and
// plain loops elsewhere.
#include "cpu/levels.hpp"

namespace zr::codepage {

template <class T>
class CountSink {
public:
    bool Put(T) noexcept { ++n_; return true; }
    bool Put2(T, T) noexcept { n_ += 2; return true; }
    bool Put3(T, T, T) noexcept { n_ += 3; return true; }
    bool Put4(T, T, T, T) noexcept { n_ += 4; return true; }
    // One output element per input byte (a run of characters that map to
    // themselves, widened or not).
    template <class S>
    bool PutRun(const S*, std::size_t k) noexcept { n_ += k; return true; }
    // Block writes land in a scratch area and are only counted.
    T* Ptr() noexcept { return scratch_; }
    std::size_t Room() const noexcept { return kScratch; }
    void Advance(std::size_t k) noexcept { n_ += k; }
    std::size_t count() const noexcept { return n_; }

private:
    static constexpr std::size_t kScratch = 64;
    std::size_t n_ = 0;
    T scratch_[kScratch];
};

template <class T>
class UncheckedSink {
public:
    UncheckedSink(T* dst, std::size_t capacity) noexcept : begin_(dst), p_(dst), end_(dst + capacity) {}
    bool Put(T a) noexcept { *p_++ = a; return true; }
    bool Put2(T a, T b) noexcept { p_[0] = a; p_[1] = b; p_ += 2; return true; }
    bool Put3(T a, T b, T c) noexcept { p_[0] = a; p_[1] = b; p_[2] = c; p_ += 3; return true; }
    bool Put4(T a, T b, T c, T d) noexcept {
        p_[0] = a; p_[1] = b; p_[2] = c; p_[3] = d; p_ += 4; return true;
    }
    template <class S>
    bool PutRun(const S* s, std::size_t k) noexcept {
        for (std::size_t j = 0; j < k; ++j) p_[j] = static_cast<T>(s[j]);
        p_ += k;
        return true;
    }
    T* Ptr() noexcept { return p_; }
    std::size_t Room() const noexcept { return static_cast<std::size_t>(end_ - p_); }
    void Advance(std::size_t k) noexcept { p_ += k; }
    std::size_t count() const noexcept { return static_cast<std::size_t>(p_ - begin_); }

private:
    T* begin_;
    T* p_;
    T* end_;
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
    // Every element of a run is a piece of its own: as many as fit are written.
    template <class S>
    bool PutRun(const S* s, std::size_t k) noexcept {
        const std::size_t room = static_cast<std::size_t>(end_ - p_);
        const std::size_t m = k < room ? k : room;
        for (std::size_t j = 0; j < m; ++j) p_[j] = static_cast<T>(s[j]);
        p_ += m;
        return m == k;
    }
    T* Ptr() noexcept { return p_; }
    std::size_t Room() const noexcept { return static_cast<std::size_t>(end_ - p_); }
    void Advance(std::size_t k) noexcept { p_ += k; }
    std::size_t count() const noexcept { return static_cast<std::size_t>(p_ - begin_); }

private:
    T* begin_;
    T* p_;
    T* end_;
};

// Bit k is set when byte s[k] is 0x80 or above, for the 16 bytes at s.
inline unsigned HighBytes16(const std::uint8_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))));
#else
    unsigned m = 0;
    for (unsigned k = 0; k < 16; ++k) m |= static_cast<unsigned>(s[k] >> 7) << k;
    return m;
#endif
}

// The 16 bytes at s widened to 16 units at d.
inline void WidenBytes16(const std::uint8_t* s, char16_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
#else
    for (unsigned k = 0; k < 16; ++k) d[k] = s[k];
#endif
}

// True when the 16 units at s are all below 0x80.
inline bool IsAscii16(const char16_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
    const __m128i high = _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(static_cast<short>(0xFF80)));
    return _mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF;
#else
    unsigned acc = 0;
    for (unsigned k = 0; k < 16; ++k) acc |= s[k];
    return acc < 0x80;
#endif
}

// The 16 units at s, all below 0x80, narrowed to 16 bytes at d.
inline void NarrowAscii16(const char16_t* s, char* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(a, b));
#else
    for (unsigned k = 0; k < 16; ++k) d[k] = static_cast<char>(s[k]);
#endif
}

// The 16 units at s narrowed to 16 bytes at d, of which only those of the
// leading units below 0x80 mean anything; returns how many such units
// lead (16 when all do).
inline unsigned NarrowAsciiPrefix16(const char16_t* s, char* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const unsigned ascii = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero),
                                          _mm_cmpeq_epi16(_mm_and_si128(b, high), zero))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(a, b));
    return static_cast<unsigned>(std::countr_one(ascii));
#else
    unsigned k = 0;
    while (k < 16 && s[k] < 0x80) {
        d[k] = static_cast<char>(s[k]);
        ++k;
    }
    return k;
#endif
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
        UncheckedSink<T> sink(dst, static_cast<std::size_t>(capacity));
        convert(sink);
        return static_cast<int>(sink.count());
    }
    CheckedSink<T> sink(dst, static_cast<std::size_t>(capacity));
    return convert(sink) ? static_cast<int>(sink.count()) : 0;
}

}  // namespace zr::codepage
