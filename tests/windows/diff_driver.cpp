// diff_driver.cpp - runs a vector file through the library's exports and prints
// one canonical line per call, so that the Linux library and the Windows DLL
// (under Wine) can be compared byte for byte.
//
// The same source is built natively against libzr_moji and with MinGW against
// ZR_Moji.dll. With ZR_DIFF_LINKED it calls the exports through the header's
// declarations (and, on Windows, the import library); without it, it looks
// each export up by its undecorated name at run time, so that a library that
// does not yet have every export can still be compared for the ones it has.
//
// Input (stdin), one case a line, tab-separated, '#' starts a comment:
//   <export> <src> <sizes> [<extra>]
//     src    hex bytes for byte-string input, 4-hex-digit units for UTF-16
//            input, "NULL" for a null pointer; the driver adds the terminator.
//     sizes  comma-separated dstSize values; "auto" probes with a large
//            capacity and then runs the sizes around the result, where a
//            capacity edge lies; a value suffixed "n" passes a null dst.
//     extra  selector (EBCDIC), encode type (URL encoders), srcLen (Base64 and
//            Quoted-Printable encoders; default: the byte count of src).
//   CT <A|W|MISSING> <file hex> <direction> <openOption> <sort> <codes> <units> <size>
//     writes the file to the temporary directory, loads it, looks up every
//     code (comma-separated, hex), maps the units, releases the table, and
//     reports the temporary files that the table leaves in the directory.
// Output, one line per call:
//   <vector line> <export> <src> <extra> <size> <result> <dst>[ <type>]
//     dst is the whole output buffer (dstSize elements and a guard), pre-filled
//     with a pattern; a trailing run of untouched pattern is written "+A5xN".
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "zr_moji.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace {

using Wchar = ZR_WCHAR;
static_assert(sizeof(Wchar) == 2, "the exports take 16-bit units");

// The kinds of signature among the exports.
using FnAW = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);
using FnWA = int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, int32_t);
using FnAA = int32_t(ZR_CALL*)(const char*, char*, int32_t);
using FnWW = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t);
using FnTA = int32_t(ZR_CALL*)(const char*);
using FnTW = int32_t(ZR_CALL*)(const ZR_WCHAR*);
using FnBA = int32_t(ZR_CALL*)(const unsigned char*, int32_t, char*, int32_t);
using FnAB = int32_t(ZR_CALL*)(const char*, unsigned char*, int32_t);
using FnEA = int32_t(ZR_CALL*)(const char*, char*, int32_t, int32_t);
using FnEC = uint8_t(ZR_CALL*)(int32_t, int32_t);
using FnDW = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t, int32_t*);
using FnDA = int32_t(ZR_CALL*)(const char*, char*, int32_t, int32_t*);
using FnNW = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t, int32_t);
using FnNA = int32_t(ZR_CALL*)(const char*, char*, int32_t, int32_t);

enum class Kind { AW, WA, AA, WW, TA, TW, BA, AB, EA, EC, DW, DA, NW, NA, CT };

using AnyFn = void (*)();

#if defined(_WIN32)
HMODULE g_lib = nullptr;
[[maybe_unused]] AnyFn LookUp(const char* name) {
    return g_lib ? reinterpret_cast<AnyFn>(reinterpret_cast<void*>(GetProcAddress(g_lib, name))) : nullptr;
}
#else
void* g_lib = nullptr;
[[maybe_unused]] AnyFn LookUp(const char* name) {
    return g_lib ? reinterpret_cast<AnyFn>(dlsym(g_lib, name)) : nullptr;
}
#endif

struct Export {
    const char* name;
    Kind kind;
    AnyFn fn;
};

