// guard.hpp - fuzz buffers that end at an inaccessible page.
//
// A source string is placed so that its terminator is the last readable
// byte, and an output buffer so that the byte after its dstSize units is
// unreadable: a read past a terminator or a write past dstSize faults at
// once instead of landing in memory the sanitizers do not watch (mmap'd
// pages carry no redzones).
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zr::fuzz {

// Fill written into output buffers before a call, so that bytes a call left
// alone can be told from bytes it wrote.
constexpr std::uint8_t kFill = 0xA5;
// Bytes in front of an output buffer that must still hold kFill afterwards.
constexpr std::size_t kFrontCheck = 64;

// The last call made, printed with a failure so that the report can be
// turned into a test case without rerunning the fuzzer.
struct LastCall {
    const char* name = nullptr;
    const void* src = nullptr;
    bool wide = false;
    long srcLen = -1;  // for sources with a length
    long dstSize = 0;
    long extra = 0;
    long result = 0;
};
inline LastCall& Last() {
    static LastCall c;
    return c;
}

inline void PrintLastCall() {
    const LastCall& c = Last();
    if (!c.name) return;
    std::fprintf(stderr, "last call: %s(src=", c.name);
    if (!c.src) {
        std::fprintf(stderr, "null");
    } else if (c.wide) {
        std::fprintf(stderr, "u\"");
        for (const char16_t* p = static_cast<const char16_t*>(c.src); *p; ++p) std::fprintf(stderr, "\\u%04X", *p);
        std::fprintf(stderr, "\"");
    } else {
        std::fprintf(stderr, "\"");
        const auto* p = static_cast<const unsigned char*>(c.src);
        for (long i = 0; c.srcLen >= 0 ? i < c.srcLen : p[i] != 0; ++i) std::fprintf(stderr, "\\x%02X", p[i]);
        std::fprintf(stderr, "\"");
    }
    if (c.srcLen >= 0) std::fprintf(stderr, ", srcLen=%ld", c.srcLen);
    std::fprintf(stderr, ", dstSize=%ld, extra=%ld) = %ld\n", c.dstSize, c.extra, c.result);
}

[[noreturn]] inline void Fail(const char* what, const char* name) {
    std::fprintf(stderr, "ZR FUZZ FAILURE in %s: %s\n", name ? name : "?", what);
    PrintLastCall();
    std::fflush(stderr);
    std::abort();
}

// One mapping: [guard page][usable pages][guard page].
class Arena {
public:
    explicit Arena(std::size_t bytes) {
        page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        usable_ = (bytes + page_ - 1) / page_ * page_;
        const std::size_t total = usable_ + 2 * page_;
        void* m = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED) Fail("mmap", "Arena");
        base_ = static_cast<std::uint8_t*>(m);
        if (mprotect(base_, page_, PROT_NONE) != 0 ||
            mprotect(base_ + page_ + usable_, page_, PROT_NONE) != 0) {
            Fail("mprotect", "Arena");
        }
    }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // First inaccessible byte after the usable pages.
    std::uint8_t* End() const { return base_ + page_ + usable_; }
    std::size_t Capacity() const { return usable_; }

    // `bytes` bytes whose last one is the last accessible byte.
    std::uint8_t* Tail(std::size_t bytes) const {
        if (bytes > usable_) Fail("arena too small", "Arena");
        return End() - bytes;
    }

private:
    std::uint8_t* base_ = nullptr;
    std::size_t page_ = 0;
    std::size_t usable_ = 0;
};

// The four arenas a target works with: two sources and two outputs, so that
// a round trip can feed one call's output to the next as its source.
inline Arena& SrcArena() { static Arena a(1 << 20); return a; }
inline Arena& DstArena() { static Arena a(1 << 21); return a; }
inline Arena& Src2Arena() { static Arena a(1 << 21); return a; }
inline Arena& Dst2Arena() { static Arena a(1 << 21); return a; }

// A NUL-terminated byte string holding `text` up to its first zero byte,
// terminator last before the guard page.
inline const char* PlaceA(Arena& a, const std::uint8_t* text, std::size_t n) {
    const std::size_t len = n ? strnlen(reinterpret_cast<const char*>(text), n) : 0;
    std::uint8_t* p = a.Tail(len + 1);
    if (len) std::memcpy(p, text, len);
    p[len] = 0;
    return reinterpret_cast<const char*>(p);
}

// A UTF-16 string of `units` up to its first zero unit, terminator last.
inline const char16_t* PlaceW(Arena& a, const char16_t* units, std::size_t n) {
    std::size_t len = 0;
    while (len < n && units[len] != 0) ++len;
    auto* p = reinterpret_cast<char16_t*>(a.Tail((len + 1) * sizeof(char16_t)));
    if (len) std::memcpy(p, units, len * sizeof(char16_t));
    p[len] = 0;
    return p;
}

// Raw bytes (zeros allowed) whose last byte is the last accessible one.
inline const std::uint8_t* PlaceBytes(Arena& a, const std::uint8_t* bytes, std::size_t n) {
    std::uint8_t* p = a.Tail(n);
    if (n) std::memcpy(p, bytes, n);
    return p;
}

// An output buffer of `units` elements of `unitSize` bytes ending at the
// guard page, filled with kFill, with kFrontCheck filled bytes in front.
// A size of 0 or less yields the guard page itself: any write faults.
inline void* PlaceDst(Arena& a, std::int64_t units, std::size_t unitSize) {
    if (units <= 0) return a.End();
    const std::size_t bytes = static_cast<std::size_t>(units) * unitSize;
    std::uint8_t* p = a.Tail(bytes + kFrontCheck);
    std::memset(p, kFill, bytes + kFrontCheck);
    return p + kFrontCheck;
}

inline void CheckFront(const void* dst, std::int64_t units, const char* name) {
    if (units <= 0) return;
    const auto* p = static_cast<const std::uint8_t*>(dst) - kFrontCheck;
    for (std::size_t i = 0; i < kFrontCheck; ++i) {
        if (p[i] != kFill) Fail("wrote in front of dst", name);
    }
}

inline std::vector<char16_t> BytesToUnits(const std::uint8_t* d, std::size_t n) {
    std::vector<char16_t> u(n / 2);
    for (std::size_t i = 0; i < u.size(); ++i) {
        u[i] = static_cast<char16_t>(d[2 * i] | (d[2 * i + 1] << 8));
    }
    return u;
}

}  // namespace zr::fuzz
