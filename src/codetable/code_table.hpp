// code_table.hpp - the loaded code table and the internals behind its exports.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/file.hpp"

// The handle object: its temporary file, kept open and mapped for the life of
// the table. The view holds the record count, then the records.
struct CodeTable {
    char16_t path[zr::platform::kMaxPath];
    zr::platform::FileHandle file;
    zr::platform::MappingHandle mapping;
    void* view;
};

namespace zr::codetable {

// One record of the table file, as it lies in the mapped view.
struct Record {
    std::int32_t key;
    std::int32_t value;
};
static_assert(sizeof(Record) == 8, "records are two packed 32-bit integers");

// Outcome of the most recent load, and the line of the most recent error 6.
// Process-wide by contract; atomic so that concurrent loads race only on
// which outcome is kept, never on the value itself.
extern std::atomic<std::int32_t> g_loadError;
extern std::atomic<std::int32_t> g_loadErrorLine;

// Reads a code field: optional white space, sign and 0x prefix, then base-16
// digits up to the first other character, saturating at the 32-bit limits.
std::int32_t ReadHexCode(std::u16string_view field) noexcept;

// The load; returns null after storing the error code.
CodeTable* Load(const char16_t* path, std::int32_t direction, std::int32_t openOption,
                std::int32_t sortOnLoad) noexcept;

// The binary search over the mapped records; -1 when no key equals `code`.
std::int32_t Lookup(const CodeTable& table, std::int32_t code) noexcept;

// Maps `src` unit by unit into `dst` (capacity `dstSize` units); the count
// stored, or -1 once dst is full and a unit remains.
std::int32_t MapString(const CodeTable& table, std::u16string_view src, char16_t* dst,
                       std::int32_t dstSize) noexcept;

// Unmaps, closes and deletes the table's file and frees the object.
void Release(CodeTable* table) noexcept;

}  // namespace zr::codetable