// Each entry checks at compile time that the header declares the export with
// the signature of its kind, so that the call below through the kind's
// pointer type is the call a C caller makes.
template <class Want, class Declared>
AnyFn Checked(AnyFn fn) {
    static_assert(std::is_same_v<Want, Declared>, "export declared with another signature");
    return fn;
}
#if defined(ZR_DIFF_LINKED)
#define ZR_ENTRY(name, kind) \
    Export { #name, Kind::kind, Checked<Fn##kind, decltype(&name)>(reinterpret_cast<AnyFn>(&name)) }
#else
#define ZR_ENTRY(name, kind) Export{#name, Kind::kind, Checked<Fn##kind, decltype(&name)>(LookUp(#name))}
#endif

std::vector<Export> Exports() {
    return {
        ZR_ENTRY(ZR_SJisToUnicode, AW),
        ZR_ENTRY(ZR_UnicodeToSJis, WA),
        ZR_ENTRY(ZR_IsMultiByteChar, TA),
        ZR_ENTRY(ZR_JisToSJis, AA),
        ZR_ENTRY(ZR_SJisToJis, AA),
        ZR_ENTRY(ZR_EucToJis, AA),
        ZR_ENTRY(ZR_JisToEuc, AA),
        ZR_ENTRY(ZR_EucToSJis, AA),
        ZR_ENTRY(ZR_SJisToEuc, AA),
        ZR_ENTRY(ZR_IsEucJpChar, TA),
        ZR_ENTRY(ZR_JisToUnicode, AW),
        ZR_ENTRY(ZR_UnicodeToJis, WA),
        ZR_ENTRY(ZR_EucToUnicode, AW),
        ZR_ENTRY(ZR_UnicodeToEuc, WA),
        ZR_ENTRY(ZR_Utf8ToUnicode, AW),
        ZR_ENTRY(ZR_UnicodeToUtf8, WA),
        ZR_ENTRY(ZR_Utf8ToSJis, AA),
        ZR_ENTRY(ZR_SJisToUtf8, AA),
        ZR_ENTRY(ZR_Utf7ToUnicode, AW),
        ZR_ENTRY(ZR_UnicodeToUtf7, WA),
        ZR_ENTRY(ZR_Utf7ToSJis, AA),
        ZR_ENTRY(ZR_SJisToUtf7, AA),
        ZR_ENTRY(ZR_IsUtf8Char, TA),
        ZR_ENTRY(ZR_AsciiToEbcdic, EA),
        ZR_ENTRY(ZR_EbcdicToAscii, EA),
        ZR_ENTRY(ZR_AsciiEbcdicCode, EC),
        ZR_ENTRY(ZR_EbcdicAsciiCode, EC),
        ZR_ENTRY(ZR_Base64_Encode, BA),
        ZR_ENTRY(ZR_Base64_Decode, AB),
        ZR_ENTRY(ZR_Base64_EncodeJISW, WA),
        ZR_ENTRY(ZR_Base64_EncodeJISA, AA),
        ZR_ENTRY(ZR_Base64_EncodeSJISW, WA),
        ZR_ENTRY(ZR_Base64_EncodeSJISA, AA),
        ZR_ENTRY(ZR_Base64_EncodeEUCW, WA),
        ZR_ENTRY(ZR_Base64_EncodeEUCA, AA),
        ZR_ENTRY(ZR_Base64_EncodeUTF8W, WA),
        ZR_ENTRY(ZR_Base64_EncodeUTF8A, AA),
        ZR_ENTRY(ZR_Base64_DecodeJISW, AW),
        ZR_ENTRY(ZR_Base64_DecodeJISA, AA),
        ZR_ENTRY(ZR_Base64_DecodeSJISW, AW),
        ZR_ENTRY(ZR_Base64_DecodeSJISA, AA),
        ZR_ENTRY(ZR_Base64_DecodeEUCW, AW),
        ZR_ENTRY(ZR_Base64_DecodeEUCA, AA),
        ZR_ENTRY(ZR_Base64_DecodeUTF8W, AW),
        ZR_ENTRY(ZR_Base64_DecodeUTF8A, AA),
        ZR_ENTRY(ZR_QuotedPrintable_Encode, BA),
        ZR_ENTRY(ZR_QuotedPrintable_Decode, AB),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeJISW, WA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeJISA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeSJISW, WA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeSJISA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeEUCW, WA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeEUCA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeUTF8W, WA),
        ZR_ENTRY(ZR_QuotedPrintable_EncodeUTF8A, AA),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeJISW, AW),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeJISA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeSJISW, AW),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeSJISA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeEUCW, AW),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeEUCA, AA),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeUTF8W, AW),
        ZR_ENTRY(ZR_QuotedPrintable_DecodeUTF8A, AA),
        ZR_ENTRY(ZR_URL_IsProtocolW, TW),
        ZR_ENTRY(ZR_URL_IsProtocolA, TA),
        ZR_ENTRY(ZR_URL_IsJisEncodeW, TW),
        ZR_ENTRY(ZR_URL_IsJisEncodeA, TA),
        ZR_ENTRY(ZR_URL_IsSJisEncodeW, TW),
        ZR_ENTRY(ZR_URL_IsSJisEncodeA, TA),
        ZR_ENTRY(ZR_URL_IsEucEncodeW, TW),
        ZR_ENTRY(ZR_URL_IsEucEncodeA, TA),
        ZR_ENTRY(ZR_URL_IsUtf8EncodeW, TW),
        ZR_ENTRY(ZR_URL_IsUtf8EncodeA, TA),
        ZR_ENTRY(ZR_URL_EncodeTypeW, TW),
        ZR_ENTRY(ZR_URL_EncodeTypeA, TA),
        ZR_ENTRY(ZR_URL_DecodeJisW, WW),
        ZR_ENTRY(ZR_URL_DecodeJisA, AA),
        ZR_ENTRY(ZR_URL_DecodeSJisW, WW),
        ZR_ENTRY(ZR_URL_DecodeSJisA, AA),
        ZR_ENTRY(ZR_URL_DecodeEucW, WW),
        ZR_ENTRY(ZR_URL_DecodeEucA, AA),
        ZR_ENTRY(ZR_URL_DecodeUtf8W, WW),
        ZR_ENTRY(ZR_URL_DecodeUtf8A, AA),
        ZR_ENTRY(ZR_URL_DecodeW, DW),
        ZR_ENTRY(ZR_URL_DecodeA, DA),
        ZR_ENTRY(ZR_URL_EncodeW, NW),
        ZR_ENTRY(ZR_URL_EncodeA, NA),
    };
}

