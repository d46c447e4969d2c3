// equivalence_test.cpp - the table-driven URL coders against a plain
// reference: the per-position walks built on the exported character tests,
// the host formatter's "%%%X" escape, one heap scratch per step. Results and
// every unit of dst (what is written, what is left, at every capacity) must
// agree, and so must the order of scratch allocations that a fault can hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "charset/jis.hpp"
#include "platform/fault.hpp"
#include "platform/format.hpp"
#include "platform/scratch.hpp"
#include "url/url.hpp"
#include "url_test_util.hpp"
#include "zr_moji.h"

using zr_url_test::Show;

namespace ref {

using zr::platform::Scratch;

bool Safe(std::uint8_t b) {
    static const std::string kSafe = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*-.@_";
    return b != 0 && kSafe.find(static_cast<char>(b)) != std::string::npos;
}

// The writer as first built: a piece fits only with room for the
// terminator after it; the first piece that does not fit ends the text.
template <class Ch>
struct Writer {
    Ch* dst;
    std::int32_t size;
    std::int32_t pos = 0;
    bool ok = true;

    void Text(const Ch* t, std::int32_t len) {
        if (!(ok && len < size - pos)) {
            ok = false;
            return;
        }
        for (std::int32_t m = 0; m < len; ++m) dst[pos++] = t[m];
    }
    void EscapeByte(std::uint8_t b) {
        if (Safe(b)) {
            const Ch c = static_cast<Ch>(b);
            Text(&c, 1);
            return;
        }
        char buf[8] = {};
        const int n = zr::platform::FormatA(buf, "%%%X", b);
        Ch piece[3] = {static_cast<Ch>('%'), static_cast<Ch>(n == 3 ? buf[1] : '0'),
                       static_cast<Ch>(buf[n - 1])};
        Text(piece, 3);
    }
    // Space as '+', other ASCII as it stands, 0x80..0xFF escaped.
    void Plain(std::uint8_t b) {
        if (b >= 0x80) {
            EscapeByte(b);
            return;
        }
        const Ch c = b == 0x20 ? static_cast<Ch>('+') : static_cast<Ch>(b);
        Text(&c, 1);
    }
    std::int32_t Finish() {
        if (ok && pos < size) {
            dst[pos] = 0;
            return pos;
        }
        if (size > 0) dst[0] = 0;
        return -1;
    }
};

template <class Ch>
std::int32_t Escape(int type, const char* s, Ch* dst, std::int32_t size) {
    static const Ch kIn[] = {'%', '1', 'B', '%', '2', '4', 'B'};
    static const Ch kOut[] = {'%', '1', 'B', '%', '2', '8', 'B'};
    Writer<Ch> out{dst, size};
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    std::size_t i = 0;
    bool kanji = false;
    while (out.ok && s[i] != 0) {
        int len = 0;
        switch (type) {
            case ZR_ENCODE_JIS:
                if (zr::charset::IsJisKanjiInEscape(s + i, len)) {
                    out.Text(kIn, 7);
                    kanji = true;
                    i += static_cast<std::size_t>(len);
                } else if (zr::charset::IsJisKanjiOutEscape(s + i, len)) {
                    out.Text(kOut, 7);
                    kanji = false;
                    i += static_cast<std::size_t>(len);
                } else {
                    kanji ? out.EscapeByte(at(i)) : out.Plain(at(i));
                    ++i;
                }
                break;
            case ZR_ENCODE_SJIS:
                if (ZR_IsMultiByteChar(s + i)) {
                    out.EscapeByte(at(i));
                    out.EscapeByte(at(i + 1));
                    i += 2;
                } else {
                    out.Plain(at(i++));
                }
                break;
            case ZR_ENCODE_EUC:
                ZR_IsEucJpChar(s + i) ? out.EscapeByte(at(i)) : out.Plain(at(i));
                ++i;
                break;
            default: {
                const int m = ZR_IsUtf8Char(s + i);
                if (m >= 1) {
                    for (int k = 0; k < m; ++k) out.EscapeByte(at(i + static_cast<std::size_t>(k)));
                    i += static_cast<std::size_t>(m);
                } else {
                    out.Plain(at(i++));
                }
            }
        }
    }
    if (type == ZR_ENCODE_JIS && kanji) out.Text(kOut, 7);
    return out.Finish();
}

template <class Ch>
std::size_t Length(const Ch* s) {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

template <class Ch>
std::size_t Unescape(const Ch* src, std::uint8_t* out, std::size_t outSize, std::size_t limit) {
    if (outSize == 0) return 0;
    const auto hex = [](std::uint32_t u) -> int {
        if (u >= '0' && u <= '9') return static_cast<int>(u - '0');
        if (u >= 'A' && u <= 'F') return static_cast<int>(u - 'A' + 10);
        if (u >= 'a' && u <= 'f') return static_cast<int>(u - 'a' + 10);
        return -1;
    };
    const auto unit = [](Ch c) { return sizeof(Ch) == 1 ? static_cast<std::uint32_t>(static_cast<unsigned char>(c))
                                                        : static_cast<std::uint32_t>(c); };
    std::size_t i = 0, k = 0;
    while (i < limit && k < outSize - 1 && src[i] != 0) {
        const std::uint32_t u = unit(src[i]);
        if (u == '+') {
            out[k++] = 0x20;
            ++i;
        } else if (u == '%') {
            const int hi = hex(unit(src[i + 1]));
            if (hi < 0) break;
            const int lo = hex(unit(src[i + 2]));
            if (lo < 0) break;
            out[k++] = static_cast<std::uint8_t>(hi << 4 | lo);
            i += 3;
        } else {
            out[k++] = static_cast<std::uint8_t>(u & 0xFF);
            ++i;
        }
    }
    out[k] = 0;
    return static_cast<std::size_t>(std::find(out, out + k, 0) - out);
}

// The byte tests as jumps over the bytes, straight from their tables.
std::uint8_t At(std::span<const std::uint8_t> b, std::size_t k) { return k < b.size() ? b[k] : 0; }
bool Neutral(std::uint8_t c) { return c >= 0x20 && c <= 0x7F; }

bool LooksLikeSJis(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (Neutral(c)) {
            k += 1;
        } else if (c >= 0x81 && c <= 0x9F) {
            ++hits;
            k += 2;
        } else if (c == 0x80 || c >= 0xA0) {
            if (At(b, k + 1) > 0xA0) return false;
            ++hits;
            k += 2;
        } else {
            return false;
        }
    }
    return hits > 0;
}

bool LooksLikeEuc(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (Neutral(c)) {
            k += 1;
        } else if (c >= 0xA1 && c <= 0xDF) {
            ++hits;
            k += 2;
        } else {
            return false;
        }
    }
    return hits > 0;
}

