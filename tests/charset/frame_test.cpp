// frame_test.cpp - what every conversion export does with its buffer: caller
// errors, capacity 0, clearing, and the results at exactly-fits and one short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "charset_test_util.hpp"
#include "zr_moji.h"

using namespace zr_test;

namespace {

struct B2BExport {
    B2B fn;
    const char* name;
};
struct B2UExport {
    B2U fn;
    const char* name;
};
struct U2BExport {
    U2B fn;
    const char* name;
};

constexpr B2BExport kB2B[] = {
    {ZR_JisToSJis, "JisToSJis"},   {ZR_SJisToJis, "SJisToJis"},     {ZR_EucToJis, "EucToJis"},
    {ZR_JisToEuc, "JisToEuc"},     {ZR_EucToSJis, "EucToSJis"},     {ZR_SJisToEuc, "SJisToEuc"},
    {ZR_Utf8ToSJis, "Utf8ToSJis"}, {ZR_SJisToUtf8, "SJisToUtf8"},   {ZR_Utf7ToSJis, "Utf7ToSJis"},
    {ZR_SJisToUtf7, "SJisToUtf7"},
};
constexpr B2UExport kB2U[] = {
    {ZR_SJisToUnicode, "SJisToUnicode"}, {ZR_JisToUnicode, "JisToUnicode"},
    {ZR_EucToUnicode, "EucToUnicode"},   {ZR_Utf8ToUnicode, "Utf8ToUnicode"},
    {ZR_Utf7ToUnicode, "Utf7ToUnicode"},
};
constexpr U2BExport kU2B[] = {
    {ZR_UnicodeToSJis, "UnicodeToSJis"}, {ZR_UnicodeToJis, "UnicodeToJis"},
    {ZR_UnicodeToEuc, "UnicodeToEuc"},   {ZR_UnicodeToUtf8, "UnicodeToUtf8"},
    {ZR_UnicodeToUtf7, "UnicodeToUtf7"},
};

TEST(Frame, CallerErrorsGiveMinusOneAndTouchNothing) {
    const ZR_WCHAR wsrc[] = {u'A', 0};
    for (const auto& e : kB2B) {
        Bytes dst(8);
        EXPECT_EQ(e.fn(nullptr, dst.data.get(), 8), -1) << e.name;
        EXPECT_EQ(e.fn("A", nullptr, 8), -1) << e.name;
        EXPECT_EQ(e.fn("A", dst.data.get(), -1), -1) << e.name;
        EXPECT_TRUE(dst.UntouchedFrom(0)) << e.name;
    }
    for (const auto& e : kB2U) {
        Units dst(8);
        EXPECT_EQ(e.fn(nullptr, dst.data.get(), 8), -1) << e.name;
        EXPECT_EQ(e.fn("A", nullptr, 8), -1) << e.name;
        EXPECT_EQ(e.fn("A", dst.data.get(), -5), -1) << e.name;
        EXPECT_TRUE(dst.UntouchedFrom(0)) << e.name;
    }
    for (const auto& e : kU2B) {
        Bytes dst(8);
        EXPECT_EQ(e.fn(nullptr, dst.data.get(), 8), -1) << e.name;
        EXPECT_EQ(e.fn(wsrc, nullptr, 8), -1) << e.name;
        EXPECT_EQ(e.fn(wsrc, dst.data.get(), INT32_MIN), -1) << e.name;
        EXPECT_TRUE(dst.UntouchedFrom(0)) << e.name;
    }
}

// Capacity 0 writes nothing. The exports that hand it to the host converter
// answer 0 ("did not fit"), never the size the converter would need; the
// own loops refuse a src longer than 0 bytes with -1.
TEST(Frame, CapacityZeroWritesNothing) {
    const ZR_WCHAR wsrc[] = {0x3042, 0};
    for (const auto& e : kB2B) {
        char guard = char(kFill);
        const int32_t r = e.fn("\x82\xA0", &guard, 0);
        EXPECT_LE(r, 0) << e.name;
        EXPECT_EQ(static_cast<unsigned char>(guard), kFill) << e.name;
    }
    for (const auto& e : kB2U) {
        ZR_WCHAR guard = 0xCCCC;
        const int32_t r = e.fn("+MEI-", &guard, 0);
        EXPECT_LE(r, 0) << e.name;
        EXPECT_EQ(guard, 0xCCCC) << e.name;
    }
    for (const auto& e : kU2B) {
        char guard = char(kFill);
        const int32_t r = e.fn(wsrc, &guard, 0);
        EXPECT_LE(r, 0) << e.name;
        EXPECT_EQ(static_cast<unsigned char>(guard), kFill) << e.name;
    }
    ZR_WCHAR wguard = 0xCCCC;
    EXPECT_EQ(ZR_SJisToUnicode("A", &wguard, 0), 0);
    EXPECT_EQ(ZR_Utf8ToUnicode("A", &wguard, 0), 0);
    EXPECT_EQ(ZR_Utf7ToUnicode("A", &wguard, 0), 0);
    char guard = char(kFill);
    EXPECT_EQ(ZR_UnicodeToSJis(wsrc, &guard, 0), 0);
    EXPECT_EQ(ZR_UnicodeToUtf8(wsrc, &guard, 0), 0);
    EXPECT_EQ(ZR_UnicodeToUtf7(wsrc, &guard, 0), 0);
    EXPECT_EQ(ZR_SJisToUtf8("A", &guard, 0), 0);
    EXPECT_EQ(ZR_JisToSJis("A", &guard, 0), -1);
}

// What an empty src leaves in a dst that the caller filled beforehand.
enum class Clears { kAll, kFirstElement, kFirstBytes, kNothing };

struct ClearCase {
    const char* name;
    Clears clears;
};

TEST(Frame, EmptySourceClearsWhatEachExportClears) {
    constexpr int32_t kSize = 6;
    const ZR_WCHAR empty16[] = {0};
    const ClearCase want[] = {
        {"JisToSJis", Clears::kAll},        {"SJisToJis", Clears::kAll},
        {"EucToJis", Clears::kAll},         {"JisToEuc", Clears::kAll},
        {"EucToSJis", Clears::kAll},        {"SJisToEuc", Clears::kNothing},
        {"Utf8ToSJis", Clears::kNothing},   {"SJisToUtf8", Clears::kNothing},
        {"Utf7ToSJis", Clears::kNothing},   {"SJisToUtf7", Clears::kNothing},
        {"SJisToUnicode", Clears::kFirstElement}, {"JisToUnicode", Clears::kFirstBytes},
        {"EucToUnicode", Clears::kNothing}, {"Utf8ToUnicode", Clears::kFirstElement},
        {"Utf7ToUnicode", Clears::kFirstElement}, {"UnicodeToSJis", Clears::kAll},
        {"UnicodeToJis", Clears::kAll},     {"UnicodeToEuc", Clears::kNothing},
        {"UnicodeToUtf8", Clears::kFirstElement}, {"UnicodeToUtf7", Clears::kFirstElement},
    };
    auto check = [&](const char* name, const auto& dst, size_t elem) {
        for (const auto& w : want) {
            if (std::string(w.name) != name) continue;
            switch (w.clears) {
                case Clears::kAll:
                    EXPECT_TRUE(dst.ZeroUpTo(kSize * elem)) << name;
                    break;
                case Clears::kFirstElement:
                    EXPECT_TRUE(dst.ZeroUpTo(elem) && dst.UntouchedFrom(elem)) << name;
                    break;
                case Clears::kFirstBytes:
                    EXPECT_TRUE(dst.ZeroUpTo(kSize) && dst.UntouchedFrom(kSize)) << name;
                    break;
                case Clears::kNothing:
                    EXPECT_TRUE(dst.UntouchedFrom(0)) << name;
                    break;
            }
            return;
        }
        ADD_FAILURE() << "no expectation for " << name;
    };
    for (const auto& e : kB2B) {
        Bytes dst(kSize);
        EXPECT_EQ(e.fn("", dst.data.get(), kSize), -1) << e.name;
        check(e.name, dst, 1);
    }
    for (const auto& e : kB2U) {
        Units dst(kSize);
        EXPECT_EQ(e.fn("", dst.data.get(), kSize), -1) << e.name;
        check(e.name, dst, sizeof(ZR_WCHAR));
    }
    for (const auto& e : kU2B) {
        Bytes dst(kSize);
        EXPECT_EQ(e.fn(empty16, dst.data.get(), kSize), -1) << e.name;
        check(e.name, dst, 1);
    }
}

TEST(Frame, SourceLongerThanCapacityIsRefused) {
    const B2B own[] = {ZR_JisToSJis, ZR_SJisToJis, ZR_EucToJis, ZR_JisToEuc, ZR_EucToSJis, ZR_SJisToEuc};
    for (B2B fn : own) {
        EXPECT_EQ(Call(fn, "ABCD", 3).result, -1);
        EXPECT_EQ(Call(fn, "ABCD", 4).result, 0) << "fits but not its NUL";
        EXPECT_EQ(Call(fn, "ABCD", 5).result, 4);
    }
    EXPECT_EQ(Call(ZR_JisToUnicode, "ABCD", 3).result, -1);
    EXPECT_EQ(Call(ZR_UnicodeToJis, u"ABCD", 3).result, -1) << "units compared with bytes";
    // The host-converter exports do not compare lengths: only the output counts.
    EXPECT_EQ(Call(ZR_SJisToUnicode, Hex("889F 889F"), 3).result, 3);
}

// Every vector runs with the smallest capacity that holds it and one less.
struct ByteVector {
    B2B fn;
    const char* in;
    const char* out;
    int32_t result;
    int32_t fit;
    int32_t shortResult;
    const char* why;
};

constexpr ByteVector kByteVectors[] = {
    {ZR_JisToSJis, "1B2442 3021 1B2842 41", "889F 41", 3, 9, -1, "src longer than capacity"},
    {ZR_JisToSJis, "41 42", "41 42", 2, 3, 0, "no room for the NUL"},
    {ZR_JisToSJis, "1B2442 3021 41", "889F 41", 3, 6, -1, "odd last byte"},
    {ZR_SJisToJis, "82A0 41", "1B2442 2422 1B2842 41", 9, 10, 0, "escapes need room"},
    {ZR_SJisToJis, "889F", "1B2442 3021 1B2842", 8, 9, 0, "closing escape needs room"},
    {ZR_SJisToJis, "41", "41", 1, 2, 0, "one byte and its NUL"},
    {ZR_SJisToJis, "41 889F 42", "41 1B2442 3021 1B2842 42", 10, 11, 0, "last ASCII byte"},
    {ZR_EucToJis, "B0A1 41", "1B2440 3021 1B2842 41", 9, 10, 0, "escapes need room"},
    {ZR_EucToJis, "B0A1", "1B2440 3021", 5, 6, 0, "open run at the end"},
    {ZR_EucToJis, "41 B0", "41 1B2440 3080", 6, 7, 0, "odd high byte"},
    {ZR_JisToEuc, "1B2442 3021 1B2842 41", "B0A1 41", 3, 9, -1, "src longer than capacity"},
    {ZR_JisToEuc, "41", "41", 1, 2, 0, "no room for the NUL"},
    {ZR_JisToEuc, "1B2442 30", "B0 80", 2, 4, -1, "odd last byte"},
    {ZR_EucToSJis, "B0A1", "889F", 2, 6, 0, "the JIS text must fit"},
    {ZR_EucToSJis, "41", "41", 1, 2, 0, "ASCII"},
    {ZR_SJisToEuc, "889F 41", "B0A1 41", 3, 10, 0, "the JIS text must fit"},
    {ZR_SJisToEuc, "B1", "B1", 1, 2, 0, "katakana"},
    {ZR_Utf8ToSJis, "E38182", "82A0", 2, 3, 0, "second step short"},
    {ZR_SJisToUtf8, "82A0", "E38182", 3, 4, 0, "UTF-8 longer than Shift_JIS"},
    {ZR_SJisToUtf8, "B1", "EFBDB1", 3, 4, 0, "katakana"},
    {ZR_Utf7ToSJis, "2B4D45492D", "82A0", 2, 3, 0, "+MEI-"},
    {ZR_SJisToUtf7, "82A0", "2B4D45492D", 5, 6, 0, "+MEI-"},
    {ZR_SJisToUtf7, "41", "41", 1, 2, 0, "direct character"},
};

TEST(Capacity, ByteOutputsAtExactlyFitsAndOneShort) {
    for (const auto& v : kByteVectors) {
        const std::string in = Hex(v.in);
        auto r = Call(v.fn, in, v.fit);
        EXPECT_EQ(r.result, v.result) << v.why << " (" << v.in << ")";
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(v.out))) << v.why;
        r = Call(v.fn, in, v.fit - 1);
        EXPECT_EQ(r.result, v.shortResult) << v.why << " one short (" << v.in << ")";
    }
}

