// fuzz_codetable_load.cpp - code-table loading from fuzzed file text: every
// load either gives a table whose file holds what it promises, or null with
// an error code and nothing left in TEMP.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "codetable_common.hpp"

using namespace zr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!HaveLoader()) return 0;
    const TableDirs& dirs = Dirs();
    FuzzedDataProvider fdp(data, size);
    const std::int32_t direction = fdp.ConsumeIntegralInRange<std::int32_t>(-1, 2);
    const std::int32_t sort = fdp.ConsumeIntegralInRange<std::int32_t>(0, 1);
    const bool narrow = fdp.ConsumeBool();
    const std::string text = fdp.ConsumeRemainingBytesAsString();
    const std::string path = WriteTextFile(text);
    const auto before = ListDir(dirs.temp);

    CodeTable* t = nullptr;
    if (narrow) {
        t = ZR_CodeTableInitA(path.c_str(), direction, 0, sort);
    } else {
        const std::u16string w = Widen(path);
        t = ZR_CodeTableInitW(w.c_str(), direction, 0, sort);
    }
    const std::int32_t err = ZR_CodeTableError();
    if (!t) {
        if (err < 1 || err > 8) Fail("a failed load has no error code", "ZR_CodeTableInitW");
        if (direction != 0 && direction != 1 && err != 1) Fail("bad direction not error 1", "ZR_CodeTableInitW");
        if (err == 6 && ZR_CodeTableErrorLine() < 1) Fail("error 6 without a line", "ZR_CodeTableErrorLine");
        if (ListDir(dirs.temp) != before) Fail("a failed load left a file in TEMP", "ZR_CodeTableInitW");
        return 0;
    }
    if (err != 0) Fail("a table with an error code", "ZR_CodeTableInitW");
    if (direction != 0 && direction != 1) Fail("bad direction loaded", "ZR_CodeTableInitW");

    const std::string file = NewTableFile(before);
    std::int32_t count = 0;
    if (file.size() < 4) Fail("table file shorter than its count", "ZR_CodeTableInitW");
    std::memcpy(&count, file.data(), 4);
    if (count < 1 || file.size() != 4 + 8 * static_cast<std::size_t>(count)) {
        Fail("table file is not 4 + 8N bytes with N >= 1", "ZR_CodeTableInitW");
    }
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (static_cast<std::size_t>(count) > lines) Fail("more records than lines", "ZR_CodeTableInitW");

    // Every key of a sorted table is found, with the value of a record that
    // holds it.
    std::int32_t prev = INT32_MIN;
    for (std::int32_t i = 0; sort && i < count && i < 256; ++i) {
        std::int32_t key;
        std::memcpy(&key, file.data() + 4 + 8 * i, 4);
        if (key < prev) Fail("sorted table out of order", "ZR_CodeTableInitW");
        prev = key;
        const std::int32_t got = ZR_CodeTableCode(t, key);
        bool ok = false;
        for (std::int32_t j = 0; j < count && !ok; ++j) {
            std::int32_t k2, v2;
            std::memcpy(&k2, file.data() + 4 + 8 * j, 4);
            std::memcpy(&v2, file.data() + 8 + 8 * j, 4);
            ok = k2 == key && v2 == got;
        }
        if (!ok) Fail("lookup of a present key missed", "ZR_CodeTableCode");
    }
    ZR_CodeTableTerm(t);
    if (ListDir(dirs.temp) != before) Fail("released table left its file", "ZR_CodeTableTerm");
    return 0;
}