bool LooksLikeUtf8(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (Neutral(c)) {
            k += 1;
            continue;
        }
        std::size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4
                        : (c & 0xFC) == 0xF8 ? 5 : (c & 0xFE) == 0xFC ? 6 : 0;
        if (len == 0) return false;
        for (std::size_t m = 1; m < len; ++m) {
            if ((At(b, k + m) & 0xC0) != 0x80) return false;
        }
        ++hits;
        k += len;
    }
    return hits > 0;
}

// One scratch per test, as each test unescapes for itself; -1 when the
// scratch cannot be had, 1 or 0 for the test's answer.
template <class Ch>
int Runs(const Ch* url, bool (*test)(std::span<const std::uint8_t>) noexcept) {
    const std::size_t n = Length(url);
    Scratch<std::uint8_t> scratch(static_cast<std::int64_t>(n) + 1);
    if (!scratch) return -1;
    const std::size_t len = Unescape(url, scratch.get(), n + 1, n);
    return test(std::span<const std::uint8_t>(scratch.get(), len)) ? 1 : 0;
}

template <class Ch>
bool Passes(const Ch* url, bool (*test)(std::span<const std::uint8_t>) noexcept) {
    return Runs(url, test) == 1;
}

template <class Ch>
bool HasMarker(const Ch* url) {
    static const char kMarker[] = "%1B%24B";
    for (const Ch* p = url; *p != 0; ++p) {
        int m = 0;
        while (m < 7 && p[m] == static_cast<Ch>(kMarker[m])) ++m;
        if (m == 7) return true;
    }
    return false;
}

template <class Ch>
std::int32_t EncodeType(const Ch* url) {
    if (HasMarker(url)) return ZR_ENCODE_JIS;
    // A test without its scratch ends detection with no type: it must not
    // hand the URL to a looser test as if the stricter one had failed.
    int r = Runs(url, LooksLikeUtf8);
    if (r != 0) return r == 1 ? ZR_ENCODE_UTF8 : ZR_ENCODE_NONE;
    r = Runs(url, LooksLikeEuc);
    if (r != 0) return r == 1 ? ZR_ENCODE_EUC : ZR_ENCODE_NONE;
    r = Runs(url, LooksLikeSJis);
    return r == 1 ? ZR_ENCODE_SJIS : ZR_ENCODE_NONE;
}

using DecodeWFn = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);
using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);
const DecodeWFn kToWide[] = {ZR_JisToUnicode, ZR_SJisToUnicode, ZR_EucToUnicode, ZR_Utf8ToUnicode};
const DecodeAFn kToNarrow[] = {ZR_JisToSJis, nullptr, ZR_EucToSJis, ZR_Utf8ToSJis};

template <class Ch, class Out, class Convert>
std::int32_t Decode(const Ch* src, Out* dst, std::int32_t size, Convert convert) {
    const std::size_t n = Length(src);
    Scratch<std::uint8_t> scratch(static_cast<std::int64_t>(n) + 1);
    if (!scratch) return -1;
    if (Unescape(src, scratch.get(), n + 1, n) == 0) return -1;
    return convert(reinterpret_cast<const char*>(scratch.get()), dst, size);
}