struct UnitVector {
    B2U fn;
    const char* in;
    std::u16string out;
    int32_t result;
    int32_t fit;
    int32_t shortResult;
    const char* why;
};

TEST(Capacity, UnitOutputsAtExactlyFitsAndOneShort) {
    const UnitVector vectors[] = {
        {ZR_SJisToUnicode, "41", u"A", 2, 2, 0, "one unit and the zero unit"},
        {ZR_SJisToUnicode, "82A0 B1", u"\u3042\uFF71", 3, 3, 0, "double and single byte"},
        {ZR_JisToUnicode, "1B2442 3021 1B2842 41", u"\u4E9CA", 3, 9, -1, "src longer than capacity"},
        {ZR_JisToUnicode, "41 42 43", u"ABC", 4, 4, 0, "Shift_JIS step short"},
        {ZR_EucToUnicode, "B0A1 41", u"\u4E9CA", 3, 10, 0, "JIS step short"},
        {ZR_Utf8ToUnicode, "E38182", u"\u3042", 2, 2, 0, "one character"},
        {ZR_Utf8ToUnicode, "F09F9880", u"\U0001F600", 3, 3, 0, "surrogate pair"},
        {ZR_Utf7ToUnicode, "2B4D45492D", u"\u3042", 2, 2, 0, "+MEI-"},
    };
    for (const auto& v : vectors) {
        const std::string in = Hex(v.in);
        auto r = Call(v.fn, in, v.fit);
        EXPECT_EQ(r.result, v.result) << v.why;
        EXPECT_EQ(ToHex(r.text), ToHex(v.out)) << v.why;
        r = Call(v.fn, in, v.fit - 1);
        EXPECT_EQ(r.result, v.shortResult) << v.why << " one short";
    }
}

