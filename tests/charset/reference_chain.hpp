// reference_chain.hpp - the character-set exports as they were before their
// one-pass loops: every byte loop one byte or unit at a time, every chain its
// steps one after another through scratch buffers cleared in full. The
// differential test holds the library's exports to these, byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "charset/byte_class.hpp"
#include "charset/euc_jp.hpp"
#include "charset/jis.hpp"
#include "platform/codepage.hpp"
#include "zr_moji.h"

namespace zr_reference {

namespace cs = zr::charset;
using zr::platform::CodePage;

enum class Outcome { kDone, kNoRoom, kUnconvertible };
struct Result {
    Outcome outcome;
    std::size_t length;
};

inline const std::uint8_t* B(const char* p) { return reinterpret_cast<const std::uint8_t*>(p); }
inline std::uint8_t* B(char* p) { return reinterpret_cast<std::uint8_t*>(p); }
inline const char16_t* U(const ZR_WCHAR* p) { return reinterpret_cast<const char16_t*>(p); }
inline char16_t* U(ZR_WCHAR* p) { return reinterpret_cast<char16_t*>(p); }

template <class PairFn>
Result ReadJis(const std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap, PairFn pair) {
    std::size_t i = 0;
    std::size_t j = 0;
    bool kanji = false;
    enum class Step { kNext, kEnd, kFull };
    auto pairStep = [&]() -> Step {
        std::uint8_t o[2];
        pair(s + i, o);
        i += 2;
        if (o[0] == 0) {
            if (j >= cap) return Step::kFull;
            d[j] = 0;
            return Step::kEnd;
        }
        if (cap - j < 2) return Step::kFull;
        d[j] = o[0];
        d[j + 1] = o[1];
        if (o[1] == 0) {
            j += 1;
            return Step::kEnd;
        }
        j += 2;
        return Step::kNext;
    };
    Step step = Step::kNext;
    while (i < n) {
        if (s[i] == cs::kEsc) {
            int len = 0;
            if (cs::IsJisKanjiInEscape(s + i, len)) {
                kanji = true;
            } else if (cs::IsJisKanjiOutEscape(s + i, len)) {
                kanji = false;
            }
            if (len != 0) {
                i += static_cast<std::size_t>(len);
                if (i >= n) break;
                if (kanji) {
                    step = pairStep();
                    if (step != Step::kNext) break;
                } else {
                    if (j >= cap) {
                        step = Step::kFull;
                        break;
                    }
                    d[j++] = s[i++];
                }
                continue;
            }
        }
        if (kanji) {
            do {
                step = pairStep();
            } while (step == Step::kNext && i < n && s[i] != cs::kEsc);
            if (step != Step::kNext) break;
        } else {
            const void* esc = (n - i > 1) ? std::memchr(s + i + 1, cs::kEsc, n - i - 1) : nullptr;
            const std::size_t run =
                esc ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(esc) - (s + i)) : n - i;
            if (cap - j < run) {
                step = Step::kFull;
                break;
            }
            std::memcpy(d + j, s + i, run);
            i += run;
            j += run;
        }
    }
    if (step == Step::kEnd) return {Outcome::kDone, j};
    if (step == Step::kFull || j >= cap) {
        if (j != 0) std::memset(d, 0, j);
        return {Outcome::kNoRoom, 0};
    }
    d[j] = 0;
    return {Outcome::kDone, j};
}

inline Result JisToSJisLoop(const std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap) {
    return ReadJis(s, n, d, cap, [](const std::uint8_t* in, std::uint8_t* out) {
        if (!cs::JisPairToSJis(in, out)) {
            out[0] = in[0];
            out[1] = in[1];
        }
    });
}

inline Result JisToEucLoop(const std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap) {
    return ReadJis(s, n, d, cap, [](const std::uint8_t* in, std::uint8_t* out) { cs::JisPairToEuc(in, out); });
}