std::int32_t DecodeA(int type, const char* src, char* dst, std::int32_t size) {
    if (type == ZR_ENCODE_SJIS) {
        if (size <= 0) return 0;
        return static_cast<std::int32_t>(
            Unescape(src, reinterpret_cast<std::uint8_t*>(dst), static_cast<std::size_t>(size),
                     static_cast<std::size_t>(size)));
    }
    return Decode(src, dst, size, kToNarrow[type]);
}

std::int32_t DecodeW(int type, const char16_t* src, ZR_WCHAR* dst, std::int32_t size) {
    return Decode(src, dst, size, kToWide[type]);
}

const auto kFromWide = std::array{ZR_UnicodeToJis, ZR_UnicodeToSJis, ZR_UnicodeToEuc, ZR_UnicodeToUtf8};
using NarrowFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);
const NarrowFn kFromNarrow[] = {ZR_SJisToJis, nullptr, ZR_SJisToEuc, ZR_SJisToUtf8};

template <class Ch, class SrcCh, class Convert>
std::int32_t Encode(int type, const Ch* src, const SrcCh* convertSrc, Ch* dst, std::int32_t size, Convert convert) {
    const std::int64_t bytes = static_cast<std::int64_t>(Length(src)) * 8 + 1;
    Scratch<char> scratch(bytes);
    if (!scratch) return -1;
    const std::int32_t r = convert(convertSrc, scratch.get(), static_cast<std::int32_t>(bytes));
    if (r <= 0) return r;
    return Escape(type, scratch.get(), dst, size);
}

std::int32_t EncodeA(int type, const char* src, char* dst, std::int32_t size) {
    if (type < 0 || type > 3) return -1;
    if (type == ZR_ENCODE_SJIS) return Escape(type, src, dst, size);
    return Encode(type, src, src, dst, size, kFromNarrow[type]);
}

std::int32_t EncodeW(int type, const char16_t* src, char16_t* dst, std::int32_t size) {
    if (type < 0 || type > 3) return -1;
    return Encode(type, src, reinterpret_cast<const ZR_WCHAR*>(src), dst, size, kFromWide[static_cast<std::size_t>(type)]);
}

}  // namespace ref

namespace {

class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : s_(seed) {}
    std::uint32_t Below(std::uint32_t n) {
        s_ = s_ * 1664525u + 1013904223u;
        return (s_ >> 8) % n;
    }

private:
    std::uint32_t s_;
};

// Text for the encoders: ASCII with the plain rule's specials, every lead,
// trail and katakana range, designations and bytes that start or break
// UTF-8 sequences.
std::string RandomText(Lcg& rng, std::uint32_t maxLen) {
    static constexpr char kPieces[][8] = {
        "a", "Z", "0", " ", "+", "%", "~", "@", "*", "\\", "\t", "/",   "\x1B$B", "\x1B(B", "\x1B$@",
        "\x1B(J", "\x1B(I", "\x1B$(D", "\x1B&@\x1B$B", "\x1B", "\x01", "!!", "0!", "\x82\xA0", "\x83\x41",
        "\x88\x9F", "\xE3\x81\x82", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xB1", "\xA4\xA2", "\xFC", "\x80",
    };
    const std::uint32_t pieces = rng.Below(maxLen + 1);
    std::string s;
    for (std::uint32_t k = 0; k < pieces; ++k) {
        if (rng.Below(4) == 0) {
            s.push_back(static_cast<char>(0x80 + rng.Below(0x80)));
        } else {
            s += kPieces[rng.Below(sizeof kPieces / sizeof kPieces[0])];
        }
    }
    return s;
}

// URL text for the decoders and the detection: escapes of every kind, cut
// and invalid ones, '+', and raw bytes.
std::string RandomUrl(Lcg& rng, std::uint32_t maxLen) {
    static const char kHex[] = "0123456789ABCDEFabcdefG";
    const std::uint32_t len = rng.Below(maxLen + 1);
    std::string s;
    for (std::uint32_t k = 0; k < len; ++k) {
        switch (rng.Below(8)) {
            case 0:
            case 1:
            case 2: {
                s.push_back('%');
                const int digits = rng.Below(12) == 0 ? static_cast<int>(rng.Below(2)) : 2;
                for (int d = 0; d < digits; ++d) {
                    // Mostly the high half and the designations' digits.
                    s.push_back(d == 0 && rng.Below(2) ? "89ABCDEF12"[rng.Below(10)] : kHex[rng.Below(sizeof kHex - 1)]);
                }
                break;
            }
            case 3: s.push_back('+'); break;
            case 4: s += "%1B%24B"; break;
            case 5: s.push_back(static_cast<char>(0x80 + rng.Below(0x80))); break;
            default: s.push_back("abcXYZ019/?=&.-_~"[rng.Below(17)]); break;
        }
        if (rng.Below(60) == 0) s += "%00";
        if (rng.Below(80) == 0) s.push_back('\t');
    }
    return s;
}

