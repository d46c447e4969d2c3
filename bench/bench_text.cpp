// bench_text.cpp - the text module: streaming conversion in 64 KiB chunks
// through a 64 KiB output buffer, as a command-line tool drives it, beside
// glibc iconv converting the same corpus in one call; and the guesser on
// the whole corpus and on short pieces.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "corpus.hpp"
#include "reference.hpp"
#include "zr_text.h"

namespace {

constexpr std::size_t kChunk = 1 << 16;

struct Case {
    const char* name;
    const char* file;
    int32_t from, to;
    const char* iconvFrom;
    const char* iconvTo;
};

// iconv's CP932 is the closest of its converters to code page 932; its
// ISO-2022-JP refuses the code page's extensions, so the corpus goes to
// EUC-JP there as here.
constexpr Case kCases[] = {
    {"TextUtf8ToSJis", "ja_utf8.txt", ZRT_ENC_UTF8, ZRT_ENC_SJIS, "UTF-8", "CP932"},
    {"TextSJisToUtf8", "ja_sjis.txt", ZRT_ENC_SJIS, ZRT_ENC_UTF8, "CP932", "UTF-8"},
    {"TextUtf8ToEuc", "ja_utf8.txt", ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "UTF-8", "EUC-JP-MS"},
    {"TextJisToUtf8", "ja_jis.txt", ZRT_ENC_JIS, ZRT_ENC_UTF8, "ISO-2022-JP", "UTF-8"},
    {"TextUtf8ToUtf16", "ja_utf8.txt", ZRT_ENC_UTF8, ZRT_ENC_UTF16LE, "UTF-8", "UTF-16LE"},
};

void RegisterText(const Case& c) {
    benchmark::RegisterBenchmark((std::string(c.name) + "/zr_text").c_str(), [c](benchmark::State& state) {
        const auto in = zr::bench::LoadBytes(c.file);
        const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
        ZRT_Options o;
        ZRT_DefaultOptions(&o);
        o.errors = ZRT_ERRORS_REPLACE;
        ZRT_Converter* cv = ZRT_Open(c.from, c.to, &o);
        std::vector<std::uint8_t> out(kChunk);
        std::size_t total = 0;
        for (auto _ : state) {
            ZRT_Reset(cv);
            total = 0;
            for (std::size_t at = 0;;) {
                const std::size_t n = std::min(kChunk, in.size() - at);
                const int32_t last = at + n == in.size();
                std::size_t used = 0, wrote = 0;
                const int32_t r = ZRT_Convert(cv, p + at, n, &used, out.data(), out.size(), &wrote, last);
                benchmark::DoNotOptimize(out.data());
                total += wrote;
                at += used;
                if (r == ZRT_MORE_OUTPUT) continue;
                if (r != ZRT_OK) {
                    state.SkipWithError("the converter stopped");
                    break;
                }
                if (last) break;
            }
        }
        ZRT_Close(cv);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.size()));
        state.SetLabel(std::string(c.file) + " out=" + std::to_string(total));
    });
    benchmark::RegisterBenchmark((std::string(c.name) + "/iconv").c_str(), [c](benchmark::State& state) {
        const auto in = zr::bench::LoadBytes(c.file);
        std::vector<char> dst(in.size() * 4 + 64);
        zr::bench::Iconv cd(c.iconvTo, c.iconvFrom);
        std::size_t r = 0;
        for (auto _ : state) {
            r = cd.Convert(in.data(), in.size(), dst.data(), dst.size());
            benchmark::DoNotOptimize(r);
        }
        if (r == static_cast<std::size_t>(-1)) state.SkipWithError("iconv refused the corpus");
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.size()));
        state.SetLabel(std::string(c.file) + " iconv " + c.iconvFrom + "->" + c.iconvTo);
    });
}

void GuessWhole(benchmark::State& state) {
    const auto in = zr::bench::LoadBytes("ja_sjis.txt");
    int32_t e = 0;
    for (auto _ : state) {
        e = ZRT_GuessEncoding(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), 1, nullptr);
        benchmark::DoNotOptimize(e);
    }
    if (e != ZRT_ENC_SJIS) state.SkipWithError("guessed wrong");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.size()));
    state.SetLabel("ja_sjis.txt whole");
}
BENCHMARK(GuessWhole)->Name("TextGuess_whole/zr_text");

void GuessPieces(benchmark::State& state) {
    const auto in = zr::bench::LoadBytes("ja_eucjp.txt");
    const std::size_t piece = 256;
    std::size_t at = 0;
    for (auto _ : state) {
        if (at + piece > in.size()) at = 0;
        benchmark::DoNotOptimize(
            ZRT_GuessEncoding(reinterpret_cast<const std::uint8_t*>(in.data()) + at, piece, 0, nullptr));
        at += piece;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(piece));
    state.SetLabel("ja_eucjp.txt, 256-byte prefixes");
}
BENCHMARK(GuessPieces)->Name("TextGuess_256/zr_text");

const bool kRegistered = [] {
    for (const auto& c : kCases) RegisterText(c);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