inline Result SJisToJisLoop(const std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap) {
    static constexpr std::uint8_t kIn[3] = {0x1B, 0x24, 0x42};
    static constexpr std::uint8_t kOut[3] = {0x1B, 0x28, 0x42};
    if (cap == 0) return {Outcome::kNoRoom, 0};
    const std::size_t limit = cap - 1;
    std::size_t i = 0;
    std::size_t j = 0;
    auto full = [&]() {
        if (j != 0) std::memset(d, 0, j);
        return Result{Outcome::kNoRoom, 0};
    };
    while (i < n) {
        while (i < n && !cs::StartsSJisPair(s + i)) {
            if (j >= limit) return full();
            d[j++] = s[i++];
        }
        if (i >= n) break;
        if (s[i] >= 0xF0) {
            if (limit - j >= 3) {
                std::memcpy(d + j, kIn, 3);
                j += 3;
            }
            d[j] = 0;
            return {Outcome::kUnconvertible, j};
        }
        if (limit - j < 5) return full();
        std::memcpy(d + j, kIn, 3);
        cs::SJisRowCellToJis(s[i], s[i + 1], d + j + 3);
        j += 5;
        i += 2;
        while (i < n && cs::StartsSJisPair(s + i)) {
            if (s[i] >= 0xF0) {
                d[j] = 0;
                return {Outcome::kUnconvertible, j};
            }
            if (limit - j < 2) return full();
            cs::SJisRowCellToJis(s[i], s[i + 1], d + j);
            j += 2;
            i += 2;
        }
        if (limit - j < 3) return full();
        std::memcpy(d + j, kOut, 3);
        j += 3;
    }
    d[j] = 0;
    return {Outcome::kDone, j};
}

inline Result EucToJisLoop(const std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap) {
    static constexpr std::uint8_t kIn[3] = {0x1B, 0x24, 0x40};
    static constexpr std::uint8_t kOut[3] = {0x1B, 0x28, 0x42};
    if (cap == 0) return {Outcome::kNoRoom, 0};
    const std::size_t limit = cap - 1;
    std::size_t i = 0;
    std::size_t j = 0;
    auto full = [&]() {
        if (j != 0) std::memset(d, 0, j);
        return Result{Outcome::kNoRoom, 0};
    };
    while (i < n) {
        while (i < n && s[i] < 0x80) {
            if (j >= limit) return full();
            d[j++] = s[i++];
        }
        if (i >= n) break;
        if (limit - j < 3) return full();
        std::memcpy(d + j, kIn, 3);
        j += 3;
        do {
            std::uint8_t jis[2];
            cs::EucPairToJis(s + i, jis);
            i += 2;
            if (jis[0] == 0 || jis[1] == 0) {
                if (jis[0] == 0) {
                    d[j] = 0;
                    return {Outcome::kDone, j};
                }
                if (limit - j < 1) return full();
                d[j] = jis[0];
                d[j + 1] = 0;
                return {Outcome::kDone, j + 1};
            }
            if (limit - j < 2) return full();
            d[j] = jis[0];
            d[j + 1] = jis[1];
            j += 2;
        } while (i < n && s[i] >= 0x80);
        if (i >= n) break;
        if (limit - j < 3) return full();
        std::memcpy(d + j, kOut, 3);
        j += 3;
    }
    d[j] = 0;
    return {Outcome::kDone, j};
}

// ---- The frame and the exports ------------------------------------------

inline bool CallerError(const void* src, const void* dst, std::int32_t dstSize) {
    return src == nullptr || dst == nullptr || dstSize < 0;
}
inline std::size_t LengthUpTo(const char* s, std::int32_t dstSize) {
    return strnlen(s, static_cast<std::size_t>(dstSize) + 1);
}
inline std::size_t LengthUpTo(const ZR_WCHAR* s, std::int32_t dstSize) {
    const std::size_t max = static_cast<std::size_t>(dstSize) + 1;
    std::size_t n = 0;
    while (n < max && s[n] != 0) ++n;
    return n;
}
inline bool EmptyOrTooLong(std::size_t n, std::int32_t dstSize) {
    return n == 0 || n > static_cast<std::size_t>(dstSize);
}

using Loop = Result (*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t);

inline std::int32_t RunByteLoop(Loop loop, const char* src, char* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return -1;
    const Result r = loop(B(src), n, B(dst), static_cast<std::size_t>(dstSize));
    switch (r.outcome) {
        case Outcome::kDone:
            return static_cast<std::int32_t>(r.length);
        case Outcome::kNoRoom:
            return 0;
        case Outcome::kUnconvertible:
            break;
    }
    return -1;
}