std::u16string WidenUnits(const std::string& bytes, Lcg& rng) {
    std::u16string out;
    for (unsigned char b : bytes) {
        switch (rng.Below(10)) {
            case 0: out.push_back(static_cast<char16_t>(0x3000 + rng.Below(0x7000))); break;
            case 1: out.push_back(static_cast<char16_t>(0x100 | b)); break;  // low byte only
            case 2: out.push_back(static_cast<char16_t>(0xFF61 + rng.Below(0x3F))); break;
            default: out.push_back(static_cast<char16_t>(b)); break;
        }
    }
    return out;
}

// Capacities worth checking: 0, 1, around the exact fit, and a large one.
std::vector<std::int32_t> Sizes(std::int32_t want, Lcg& rng) {
    std::vector<std::int32_t> sizes = {0, 1, 2, 3, 4, 7, 8, 300};
    if (want >= 0) {
        for (std::int32_t d = -4; d <= 2; ++d) {
            if (want + d >= 0) sizes.push_back(want + d);
        }
    }
    sizes.push_back(static_cast<std::int32_t>(rng.Below(static_cast<std::uint32_t>(std::max(want, 8)) + 2)));
    return sizes;
}

constexpr char kFill = 0x5A;

template <class Ch>
struct Pair {
    std::vector<Ch> got, want;
    explicit Pair(std::int32_t size)
        : got(static_cast<std::size_t>(size) + 2, static_cast<Ch>(kFill)),
          want(static_cast<std::size_t>(size) + 2, static_cast<Ch>(kFill)) {}
};

TEST(UrlEquivalence, EncodeAMatchesReferenceAtEveryCapacity) {
    Lcg rng(2024);
    for (int iter = 0; iter < 4000; ++iter) {
        const std::string text = RandomText(rng, 20);
        for (int type = -1; type <= 4; ++type) {
            std::vector<char> big(4096);
            const std::int32_t full = ref::EncodeA(type, text.c_str(), big.data(), 4096);
            for (std::int32_t size : Sizes(full, rng)) {
                Pair<char> p(size);
                const std::int32_t r = ZR_URL_EncodeA(text.c_str(), p.got.data(), size, type);
                const std::int32_t w = ref::EncodeA(type, text.c_str(), p.want.data(), size);
                ASSERT_EQ(r, w) << Show(text) << " type " << type << " size " << size;
                ASSERT_EQ(p.got, p.want) << Show(text) << " type " << type << " size " << size;
            }
        }
    }
}

TEST(UrlEquivalence, EncodeWMatchesReferenceAtEveryCapacity) {
    Lcg rng(99);
    for (int iter = 0; iter < 2000; ++iter) {
        // Units from the Shift_JIS text, so that the kana and kanji that the
        // conversions know are well represented, plus some that they do not.
        const std::string bytes = RandomText(rng, 12);
        std::vector<char16_t> units(bytes.size() * 2 + 2, 0);
        if (bytes.empty() || ZR_SJisToUnicode(bytes.c_str(), reinterpret_cast<ZR_WCHAR*>(units.data()),
                                              static_cast<std::int32_t>(units.size())) <= 0) {
            units.assign(1, 0);
        }
        std::u16string text(units.data());
        if (rng.Below(4) == 0) text.push_back(static_cast<char16_t>(0xE000 + rng.Below(0x100)));
        if (rng.Below(4) == 0) text.insert(text.begin(), static_cast<char16_t>(0x4E00 + rng.Below(0x5000)));
        for (int type = -1; type <= 4; ++type) {
            std::vector<char16_t> big(4096);
            const std::int32_t full = ref::EncodeW(type, text.c_str(), big.data(), 4096);
            for (std::int32_t size : Sizes(full, rng)) {
                Pair<char16_t> p(size);
                const std::int32_t r =
                    ZR_URL_EncodeW(reinterpret_cast<const ZR_WCHAR*>(text.c_str()),
                                   reinterpret_cast<ZR_WCHAR*>(p.got.data()), size, type);
                const std::int32_t w = ref::EncodeW(type, text.c_str(), p.want.data(), size);
                ASSERT_EQ(r, w) << Show(text) << " type " << type << " size " << size;
                ASSERT_EQ(p.got, p.want) << Show(text) << " type " << type << " size " << size;
            }
        }
    }
}

