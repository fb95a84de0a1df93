// Figures for saving a PLC text into a ladder document: the conversion of a
// full text of 32,767 instruction lines, plain, all "CODB" or the two mixed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "ladder.h"

namespace taplink {
namespace {

constexpr int kLines = 32767;

// Every line plain (0), every line "CODB" (1), or every other one (2).
std::string PlcText(int mix) {
    std::string text = "%999\r\n00032767\r\n";
    for (int k = 0; k < kLines; ++k) {
        char step[9];
        std::snprintf(step, sizeof step, "%08d", k);
        const bool codb = mix == 1 || (mix == 2 && k % 2 == 0);
        text += step;
        text += codb ? "CODB 1 4 R0 R1 10,20,30,40\r\n" : "LD X12.3\r\n";
    }
    return text;
}

void BM_ConvertToLadderSection(benchmark::State& state) {
    const std::string text = PlcText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const std::string section = ConvertToLadderSection(text, "32767");
        benchmark::DoNotOptimize(section.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ConvertToLadderSection)
    ->ArgName("mix")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace taplink