struct WideVector {
    U2B fn;
    std::u16string in;
    const char* out;
    int32_t result;
    int32_t fit;
    int32_t shortResult;
    const char* why;
};

TEST(Capacity, FromUnicodeAtExactlyFitsAndOneShort) {
    const WideVector vectors[] = {
        {ZR_UnicodeToSJis, u"\u4E9C", "889F", 2, 3, 0, "the NUL does not fit"},
        {ZR_UnicodeToSJis, u"A", "41", 1, 2, 0, "one byte"},
        {ZR_UnicodeToJis, u"\u4E9C", "1B2442 3021 1B2842", 8, 9, 0, "escapes need room"},
        {ZR_UnicodeToJis, u"AB", "41 42", 2, 3, 0, "ASCII"},
        {ZR_UnicodeToEuc, u"\u4E9C", "B0A1", 2, 9, 0, "the JIS text must fit"},
        {ZR_UnicodeToUtf8, u"\u3042", "E38182", 3, 4, 0, "the NUL does not fit"},
        {ZR_UnicodeToUtf8, u"\U0001F600", "F09F9880", 4, 5, 0, "four bytes"},
        {ZR_UnicodeToUtf7, u"\u3042", "2B4D45492D", 5, 6, 0, "+MEI-"},
        {ZR_UnicodeToUtf7, u"Hi", "4869", 2, 3, 0, "direct characters"},
    };
    for (const auto& v : vectors) {
        auto r = Call(v.fn, v.in, v.fit);
        EXPECT_EQ(r.result, v.result) << v.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(v.out))) << v.why;
        r = Call(v.fn, v.in, v.fit - 1);
        EXPECT_EQ(r.result, v.shortResult) << v.why << " one short";
    }
}