// The escaping routines alone, on any bytes (the conversions never hand
// them some of these, such as a control byte inside a kanji run).
TEST(UrlEquivalence, EscapeRoutinesMatchReferenceOnAnyBytes) {
    using EscA = std::int32_t (*)(const char*, char*, std::int32_t) noexcept;
    using EscW = std::int32_t (*)(const char*, char16_t*, std::int32_t) noexcept;
    const EscA escA[] = {zr::url::URL_EscapeJisA, zr::url::URL_EscapeSJisA, zr::url::URL_EscapeEucA,
                         zr::url::URL_EscapeUtf8A};
    const EscW escW[] = {zr::url::URL_EscapeJisW, zr::url::URL_EscapeSJisW, zr::url::URL_EscapeEucW,
                         zr::url::URL_EscapeUtf8W};
    Lcg rng(31337);
    for (int iter = 0; iter < 6000; ++iter) {
        const std::string bytes = RandomText(rng, 24);
        const std::vector<char> exact(bytes.c_str(), bytes.c_str() + bytes.size() + 1);
        for (int type = 0; type <= 3; ++type) {
            std::vector<char> big(4096);
            const std::int32_t full = ref::Escape(type, exact.data(), big.data(), 4096);
            for (std::int32_t size : Sizes(full, rng)) {
                Pair<char> a(size);
                ASSERT_EQ(escA[type](exact.data(), a.got.data(), size), ref::Escape(type, exact.data(), a.want.data(), size))
                    << Show(bytes) << " type " << type << " size " << size;
                ASSERT_EQ(a.got, a.want) << Show(bytes) << " type " << type << " size " << size;
                Pair<char16_t> w(size);
                ASSERT_EQ(escW[type](exact.data(), w.got.data(), size), ref::Escape(type, exact.data(), w.want.data(), size))
                    << Show(bytes) << " type " << type << " size " << size;
                ASSERT_EQ(w.got, w.want) << Show(bytes) << " type " << type << " size " << size;
            }
        }
    }
}

// Around the length where the short-text walk hands over to the checked
// one, and around the capacity of three characters a byte that it needs.
TEST(UrlEquivalence, LongTextsAtTheWalksBoundary) {
    using EscA = std::int32_t (*)(const char*, char*, std::int32_t) noexcept;
    using EscW = std::int32_t (*)(const char*, char16_t*, std::int32_t) noexcept;
    const EscA escA[] = {zr::url::URL_EscapeJisA, zr::url::URL_EscapeSJisA, zr::url::URL_EscapeEucA,
                         zr::url::URL_EscapeUtf8A};
    const EscW escW[] = {zr::url::URL_EscapeJisW, zr::url::URL_EscapeSJisW, zr::url::URL_EscapeEucW,
                         zr::url::URL_EscapeUtf8W};
    Lcg rng(606);
    for (std::size_t n : {std::size_t{254}, std::size_t{255}, std::size_t{256}, std::size_t{257}, std::size_t{400}}) {
        for (int iter = 0; iter < 20; ++iter) {
            std::string bytes;
            while (bytes.size() < n) bytes += RandomText(rng, 4);
            bytes.resize(n);
            const std::vector<char> exact(bytes.c_str(), bytes.c_str() + n + 1);
            const auto size3 = static_cast<std::int32_t>(3 * n);
            for (int type = 0; type <= 3; ++type) {
                for (std::int32_t size : {size3 - 1, size3, size3 + 1, size3 + 2, size3 + 8}) {
                    Pair<char> a(size);
                    ASSERT_EQ(escA[type](exact.data(), a.got.data(), size),
                              ref::Escape(type, exact.data(), a.want.data(), size))
                        << "n " << n << " type " << type << " size " << size;
                    ASSERT_EQ(a.got, a.want) << "n " << n << " type " << type << " size " << size;
                    Pair<char16_t> w(size);
                    ASSERT_EQ(escW[type](exact.data(), w.got.data(), size),
                              ref::Escape(type, exact.data(), w.want.data(), size))
                        << "n " << n << " type " << type << " size " << size;
                    ASSERT_EQ(w.got, w.want) << "n " << n << " type " << type << " size " << size;
                }
            }
        }
    }
}

// The UTF-8 encoders take texts of up to 256 characters in one pass: around
// that length, and around the exact fit of the result.
TEST(UrlEquivalence, Utf8EncodersAroundTheOnePassLength) {
    Lcg rng(707);
    for (std::size_t n : {std::size_t{1}, std::size_t{255}, std::size_t{256}, std::size_t{257}}) {
        for (int iter = 0; iter < 40; ++iter) {
            std::string bytes;
            while (bytes.size() < n) bytes += RandomText(rng, 4);
            bytes.resize(n);
            // A lead byte cut off by the resize is a case of its own; most
            // texts should end whole.
            if (iter % 4 != 0 && !bytes.empty() && static_cast<unsigned char>(bytes.back()) >= 0x80) bytes.back() = 'x';
            std::vector<char> big(8192);
            const std::int32_t full = ref::EncodeA(3, bytes.c_str(), big.data(), 8192);
            for (std::int32_t size : Sizes(full, rng)) {
                Pair<char> p(size);
                ASSERT_EQ(ZR_URL_EncodeA(bytes.c_str(), p.got.data(), size, 3),
                          ref::EncodeA(3, bytes.c_str(), p.want.data(), size))
                    << Show(bytes) << " size " << size;
                ASSERT_EQ(p.got, p.want) << Show(bytes) << " size " << size;
            }
            std::u16string units = WidenUnits(bytes, rng);
            for (auto& u : units) {
                if (u == 0) u = 'z';
            }
            if (iter % 5 == 0) units[rng.Below(static_cast<std::uint32_t>(units.size()))] = 0xDC00;
            std::vector<char16_t> bigW(8192);
            const std::int32_t fullW = ref::EncodeW(3, units.c_str(), bigW.data(), 8192);
            for (std::int32_t size : Sizes(fullW, rng)) {
                Pair<char16_t> p(size);
                ASSERT_EQ(ZR_URL_EncodeW(reinterpret_cast<const ZR_WCHAR*>(units.c_str()),
                                         reinterpret_cast<ZR_WCHAR*>(p.got.data()), size, 3),
                          ref::EncodeW(3, units.c_str(), p.want.data(), size))
                    << Show(units) << " size " << size;
                ASSERT_EQ(p.got, p.want) << Show(units) << " size " << size;
            }
        }
    }
}

