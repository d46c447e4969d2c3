// loader.cpp - loading a code-table text file into a mapped temporary file.
#include <algorithm>
#include <cstring>
#include <new>

#include "codetable/code_table.hpp"
#include "platform/fault.hpp"
#include "platform/file.hpp"
#include "zr_basis.h"
#include "zr_moji.h"

namespace zr::codetable {

std::atomic<std::int32_t> g_loadError{0};
std::atomic<std::int32_t> g_loadErrorLine{0};

namespace {

namespace pf = zr::platform;

static_assert(sizeof(BASIS_WCHAR) == sizeof(char16_t), "UTF-16 units are 16 bits");

constexpr int kLineUnits = 1024;
constexpr std::int32_t kNoCode = 0xFFFF;

const BASIS_WCHAR* ToBasis(const char16_t* s) noexcept { return reinterpret_cast<const BASIS_WCHAR*>(s); }

// Collects the table file in memory and hands it to the host a block at a
// time, so a large table costs a few writes rather than one per record.
// A block that fails to go out fails the load with the same code that the
// record's own write would have given: every way out of the reading loop
// flushes first.
class RecordWriter {
public:
    explicit RecordWriter(pf::FileHandle file) noexcept : file_(file) {}

    bool Put(const void* data, std::size_t size) noexcept {
        if (used_ + size > sizeof block_ && !Flush()) return false;
        std::memcpy(block_ + used_, data, size);
        used_ += size;
        return true;
    }

    bool Flush() noexcept {
        if (used_ == 0) return true;
        const bool ok = pf::WriteFile(file_, block_, static_cast<std::uint32_t>(used_));
        used_ = 0;
        return ok;
    }

private:
    pf::FileHandle file_;
    std::size_t used_ = 0;
    unsigned char block_[8192];
};

// Releases what a failing load holds, in the order of its steps.
struct LoadState {
    CodeTable* table = nullptr;
    ZR_TEXTFILE text = 0;
    pf::FileHandle writer = pf::kNoFile;

