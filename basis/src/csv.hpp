// csv.hpp - splitting one CSV line into fields.
#pragma once

#include <cstddef>
#include <string_view>

namespace zr::basis {

// The fields of a line in one block: `count` pointers, then the strings.
struct Fields {
    int count = 0;
    char16_t** strings = nullptr;  // std::malloc'ed block, free with FreeFields
};

// Splits `line`; false (and empty `out`) when memory runs out.
bool SplitCsv(std::u16string_view line, bool unquote, Fields& out) noexcept;
void FreeFields(Fields& fields) noexcept;

}  // namespace zr::basis