TEST(UrlEquivalence, EscapeByteMatchesTheFormatterForEveryByte) {
    for (int b = 1; b < 256; ++b) {
        char got[4] = {}, want[4] = {};
        ref::Writer<char> w{want, 4};
        w.EscapeByte(static_cast<std::uint8_t>(b));
        const int n = zr::url::URL_EscapeByteA(static_cast<std::uint8_t>(b), got);
        EXPECT_EQ(n, w.pos) << b;
        EXPECT_EQ(std::string(got, static_cast<std::size_t>(n)), std::string(want, static_cast<std::size_t>(w.pos)))
            << b;
        EXPECT_EQ(zr::url::IsSafeByte(static_cast<std::uint8_t>(b)), ref::Safe(static_cast<std::uint8_t>(b))) << b;
    }
}

TEST(UrlEquivalence, DetectionMatchesReference) {
    Lcg rng(4711);
    for (int iter = 0; iter < 6000; ++iter) {
        const std::string url = RandomUrl(rng, 16);
        const std::vector<char> a(url.c_str(), url.c_str() + url.size() + 1);
        ASSERT_EQ(ZR_URL_EncodeTypeA(a.data()), ref::EncodeType(a.data())) << Show(url);
        ASSERT_EQ(ZR_URL_IsJisEncodeA(a.data()), static_cast<int32_t>(ref::HasMarker(a.data()))) << Show(url);
        ASSERT_EQ(ZR_URL_IsSJisEncodeA(a.data()), static_cast<int32_t>(ref::Passes(a.data(), ref::LooksLikeSJis)))
            << Show(url);
        ASSERT_EQ(ZR_URL_IsEucEncodeA(a.data()), static_cast<int32_t>(ref::Passes(a.data(), ref::LooksLikeEuc)))
            << Show(url);
        ASSERT_EQ(ZR_URL_IsUtf8EncodeA(a.data()), static_cast<int32_t>(ref::Passes(a.data(), ref::LooksLikeUtf8)))
            << Show(url);
        const std::u16string wide = WidenUnits(url, rng);
        const std::vector<char16_t> w(wide.c_str(), wide.c_str() + wide.size() + 1);
        ASSERT_EQ(ZR_URL_EncodeTypeW(reinterpret_cast<const ZR_WCHAR*>(w.data())), ref::EncodeType(w.data()))
            << Show(wide);
        ASSERT_EQ(ZR_URL_IsJisEncodeW(reinterpret_cast<const ZR_WCHAR*>(w.data())),
                  static_cast<int32_t>(ref::HasMarker(w.data())))
            << Show(wide);
    }
}

// The byte tests on any bytes, weighted towards the boundaries of their
// classes, and cut at every length so that each ends inside a character.
TEST(UrlEquivalence, ByteTestsMatchReference) {
    static constexpr std::uint8_t kEdges[] = {0x00, 0x01, 0x1F, 0x20, 0x41, 0x7F, 0x80, 0x81, 0x9F, 0xA0, 0xA1,
                                              0xBF, 0xC0, 0xC4, 0xDF, 0xE0, 0xE3, 0xEF, 0xF0, 0xF7, 0xF8, 0xFB,
                                              0xFC, 0xFD, 0xFE, 0xFF};
    Lcg rng(5150);
    for (int iter = 0; iter < 20000; ++iter) {
        std::vector<std::uint8_t> bytes(rng.Below(10));
        for (auto& c : bytes) {
            c = rng.Below(3) == 0 ? static_cast<std::uint8_t>(0x20 + rng.Below(0x60))
                                  : kEdges[rng.Below(sizeof kEdges)];
            if (c == 0) c = 0x20;  // the unescaped bytes end at their first NUL
        }
        for (std::size_t len = 0; len <= bytes.size(); ++len) {
            const std::span<const std::uint8_t> b(bytes.data(), len);
            ASSERT_EQ(zr::url::LooksLikeSJis(b), ref::LooksLikeSJis(b)) << iter << " len " << len;
            ASSERT_EQ(zr::url::LooksLikeEuc(b), ref::LooksLikeEuc(b)) << iter << " len " << len;
            ASSERT_EQ(zr::url::LooksLikeUtf8(b), ref::LooksLikeUtf8(b)) << iter << " len " << len;
        }
    }
}

