// bench_url.cpp - URL encoding and decoding, one call per line of the URL
// corpus, beside libmodpbase64's URL coder on the same lines.
//
// Every case counts the bytes of the corpus lines themselves (url_ja.txt,
// the text in UTF-8), whatever encoding its calls read: the lines are the
// same in every case, so MB/s compares the time per call.
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

// The measure of every case: the corpus lines' bytes, per pass over them.
std::int64_t CorpusBytes() {
    static const std::size_t n = TotalBytes(zr::bench::LoadLines("url_ja.txt"));
    return static_cast<std::int64_t>(n);
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja_sjis.txt, " + std::to_string(lines.size()) + " calls, type " + std::to_string(type));
}

// Decodes the library's own UTF-8 encoding of each line into a 64 KiB
// buffer. The conversion clears all of dstSize first, which costs more than
// the decoding of a short line; the sized cases below show the decoder with
// a buffer fitted to the line.
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja_sjis.txt encoded as UTF-8, " + std::to_string(encoded.size()) + " calls");
}

// The Shift_JIS lines encoded by the library in `type`.
std::vector<std::string> EncodedLines(int32_t type) {
    const auto lines = zr::bench::LoadLines("url_ja_sjis.txt");
    std::vector<std::string> encoded;
    std::vector<char> buf(64 * 1024);
    for (const auto& l : lines) {
        if (ZR_URL_EncodeA(l.c_str(), buf.data(), static_cast<int32_t>(buf.size()), type) > 0) encoded.emplace_back(buf.data());
    }
    return encoded;
}

// The corpus lines as UTF-16 text.
std::vector<std::u16string> WideLines() {
    const auto lines = zr::bench::LoadLines("url_ja.txt");
    std::vector<std::u16string> wide;
    std::vector<char16_t> buf(64 * 1024);
    for (const auto& l : lines) {
        if (ZR_Utf8ToUnicode(l.c_str(), reinterpret_cast<ZR_WCHAR*>(buf.data()), static_cast<int32_t>(buf.size())) > 0)
            wide.emplace_back(buf.data());
    }
    return wide;
}

using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);

// One call per encoded line, dstSize the URL's length + 1: the decoded text
// is never longer than the URL, so the buffer a careful caller would give.
void UrlDecodeSized(benchmark::State& state, int32_t type, DecodeAFn decode) {
    const auto encoded = EncodedLines(type);
    std::vector<char> buf(64 * 1024);
    int32_t r = 0;
    for (auto _ : state) {
        for (const auto& e : encoded) {
            r = decode(e.c_str(), buf.data(), static_cast<int32_t>(e.size() + 1));
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja_sjis.txt encoded as type " + std::to_string(type) + ", " + std::to_string(encoded.size()) +
                   " calls, dstSize = URL length + 1");
}

// The detecting decoder: up to four tests, then the decoder they choose.
void UrlDecodeDetecting(benchmark::State& state, int32_t type) {
    const auto encoded = EncodedLines(type);
    std::vector<char> buf(64 * 1024);
    int32_t r = 0;
    int32_t detected = 0;
    for (auto _ : state) {
        for (const auto& e : encoded) {
            r = ZR_URL_DecodeA(e.c_str(), buf.data(), static_cast<int32_t>(e.size() + 1), &detected);
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0 || detected != type) state.SkipWithError("refused or misdetected");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja_sjis.txt encoded as type " + std::to_string(type) + ", " + std::to_string(encoded.size()) +
                   " calls, dstSize = URL length + 1");
}

void UrlEncodeW(benchmark::State& state, int32_t type) {
    const auto lines = WideLines();
    std::vector<char16_t> dst(64 * 1024);
    std::size_t units = 0;
    for (const auto& l : lines) units += l.size();
    int32_t r = 0;
    for (auto _ : state) {
        for (const auto& l : lines) {
            r = ZR_URL_EncodeW(reinterpret_cast<const ZR_WCHAR*>(l.c_str()), reinterpret_cast<ZR_WCHAR*>(dst.data()),
                               static_cast<int32_t>(dst.size()), type);
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja.txt as UTF-16, " + std::to_string(lines.size()) + " calls, type " + std::to_string(type));
}

void UrlDecodeUtf8W(benchmark::State& state) {
    const auto encoded = EncodedLines(3);
    std::vector<std::u16string> wide;
    for (const auto& e : encoded) wide.emplace_back(e.begin(), e.end());
    std::vector<char16_t> buf(64 * 1024);
    int32_t r = 0;
    for (auto _ : state) {
        for (const auto& w : wide) {
            r = ZR_URL_DecodeUtf8W(reinterpret_cast<const ZR_WCHAR*>(w.c_str()), reinterpret_cast<ZR_WCHAR*>(buf.data()),
                                   static_cast<int32_t>(w.size() + 1));
            benchmark::DoNotOptimize(r);
        }
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja_sjis.txt encoded as UTF-8, as UTF-16 URLs, dstSize = URL length + 1");
}

#if defined(ZR_BENCH_MODPB64)
void ModpEncode(benchmark::State& state) {
    const auto lines = zr::bench::LoadLines("url_ja.txt");
    std::vector<char> dst(64 * 1024);
    for (auto _ : state)
        for (const auto& l : lines) benchmark::DoNotOptimize(modp_burl_encode(dst.data(), l.data(), l.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CorpusBytes());
    state.SetLabel("url_ja.txt encoded, libmodpbase64");
}
#endif

}  // namespace

BENCHMARK_CAPTURE(UrlEncode, utf8, 3)->Name("UrlEncode_utf8/zr_moji");
BENCHMARK_CAPTURE(UrlEncode, sjis, 1)->Name("UrlEncode_sjis/zr_moji");
BENCHMARK_CAPTURE(UrlEncode, euc, 2)->Name("UrlEncode_euc/zr_moji");
BENCHMARK_CAPTURE(UrlEncode, jis, 0)->Name("UrlEncode_jis/zr_moji");
BENCHMARK_CAPTURE(UrlEncodeW, utf8, 3)->Name("UrlEncodeW_utf8/zr_moji");
BENCHMARK_CAPTURE(UrlEncodeW, sjis, 1)->Name("UrlEncodeW_sjis/zr_moji");
BENCHMARK(UrlDecode)->Name("UrlDecode_utf8_64k/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeSized, utf8, 3, ZR_URL_DecodeUtf8A)->Name("UrlDecode_utf8/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeSized, sjis, 1, ZR_URL_DecodeSJisA)->Name("UrlDecode_sjis_sized/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeSized, euc, 2, ZR_URL_DecodeEucA)->Name("UrlDecode_euc_sized/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeSized, jis, 0, ZR_URL_DecodeJisA)->Name("UrlDecode_jis_sized/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeDetecting, sjis, 1)->Name("UrlDecodeDetect_sjis_sized/zr_moji");
BENCHMARK_CAPTURE(UrlDecodeDetecting, utf8, 3)->Name("UrlDecodeDetect_utf8_sized/zr_moji");
BENCHMARK(UrlDecodeUtf8W)->Name("UrlDecodeW_utf8_sized/zr_moji");
#if defined(ZR_BENCH_MODPB64)
BENCHMARK(ModpEncode)->Name("UrlEncode_utf8/modpbase64");
BENCHMARK(ModpDecode)->Name("UrlDecode_utf8/modpbase64");
#endif

BENCHMARK_MAIN();
