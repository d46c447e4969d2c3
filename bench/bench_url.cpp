// bench_url.cpp - URL encoding and decoding, one call per line of the URL
// corpus, beside libmodpbase64's URL coder on the same lines.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "corpus.hpp"
#include "zr_moji.h"

#if defined(ZR_BENCH_MODPB64)
#include <modp_burl.h>
#endif

namespace {

std::size_t TotalBytes(const std::vector<std::string>& lines) {
    std::size_t n = 0;
    for (const auto& l : lines) n += l.size();
    return n;
}

void UrlEncode(benchmark::State& state, int32_t type) {
    const auto lines = zr::bench::LoadLines("url_ja_sjis.txt");
    std::vector<char> dst(64 * 1024);
    int32_t r = 0;
    for (auto _ : state) {
        for (const auto& l : lines) {
            r = ZR_URL_EncodeA(l.c_str(), dst.data(), static_cast<int32_t>(dst.size()), type);
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(lines));
    state.SetLabel("url_ja_sjis.txt, " + std::to_string(lines.size()) + " calls, type " + std::to_string(type));
}

// Decodes the library's own UTF-8 encoding of each line.
void UrlDecode(benchmark::State& state) {
    const auto lines = zr::bench::LoadLines("url_ja_sjis.txt");
    std::vector<std::string> encoded;
    std::vector<char> buf(64 * 1024);
    for (const auto& l : lines) {
        if (ZR_URL_EncodeA(l.c_str(), buf.data(), static_cast<int32_t>(buf.size()), 3) > 0) encoded.emplace_back(buf.data());
    }
    int32_t r = 0;
    for (auto _ : state) {
        for (const auto& e : encoded) {
            r = ZR_URL_DecodeUtf8A(e.c_str(), buf.data(), static_cast<int32_t>(buf.size()));
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(encoded));
    state.SetLabel("url_ja_sjis.txt encoded as UTF-8, " + std::to_string(encoded.size()) + " calls");
}

#if defined(ZR_BENCH_MODPB64)
void ModpEncode(benchmark::State& state) {
    const auto lines = zr::bench::LoadLines("url_ja.txt");
    std::vector<char> dst(64 * 1024);
    for (auto _ : state)
        for (const auto& l : lines) benchmark::DoNotOptimize(modp_burl_encode(dst.data(), l.data(), l.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(lines));
    state.SetLabel("url_ja.txt (UTF-8), libmodpbase64");
}
void ModpDecode(benchmark::State& state) {
    const auto lines = zr::bench::LoadLines("url_ja.txt");
    std::vector<std::string> encoded;
    std::vector<char> buf(64 * 1024);
    for (const auto& l : lines) {
        const std::size_t n = modp_burl_encode(buf.data(), l.data(), l.size());
        encoded.emplace_back(buf.data(), n);
    }
    for (auto _ : state)
        for (const auto& e : encoded) benchmark::DoNotOptimize(modp_burl_decode(buf.data(), e.data(), e.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(encoded));
    state.SetLabel("url_ja.txt encoded, libmodpbase64");
}
#endif

}  // namespace

BENCHMARK_CAPTURE(UrlEncode, utf8, 3)->Name("UrlEncode_utf8/zr_moji");
BENCHMARK_CAPTURE(UrlEncode, sjis, 1)->Name("UrlEncode_sjis/zr_moji");
BENCHMARK(UrlDecode)->Name("UrlDecode_utf8/zr_moji");
#if defined(ZR_BENCH_MODPB64)
BENCHMARK(ModpEncode)->Name("UrlEncode_utf8/modpbase64");
BENCHMARK(ModpDecode)->Name("UrlDecode_utf8/modpbase64");
#endif

BENCHMARK_MAIN();
