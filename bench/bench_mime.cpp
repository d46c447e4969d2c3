// bench_mime.cpp - Base64 and Quoted-Printable, plain and with a charset
// conversion, beside memcpy of the same bytes and the reference coders.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "corpus.hpp"
#include "zr_moji.h"

#if defined(ZR_BENCH_MODPB64)
#include <modp_b64.h>
#endif
#if defined(ZR_BENCH_GMIME)
#include <gmime/gmime.h>
#endif
#if defined(ZR_BENCH_SIMDUTF)
#include <simdutf.h>
#endif
#if defined(ZR_BENCH_AKLOMP)
#include <libbase64.h>
#endif

namespace {

const std::vector<char>& Binary() {
    static const auto v = zr::bench::LoadBytes("binary.bin");
    return v;
}

void Memcpy(benchmark::State& state, const char* file) {
    const auto src = zr::bench::LoadBytes(file);
    std::vector<char> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel(std::string(file) + " memcpy");
}

// dstSize: kNear leaves 16 bytes beyond the output, kTight none but the NUL's,
// kRoomy 3n+16, most of which the export zero-fills after the text.
enum class Room { kNear, kTight, kRoomy };

void Base64Encode(benchmark::State& state, Room room) {
    const auto& src = Binary();
    const std::size_t text = (src.size() + 2) / 3 * 4;
    const int32_t dstSize = static_cast<int32_t>(room == Room::kTight  ? text + 1
                                                 : room == Room::kNear ? text + 16
                                                                       : src.size() * 3 + 16);
    std::vector<char> dst(dstSize);
    int32_t r = 0;
    for (auto _ : state) {
        r = ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(src.data()), static_cast<int32_t>(src.size()),
                             dst.data(), dstSize);
        benchmark::DoNotOptimize(r);
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.bin dstSize=" + std::to_string(dstSize));
}

void Base64Decode(benchmark::State& state, Room room) {
    const auto src = zr::bench::LoadText("binary.b64");
    const std::size_t bytes = (src.size() - 1) / 4 * 3;  // padding included: what the export wants
    const int32_t dstSize = static_cast<int32_t>(room == Room::kTight  ? bytes
                                                 : room == Room::kNear ? bytes + 16
                                                                       : (src.size() - 1) * 3 + 16);
    std::vector<unsigned char> dst(dstSize);
    int32_t r = 0;
    for (auto _ : state) {
        r = ZR_Base64_Decode(src.data(), dst.data(), dstSize);
        benchmark::DoNotOptimize(r);
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (src.size() - 1));
    state.SetLabel("binary.b64 dstSize=" + std::to_string(dstSize));
}

void QuotedPrintableEncode(benchmark::State& state, const char* file) {
    const auto src = zr::bench::LoadBytes(file);
    const int32_t dstSize = static_cast<int32_t>(src.size() * 4 + 16);
    std::vector<char> dst(dstSize);
    int32_t r = 0;
    for (auto _ : state) {
        r = ZR_QuotedPrintable_Encode(reinterpret_cast<const unsigned char*>(src.data()),
                                      static_cast<int32_t>(src.size()), dst.data(), dstSize);
        benchmark::DoNotOptimize(r);
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel(std::string(file) + " dstSize=" + std::to_string(dstSize));
}

// Decodes what the library's own encoder wrote, so that the input holds
// exactly the literal set the decoder accepts.
void QuotedPrintableDecode(benchmark::State& state, const char* file) {
    const auto raw = zr::bench::LoadBytes(file);
    std::vector<char> text(raw.size() * 4 + 16);
    const int32_t len = ZR_QuotedPrintable_Encode(reinterpret_cast<const unsigned char*>(raw.data()),
                                                  static_cast<int32_t>(raw.size()), text.data(),
                                                  static_cast<int32_t>(text.size()));
    if (len <= 0) { state.SkipWithError("encoding the input failed"); return; }
    const int32_t dstSize = static_cast<int32_t>(raw.size() + 16);
    std::vector<unsigned char> dst(dstSize);
    int32_t r = 0;
    for (auto _ : state) {
        r = ZR_QuotedPrintable_Decode(text.data(), dst.data(), dstSize);
        benchmark::DoNotOptimize(r);
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * len);
    state.SetLabel(std::string(file) + " encoded, dstSize=" + std::to_string(dstSize));
}

void Base64EncodeJISA(benchmark::State& state) {
    const auto src = zr::bench::LoadText("ja_sjis.txt");
    const int32_t dstSize = static_cast<int32_t>(src.size() * 2 + 16);
    std::vector<char> dst(dstSize);
    int32_t r = 0;
    for (auto _ : state) {
        r = ZR_Base64_EncodeJISA(src.data(), dst.data(), dstSize);
        benchmark::DoNotOptimize(r);
    }
    if (r <= 0) state.SkipWithError("refused");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (src.size() - 1));
    state.SetLabel("ja_sjis.txt dstSize=" + std::to_string(dstSize));
}

#if defined(ZR_BENCH_MODPB64)
void Modp64Encode(benchmark::State& state) {
    const auto& src = Binary();
    std::vector<char> dst(modp_b64_encode_len(src.size()));
    for (auto _ : state) benchmark::DoNotOptimize(modp_b64_encode(dst.data(), src.data(), src.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.bin libmodpbase64");
}
void Modp64Decode(benchmark::State& state) {
    const auto src = zr::bench::LoadBytes("binary.b64");
    std::vector<char> dst(modp_b64_decode_len(src.size()));
    for (auto _ : state) benchmark::DoNotOptimize(modp_b64_decode(dst.data(), src.data(), src.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.b64 libmodpbase64");
}
#endif

// The fastest public Base64 coders, given the length they need (the decoder
// export finds its terminator itself).
#if defined(ZR_BENCH_SIMDUTF)
void SimdutfBase64Encode(benchmark::State& state) {
    const auto& src = Binary();
    std::vector<char> dst(simdutf::base64_length_from_binary(src.size()) + 16);
    for (auto _ : state) benchmark::DoNotOptimize(simdutf::binary_to_base64(src.data(), src.size(), dst.data()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.bin simdutf (" + std::string(simdutf::get_active_implementation()->name()) + ")");
}
void SimdutfBase64Decode(benchmark::State& state) {
    const auto src = zr::bench::LoadBytes("binary.b64");
    std::vector<char> dst(simdutf::maximal_binary_length_from_base64(src.data(), src.size()) + 16);
    simdutf::result r{};
    for (auto _ : state) {
        r = simdutf::base64_to_binary(src.data(), src.size(), dst.data());
        benchmark::DoNotOptimize(r);
    }
    if (r.error != simdutf::error_code::SUCCESS) state.SkipWithError("simdutf refused the text");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.b64 simdutf");
}
#endif
#if defined(ZR_BENCH_AKLOMP)
void AklompBase64Encode(benchmark::State& state) {
    const auto& src = Binary();
    std::vector<char> dst(src.size() / 3 * 4 + 16);
    for (auto _ : state) {
        std::size_t n = 0;
        base64_encode(src.data(), src.size(), dst.data(), &n, 0);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.bin aklomp/base64");
}
void AklompBase64Decode(benchmark::State& state) {
    const auto src = zr::bench::LoadBytes("binary.b64");
    std::vector<char> dst(src.size() / 4 * 3 + 16);
    int ok = 0;
    for (auto _ : state) {
        std::size_t n = 0;
        ok = base64_decode(src.data(), src.size(), dst.data(), &n, 0);
        benchmark::DoNotOptimize(n);
    }
    if (ok != 1) state.SkipWithError("aklomp/base64 refused the text");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel("binary.b64 aklomp/base64");
}
#endif

#if defined(ZR_BENCH_GMIME)
void GmimeQpEncode(benchmark::State& state, const char* file) {
    const auto src = zr::bench::LoadBytes(file);
    std::vector<unsigned char> dst(src.size() * 4 + 64);
    for (auto _ : state) {
        int st = -1;
        guint32 save = 0;
        benchmark::DoNotOptimize(g_mime_encoding_quoted_encode_close(
            reinterpret_cast<const unsigned char*>(src.data()), src.size(), dst.data(), &st, &save));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.size());
    state.SetLabel(std::string(file) + " GMime");
}
void GmimeQpDecode(benchmark::State& state, const char* file) {
    const auto raw = zr::bench::LoadBytes(file);
    std::vector<unsigned char> text(raw.size() * 4 + 64);
    int st = -1;
    guint32 save = 0;
    const size_t len = g_mime_encoding_quoted_encode_close(reinterpret_cast<const unsigned char*>(raw.data()),
                                                           raw.size(), text.data(), &st, &save);
    std::vector<unsigned char> dst(raw.size() + 64);
    for (auto _ : state) {
        int dst_state = 0;
        guint32 dsave = 0;
        benchmark::DoNotOptimize(g_mime_encoding_quoted_decode_step(text.data(), len, dst.data(), &dst_state, &dsave));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * len);
    state.SetLabel(std::string(file) + " encoded, GMime");
}
#endif

}  // namespace

BENCHMARK_CAPTURE(Memcpy, binary, "binary.bin")->Name("Memcpy_binary/memcpy");
BENCHMARK_CAPTURE(Base64Encode, near, Room::kNear)->Name("Base64Encode/zr_moji");
BENCHMARK_CAPTURE(Base64Decode, near, Room::kNear)->Name("Base64Decode/zr_moji");
BENCHMARK_CAPTURE(Base64Encode, tight, Room::kTight)->Name("Base64Encode_tight/zr_moji");
BENCHMARK_CAPTURE(Base64Decode, tight, Room::kTight)->Name("Base64Decode_tight/zr_moji");
BENCHMARK_CAPTURE(Base64Encode, roomy, Room::kRoomy)->Name("Base64Encode_3n16/zr_moji");
BENCHMARK_CAPTURE(Base64Decode, roomy, Room::kRoomy)->Name("Base64Decode_3n16/zr_moji");
BENCHMARK(Base64EncodeJISA)->Name("Base64EncodeJISA/zr_moji");
BENCHMARK_CAPTURE(QuotedPrintableEncode, binary, "binary.bin")->Name("QuotedPrintableEncode_binary/zr_moji");
BENCHMARK_CAPTURE(QuotedPrintableEncode, japanese, "ja_sjis.txt")->Name("QuotedPrintableEncode_ja/zr_moji");
BENCHMARK_CAPTURE(QuotedPrintableDecode, binary, "binary.bin")->Name("QuotedPrintableDecode_binary/zr_moji");
BENCHMARK_CAPTURE(QuotedPrintableDecode, japanese, "ja_sjis.txt")->Name("QuotedPrintableDecode_ja/zr_moji");
#if defined(ZR_BENCH_MODPB64)
BENCHMARK(Modp64Encode)->Name("Base64Encode/modpbase64");
BENCHMARK(Modp64Decode)->Name("Base64Decode/modpbase64");
#endif
#if defined(ZR_BENCH_SIMDUTF)
BENCHMARK(SimdutfBase64Encode)->Name("Base64Encode/simdutf");
BENCHMARK(SimdutfBase64Decode)->Name("Base64Decode/simdutf");
BENCHMARK(SimdutfBase64Encode)->Name("Base64Encode_tight/simdutf");
BENCHMARK(SimdutfBase64Decode)->Name("Base64Decode_tight/simdutf");
BENCHMARK(SimdutfBase64Encode)->Name("Base64Encode_3n16/simdutf");
BENCHMARK(SimdutfBase64Decode)->Name("Base64Decode_3n16/simdutf");
#endif
#if defined(ZR_BENCH_AKLOMP)
BENCHMARK(AklompBase64Encode)->Name("Base64Encode/aklomp");
BENCHMARK(AklompBase64Decode)->Name("Base64Decode/aklomp");
BENCHMARK(AklompBase64Encode)->Name("Base64Encode_tight/aklomp");
BENCHMARK(AklompBase64Decode)->Name("Base64Decode_tight/aklomp");
BENCHMARK(AklompBase64Encode)->Name("Base64Encode_3n16/aklomp");
BENCHMARK(AklompBase64Decode)->Name("Base64Decode_3n16/aklomp");
#endif
#if defined(ZR_BENCH_GMIME)
BENCHMARK_CAPTURE(GmimeQpEncode, binary, "binary.bin")->Name("QuotedPrintableEncode_binary/gmime");
BENCHMARK_CAPTURE(GmimeQpEncode, japanese, "ja_sjis.txt")->Name("QuotedPrintableEncode_ja/gmime");
BENCHMARK_CAPTURE(GmimeQpDecode, binary, "binary.bin")->Name("QuotedPrintableDecode_binary/gmime");
BENCHMARK_CAPTURE(GmimeQpDecode, japanese, "ja_sjis.txt")->Name("QuotedPrintableDecode_ja/gmime");
#endif

BENCHMARK_MAIN();
