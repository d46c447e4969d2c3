// detect.cpp - guesses the encoding behind the escapes of a URL.
//
// The three byte tests only look at byte ranges, so they overlap; the fixed
// order of EncodeType decides between them. In all three, printable ASCII
// says nothing and a control byte rules the encoding out: URL text carries
// no control characters of its own.
#include <array>
#include <new>

#include "platform/fault.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

constexpr bool IsNeutral(std::uint8_t b) noexcept { return b >= 0x20 && b <= 0x7F; }
constexpr bool IsContinuation(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// The bytes behind a URL, unescaped once and shared by the byte tests that
// EncodeType runs one after the other. Each test still takes its own turn
// at the scratch allocation, as when every test unescaped the URL for
// itself.
template <class Ch>
class Unescaped {
public:
    enum class Verdict { kFails, kPasses, kNoMemory };

    explicit Unescaped(const Ch* url) noexcept : url_(url) {}
    ~Unescaped() { delete[] heap_; }
    Unescaped(const Unescaped&) = delete;
    Unescaped& operator=(const Unescaped&) = delete;

    // Runs `test` on the bytes, or says that no scratch could be had.
    Verdict Run(bool (*test)(std::span<const std::uint8_t>) noexcept) noexcept {
        if (platform::InjectFault(platform::FaultKind::kAlloc)) return Verdict::kNoMemory;
        if (bytes_ == nullptr && !Fill()) return Verdict::kNoMemory;
        return test(std::span<const std::uint8_t>(bytes_, len_)) ? Verdict::kPasses : Verdict::kFails;
    }

private:
    bool Fill() noexcept {
        // Unescaping never yields more bytes than the URL has characters.
        const std::size_t n = TextLength(url_);
        std::uint8_t* out = inline_;
        if (n + 1 > sizeof inline_) {
            heap_ = new (std::nothrow) std::uint8_t[n + 1];
            if (heap_ == nullptr) return false;
            out = heap_;
        }
        if constexpr (sizeof(Ch) == 1) {
            len_ = URL_UnescapeAllA(url_, out);
        } else {
            len_ = URL_UnescapeAllW(url_, out);
        }
        bytes_ = out;
        return true;
    }

    const Ch* url_;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t len_ = 0;
    std::uint8_t* heap_ = nullptr;
    std::uint8_t inline_[1024];
};

template <class Ch>
bool UnescapedPasses(const Ch* url, bool (*test)(std::span<const std::uint8_t>) noexcept) noexcept {
    Unescaped<Ch> bytes(url);
    return bytes.Run(test) == Unescaped<Ch>::Verdict::kPasses;
}

template <class Ch>
std::int32_t EncodeType(const Ch* url) noexcept {
    bool jis;
    if constexpr (sizeof(Ch) == 1) {
        jis = IsJisEncodeA(url);
    } else {
        jis = IsJisEncodeW(url);
    }
    // UTF-8 goes before EUC-JP and Shift_JIS: its bit patterns are the
    // strictest, and multi-byte UTF-8 often passes the looser Shift_JIS test.
    if (jis) return ZR_ENCODE_JIS;
    // A test that could not run says nothing about the bytes: going on to
    // the next test would report a looser encoding as found, so detection
    // ends with no type instead.
    using Verdict = typename Unescaped<Ch>::Verdict;
    Unescaped<Ch> bytes(url);
    constexpr struct {
        bool (*test)(std::span<const std::uint8_t>) noexcept;
        std::int32_t type;
    } kOrder[] = {{LooksLikeUtf8, ZR_ENCODE_UTF8}, {LooksLikeEuc, ZR_ENCODE_EUC}, {LooksLikeSJis, ZR_ENCODE_SJIS}};
    for (const auto& step : kOrder) {
        const Verdict v = bytes.Run(step.test);
        if (v == Verdict::kNoMemory) return ZR_ENCODE_NONE;
        if (v == Verdict::kPasses) return step.type;
    }
    return ZR_ENCODE_NONE;
}

}  // namespace

