// bench_codetable.cpp - loading a 100,000-line code table and a million
// lookups in it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zr_moji.h"

namespace {

std::string MakeTableFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp ? tmp : "/tmp";
    if (!std::getenv("TEMP")) setenv("TEMP", dir.c_str(), 1);
    const std::string path = dir + "/zr_bench_table.csv";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("/ a benchmark table: code, value, note\n", f);
    for (int i = 0; i < 100000; ++i) std::fprintf(f, "%X,%X,row %d\n", i * 3, i * 7 + 1, i);
    std::fclose(f);
    return path;
}

const std::string& TableFile() {
    static const std::string path = MakeTableFile();
    return path;
}

void Load(benchmark::State& state) {
    const std::string& path = TableFile();
    for (auto _ : state) {
        CodeTable* t = ZR_CodeTableInitA(path.c_str(), 0, 0, 0);
        if (!t) { state.SkipWithError("load failed"); return; }
        ZR_CodeTableTerm(t);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100000);
    state.SetLabel("100000 lines, unsorted load");
}

void LoadSorted(benchmark::State& state) {
    const std::string& path = TableFile();
    for (auto _ : state) {
        CodeTable* t = ZR_CodeTableInitA(path.c_str(), 1, 0, 1);
        if (!t) { state.SkipWithError("load failed"); return; }
        ZR_CodeTableTerm(t);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100000);
    state.SetLabel("100000 lines, keyed on field 2, sorted");
}

void Lookups(benchmark::State& state) {
    CodeTable* t = ZR_CodeTableInitA(TableFile().c_str(), 0, 0, 0);
    if (!t) { state.SkipWithError("load failed"); return; }
    int64_t sum = 0;
    for (auto _ : state) {
        // Keys 0..299999 in a scattered order; a third of them are in the table.
        for (std::int64_t i = 0; i < 1000000; ++i)
            sum += ZR_CodeTableCode(t, static_cast<int32_t>((i * 7919) % 300000));
        benchmark::DoNotOptimize(sum);
    }
    ZR_CodeTableTerm(t);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
    state.SetLabel("1,000,000 lookups, one in three a hit");
}

}  // namespace

BENCHMARK(Load)->Name("CodeTableLoad_100k/zr_moji")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSorted)->Name("CodeTableLoadSorted_100k/zr_moji")->Unit(benchmark::kMillisecond);
BENCHMARK(Lookups)->Name("CodeTableLookup_1M/zr_moji")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
