// bench_charset.cpp - the character-set conversions on the Japanese corpus,
// each timed beside glibc iconv (and ICU when built with it) doing the same
// conversion in the same run, so that the ratio is the figure.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "corpus.hpp"
#include "reference.hpp"
#include "zr_moji.h"

#if defined(ZR_BENCH_ICU)
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#endif
#if defined(ZR_BENCH_SIMDUTF)
#include <simdutf.h>
#endif

namespace {

using zr::bench::Iconv;

// kWidened: a byte file (ASCII) read as UTF-16, one unit a byte.
enum class Side { kBytes, kUtf16, kWidened };

struct Input {
    std::vector<char> bytes;       // NUL-terminated byte text
    std::vector<char16_t> wide;    // NUL-terminated UTF-16 text
    std::size_t byteLength = 0;    // input size in bytes, terminator excluded
};

Input Load(const std::string& file, Side side) {
    Input in;
    if (side == Side::kBytes) {
        in.bytes = zr::bench::LoadText(file);
        in.byteLength = in.bytes.size() - 1;
    } else {
        if (side == Side::kUtf16) {
            in.wide = zr::bench::LoadUtf16(file);
        } else {
            const auto bytes = zr::bench::LoadText(file);
            in.wide.assign(bytes.begin(), bytes.end());
        }
        in.byteLength = (in.wide.size() - 1) * 2;
    }
    return in;
}

// A library export of the frame (src, dst, dstSize) with its input and
// output kinds; dstSize is `factor` times the input length in output units.
template <class SrcT, class DstT>
void RegisterZr(const std::string& name, const std::string& file, Side side,
                int32_t (*fn)(const SrcT*, DstT*, int32_t), int factor) {
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const Input in = Load(file, side);
        const auto* src = side == Side::kBytes ? static_cast<const void*>(in.bytes.data())
                                               : static_cast<const void*>(in.wide.data());
        const std::size_t units = side == Side::kBytes ? in.bytes.size() - 1 : in.wide.size() - 1;
        const int32_t dstSize = static_cast<int32_t>(units * factor + 16);
        std::vector<DstT> dst(dstSize);
        int32_t r = 0;
        for (auto _ : state) {
            r = fn(static_cast<const SrcT*>(src), reinterpret_cast<DstT*>(dst.data()), dstSize);
            benchmark::DoNotOptimize(r);
            benchmark::ClobberMemory();
        }
        if (r <= 0) state.SkipWithError("the export refused the corpus");
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * in.byteLength);
        state.SetLabel(file + " dstSize=" + std::to_string(dstSize));
    });
}

void RegisterIconv(const std::string& name, const std::string& file, Side side,
                   const char* to, const char* from) {
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const Input in = Load(file, side);
        const void* src = side == Side::kBytes ? static_cast<const void*>(in.bytes.data())
                                               : static_cast<const void*>(in.wide.data());
        std::vector<char> dst(in.byteLength * 4 + 64);
        Iconv cd(to, from);
        std::size_t r = 0;
        for (auto _ : state) {
            r = cd.Convert(src, in.byteLength, dst.data(), dst.size());
            benchmark::DoNotOptimize(r);
            benchmark::ClobberMemory();
        }
        if (r == static_cast<std::size_t>(-1)) state.SkipWithError("iconv refused the corpus");
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * in.byteLength);
        state.SetLabel(file + " iconv " + from + "->" + to);
    });
}

#if defined(ZR_BENCH_ICU)
// ICU through a converter pair (ucnv_convertEx with UTF-16 pivot) or, for
// UTF-8, its dedicated u_strFromUTF8 / u_strToUTF8.
void RegisterIcu(const std::string& name, const std::string& file, Side side,
                 const char* to, const char* from) {
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const Input in = Load(file, side);
        UErrorCode err = U_ZERO_ERROR;
        const bool fromU = std::strcmp(from, "UTF-16LE") == 0;
        const bool toU = std::strcmp(to, "UTF-16LE") == 0;
        UConverter* cnv = ucnv_open(fromU ? to : from, &err);
        std::vector<UChar> wide(in.byteLength * 2 + 64);
        std::vector<char> narrow(in.byteLength * 4 + 64);
        int32_t r = 0;
        const bool utf8 = std::strcmp(fromU ? to : from, "UTF-8") == 0;
        for (auto _ : state) {
            err = U_ZERO_ERROR;
            if (toU) {
                if (utf8)
                    u_strFromUTF8(wide.data(), static_cast<int32_t>(wide.size()), &r, in.bytes.data(),
                                  static_cast<int32_t>(in.byteLength), &err);
                else
                    r = ucnv_toUChars(cnv, wide.data(), static_cast<int32_t>(wide.size()), in.bytes.data(),
                                      static_cast<int32_t>(in.byteLength), &err);
            } else if (fromU) {
                const auto* u = reinterpret_cast<const UChar*>(in.wide.data());
                if (utf8)
                    u_strToUTF8(narrow.data(), static_cast<int32_t>(narrow.size()), &r, u,
                                static_cast<int32_t>(in.wide.size() - 1), &err);
                else
                    r = ucnv_fromUChars(cnv, narrow.data(), static_cast<int32_t>(narrow.size()), u,
                                        static_cast<int32_t>(in.wide.size() - 1), &err);
            } else {
                r = ucnv_convert(to, from, narrow.data(), static_cast<int32_t>(narrow.size()), in.bytes.data(),
                                 static_cast<int32_t>(in.byteLength), &err);
            }
            benchmark::DoNotOptimize(r);
            benchmark::ClobberMemory();
        }
        if (U_FAILURE(err)) state.SkipWithError(u_errorName(err));
        ucnv_close(cnv);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * in.byteLength);
        state.SetLabel(file + " ICU " + from + "->" + to);
    });
}
#else
void RegisterIcu(const std::string&, const std::string&, Side, const char*, const char*) {}
#endif

