// capacity_test.cpp - results and written prefixes for small capacities, as
// recorded from the host converter over buffers pre-filled with 00 and FF.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.hpp"
#include "tsv.hpp"

namespace {

using zr::platform::CodePage;
using namespace zr::test;

// Renders the first `n` elements as the file does: "..", for an element the
// call left alone in both runs, else its hex value.
template <class T>
std::string Render(const std::vector<T>& zeros, const std::vector<T>& ones, std::size_t n) {
    std::ostringstream out;
    for (std::size_t k = 0; k < n; ++k) {
        if (k) out << ' ';
        const bool untouched = zeros[k] == T(0) && ones[k] == static_cast<T>(~T(0));
        if (untouched) {
            out << "..";
        } else if constexpr (sizeof(T) == 1) {
            out << HexBytes(reinterpret_cast<const char*>(&zeros[k]), 1);
        } else {
            out << HexUnits(reinterpret_cast<const char16_t*>(&zeros[k]), 1);
        }
    }
    return out.str();
}

template <class T, class Call>
std::string RunTwice(Call call, int capacity, std::size_t shown, int& r0, int& r1) {
    std::vector<T> zeros(shown + 8, T(0));
    std::vector<T> ones(shown + 8, static_cast<T>(~T(0)));
    r0 = call(zeros.data(), capacity);
    r1 = call(ones.data(), capacity);
    return Render(zeros, ones, shown);
}

TEST(ConverterCapacity, MatchesEveryRecordedCall) {
    const auto rows = ReadTsv(HostDataPath("capacity.tsv"));
    ASSERT_EQ(rows.size(), 155u);
    int mismatches = 0;
    std::string first;
    for (const auto& f : rows) {
        const auto cp = static_cast<CodePage>(std::stoul(f.at(0)));
        const int capacity = std::stoi(f.at(3));
        const int want = std::stoi(f.at(4));
        // The file shows capacity + 2 elements (one for a negative capacity).
        const std::size_t shown = capacity < 0 ? 1 : static_cast<std::size_t>(capacity) + 2;
        int r0 = 0;
        int r1 = 0;
        std::string got;
        if (f.at(1) == "decode") {
            const std::string in = Bytes(f.at(2));
            got = RunTwice<std::uint16_t>(
                [&](std::uint16_t* d, int c) {
                    return zr::platform::MultiByteToWide(cp, in.c_str(), reinterpret_cast<char16_t*>(d), c);
                },
                capacity, shown, r0, r1);
        } else {
            const std::u16string in = Units(f.at(2));
            got = RunTwice<std::uint8_t>(
                [&](std::uint8_t* d, int c) {
                    return zr::platform::WideToMultiByte(cp, in.c_str(), reinterpret_cast<char*>(d), c);
                },
                capacity, shown, r0, r1);
        }
        if (r0 != want || r1 != want || got != f.at(6)) {
            if (mismatches++ < 12) {
                first += f.at(0) + " " + f.at(1) + " " + f.at(2) + " capacity " + f.at(3) + ": result " +
                         std::to_string(r0) + "/" + std::to_string(r1) + " want " + f.at(4) + ", wrote [" + got +
                         "] want [" + f.at(6) + "]\n";
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << first;
}

}  // namespace