TEST(UrlEquivalence, UnescapeMatchesReferenceAtEveryLimitAndSize) {
    Lcg rng(8080);
    for (int iter = 0; iter < 6000; ++iter) {
        const std::string url = RandomUrl(rng, 12);
        const std::u16string wide = WidenUnits(url, rng);
        const std::size_t n = url.size();
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, n / 2, n, n + 1, n + 2}) {
            for (std::size_t limit : {std::size_t{0}, std::size_t{1}, n / 3, n / 2, n, n + 5}) {
                std::vector<std::uint8_t> got(size + 1, 0xEE), want(size + 1, 0xEE);
                ASSERT_EQ(zr::url::URL_UnescapeA(url.c_str(), std::span(got.data(), size), limit),
                          ref::Unescape(url.c_str(), want.data(), size, limit))
                    << Show(url);
                ASSERT_EQ(got, want) << Show(url) << " size " << size << " limit " << limit;
                std::fill(got.begin(), got.end(), 0xEE);
                std::fill(want.begin(), want.end(), 0xEE);
                ASSERT_EQ(zr::url::URL_UnescapeW(wide.c_str(), std::span(got.data(), size), limit),
                          ref::Unescape(wide.c_str(), want.data(), size, limit))
                    << Show(wide);
                ASSERT_EQ(got, want) << Show(wide) << " size " << size << " limit " << limit;
            }
        }
        // The whole-URL walk: same count, same bytes up to its terminator.
        std::vector<std::uint8_t> got(n + 1, 0xEE), want(n + 1, 0xEE);
        const std::size_t len = ref::Unescape(url.c_str(), want.data(), n + 1, n);
        ASSERT_EQ(zr::url::URL_UnescapeAllA(url.c_str(), got.data()), len) << Show(url);
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(len) + 1, want.begin())) << Show(url);
        const std::size_t lenW = ref::Unescape(wide.c_str(), want.data(), n + 1, n);
        ASSERT_EQ(zr::url::URL_UnescapeAllW(wide.c_str(), got.data()), lenW) << Show(wide);
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(lenW) + 1, want.begin())) << Show(wide);
    }
}

TEST(UrlEquivalence, DecodersMatchReferenceAtEveryCapacity) {
    using DecodeWFn = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t);
    using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);
    const DecodeWFn decW[] = {ZR_URL_DecodeJisW, ZR_URL_DecodeSJisW, ZR_URL_DecodeEucW, ZR_URL_DecodeUtf8W};
    const DecodeAFn decA[] = {ZR_URL_DecodeJisA, ZR_URL_DecodeSJisA, ZR_URL_DecodeEucA, ZR_URL_DecodeUtf8A};
    Lcg rng(1234);
    for (int iter = 0; iter < 1500; ++iter) {
        const std::string url = RandomUrl(rng, 14);
        const std::u16string wide = WidenUnits(url, rng);
        const auto* w = reinterpret_cast<const ZR_WCHAR*>(wide.c_str());
        for (int type = 0; type <= 3; ++type) {
            std::vector<char> big(1024);
            const std::int32_t full = ref::DecodeA(type, url.c_str(), big.data(), 1024);
            for (std::int32_t size : Sizes(full, rng)) {
                Pair<char> a(size);
                ASSERT_EQ(decA[type](url.c_str(), a.got.data(), size), ref::DecodeA(type, url.c_str(), a.want.data(), size))
                    << Show(url) << " type " << type << " size " << size;
                ASSERT_EQ(a.got, a.want) << Show(url) << " type " << type << " size " << size;
                Pair<char16_t> u(size);
                ASSERT_EQ(decW[type](w, reinterpret_cast<ZR_WCHAR*>(u.got.data()), size),
                          ref::DecodeW(type, wide.c_str(), reinterpret_cast<ZR_WCHAR*>(u.want.data()), size))
                    << Show(wide) << " type " << type << " size " << size;
                ASSERT_EQ(u.got, u.want) << Show(wide) << " type " << type << " size " << size;
            }
        }
        // The detecting decoders: the reference's type, then its decoder.
        for (std::int32_t size : {0, 3, 64}) {
            Pair<char> a(size);
            int32_t type = 99;
            const int32_t r = ZR_URL_DecodeA(url.c_str(), a.got.data(), size, &type);
            const int32_t wantType = ref::EncodeType(url.c_str());
            ASSERT_EQ(type, wantType) << Show(url);
            ASSERT_EQ(r, wantType < 0 ? -1 : ref::DecodeA(wantType, url.c_str(), a.want.data(), size)) << Show(url);
            ASSERT_EQ(a.got, a.want) << Show(url);
        }
    }
}

