// guess.cpp - choosing the encoding of a buffer (first cut: the interface only).
#include "text/guess.hpp"

namespace zr::text {

ZRT_Guess GuessEncoding(const std::uint8_t*, std::size_t, bool) noexcept { return ZRT_Guess{}; }

const std::int32_t* GuessPreference() noexcept {
    static constexpr std::int32_t kOrder[] = {ZRT_ENC_ASCII, ZRT_ENC_UTF8,    ZRT_ENC_SJIS,
                                              ZRT_ENC_EUCJP, ZRT_ENC_JIS,     ZRT_ENC_UTF16LE,
                                              ZRT_ENC_UTF16BE, ZRT_ENC_UTF7, ZRT_ENC_NONE};
    return kOrder;
}

}  // namespace zr::text