TEST(Capacity, OwnLoopsLeaveAnEmptyTextWhenShort) {
    const B2B own[] = {ZR_JisToSJis, ZR_SJisToJis, ZR_EucToJis, ZR_JisToEuc, ZR_EucToSJis};
    int checked = 0;
    for (const auto& v : kByteVectors) {
        if (v.shortResult != 0 || std::find(std::begin(own), std::end(own), v.fn) == std::end(own)) continue;
        Bytes dst(v.fit - 1);
        const std::string in = Hex(v.in);
        EXPECT_EQ(v.fn(in.c_str(), dst.data.get(), dst.size), 0) << v.why;
        EXPECT_TRUE(dst.ZeroUpTo(static_cast<size_t>(dst.size))) << v.why;
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

}  // namespace

#if defined(ZR_FAULT_INJECTION)
#include "platform/fault.hpp"

namespace {

using zr::platform::ArmFault;
using zr::platform::FaultCalls;
using zr::platform::FaultKind;

// Fails each scratch allocation of one call in turn (nested chains have
// more than one): the call answers -1 and, under the leak checker, holds
// nothing afterwards. Once no allocation is left to fail it must succeed.
template <class Call>
void ExpectEachAllocationFailure(const char* name, Call call, int32_t want) {
    for (long nth = 0; nth < 4; ++nth) {
        ArmFault(FaultKind::kAlloc, nth);
        const int32_t r = call();
        const long calls = FaultCalls(FaultKind::kAlloc);
        ArmFault(FaultKind::kAlloc, -1);
        if (nth >= calls) {
            EXPECT_EQ(r, want) << name;
            EXPECT_GE(nth, 1) << name << " allocated nothing";
            return;
        }
        EXPECT_EQ(r, -1) << name << " allocation " << nth;
    }
    ADD_FAILURE() << name << " allocates more than expected";
}

TEST(Frame, EveryScratchFailureGivesMinusOne) {
    const ByteVector chains[] = {
        {ZR_EucToSJis, "B0A1", "", 2, 16, 0, "EucToSJis"},
        {ZR_SJisToEuc, "889F", "", 2, 16, 0, "SJisToEuc"},
        {ZR_SJisToUtf8, "82A0", "", 3, 16, 0, "SJisToUtf8"},
        {ZR_Utf7ToSJis, "2B4D45492D", "", 2, 16, 0, "Utf7ToSJis"},
        {ZR_SJisToUtf7, "82A0", "", 5, 16, 0, "SJisToUtf7"},
    };
    for (const auto& v : chains) {
        ExpectEachAllocationFailure(v.why, [&] { return Call(v.fn, Hex(v.in), v.fit).result; }, v.result);
    }
    // UTF-8 to Shift_JIS in one pass takes no scratch for a short text; one
    // that the pass hands back to the steps (here a character cut short)
    // takes theirs.
    for (long nth = 0; nth < 2; ++nth) {
        ArmFault(FaultKind::kAlloc, nth);
        const int32_t r = Call(ZR_Utf8ToSJis, Hex("E38182"), 16).result;
        EXPECT_EQ(FaultCalls(FaultKind::kAlloc), 0);
        ArmFault(FaultKind::kAlloc, -1);
        EXPECT_EQ(r, 2);
    }
    const int32_t cut = Call(ZR_Utf8ToSJis, Hex("E38182 E381"), 16).result;
    EXPECT_EQ(cut, 3);
    ExpectEachAllocationFailure("Utf8ToSJis", [] { return Call(ZR_Utf8ToSJis, Hex("E38182 E381"), 16).result; }, cut);
    ExpectEachAllocationFailure(
        "JisToUnicode", [] { return Call(ZR_JisToUnicode, Hex("1B2442 3021"), 16).result; }, 2);
    ExpectEachAllocationFailure("EucToUnicode", [] { return Call(ZR_EucToUnicode, Hex("B0A1"), 16).result; }, 2);
    ExpectEachAllocationFailure("UnicodeToJis", [] { return Call(ZR_UnicodeToJis, u"\u4E9C", 16).result; }, 8);
    ExpectEachAllocationFailure("UnicodeToEuc", [] { return Call(ZR_UnicodeToEuc, u"\u4E9C", 16).result; }, 2);
}

}  // namespace
#endif
