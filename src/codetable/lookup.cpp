// lookup.cpp - lookups through a loaded code table, and its release.
#include <cstring>

#include "codetable/code_table.hpp"
#include "platform/file.hpp"

namespace zr::codetable {
namespace {

std::int32_t RecordCount(const CodeTable& table) noexcept {
    std::int32_t n;
    std::memcpy(&n, table.view, sizeof n);
    return n;
}

const Record* Records(const CodeTable& table) noexcept {
    return reinterpret_cast<const Record*>(static_cast<const unsigned char*>(table.view) + 4);
}

}  // namespace

std::int32_t Lookup(const CodeTable& table, std::int32_t code) noexcept {
    const Record* records = Records(table);
    // Exclusive bounds: lo and hi are never records still to be looked at.
    std::int64_t lo = -1;
    std::int64_t hi = RecordCount(table);
    while (hi - lo > 1) {
        const std::int64_t mid = (lo + hi) / 2;
        const std::int32_t key = records[mid].key;
        if (key == code) return records[mid].value;
        if (key < code) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return -1;
}

std::int32_t MapString(const CodeTable& table, std::u16string_view src, char16_t* dst,
                       std::int32_t dstSize) noexcept {
    // The clear counts bytes, as everywhere in this library's UTF-16 output:
    // it reaches the first half of the array.
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    std::int32_t count = 0;
    for (const char16_t unit : src) {
        const std::int32_t value = Lookup(table, static_cast<std::int32_t>(unit));
        // Full is tested before a miss: a full dst fails the call even for a
        // unit that would have stored nothing.
        if (count >= dstSize) return -1;
        const auto low = static_cast<char16_t>(value & 0xFFFF);
        if (low != 0xFFFF) dst[count++] = low;
    }
    return count;
}

void Release(CodeTable* table) noexcept {
    if (!table) return;
    if (table->view) zr::platform::UnmapViewOfFile(table->view);
    zr::platform::CloseMapping(table->mapping);
    zr::platform::CloseFile(table->file);
    if (table->path[0]) zr::platform::DeleteFile(table->path);
    delete table;
}

}  // namespace zr::codetable