inline std::int32_t BytesToUnits(CodePage cp, const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    if (dstSize > 0) dst[0] = 0;
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    return zr::platform::MultiByteToWide(cp, src, U(dst), dstSize);
}

inline std::int32_t UnitsToBytes(CodePage cp, const ZR_WCHAR* src, char* dst, std::int32_t dstSize,
                                 std::size_t clear) {
    if (clear > 0) std::memset(dst, 0, clear);
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    const int r = zr::platform::WideToMultiByte(cp, U(src), dst, dstSize);
    return r > 0 ? r - 1 : 0;
}

template <class Mid, class In, class Out, class First, class Second>
std::int32_t Chain(const In* src, Out* dst, std::int32_t dstSize, First first, Second second) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::vector<Mid> mid(static_cast<std::size_t>(dstSize > 0 ? dstSize : 1));
    std::int32_t r = first(src, mid.data(), dstSize);
    if (r > 0) r = second(mid.data(), dst, dstSize);
    return r;
}

inline std::int32_t SJisToUnicode(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    return BytesToUnits(CodePage::kCp932, src, dst, dstSize);
}
inline std::int32_t Utf8ToUnicode(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    return BytesToUnits(CodePage::kUtf8, src, dst, dstSize);
}
inline std::int32_t Utf7ToUnicode(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    return BytesToUnits(CodePage::kUtf7, src, dst, dstSize);
}
inline std::int32_t UnicodeToSJis(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    return UnitsToBytes(CodePage::kCp932, src, dst, dstSize, 0);
}
inline std::int32_t JisToSJis(const char* src, char* dst, std::int32_t dstSize) {
    return RunByteLoop(JisToSJisLoop, src, dst, dstSize);
}
inline std::int32_t SJisToJis(const char* src, char* dst, std::int32_t dstSize) {
    return RunByteLoop(SJisToJisLoop, src, dst, dstSize);
}
inline std::int32_t EucToJis(const char* src, char* dst, std::int32_t dstSize) {
    return RunByteLoop(EucToJisLoop, src, dst, dstSize);
}
inline std::int32_t JisToEuc(const char* src, char* dst, std::int32_t dstSize) {
    return RunByteLoop(JisToEucLoop, src, dst, dstSize);
}

inline std::int32_t EucToSJis(const char* src, char* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    std::vector<char> jis(static_cast<std::size_t>(dstSize));
    if (EucToJis(src, jis.data(), dstSize) > 0) {
        const std::int32_t r = JisToSJis(jis.data(), dst, dstSize);
        if (r > 0) return r;
    }
    return 0;
}

inline std::int32_t SJisToEuc(const char* src, char* dst, std::int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, SJisToJis, JisToEuc);
}

inline std::int32_t JisToUnicode(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    std::vector<char> sjis(static_cast<std::size_t>(dstSize));
    std::int32_t r = JisToSJis(src, sjis.data(), dstSize);
    if (r > 0) r = SJisToUnicode(sjis.data(), dst, dstSize);
    return r;
}

inline std::int32_t UnicodeToJis(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    std::vector<char> sjis(static_cast<std::size_t>(dstSize));
    if (UnicodeToSJis(src, sjis.data(), dstSize) > 0) {
        const std::int32_t r = SJisToJis(sjis.data(), dst, dstSize);
        if (r > 0) return r;
        if (r < 0) return static_cast<std::int32_t>(strnlen(dst, static_cast<std::size_t>(dstSize)));
    }
    return 0;
}

inline std::int32_t EucToUnicode(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, EucToSJis, SJisToUnicode);
}

inline std::int32_t UnicodeToEuc(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, UnicodeToJis, JisToEuc);
}

inline std::int32_t Utf8ToSJis(const char* src, char* dst, std::int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, Utf8ToUnicode, UnicodeToSJis);
}

inline std::int32_t Utf7ToSJis(const char* src, char* dst, std::int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, Utf7ToUnicode, UnicodeToSJis);
}

}  // namespace zr_reference
