// host_vectors_test.cpp - every recorded host conversion, replayed through the
// library's converter with the recorded capacity, an exact one, one element
// short and a size query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.hpp"
#include "tsv.hpp"

namespace {

using zr::platform::CodePage;
using namespace zr::test;

// Collects the mismatches of one whole file; the first few are shown.
class Mismatches {
public:
    void Add(const std::string& what) {
        if (count_++ < 12) text_ += what + "\n";
    }
    int count() const { return count_; }
    const std::string& text() const { return text_; }

private:
    int count_ = 0;
    std::string text_;
};

constexpr unsigned char kGuardByte = 0xA5;
constexpr char16_t kGuardUnit = 0xA5A5;

// One call with `capacity`, over a buffer with guard elements past it.
template <class Out, class In, class Call>
std::string RunOne(Call call, const In& in, int capacity, const std::basic_string<Out>& want, int wantResult) {
    const Out guard = sizeof(Out) == 1 ? static_cast<Out>(kGuardByte) : static_cast<Out>(kGuardUnit);
    std::vector<Out> buf(static_cast<std::size_t>(capacity) + 8, guard);
    const int r = call(in.c_str(), buf.data(), capacity);
    std::string why;
    if (r != wantResult) {
        why += "result " + std::to_string(r) + " want " + std::to_string(wantResult) + "; ";
    }
    // What must have been written: the output and terminator when it fits,
    // nothing for a size query, the pieces that fit otherwise (checked by the
    // capacity file); nothing at all past the capacity.
    std::size_t written = 0;
    if (capacity > 0 && wantResult > 0) {
        written = static_cast<std::size_t>(wantResult);
        std::basic_string<Out> full = want;
        full.push_back(0);
        if (std::basic_string<Out>(buf.data(), written) != full) {
            if constexpr (sizeof(Out) == 1) {
                why += "wrote " + HexBytes(buf.data(), written) + " want " + HexBytes(full.data(), full.size()) + "; ";
            } else {
                why += "wrote " + HexUnits(buf.data(), written) + " want " + HexUnits(full.data(), full.size()) + "; ";
            }
        }
    }
    if (capacity == 0 || wantResult > 0) {
        for (std::size_t k = written; k < buf.size(); ++k) {
            if (buf[k] != guard) {
                why += "wrote past the output at " + std::to_string(k) + "; ";
                break;
            }
        }
    } else {
        for (std::size_t k = static_cast<std::size_t>(capacity); k < buf.size(); ++k) {
            if (buf[k] != guard) {
                why += "wrote past the capacity at " + std::to_string(k) + "; ";
                break;
            }
        }
    }
    return why;
}

// The recorded call (capacity 64), the exact capacity, one short and a query.
template <class Out, class In, class Call>
void CheckLine(Call call, const In& in, const std::basic_string<Out>& want, int wantResult, const std::string& label,
               Mismatches& m) {
    struct Variant {
        int capacity;
        int result;
        const char* name;
    };
    const int needed = wantResult;
    const Variant variants[] = {
        {64, wantResult, "capacity 64"},
        {needed, needed, "exact capacity"},
        {needed - 1, 0, "one short"},
        {0, needed, "size query"},
    };
    for (const auto& v : variants) {
        if (v.capacity < 0) continue;
        if (v.capacity == 0 && std::string(v.name) == "one short") continue;
        const std::string why = RunOne<Out>(call, in, v.capacity, want, v.result);
        if (!why.empty()) m.Add(label + " [" + v.name + "]: " + why);
    }
}

int Decode(CodePage cp, const char* src, char16_t* dst, int capacity) {
    return zr::platform::MultiByteToWide(cp, src, dst, capacity);
}
int Encode(CodePage cp, const char16_t* src, char* dst, int capacity) {
    return zr::platform::WideToMultiByte(cp, src, dst, capacity);
}

TEST(Cp932ToUtf16, MatchesEveryRecordedInput) {
    const auto rows = ReadTsv(HostDataPath("cp932_to_utf16.tsv"));
    ASSERT_EQ(rows.size(), 15588u);
    Mismatches m;
    auto call = [](const char* s, char16_t* d, int c) { return Decode(CodePage::kCp932, s, d, c); };
    for (const auto& f : rows) {
        const std::u16string want = Units(f.at(1));
        CheckLine(call, Bytes(f.at(0)), want, static_cast<int>(want.size()) + 1, f.at(0), m);
    }
    EXPECT_EQ(m.count(), 0) << m.text();
}

TEST(Utf16ToCp932, MatchesEveryRecordedInput) {
    const auto rows = ReadTsv(HostDataPath("utf16_to_cp932.tsv"));
    ASSERT_EQ(rows.size(), 65547u);
    Mismatches m;
    auto call = [](const char16_t* s, char* d, int c) { return Encode(CodePage::kCp932, s, d, c); };
    for (const auto& f : rows) {
        const std::string want = Bytes(f.at(1));
        CheckLine(call, Units(f.at(0)), want, static_cast<int>(want.size()) + 1, f.at(0), m);
    }
    EXPECT_EQ(m.count(), 0) << m.text();
}

// utf8.tsv and utf7.tsv: DIRECTION, input, output, result, note.
void CheckUnicodeFile(const char* file, CodePage cp, const char* direction, std::size_t wantLines) {
    const auto rows = ReadTsv(HostDataPath(file));
    Mismatches m;
    std::size_t lines = 0;
    for (const auto& f : rows) {
        if (f.at(0) != direction) continue;
        ++lines;
        const int result = std::stoi(f.at(3));
        const std::string label = f.at(1) + " (" + f.at(4) + ")";
        if (f.at(0) == "decode") {
            auto call = [cp](const char* s, char16_t* d, int c) { return Decode(cp, s, d, c); };
            CheckLine(call, Bytes(f.at(1)), Units(f.at(2)), result, label, m);
        } else {
            auto call = [cp](const char16_t* s, char* d, int c) { return Encode(cp, s, d, c); };
            CheckLine(call, Units(f.at(1)), Bytes(f.at(2)), result, label, m);
        }
    }
    EXPECT_EQ(lines, wantLines);
    EXPECT_EQ(m.count(), 0) << m.text();
}

TEST(Utf8ToUtf16, MatchesEveryRecordedInput) { CheckUnicodeFile("utf8.tsv", CodePage::kUtf8, "decode", 419); }
TEST(Utf16ToUtf8, MatchesEveryRecordedInput) { CheckUnicodeFile("utf8.tsv", CodePage::kUtf8, "encode", 33); }
TEST(Utf7ToUtf16, MatchesEveryRecordedInput) { CheckUnicodeFile("utf7.tsv", CodePage::kUtf7, "decode", 1088); }
TEST(Utf16ToUtf7, MatchesEveryRecordedInput) { CheckUnicodeFile("utf7.tsv", CodePage::kUtf7, "encode", 282); }

}  // namespace
