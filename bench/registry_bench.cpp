// The registry text: reading and writing a file of 8,000 keys (about
// 170 KB), far more than the game keeps, to show the cost grows with the
// file and nothing worse.
#include <benchmark/benchmark.h>

#include <string>

#include "registry/regtext.h"

namespace {

std::string LargeFile(int keys) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < keys; ++i) {
        text += "[Software\\Bench\\Key" + std::to_string(i) + "]\n\"Value\"=dword:00000001\n\n";
    }
    return text;
}

void BM_ParseRegistry8000Keys(benchmark::State& state) {
    std::string text = LargeFile(8000);
    for (auto _ : state) {
        reg::Document doc;
        benchmark::DoNotOptimize(reg::ParseDocument(text, doc, nullptr));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseRegistry8000Keys);

void BM_SerializeRegistry8000Keys(benchmark::State& state) {
    reg::Document doc;
    reg::ParseDocument(LargeFile(8000), doc, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(reg::SerializeDocument(doc));
    }
}
BENCHMARK(BM_SerializeRegistry8000Keys);

}  // namespace
