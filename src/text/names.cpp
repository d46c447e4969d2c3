// names.cpp - encoding names as users type them, and the canonical ones.
#include <cstdint>

#include "text/names.hpp"

namespace zr::text {

namespace {

struct Name {
    const char* name;
    Enc enc;
};

// Canonical name first for each encoding; the listing keeps this order.
constexpr Name kNames[] = {
    {"ascii", Enc::kAscii},        {"us-ascii", Enc::kAscii},
    {"utf-8", Enc::kUtf8},         {"utf8", Enc::kUtf8},
    {"utf-16", Enc::kUtf16},       {"utf16", Enc::kUtf16},
    {"utf-16le", Enc::kUtf16Le},   {"utf16le", Enc::kUtf16Le},
    {"utf-16be", Enc::kUtf16Be},   {"utf16be", Enc::kUtf16Be},
    {"iso-2022-jp", Enc::kJis},    {"jis", Enc::kJis},
    {"euc-jp", Enc::kEucJp},       {"eucjp", Enc::kEucJp},      {"ujis", Enc::kEucJp},
    {"euc", Enc::kEucJp},
    {"shift_jis", Enc::kSJis},     {"cp932", Enc::kSJis},       {"ms932", Enc::kSJis},
    {"windows-31j", Enc::kSJis},   {"sjis", Enc::kSJis},        {"shift-jis", Enc::kSJis},
    {"utf-7", Enc::kUtf7},         {"utf7", Enc::kUtf7},
};

constexpr const char* kCanonical[ZRT_ENC_COUNT] = {
    nullptr, "ascii", "utf-8", "utf-16le", "utf-16be", "utf-16", "iso-2022-jp", "euc-jp", "shift_jis", "utf-7",
};

char Lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const char* typed, const char* known) noexcept {
    for (; *typed && *known; ++typed, ++known) {
        if (Lower(*typed) != *known) return false;
    }
    return *typed == *known;
}

}  // namespace

Enc EncodingFromName(const char* name) noexcept {
    if (!name) return Enc::kNone;
    for (const auto& n : kNames) {
        if (SameName(name, n.name)) return n.enc;
    }
    return Enc::kNone;
}

const char* EncodingName(std::int32_t enc) noexcept { return IsValidEnc(enc) ? kCanonical[enc] : nullptr; }

std::int32_t NameCount() noexcept { return static_cast<std::int32_t>(sizeof kNames / sizeof kNames[0]); }

Enc NameAt(std::int32_t index, const char** name, const char** canonical) noexcept {
    if (index < 0 || index >= NameCount()) return Enc::kNone;
    const Name& n = kNames[index];
    if (name) *name = n.name;
    if (canonical) *canonical = kCanonical[static_cast<int>(n.enc)];
    return n.enc;
}

}  // namespace zr::text