    CodeTable* Fail(std::int32_t error) noexcept {
        if (writer != pf::kNoFile) pf::CloseFile(writer);
        if (text) ZR_TextFileClose(text);
        if (table) {
            if (table->view) pf::UnmapViewOfFile(table->view);
            if (table->mapping != pf::kNoMapping) pf::CloseMapping(table->mapping);
            if (table->file != pf::kNoFile) pf::CloseFile(table->file);
            if (table->path[0]) pf::DeleteFile(table->path);
            delete table;
        }
        g_loadError = error;
        return nullptr;
    }
};

// Reads the lines and writes one record for each accepted line. Returns 0,
// or the error code that ends the load.
std::int32_t WriteRecords(ZR_TEXTFILE text, RecordWriter& out, std::int32_t direction,
                          std::int32_t& count) noexcept {
    char16_t line[kLineUnits];
    std::int32_t lineNo = 0;
    count = 0;
    while (!ZR_TextFileEof(text)) {
        ++lineNo;
        line[0] = 0;
        ZR_TextFileGetsW(text, reinterpret_cast<BASIS_WCHAR*>(line), kLineUnits);
        // The read that runs into the end may still deliver a last line that
        // lacks its line break; that line counts like any other.
        if (ZR_TextFileEof(text) && line[0] == 0) break;
        if (ZR_TextFileError(text)) return out.Flush() ? ZR_CODETABLE_READ_FAILED : ZR_CODETABLE_WRITE_FAILED;
        if (line[0] == u'/') continue;
        StrList fields;
        ZR_StringCSVW(ToBasis(line), &fields, 1);
        if (fields.count != 3) {
            ZR_DeleteStrListW(&fields);
            if (!out.Flush()) return ZR_CODETABLE_WRITE_FAILED;
            g_loadErrorLine = lineNo;
            return ZR_CODETABLE_BAD_LINE;
        }
        const std::int32_t first = ReadHexCode(reinterpret_cast<const char16_t*>(fields.strings[0]));
        const std::int32_t second = ReadHexCode(reinterpret_cast<const char16_t*>(fields.strings[1]));
        ZR_DeleteStrListW(&fields);
        // 0xFFFF is how a table says "no counterpart": the line is valid
        // but maps nothing.
        if (first == kNoCode || second == kNoCode) continue;
        const Record r = direction == 0 ? Record{first, second} : Record{second, first};
        if (!out.Put(&r, sizeof r)) return ZR_CODETABLE_WRITE_FAILED;
        ++count;
    }
    return out.Flush() ? ZR_CODETABLE_OK : ZR_CODETABLE_WRITE_FAILED;
}

}  // namespace

CodeTable* Load(const char16_t* path, std::int32_t direction, std::int32_t openOption,
                std::int32_t sortOnLoad) noexcept {
    g_loadError = ZR_CODETABLE_OK;
    LoadState s;
    if (direction != 0 && direction != 1) return s.Fail(ZR_CODETABLE_BAD_DIRECTION);

    // No table object means nothing to hand back; it is reported as a table
    // that could not be set up, the nearest of the load's outcomes.
    if (!pf::InjectFault(pf::FaultKind::kAlloc)) s.table = new (std::nothrow) CodeTable;
    if (!s.table) return s.Fail(ZR_CODETABLE_MAP_FAILED);
    s.table->path[0] = 0;
    s.table->file = pf::kNoFile;
    s.table->mapping = pf::kNoMapping;
    s.table->view = nullptr;

    static const char16_t kRead[] = u"r";
    s.text = path ? ZR_TextFileOpenW(ToBasis(path), ToBasis(kRead), openOption) : 0;
    if (!s.text) return s.Fail(ZR_CODETABLE_OPEN_FAILED);

    // The directory comes from TEMP alone; unset, empty or too long for a
    // path, there is nowhere to put the table.
    char16_t dir[pf::kMaxPath];
    const std::uint32_t dirLen = pf::GetEnvironmentVariable(u"TEMP", dir, pf::kMaxPath);
    if (dirLen == 0 || dirLen >= static_cast<std::uint32_t>(pf::kMaxPath)) return s.Fail(ZR_CODETABLE_NO_TEMP_NAME);
    if (pf::GetTempFileName(dir, u"ZR_", s.table->path) == 0) {
        s.table->path[0] = 0;
        return s.Fail(ZR_CODETABLE_NO_TEMP_NAME);
    }
    // The file exists from here on; every failure below deletes it.
    s.writer = pf::OpenExistingForWrite(s.table->path);
    if (s.writer == pf::kNoFile) return s.Fail(ZR_CODETABLE_WRITE_FAILED);

    std::int32_t count = 0;
    std::int32_t error;
    {
        RecordWriter out(s.writer);
        // The count goes first as a placeholder and is patched at the end,
        // so that the file is written in one pass as the lines are read.
        const std::int32_t placeholder = 0;
        error = out.Put(&placeholder, sizeof placeholder) ? WriteRecords(s.text, out, direction, count)
                                                          : ZR_CODETABLE_WRITE_FAILED;
    }
    if (error == ZR_CODETABLE_OK && count > 0 &&
        (!pf::SeekToStart(s.writer) || !pf::WriteFile(s.writer, &count, sizeof count))) {
        error = ZR_CODETABLE_WRITE_FAILED;
    }
    if (error == ZR_CODETABLE_OK && count == 0) error = ZR_CODETABLE_EMPTY;
    pf::CloseFile(s.writer);
    s.writer = pf::kNoFile;
    ZR_TextFileClose(s.text);
    s.text = 0;
    if (error != ZR_CODETABLE_OK) return s.Fail(error);

    s.table->file = pf::OpenExistingForReadWrite(s.table->path);
    if (s.table->file == pf::kNoFile) return s.Fail(ZR_CODETABLE_MAP_FAILED);
    s.table->mapping = pf::CreateFileMapping(s.table->file);
    if (s.table->mapping == pf::kNoMapping) return s.Fail(ZR_CODETABLE_MAP_FAILED);
    s.table->view = pf::MapViewOfFile(s.table->mapping);
    if (!s.table->view) return s.Fail(ZR_CODETABLE_MAP_FAILED);

    if (sortOnLoad) {
        // In place in the view, which is the file: keys ascending as signed
        // numbers, values never compared, equal keys in no set order.
        auto* records = reinterpret_cast<Record*>(static_cast<unsigned char*>(s.table->view) + 4);
        std::sort(records, records + count,
                  [](const Record& a, const Record& b) noexcept { return a.key < b.key; });
    }
    return s.table;
}

}  // namespace zr::codetable
