// fuzz_codetable_lookup.cpp - lookups through a table built from the input:
// ZR_CodeTableCode and ZR_CodeTableString against a model of the records.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>

#include "codetable_common.hpp"
#include "harness.hpp"

using namespace zr::fuzz;

namespace {

std::string Hex(std::int32_t v) {
    char buf[16];
    if (v < 0) {
        std::snprintf(buf, sizeof buf, "-%X", static_cast<unsigned>(-static_cast<std::int64_t>(v)));
    } else {
        std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(v));
    }
    return buf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!HaveLoader()) return 0;
    FuzzedDataProvider fdp(data, size);
    // Unique keys, so that the model knows the one answer; a narrow key
    // range makes hits likely.
    std::map<std::int32_t, std::int32_t> model;
    std::string text = "/ fuzz table\n";
    const bool narrowKeys = fdp.ConsumeBool();
    const std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(1, 200);
    for (std::size_t i = 0; i < n && fdp.remaining_bytes() > 8; ++i) {
        const std::int32_t key = narrowKeys ? fdp.ConsumeIntegralInRange<std::int32_t>(0, 0x120)
                                            : fdp.ConsumeIntegral<std::int32_t>();
        std::int32_t value = fdp.ConsumeIntegral<std::int32_t>();
        if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) value = 0xFFFF;  // a line that yields nothing
        if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) value |= 0xFFFF;  // left out by the string map
        if (model.count(key)) continue;
        text += Hex(key) + "," + Hex(value) + ",x\n";
        if (key != 0xFFFF && value != 0xFFFF) model[key] = value;
    }
    if (model.empty()) return 0;
    const std::string path = WriteTextFile(text);
    const auto before = ListDir(Dirs().temp);
    const std::u16string w = Widen(path);
    CodeTable* t = ZR_CodeTableInitW(w.c_str(), 0, 0, 1);
    if (!t) Fail("a well-formed table did not load", "ZR_CodeTableInitW");

    auto code = [&](std::int32_t c) {
        const auto it = model.find(c);
        const std::int32_t want = it == model.end() ? -1 : it->second;
        if (ZR_CodeTableCode(t, c) != want) Fail("lookup differs from the records", "ZR_CodeTableCode");
    };
    for (const auto& [k, v] : model) {
        code(k);
        if (k != INT32_MIN) code(k - 1);
        if (k != INT32_MAX) code(k + 1);
    }
    code(fdp.ConsumeIntegral<std::int32_t>());

    // String mapping: unit by unit, misses and 0xFFFF values left out, -1
    // once dst is full and a further unit comes.
    std::u16string src;
    while (fdp.remaining_bytes() >= 2 && src.size() < 512) {
        const char16_t c = narrowKeys ? static_cast<char16_t>(fdp.ConsumeIntegralInRange<int>(1, 0x121))
                                      : fdp.ConsumeIntegral<char16_t>();
        if (c) src.push_back(c);
    }
    std::u16string want;
    std::int32_t wantResult = 0;
    const std::int32_t dstSize = fdp.ConsumeIntegralInRange<std::int32_t>(0, static_cast<std::int32_t>(src.size()) + 2);
    for (char16_t c : src) {
        const auto it = model.find(static_cast<std::int32_t>(c));
        const std::int32_t v = it == model.end() ? -1 : it->second;
        if (static_cast<std::int32_t>(want.size()) >= dstSize) { wantResult = -1; break; }
        if ((v & 0xFFFF) != 0xFFFF) want.push_back(static_cast<char16_t>(v & 0xFFFF));
    }
    if (wantResult == 0) wantResult = static_cast<std::int32_t>(want.size());
    const char16_t* s = PlaceW(SrcArena(), src.data(), src.size());
    auto* dst = static_cast<char16_t*>(PlaceDst(DstArena(), dstSize, 2));
    const std::int32_t r = ZR_CodeTableString(t, s, dst, dstSize);
    CheckFront(dst, dstSize, "ZR_CodeTableString");
    if (r != wantResult) Fail("string map result differs from the model", "ZR_CodeTableString");
    if (r > 0 && std::u16string(dst, dst + r) != want) Fail("string map output differs from the model", "ZR_CodeTableString");
    if (ZR_CodeTableString(t, s, dst, -1) != -1) Fail("negative dstSize not refused", "ZR_CodeTableString");

    ZR_CodeTableTerm(t);
    if (ListDir(Dirs().temp) != before) Fail("released table left its file", "ZR_CodeTableTerm");
    return 0;
}
