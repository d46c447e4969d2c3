// names.hpp - encoding name lookup.
#pragma once

#include <cstdint>

#include "text/text.hpp"

namespace zr::text {

Enc EncodingFromName(const char* name) noexcept;
const char* EncodingName(std::int32_t enc) noexcept;
std::int32_t NameCount() noexcept;
Enc NameAt(std::int32_t index, const char** name, const char** canonical) noexcept;

}  // namespace zr::text