constexpr unsigned char kFill = 0xA5;
constexpr int kGuard = 8;  // elements beyond dstSize, to see a write past it

std::string g_out;
std::string g_case;  // "<vector line number>\t", the start of every output line

void Flush() {
    std::fwrite(g_out.data(), 1, g_out.size(), stdout);
    g_out.clear();
}

void Put(const std::string& s) {
    g_out += g_case;
    g_out += s;
    if (g_out.size() > (1u << 20)) Flush();
}

std::string Hex(const unsigned char* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        s += kDigits[p[i] >> 4];
        s += kDigits[p[i] & 15];
    }
    return s;
}

std::string Units(const std::uint16_t* p, std::size_t n) {
    std::string s;
    char buf[8];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(p[i]));
        s += buf;
    }
    return s;
}

// A buffer of `count` elements of `width` bytes, pre-filled, as raw bytes.
struct Buffer {
    std::vector<unsigned char> bytes;
    Buffer(int count, int width) : bytes(static_cast<std::size_t>(count) * width, kFill) {}
    // The bytes in hex, a trailing run of the fill pattern folded; 16-bit
    // units are written as units (host order) so that the text reads as UTF-16.
    std::string Canonical(int width) const {
        std::size_t end = bytes.size();
        while (end > 0 && bytes[end - 1] == kFill) --end;
        std::string s;
        if (width == 2) {
            end = (end + 1) / 2 * 2;
            std::vector<std::uint16_t> u(end / 2);
            if (end > 0) std::memcpy(u.data(), bytes.data(), end);
            s = Units(u.data(), u.size());
        } else {
            s = Hex(bytes.data(), end);
        }
        if (end < bytes.size()) s += "+A5x" + std::to_string(bytes.size() - end);
        return s;
    }
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseBytes(const std::string& s, std::vector<unsigned char>& out) {
    out.clear();
    if (s.size() % 2) return false;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int hi = HexValue(s[i]), lo = HexValue(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

bool ParseUnits(const std::string& s, std::vector<std::uint16_t>& out) {
    out.clear();
    if (s.size() % 4) return false;
    for (std::size_t i = 0; i < s.size(); i += 4) {
        int v = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const int d = HexValue(s[i + k]);
            if (d < 0) return false;
            v = v * 16 + d;
        }
        out.push_back(static_cast<std::uint16_t>(v));
    }
    return true;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool IsWideSource(Kind k) {
    return k == Kind::WA || k == Kind::WW || k == Kind::TW || k == Kind::DW || k == Kind::NW;
}
bool IsWideOutput(Kind k) {
    return k == Kind::AW || k == Kind::WW || k == Kind::DW || k == Kind::NW;
}

// One call of a three- or four-argument export; fills `dst` and `type`.
int32_t Call(const Export& e, const void* src, int32_t srcLen, void* dst, int32_t size, int32_t extra,
             int32_t* type) {
    switch (e.kind) {
        case Kind::AW:
            return reinterpret_cast<FnAW>(e.fn)(static_cast<const char*>(src), static_cast<Wchar*>(dst), size);
        case Kind::WA:
            return reinterpret_cast<FnWA>(e.fn)(static_cast<const Wchar*>(src), static_cast<char*>(dst), size);
        case Kind::AA:
            return reinterpret_cast<FnAA>(e.fn)(static_cast<const char*>(src), static_cast<char*>(dst), size);
        case Kind::WW:
            return reinterpret_cast<FnWW>(e.fn)(static_cast<const Wchar*>(src), static_cast<Wchar*>(dst), size);
        case Kind::TA:
            return reinterpret_cast<FnTA>(e.fn)(static_cast<const char*>(src));
        case Kind::TW:
            return reinterpret_cast<FnTW>(e.fn)(static_cast<const Wchar*>(src));
        case Kind::BA:
            return reinterpret_cast<FnBA>(e.fn)(static_cast<const unsigned char*>(src), srcLen,
                                                static_cast<char*>(dst), size);
        case Kind::AB:
            return reinterpret_cast<FnAB>(e.fn)(static_cast<const char*>(src), static_cast<unsigned char*>(dst),
                                                size);
        case Kind::EA:
            return reinterpret_cast<FnEA>(e.fn)(static_cast<const char*>(src), static_cast<char*>(dst), size,
                                                extra);
        case Kind::DW:
            return reinterpret_cast<FnDW>(e.fn)(static_cast<const Wchar*>(src), static_cast<Wchar*>(dst), size,
                                                type);
        case Kind::DA:
            return reinterpret_cast<FnDA>(e.fn)(static_cast<const char*>(src), static_cast<char*>(dst), size,
                                                type);
        case Kind::NW:
            return reinterpret_cast<FnNW>(e.fn)(static_cast<const Wchar*>(src), static_cast<Wchar*>(dst), size,
                                                extra);
        case Kind::NA:
            return reinterpret_cast<FnNA>(e.fn)(static_cast<const char*>(src), static_cast<char*>(dst), size,
                                                extra);
        case Kind::EC:
        case Kind::CT:
            break;
    }
    return 0;
}

// Runs one conversion-style case at every size asked for.
void RunCase(const Export& e, const std::vector<std::string>& f) {
    const std::string& srcText = f.size() > 1 ? f[1] : std::string();
    const std::string sizes = f.size() > 2 ? f[2] : std::string("64");
    const std::string extraText = f.size() > 3 ? f[3] : std::string();
    const bool wideIn = IsWideSource(e.kind);
    const int width = IsWideOutput(e.kind) ? 2 : 1;

    // The source with its terminator (two zero units for the character
    // tests, which may look one element past the first).
    const bool nullSrc = srcText == "NULL";
    std::vector<unsigned char> bytes;
    std::vector<std::uint16_t> units;
    bool ok = wideIn ? ParseUnits(nullSrc ? "" : srcText, units) : ParseBytes(nullSrc ? "" : srcText, bytes);
    if (!ok) {
        Put(std::string(e.name) + "\t" + srcText + "\tBAD-INPUT\n");
        return;
    }
    const std::size_t count = wideIn ? units.size() : bytes.size();
    units.resize(units.size() + 2, 0);
    bytes.resize(bytes.size() + 2, 0);
    const void* src = nullSrc ? nullptr : wideIn ? static_cast<const void*>(units.data()) : bytes.data();

    if (e.kind == Kind::TA || e.kind == Kind::TW) {
        const int32_t r = Call(e, src, 0, nullptr, 0, 0, nullptr);
        Put(std::string(e.name) + "\t" + srcText + "\t\t\t" + std::to_string(r) + "\t\n");
        return;
    }

    int32_t extra = 0;
    if (!extraText.empty()) extra = static_cast<int32_t>(std::strtol(extraText.c_str(), nullptr, 10));
    else if (e.kind == Kind::BA) extra = static_cast<int32_t>(count);

    std::vector<std::string> sizeList;
    if (sizes == "auto") {
        // Probe with room to spare, then walk the capacity edge around the
        // probe's result (a length with or without its terminator).
        const int32_t probe = static_cast<int32_t>(8 * count + 64);
        Buffer out(probe + kGuard, width);
        int32_t type = 0x7A7A7A7A;
        const int32_t r = Call(e, src, extra, out.bytes.data(), probe, extra, &type);
        sizeList = {"-1", "0", "1", "2"};
        for (int32_t s = r - 3; s <= r + 2; ++s) {
            if (s > 2) sizeList.push_back(std::to_string(s));
        }
        sizeList.push_back(std::to_string(probe));
    } else {
        sizeList = Split(sizes, ',');
    }

    std::string last;
    for (const std::string& sizeText : sizeList) {
        if (sizeText == last) continue;
        last = sizeText;
        const bool nullDst = !sizeText.empty() && sizeText.back() == 'n';
        const int32_t size = static_cast<int32_t>(std::strtol(sizeText.c_str(), nullptr, 10));
        Buffer out((size > 0 ? size : 0) + kGuard, width);
        int32_t type = 0x7A7A7A7A;
        const int32_t r = Call(e, src, extra, nullDst ? nullptr : out.bytes.data(), size, extra, &type);
        std::string line = std::string(e.name) + "\t" + srcText + "\t" + extraText + "\t" + sizeText + "\t" +
                           std::to_string(r) + "\t" + out.Canonical(width);
        if (e.kind == Kind::DW || e.kind == Kind::DA) line += "\t" + std::to_string(type);
        Put(line + "\n");
    }
}

// ----- code tables -----

std::string TempDir() {
#if defined(_WIN32)
    char buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("TEMP", buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf) : std::string(".");
#else
    const char* t = std::getenv("TEMP");
    return t ? std::string(t) : std::string(".");
#endif
}

std::string JoinPath(const std::string& dir, const std::string& name) {
#if defined(_WIN32)
    return dir + "\\" + name;
#else
    return dir + "/" + name;
#endif
}

// The loader's temporary files are the directory's "ZR_*" entries.
int CountTableFiles(const std::string& dir) {
    int n = 0;
#if defined(_WIN32)
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(JoinPath(dir, "ZR_*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        ++n;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
#else
    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    while (const dirent* ent = readdir(d)) {
        if (std::strncmp(ent->d_name, "ZR_", 3) == 0) ++n;
    }
    closedir(d);
#endif
    return n;
}

struct CodeTableFns {
    CodeTable*(ZR_CALL* initW)(const ZR_WCHAR*, int32_t, int32_t, int32_t);
    CodeTable*(ZR_CALL* initA)(const char*, int32_t, int32_t, int32_t);
    int32_t(ZR_CALL* error)();
    int32_t(ZR_CALL* errorLine)();
    int32_t(ZR_CALL* code)(const CodeTable*, int32_t);
    int32_t(ZR_CALL* string)(const CodeTable*, const ZR_WCHAR*, ZR_WCHAR*, int32_t);
    void(ZR_CALL* term)(CodeTable*);
};

CodeTableFns CodeTableExports() {
    CodeTableFns t{};
#if defined(ZR_DIFF_LINKED)
    t = {&ZR_CodeTableInitW, &ZR_CodeTableInitA, &ZR_CodeTableError, &ZR_CodeTableErrorLine,
         &ZR_CodeTableCode,  &ZR_CodeTableString, &ZR_CodeTableTerm};
#else
    t.initW = reinterpret_cast<decltype(t.initW)>(LookUp("ZR_CodeTableInitW"));
    t.initA = reinterpret_cast<decltype(t.initA)>(LookUp("ZR_CodeTableInitA"));
    t.error = reinterpret_cast<decltype(t.error)>(LookUp("ZR_CodeTableError"));
    t.errorLine = reinterpret_cast<decltype(t.errorLine)>(LookUp("ZR_CodeTableErrorLine"));
    t.code = reinterpret_cast<decltype(t.code)>(LookUp("ZR_CodeTableCode"));
    t.string = reinterpret_cast<decltype(t.string)>(LookUp("ZR_CodeTableString"));
    t.term = reinterpret_cast<decltype(t.term)>(LookUp("ZR_CodeTableTerm"));
#endif
    static_assert(std::is_same_v<decltype(t.initW), decltype(&ZR_CodeTableInitW)>);
    static_assert(std::is_same_v<decltype(t.term), decltype(&ZR_CodeTableTerm)>);
    return t;
}

void RunCodeTable(const CodeTableFns& ct, const std::vector<std::string>& f) {
    std::string prefix = "CT";
    for (std::size_t i = 1; i < f.size(); ++i) prefix += "\t" + f[i];
    if (f.size() < 9) {
        Put(prefix + "\tBAD-INPUT\n");
        return;
    }
    if (!ct.initW || !ct.initA || !ct.error || !ct.errorLine || !ct.code || !ct.string || !ct.term) {
        Put(prefix + "\tMISSING-EXPORT\n");
        return;
    }
    std::vector<unsigned char> text;
    std::vector<std::uint16_t> units;
    if (!ParseBytes(f[2], text) || !ParseUnits(f[7], units)) {
        Put(prefix + "\tBAD-INPUT\n");
        return;
    }
    const std::string dir = TempDir();
    const std::string path = JoinPath(dir, f[1] == "MISSING" ? "zrdiff_missing.txt" : "zrdiff_table.txt");
    if (f[1] != "MISSING") {
        FILE* fp = std::fopen(path.c_str(), "wb");
        if (!fp) {
            Put(prefix + "\tCANNOT-WRITE-TABLE\n");
            return;
        }
        if (!text.empty()) std::fwrite(text.data(), 1, text.size(), fp);
        std::fclose(fp);
    }
    const int32_t direction = std::atoi(f[3].c_str());
    const int32_t option = std::atoi(f[4].c_str());
    const int32_t sort = std::atoi(f[5].c_str());
    const int before = CountTableFiles(dir);

    CodeTable* table = nullptr;
    if (f[1] == "W") {
        std::vector<std::uint16_t> wpath(path.begin(), path.end());  // the path is ASCII
        wpath.push_back(0);
        table = ct.initW(reinterpret_cast<const Wchar*>(wpath.data()), direction, option, sort);
    } else {
        table = ct.initA(path.c_str(), direction, option, sort);
    }
    std::string line = prefix + "\t" + (table ? "table" : "null") + " err=" + std::to_string(ct.error()) +
                       " line=" + std::to_string(ct.errorLine()) +
                       " files+" + std::to_string(CountTableFiles(dir) - before);
    if (table) {
        line += " codes=";
        for (const std::string& c : Split(f[6], ',')) {
            if (c.empty()) continue;
            const auto code = static_cast<int32_t>(std::strtoul(c.c_str(), nullptr, 16));
            line += std::to_string(ct.code(table, code)) + ",";
        }
        const int32_t size = std::atoi(f[8].c_str());
        Buffer out((size > 0 ? size : 0) + kGuard, 2);
        units.push_back(0);
        const int32_t r =
            ct.string(table, reinterpret_cast<const Wchar*>(units.data()), reinterpret_cast<Wchar*>(out.bytes.data()),
                      size);
        line += " string=" + std::to_string(r) + ":" + out.Canonical(2);
        ct.term(table);
    }
    line += " after+" + std::to_string(CountTableFiles(dir) - before);
    Put(line + "\n");
    std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
#if !defined(ZR_DIFF_LINKED)
    // argv[1]: the library to load (by default the one beside the driver).
#if defined(_WIN32)
    g_lib = LoadLibraryA(argc > 1 ? argv[1] : "ZR_Moji.dll");
#else
    g_lib = dlopen(argc > 1 ? argv[1] : "libzr_moji.so", RTLD_NOW | RTLD_LOCAL);
#endif
    if (!g_lib) {
        std::fprintf(stderr, "diff_driver: cannot load the library\n");
        return 2;
    }
#else
    (void)argc;
    (void)argv;
#endif
    const std::vector<Export> exports = Exports();
    const CodeTableFns codeTables = CodeTableExports();

    std::string line;
    int c;
    long cases = 0;
    long lineNo = 0;
    while ((c = std::getchar()) != EOF) {
        if (c != '\n') {
            if (c != '\r') line += static_cast<char>(c);
            continue;
        }
        g_case = std::to_string(++lineNo) + "\t";
        if (line.empty() || line[0] == '#') {
            line.clear();
            continue;
        }
        const std::vector<std::string> f = Split(line, '\t');
        line.clear();
        ++cases;
        if (f[0] == "CT") {
            RunCodeTable(codeTables, f);
            continue;
        }
        if (f[0] == "ZR_CodeTableTerm") {
            // Release of a null table: must return without touching anything.
            if (codeTables.term) codeTables.term(nullptr);
            Put(std::string(f[0]) + "\tNULL\t\t\tvoid\t\n");
            continue;
        }
        const Export* e = nullptr;
        for (const Export& x : exports) {
            if (f[0] == x.name) e = &x;
        }
        if (!e) {
            Put(f[0] + "\tUNKNOWN-EXPORT\n");
            continue;
        }
        if (!e->fn) {
            Put(f[0] + "\t" + (f.size() > 1 ? f[1] : std::string()) + "\tMISSING-EXPORT\n");
            continue;
        }
        if (e->kind == Kind::EC) {
            const int32_t code = static_cast<int32_t>(std::strtol(f.size() > 1 ? f[1].c_str() : "0", nullptr, 16));
            const int32_t selector = f.size() > 3 ? static_cast<int32_t>(std::strtol(f[3].c_str(), nullptr, 10)) : 0;
            const uint8_t r = reinterpret_cast<FnEC>(e->fn)(code, selector);
            Put(std::string(e->name) + "\t" + f[1] + "\t" + (f.size() > 3 ? f[3] : "") + "\t\t" + std::to_string(r) +
                "\t\n");
            continue;
        }
        RunCase(*e, f);
    }
    Flush();
    std::fflush(stdout);
    std::fprintf(stderr, "diff_driver: %ld cases\n", cases);
    return 0;
}
