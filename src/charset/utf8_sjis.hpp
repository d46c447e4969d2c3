// utf8_sjis.hpp - UTF-8 straight to Shift_JIS, for the text where that gives
// exactly what the host converter's two conversions through UTF-16 give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "charset/cp932_units.hpp"

namespace zr::charset {

struct DirectResult {
    bool declined;       // the text holds something the pass does not
                         // model: take the two conversions
    std::size_t length;  // bytes written, no terminator
};

// Modelled: well-formed characters of one, two and three bytes (no encoded
// surrogates) whose units the table knows; the pass declines every text
// when the table's ASCII is not the same bytes. Never writes more bytes than
// src has, plus one spare byte after them: `d` needs src.size() + 1 bytes.
// src.data()[src.size()] is the terminator and nothing after it is read.
DirectResult Utf8ToSJisDirect(std::span<const std::uint8_t> src, std::uint8_t* d, const SJisFromUnit& table) noexcept;

}  // namespace zr::charset
