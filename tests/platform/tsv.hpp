// tsv.hpp - readers for the host converter vectors under tests/data/host/.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zr::test {

inline std::string HostDataPath(const std::string& name) {
    return std::string(ZR_TEST_DATA_DIR) + "/host/" + name;
}

// Lines split at tabs; an empty field stays (an output may be empty).
inline std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

// "82A0" -> bytes.
inline std::string Bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

// "30FB 0041" -> units.
inline std::u16string Units(const std::string& hex) {
    std::u16string out;
    std::istringstream in(hex);
    std::string unit;
    while (in >> unit) out.push_back(static_cast<char16_t>(std::stoul(unit, nullptr, 16)));
    return out;
}

inline std::string HexBytes(const char* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

inline std::string HexUnits(const char16_t* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        for (int shift = 12; shift >= 0; shift -= 4) s += kDigits[(p[i] >> shift) & 15];
    }
    return s;
}

}  // namespace zr::test