#if defined(ZR_BENCH_SIMDUTF)
// simdutf, the fastest public UTF-8 <-> UTF-16 converter, with the length it
// needs given (the exports find their terminator themselves).
void RegisterSimdutf(const std::string& name, const std::string& file, Side side) {
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const Input in = Load(file, side);
        std::vector<char> dst(in.byteLength * 3 + 64);
        std::size_t r = 0;
        for (auto _ : state) {
            if (side == Side::kBytes)
                r = simdutf::convert_utf8_to_utf16le(in.bytes.data(), in.byteLength,
                                                     reinterpret_cast<char16_t*>(dst.data()));
            else
                r = simdutf::convert_utf16le_to_utf8(in.wide.data(), in.wide.size() - 1, dst.data());
            benchmark::DoNotOptimize(r);
            benchmark::ClobberMemory();
        }
        if (r == 0) state.SkipWithError("simdutf refused the corpus");
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * in.byteLength);
        state.SetLabel(file + " simdutf (" + std::string(simdutf::get_active_implementation()->name()) + ")");
    });
}
#else
void RegisterSimdutf(const std::string&, const std::string&, Side) {}
#endif

// One conversion: the library's export, then the references on the same file.
template <class SrcT, class DstT>
void Conversion(const std::string& name, const std::string& file, Side side,
                int32_t (*fn)(const SrcT*, DstT*, int32_t), int factor, const char* to, const char* from,
                bool icu = true) {
    RegisterZr(name + "/zr_moji", file, side, fn, factor);
    RegisterIconv(name + "/iconv", file, side, to, from);
    if (icu) RegisterIcu(name + "/icu", file, side, to, from);
}

// The short-string case: one ~90-byte line per call, dstSize twice its length.
void ShortLine() {
    benchmark::RegisterBenchmark("SJisToUnicode_line90/zr_moji", [](benchmark::State& state) {
        const auto text = zr::bench::LoadText("ja_sjis.txt");
        std::string line;
        for (std::size_t i = 0; i < text.size() && line.size() < 90; ++i) {
            if (text[i] == '\n') { if (line.size() >= 60) break; line.clear(); continue; }
            line.push_back(text[i]);
        }
        const int32_t dstSize = static_cast<int32_t>(line.size() * 2);
        std::vector<ZR_WCHAR> dst(dstSize);
        for (auto _ : state) {
            benchmark::DoNotOptimize(ZR_SJisToUnicode(line.c_str(), dst.data(), dstSize));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * line.size());
        state.SetLabel(std::to_string(line.size()) + "-byte line dstSize=" + std::to_string(dstSize));
    });
}

// One UTF-8 text line per call (the first line of 150 bytes or more), the
// case where a call's fixed costs show.
std::string Utf8Line() {
    const auto text = zr::bench::LoadText("ja_utf8.txt");
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (line.size() >= 150) break;
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    return line;
}

void Utf8Lines() {
    benchmark::RegisterBenchmark("Utf8ToUnicode_line/zr_moji", [](benchmark::State& state) {
        const std::string line = Utf8Line();
        const int32_t dstSize = static_cast<int32_t>(line.size() + 1);
        std::vector<ZR_WCHAR> dst(dstSize);
        for (auto _ : state) {
            benchmark::DoNotOptimize(ZR_Utf8ToUnicode(line.c_str(), dst.data(), dstSize));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * line.size());
        state.SetLabel(std::to_string(line.size()) + "-byte line dstSize=" + std::to_string(dstSize));
    });
#if defined(ZR_BENCH_SIMDUTF)
    benchmark::RegisterBenchmark("Utf8ToUnicode_line/simdutf", [](benchmark::State& state) {
        const std::string line = Utf8Line();
        std::vector<char16_t> dst(line.size() + 1);
        for (auto _ : state) {
            benchmark::DoNotOptimize(simdutf::convert_utf8_to_utf16le(line.data(), line.size(), dst.data()));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * line.size());
        state.SetLabel(std::to_string(line.size()) + "-byte line simdutf");
    });
#endif
}