// The three tests walk the bytes as small state machines, one step a byte,
// rather than jumping over the bytes they skip: the state is updated
// without a branch, and the only branch left, the one that ends a test on
// a fault, is taken once at most. A byte that a jump would have skipped is
// one that the state says to pass over (or, for the Shift_JIS test, to
// check against 0xA0). Past the end of the bytes stands their terminator:
// a NUL passes the Shift_JIS check and is no UTF-8 continuation byte.
namespace {

// Shift_JIS classes: neutral, fault, a lead of 0x81..0x9F whose next byte
// is taken on trust, and a lead of the upper block or a half-width katakana
// (0x80, 0xA0..0xFF) whose next byte must be 0xA0 or below.
enum : std::uint8_t { kNeutral = 0, kFault = 1, kLeadTrusted = 2, kLeadChecked = 3 };

constexpr std::array<std::uint8_t, 256> kSJisTest = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<std::uint8_t>(c);
        t[c] = IsNeutral(b) ? kNeutral : (b >= 0x81 && b <= 0x9F) ? kLeadTrusted
             : (b == 0x80 || b >= 0xA0)                           ? kLeadChecked
                                                                  : kFault;
    }
    return t;
}();

}  // namespace

bool LooksLikeSJis(std::span<const std::uint8_t> b) noexcept {
    unsigned hits = 0;
    unsigned state = kNeutral;  // what this byte is to its predecessor: nothing, a trusted or a checked trail
    for (const std::uint8_t c : b) {
        const unsigned cls = kSJisTest[c];
        const bool free = state == kNeutral;
        if ((free && cls == kFault) || (state == kLeadChecked && c > 0xA0)) return false;
        const bool lead = free && cls >= kLeadTrusted;
        hits |= lead;
        state = lead ? cls : unsigned{kNeutral};
    }
    return hits != 0;
}

bool LooksLikeEuc(std::span<const std::uint8_t> b) noexcept {
    unsigned hits = 0;
    bool trail = false;  // the byte after a hit, skipped unseen
    for (const std::uint8_t c : b) {
        const bool lead = c >= 0xA1 && c <= 0xDF;
        if (!trail && !lead && !IsNeutral(c)) return false;
        hits |= !trail && lead;
        trail = !trail && lead;
    }
    return hits != 0;
}

namespace {

// The sequence length announced by a byte (2..6), 1 for a neutral byte, 0
// for a fault (a control byte, a stray continuation byte, 0xFE, 0xFF).
constexpr std::array<std::uint8_t, 256> kUtf8Step = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<std::uint8_t>(c);
        t[c] = IsNeutral(b) ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4
             : (c & 0xFC) == 0xF8 ? 5 : (c & 0xFE) == 0xFC ? 6 : 0;
    }
    return t;
}();

}  // namespace

bool LooksLikeUtf8(std::span<const std::uint8_t> b) noexcept {
    unsigned hits = 0;
    unsigned pending = 0;  // continuation bytes the current sequence still needs
    for (const std::uint8_t c : b) {
        const unsigned step = kUtf8Step[c];
        if (pending != 0 ? !IsContinuation(c) : step == 0) return false;
        hits |= pending == 0 && step > 1;
        pending = pending != 0 ? pending - 1 : step - 1;
    }
    // A sequence cut short by the end sees the terminator, no continuation.
    return pending == 0 && hits != 0;
}

bool IsSJisEncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeSJis); }
bool IsSJisEncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeSJis); }
bool IsEucEncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeEuc); }
bool IsEucEncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeEuc); }
bool IsUtf8EncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeUtf8); }
bool IsUtf8EncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeUtf8); }

std::int32_t EncodeTypeW(const char16_t* url) noexcept { return EncodeType(url); }
std::int32_t EncodeTypeA(const char* url) noexcept { return EncodeType(url); }

}  // namespace zr::url
