// record_host.cpp - records the host converter's answers in the files of
// tests/data/host/, on Windows or under Wine (scripts/record-host.sh).
//
//   record_host KIND < FILE.tsv > NEW.tsv
//   KIND: cp932_to_utf16 | utf16_to_cp932 | utf8 | utf7 | capacity
//
// The input columns of FILE are the list of cases; every other column is
// measured again with MultiByteToWideChar / WideCharToMultiByte, called as
// the library calls them (flags 0, length -1, no default character), and
// NOTE is kept. A line whose NOTE says DERIVED states the documented
// contract where the measured converter departs from it (see the README of
// the data), so it is copied as it stands.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kCapacity = 64;

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> f;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        f.push_back(line.substr(from, tab - from));
        if (tab == std::string::npos) return f;
        from = tab + 1;
    }
}

std::string Join(const std::vector<std::string>& f) {
    std::string line;
    for (std::size_t k = 0; k < f.size(); ++k) line += (k ? "\t" : "") + f[k];
    return line;
}

// "82A0" -> the bytes; "30FB 0041" -> the units. Inputs hold no zero, and
// the string's own terminator is the one the converter is given.
std::string Bytes(const std::string& hex) {
    std::string b;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 2) b += static_cast<char>(std::stoul(hex.substr(k, 2), nullptr, 16));
    return b;
}

std::wstring Units(const std::string& hex) {
    std::wstring u;
    for (std::size_t k = 0; k + 3 < hex.size(); k += 5) u += static_cast<wchar_t>(std::stoul(hex.substr(k, 4), nullptr, 16));
    return u;
}

std::string Hex(unsigned value, int digits) {
    char s[8];
    std::snprintf(s, sizeof s, "%0*X", digits, value);
    return s;
}

std::string HexBytes(const char* p, int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += Hex(static_cast<unsigned char>(p[k]), 2);
    return s;
}

std::string HexUnits(const wchar_t* p, int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += (k ? " " : "") + Hex(static_cast<unsigned short>(p[k]), 4);
    return s;
}

int Decode(UINT cp, const std::string& in, wchar_t* dst, int capacity) {
    return MultiByteToWideChar(cp, 0, in.c_str(), -1, dst, capacity);
}

int Encode(UINT cp, const std::wstring& in, char* dst, int capacity) {
    return WideCharToMultiByte(cp, 0, in.c_str(), -1, dst, capacity, nullptr, nullptr);
}

// The output of a call with room enough, without its terminator, and the
// result: as many elements as the result counts, less the terminator.
std::string Converted(UINT cp, bool decode, const std::string& hexIn, int& result) {
    if (decode) {
        wchar_t dst[kCapacity];
        result = Decode(cp, Bytes(hexIn), dst, kCapacity);
        return HexUnits(dst, result > 0 ? result - 1 : 0);
    }
    char dst[kCapacity];
    result = Encode(cp, Units(hexIn), dst, kCapacity);
    return HexBytes(dst, result > 0 ? result - 1 : 0);
}

// One call with capacity `size` over a buffer filled with `fill` in every
// element; the first size + 2 elements afterwards (one when size is -1).
template <class Unit>
std::vector<Unit> Run(UINT cp, const std::string& hexIn, int size, Unit fill, int& result, DWORD& error) {
    std::vector<Unit> buf(static_cast<std::size_t>(size + 2), fill);
    SetLastError(0);
    if constexpr (sizeof(Unit) == 2) {
        result = Decode(cp, Bytes(hexIn), reinterpret_cast<wchar_t*>(buf.data()), size);
    } else {
        result = Encode(cp, Units(hexIn), reinterpret_cast<char*>(buf.data()), size);
    }
    error = GetLastError();
    return buf;
}

// An element is unwritten when it kept its fill in both runs.
template <class Unit>
std::string Written(UINT cp, const std::string& hexIn, int size, int& result, DWORD& error) {
    int r2 = 0;
    DWORD e2 = 0;
    const std::vector<Unit> zeros = Run<Unit>(cp, hexIn, size, Unit(0), result, error);
    const std::vector<Unit> ones = Run<Unit>(cp, hexIn, size, static_cast<Unit>(~Unit(0)), r2, e2);
    std::string s;
    for (std::size_t k = 0; k < zeros.size(); ++k) {
        if (k) s += ' ';
        s += (zeros[k] == 0 && ones[k] == static_cast<Unit>(~Unit(0))) ? ".." : Hex(zeros[k], 2 * sizeof(Unit));
    }
    return s;
}

bool Record(const std::string& kind, std::vector<std::string>& f) {
    int result = 0;
    if (kind == "cp932_to_utf16" && f.size() == 2) {
        f[1] = Converted(932, true, f[0], result);
    } else if (kind == "utf16_to_cp932" && f.size() == 2) {
        f[1] = Converted(932, false, f[0], result);
    } else if ((kind == "utf8" || kind == "utf7") && f.size() == 5) {
        if (f[4].find("DERIVED") != std::string::npos) return true;
        f[2] = Converted(kind == "utf8" ? CP_UTF8 : CP_UTF7, f[0] == "decode", f[1], result);
        f[3] = std::to_string(result);
    } else if (kind == "capacity" && f.size() == 8) {
        const UINT cp = static_cast<UINT>(std::stoul(f[0]));
        const bool decode = f[1] == "decode";
        const int size = std::stoi(f[3]);
        DWORD error = 0;
        f[6] = decode ? Written<unsigned short>(cp, f[2], size, result, error)
                      : Written<unsigned char>(cp, f[2], size, result, error);
        f[4] = std::to_string(result);
        f[5] = std::to_string(error);
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: record_host cp932_to_utf16|utf16_to_cp932|utf8|utf7|capacity < FILE.tsv\n");
        return 2;
    }
    // LF line ends in and out, as the files have them.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line;
    int lineNo = 0;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        std::vector<std::string> f = Split(line);
        if (!Record(argv[1], f)) {
            std::fprintf(stderr, "record_host: line %d is not a %s case\n", lineNo, argv[1]);
            return 1;
        }
        const std::string out = Join(f) + "\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    return 0;
}