void RegisterAll() {
    const Side B = Side::kBytes, W = Side::kUtf16;
    Conversion("SJisToUnicode", "ja_sjis.txt", B, &ZR_SJisToUnicode, 1, "UTF-16LE", "CP932");
    Conversion("SJisToUnicode_ascii", "ascii.txt", B, &ZR_SJisToUnicode, 1, "UTF-16LE", "CP932");
    Conversion("UnicodeToSJis", "ja_utf16le.bin", W, &ZR_UnicodeToSJis, 2, "CP932", "UTF-16LE");
    Conversion("SJisToJis", "ja_sjis.txt", B, &ZR_SJisToJis, 3, "ISO-2022-JP", "CP932");
    Conversion("JisToSJis", "ja_jis.txt", B, &ZR_JisToSJis, 1, "CP932", "ISO-2022-JP");
    Conversion("EucToJis", "ja_eucjp.txt", B, &ZR_EucToJis, 3, "ISO-2022-JP", "EUC-JP");
    Conversion("JisToEuc", "ja_jis.txt", B, &ZR_JisToEuc, 1, "EUC-JP", "ISO-2022-JP");
    Conversion("EucToSJis", "ja_eucjp.txt", B, &ZR_EucToSJis, 3, "CP932", "EUC-JP");
    Conversion("SJisToEuc", "ja_sjis.txt", B, &ZR_SJisToEuc, 3, "EUC-JP", "CP932");
    Conversion("JisToUnicode", "ja_jis.txt", B, &ZR_JisToUnicode, 1, "UTF-16LE", "ISO-2022-JP");
    Conversion("EucToUnicode", "ja_eucjp.txt", B, &ZR_EucToUnicode, 3, "UTF-16LE", "EUC-JP");
    Conversion("UnicodeToJis", "ja_utf16le.bin", W, &ZR_UnicodeToJis, 4, "ISO-2022-JP", "UTF-16LE");
    Conversion("UnicodeToEuc", "ja_utf16le.bin", W, &ZR_UnicodeToEuc, 4, "EUC-JP", "UTF-16LE");
    Conversion("Utf8ToUnicode", "ja_utf8.txt", B, &ZR_Utf8ToUnicode, 1, "UTF-16LE", "UTF-8");
    Conversion("Utf8ToUnicode_ascii", "ascii.txt", B, &ZR_Utf8ToUnicode, 1, "UTF-16LE", "UTF-8");
    Conversion("UnicodeToUtf8", "ja_utf16le.bin", W, &ZR_UnicodeToUtf8, 3, "UTF-8", "UTF-16LE");
    Conversion("UnicodeToUtf8_ascii", "ascii.txt", Side::kWidened, &ZR_UnicodeToUtf8, 3, "UTF-8", "UTF-16LE");
    RegisterSimdutf("Utf8ToUnicode/simdutf", "ja_utf8.txt", B);
    RegisterSimdutf("Utf8ToUnicode_ascii/simdutf", "ascii.txt", B);
    RegisterSimdutf("UnicodeToUtf8/simdutf", "ja_utf16le.bin", W);
    RegisterSimdutf("UnicodeToUtf8_ascii/simdutf", "ascii.txt", Side::kWidened);
    Utf8Lines();
    Conversion("Utf8ToSJis", "ja_utf8.txt", B, &ZR_Utf8ToSJis, 1, "CP932", "UTF-8");
    Conversion("SJisToUtf8", "ja_sjis.txt", B, &ZR_SJisToUtf8, 2, "UTF-8", "CP932");
    Conversion("Utf7ToUnicode", "ja_utf7.txt", B, &ZR_Utf7ToUnicode, 1, "UTF-16LE", "UTF-7");
    Conversion("UnicodeToUtf7", "ja_utf16le.bin", W, &ZR_UnicodeToUtf7, 4, "UTF-7", "UTF-16LE");
    Conversion("Utf7ToSJis", "ja_utf7.txt", B, &ZR_Utf7ToSJis, 1, "CP932", "UTF-7");
    Conversion("SJisToUtf7", "ja_sjis.txt", B, &ZR_SJisToUtf7, 4, "UTF-7", "CP932");
    ShortLine();
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
