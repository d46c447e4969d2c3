// guess.hpp - choosing the encoding of a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zr_text.h"

namespace zr::text {

ZRT_Guess GuessEncoding(const std::uint8_t* buf, std::size_t n, bool complete) noexcept;
const std::int32_t* GuessPreference() noexcept;

}  // namespace zr::text