// The UTF-8 decoder reads a URL of whole escaped characters in one pass:
// such URLs, and the same with one thing that the pass hands back to the
// steps (an invalid or cut escape, "%00", a raw high byte, a character the
// conversion replaces, a four-byte character), at capacities around the
// URL's length.
TEST(UrlEquivalence, Utf8DecoderOnEscapedText) {
    static const char* kOdd[] = {"%", "%4",  "%G1", "%00", "\x82", "%C3",  "%E3%81", "%E3%41%82", "%ED%A0%80",
                                 "%E0%80%80", "%C0%AF", "%F0%9F%98%80", "%80", "%e3%81%82", "+", "%2B", "%FF",
                                 "%E4xBA%9C"};  // an escape, then letters that pass for digits
    Lcg rng(808);
    for (int iter = 0; iter < 1500; ++iter) {
        const std::string text = RandomText(rng, 16);
        std::vector<char> buf(4096);
        if (ZR_URL_EncodeA(text.c_str(), buf.data(), 4096, 3) <= 0) continue;
        std::string url(buf.data());
        if (iter % 3 != 0) {
            // Only between escapes, so that the piece itself is what is odd.
            std::size_t at = rng.Below(static_cast<std::uint32_t>(url.size()) + 1);
            while (at < url.size() && url[at] != '%') ++at;
            url.insert(at, kOdd[rng.Below(sizeof kOdd / sizeof kOdd[0])]);
        }
        std::vector<char> big(8192);
        const std::int32_t full = ref::DecodeA(3, url.c_str(), big.data(), 8192);
        std::vector<std::int32_t> sizes = Sizes(full, rng);
        const auto n = static_cast<std::int32_t>(url.size());
        for (std::int32_t d = -1; d <= 2; ++d) sizes.push_back(std::max(0, n + d));
        for (std::int32_t size : sizes) {
            Pair<char> a(size);
            ASSERT_EQ(ZR_URL_DecodeUtf8A(url.c_str(), a.got.data(), size), ref::DecodeA(3, url.c_str(), a.want.data(), size))
                << Show(url) << " size " << size;
            ASSERT_EQ(a.got, a.want) << Show(url) << " size " << size;
        }
    }
}

#if defined(ZR_FAULT_INJECTION)
using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);

// The n-th scratch allocation fails in the library exactly where it failed
// in the reference, with the same result and the same dst; or, where the
// library converts on the stack in one pass (UTF-8 encoding and decoding of
// a short text), it takes no scratch and gives what the reference gives
// when nothing fails.
TEST(UrlEquivalence, ScratchFailuresFallWhereTheyFellBefore) {
    using zr::platform::ArmFault;
    using zr::platform::FaultCalls;
    using zr::platform::FaultKind;
    const std::string texts[] = {"a\x82\xA0 b", "\x88\x9F\x1B", "x"};
    const std::string urls[] = {"%E3%81%82", "%A4%A2x", "%82%A0+", "%1B%24B0%21%1B%28B", "abc", ""};
    for (long nth = 0; nth < 8; ++nth) {
        for (const auto& t : texts) {
            for (int type = 0; type <= 3; ++type) {
                Pair<char> p(64);
                ArmFault(FaultKind::kAlloc, nth);
                const int32_t r = ZR_URL_EncodeA(t.c_str(), p.got.data(), 64, type);
                const long calls = FaultCalls(FaultKind::kAlloc);
                ArmFault(FaultKind::kAlloc, calls == 0 && type == ZR_ENCODE_UTF8 ? -1 : nth);
                const int32_t w = ref::EncodeA(type, t.c_str(), p.want.data(), 64);
                if (calls != 0 || type != ZR_ENCODE_UTF8) {
                    EXPECT_EQ(FaultCalls(FaultKind::kAlloc), calls) << Show(t) << " type " << type << " nth " << nth;
                }
                EXPECT_EQ(r, w) << Show(t) << " type " << type << " nth " << nth;
                EXPECT_EQ(p.got, p.want) << Show(t) << " type " << type << " nth " << nth;
            }
        }
        for (const auto& u : urls) {
            ArmFault(FaultKind::kAlloc, nth);
            const int32_t got = ZR_URL_EncodeTypeA(u.c_str());
            const long calls = FaultCalls(FaultKind::kAlloc);
            ArmFault(FaultKind::kAlloc, nth);
            EXPECT_EQ(got, ref::EncodeType(u.c_str())) << Show(u) << " nth " << nth;
            EXPECT_EQ(FaultCalls(FaultKind::kAlloc), calls) << Show(u) << " nth " << nth;
            const DecodeAFn decA[] = {ZR_URL_DecodeJisA, ZR_URL_DecodeSJisA, ZR_URL_DecodeEucA, ZR_URL_DecodeUtf8A};
            for (int type = 0; type <= 3; ++type) {
                Pair<char> p(64);
                ArmFault(FaultKind::kAlloc, nth);
                const int32_t r = decA[type](u.c_str(), p.got.data(), 64);
                const long decodeCalls = FaultCalls(FaultKind::kAlloc);
                const bool onePass = decodeCalls == 0 && type == ZR_ENCODE_UTF8;
                ArmFault(FaultKind::kAlloc, onePass ? -1 : nth);
                EXPECT_EQ(r, ref::DecodeA(type, u.c_str(), p.want.data(), 64)) << Show(u) << " nth " << nth;
                if (!onePass) {
                    EXPECT_EQ(FaultCalls(FaultKind::kAlloc), decodeCalls) << Show(u) << " nth " << nth;
                }
                EXPECT_EQ(p.got, p.want) << Show(u) << " type " << type << " nth " << nth;
            }
        }
    }
    ArmFault(FaultKind::kAlloc, -1);
}
#endif

}  // namespace
