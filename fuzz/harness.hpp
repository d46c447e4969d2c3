// harness.hpp - the promises every string export makes, checked on one call:
// result range, terminator where the result says so, nothing written in
// front of dst or past dstSize (guard page), and the same output for a
// smaller dstSize whenever that call succeeds too.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "exports.hpp"
#include "guard.hpp"

namespace zr::fuzz {

// One source placed at the end of an arena.
struct Input {
    Src kind = Src::kA;
    const void* ptr = nullptr;
    std::int32_t len = 0;  // bytes, units, or the srcLen of Src::kBytes
};

inline Input MakeInput(Arena& a, Src kind, const std::uint8_t* d, std::size_t n) {
    Input in;
    in.kind = kind;
    switch (kind) {
    case Src::kA: {
        const char* p = PlaceA(a, d, n);
        in.ptr = p;
        in.len = static_cast<std::int32_t>(std::strlen(p));
        break;
    }
    case Src::kW: {
        const auto u = BytesToUnits(d, n);
        const char16_t* p = PlaceW(a, u.data(), u.size());
        in.ptr = p;
        std::int32_t len = 0;
        while (p[len]) ++len;
        in.len = len;
        break;
    }
    case Src::kBytes:
        in.ptr = PlaceBytes(a, d, n);
        in.len = static_cast<std::int32_t>(n);
        break;
    }
    return in;
}

inline Input MakeInputW(Arena& a, const std::u16string& s) {
    Input in;
    in.kind = Src::kW;
    in.ptr = PlaceW(a, s.data(), s.size());
    in.len = static_cast<std::int32_t>(s.size());
    return in;
}

inline Input MakeInputA(Arena& a, const std::string& s) {
    return MakeInput(a, Src::kA, reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

// What one call gave: its result and the output it describes.
struct Outcome {
    std::int32_t result = 0;
    std::int32_t type = -2;           // reported encode type, if any
    std::vector<std::uint8_t> bytes;  // kA/kRaw: the output bytes
    std::u16string units;             // kWIncl/kWExcl: the output units
    std::vector<std::uint8_t> dst;    // all of dst after the call
    std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
};

// A capacity that holds any output of these exports for this input: the
// widest growth is URL encoding (a unit becomes up to 9 characters, a JIS
// switch 7) and Quoted-Printable (3 per byte plus soft breaks).
inline std::int32_t BigSize(const Input& in) { return 16 * in.len + 64; }

// Calls `e` once with dstSize `size` in the output arena `da` and checks
// the promises that hold for every input.
inline Outcome Run(const Export& e, const Input& in, std::int32_t size, std::int32_t extra = 0,
                   Arena& da = DstArena()) {
    const std::size_t unit = UnitSize(e.out);
    void* dst = e.out == Out::kInt ? nullptr : PlaceDst(da, size, unit);
    Outcome o;
    std::int32_t type = -2;
    LastCall& last = Last();
    last = LastCall{e.name, in.ptr, in.kind == Src::kW, in.kind == Src::kBytes ? in.len : -1, size, extra, 0};
    o.result = e.call(in.ptr, in.len, dst, size, extra, &type);
    last.result = o.result;
    o.type = type;
    const std::int32_t r = o.result;
    if (e.out == Out::kInt) {
        if (r < e.lo || r > e.hi) Fail("test result out of range", e.name);
        return o;
    }
    CheckFront(dst, size, e.name);
    if (r < -1) Fail("result below -1", e.name);
    if (size < 0 && r != -1) Fail("negative dstSize did not give -1", e.name);
    if (size == 0 && r > 0) Fail("dstSize 0 gave a positive result", e.name);
    if ((e.flags & kReportsType) && size > 0 && (type < -1 || type > 3)) Fail("reported type out of range", e.name);
    if (size > 0) {
        const auto* p = static_cast<const std::uint8_t*>(dst);
        o.dst.assign(p, p + static_cast<std::size_t>(size) * unit);
    }
    if (r <= 0) {
        if (r == 0 && (e.flags & kEmptyOnZero) && size > 0 && *static_cast<char*>(dst) != 0) {
            Fail("result 0 without an empty dst", e.name);
        }
        return o;
    }
    switch (e.out) {
    case Out::kA: {
        const auto* p = static_cast<const std::uint8_t*>(dst);
        if (r > size || (r == size && !(e.flags & kMayFillExactly))) Fail("length not below dstSize", e.name);
        if (r < size && p[r] != 0) Fail("dst not terminated at the result", e.name);
        if (std::memchr(p, 0, static_cast<std::size_t>(r)) != nullptr) Fail("zero byte inside the result", e.name);
        o.bytes.assign(p, p + r);
        break;
    }
    case Out::kRaw: {
        const auto* p = static_cast<const std::uint8_t*>(dst);
        if (r > size) Fail("byte count above dstSize", e.name);
        o.bytes.assign(p, p + r);
        break;
    }
    case Out::kWIncl: {
        const auto* p = static_cast<const char16_t*>(dst);
        if (r > size) Fail("unit count above dstSize", e.name);
        if (p[r - 1] != 0) Fail("last unit counted is not the terminator", e.name);
        if (!(e.flags & kEmbeddedZeros)) {
            for (std::int32_t i = 0; i + 1 < r; ++i) {
                if (p[i] == 0) Fail("zero unit inside the result", e.name);
            }
        }
        o.units.assign(p, p + r - 1);
        break;
    }
    case Out::kWExcl: {
        const auto* p = static_cast<const char16_t*>(dst);
        if (r >= size) Fail("length not below dstSize", e.name);
        if (p[r] != 0) Fail("dst not terminated at the result", e.name);
        for (std::int32_t i = 0; i < r; ++i) {
            if (p[i] == 0) Fail("zero unit inside the result", e.name);
        }
        o.units.assign(p, p + r);
        break;
    }
    case Out::kInt:
        break;
    }
    return o;
}

inline bool SameOutput(const Outcome& a, const Outcome& b) {
    return a.result == b.result && a.bytes == b.bytes && a.units == b.units;
}

// `part` is a shorter successful output that begins `whole`.
inline bool IsPrefix(const Outcome& part, const Outcome& whole) {
    return part.result < whole.result && part.bytes.size() <= whole.bytes.size() &&
           part.units.size() <= whole.units.size() &&
           std::equal(part.bytes.begin(), part.bytes.end(), whole.bytes.begin()) &&
           std::equal(part.units.begin(), part.units.end(), whole.units.begin());
}

// A shorter successful output of a kPartial export: the same text cut
// earlier (for Base64 the last group of the shorter text differs, so only
// the length is compared).
inline bool PartialOk(const Export& e, const Outcome& part, const Outcome& whole) {
    if (!(e.flags & kPartial)) return false;
    if (e.family == Family::kBase64Charset) return part.result < whole.result;
    return IsPrefix(part, whole);
}

// Null arguments are refused with -1 (0 from a test) without a fault.
inline void CheckNulls(const Export& e, const Input& in, std::int32_t extra) {
    std::int32_t type = -2;
    if (e.out == Out::kInt) {
        if (e.family == Family::kUrlTest) return;  // no documented value; must only not fault
        if (e.call(nullptr, 0, nullptr, 0, extra, &type) != 0) Fail("null pointer not answered with 0", e.name);
        return;
    }
    void* dst = PlaceDst(DstArena(), 8, UnitSize(e.out));
    if (e.call(nullptr, in.len, dst, 8, extra, &type) != -1) Fail("null src not answered with -1", e.name);
    if (e.call(in.ptr, in.len, nullptr, 8, extra, &type) != -1) Fail("null dst not answered with -1", e.name);
}

// The size a fuzz input asks for, from a selector byte: sizes near the
// output's own length find the off-by-one errors.
inline std::int32_t PickSize(FuzzedDataProvider& fdp, const Outcome& big, const Export& e, const Input& in) {
    const std::int32_t r = big.result > 0 ? big.result : in.len;
    const std::int32_t exact = e.out == Out::kA || e.out == Out::kWExcl ? r + 1 : r;
    switch (fdp.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return exact;
    case 1: return exact - 1;
    case 2: return exact + 1;
    case 3: return 0;
    case 4: return fdp.ConsumeIntegralInRange<std::int32_t>(-3, -1);
    case 5: return in.len;
    case 6: return in.len + 1;
    default: return fdp.ConsumeIntegralInRange<std::int32_t>(0, BigSize(in));
    }
}

// Runs `e` with a capacity large enough and with one picked from the input;
// returns the large run. A smaller capacity that still succeeds must give
// the same output.
inline Outcome Exercise(const Export& e, const Input& in, FuzzedDataProvider& fdp, std::int32_t extra = 0) {
    const Outcome big = Run(e, in, BigSize(in), extra);
    if (e.out == Out::kInt) return big;
    const std::int32_t size = PickSize(fdp, big, e, in);
    const Outcome small = Run(e, in, size, extra);
    // UnicodeToJis stops at a character without a JIS row and reports what
    // it wrote; with less room it stops earlier, at an escape that no longer
    // fits, and reports that shorter text.
    if (!(e.flags & kNotMonotonic) && small.result > 0 && !SameOutput(big, small) &&
        !PartialOk(e, small, big)) {
        Fail("a smaller dstSize gave a different successful output", e.name);
    }
    if (fdp.ConsumeIntegralInRange<int>(0, 15) == 0) CheckNulls(e, in, extra);
    return big;
}

// Runs every linked export of `family` on the input: one export chosen by
// the input, so that each call gets the whole of the remaining data.
// `post` gets the large run for checks that belong to the family.
using PostCheck = void (*)(const Export&, const Input&, std::int32_t extra, const Outcome&);
inline void ExerciseFamily(Family family, const std::uint8_t* data, std::size_t size,
                           std::int32_t (*pickExtra)(FuzzedDataProvider&) = nullptr,
                           PostCheck post = nullptr) {
    const Export* members[32];
    std::size_t n = 0;
    for (const auto& e : kExports) {
        if (e.family == family && e.address && n < 32) members[n++] = &e;
    }
    if (n == 0) return;
    FuzzedDataProvider fdp(data, size);
    const Export& e = *members[fdp.ConsumeIntegralInRange<std::size_t>(0, n - 1)];
    const std::int32_t extra = pickExtra ? pickExtra(fdp) : 0;
    const auto text = fdp.ConsumeBytes<std::uint8_t>(fdp.ConsumeIntegralInRange<std::size_t>(0, 4096));
    const Input in = MakeInput(SrcArena(), e.src, text.data(), text.size());
    const Outcome big = Exercise(e, in, fdp, extra);
    if (post) post(e, in, extra, big);
}

// The linked export called `name`, or null.
inline const Export* Linked(const char* name) {
    const Export* e = FindExport(name);
    return e && e->address ? e : nullptr;
}

}  // namespace zr::fuzz
