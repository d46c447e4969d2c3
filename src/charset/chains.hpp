// chains.hpp - the two-step character-set exports.
//
// Every chain is defined by its steps: exports calling exports, with a
// scratch buffer of the intermediate text between them. Where a one-pass
// loop models the text (jis_unicode.hpp, utf8_sjis.hpp and the ViaJis loops)
// the chain runs it first and writes byte for byte what the steps write;
// when the pass declines (LoopOutcome::kDeclined, or `declined` in its
// result) the chain takes the steps. Each chain keeps the order in which the
// steps would take their scratch buffers and touch dst, so that a failed
// allocation leaves dst as the steps would.
#pragma once

#include <cstdint>

#include "api/boundary.hpp"
#include "platform/scratch.hpp"
#include "zr_moji.h"

namespace zr::charset {

// The usual two-step chain: a scratch of dstSize elements of the
// intermediate kind, the second step only when the first produced
// something, and the result of the last step that ran.
template <class Mid, class In, class Out, class First, class Second>
std::int32_t Chain(const In* src, Out* dst, std::int32_t dstSize, First first, Second second) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    platform::Scratch<Mid> mid(dstSize);
    if (!mid) return -1;
    std::int32_t r = first(src, mid.get(), dstSize);
    if (r > 0) r = second(mid.get(), dst, dstSize);
    return r;
}

// The chains with a one-pass loop in front of their steps.
std::int32_t EucToSJisChain(const char* src, char* dst, std::int32_t dstSize) noexcept;
std::int32_t SJisToEucChain(const char* src, char* dst, std::int32_t dstSize) noexcept;
std::int32_t JisToUnicodeChain(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept;
std::int32_t UnicodeToJisChain(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept;
std::int32_t EucToUnicodeChain(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept;
std::int32_t UnicodeToEucChain(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept;
std::int32_t Utf8ToSJisChain(const char* src, char* dst, std::int32_t dstSize) noexcept;

}  // namespace zr::charset
