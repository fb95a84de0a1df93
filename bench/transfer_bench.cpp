// Figures for the transfer core: the hex display built while a memory image
// arrives, the R80 send image and reading a display back.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "frames.h"
#include "hex_display.h"
#include "received_frames.h"
#include "send_checks.h"

namespace taplink {
namespace {

Bytes RandomImage(std::size_t n) {
    std::mt19937 rng(42);
    Bytes image(n);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

// A memory frame arriving in chunks of 1 to 1024 bytes: the check and the
// display extension after every chunk, the finish at the end.
void BM_DumpWhileReceiving(benchmark::State& state) {
    const Bytes frame = BuildMemoryFrame(RandomImage(static_cast<std::size_t>(state.range(0))));
    std::mt19937 rng(7);
    std::vector<std::size_t> chunks;
    for (std::size_t pos = 0; pos < frame.size();) {
        const std::size_t c = std::min<std::size_t>(1 + rng() % 1024, frame.size() - pos);
        chunks.push_back(c);
        pos += c;
    }
    for (auto _ : state) {
        Bytes collected;
        collected.reserve(frame.size());
        std::string display;
        std::size_t pos = 0;
        for (const std::size_t c : chunks) {
            collected.insert(collected.end(), frame.begin() + pos, frame.begin() + pos + c);
            pos += c;
            const MemoryFrameCheck r = CheckMemoryFrame(collected, 0x11);
            if (r.outcome == FrameOutcome::Complete) {
                FinishDump(collected, display);
            } else {
                AppendDumpLines(collected, display, r.linesReady);
            }
        }
        benchmark::DoNotOptimize(display.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DumpWhileReceiving)
    ->Arg(1024)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65535)
    ->Unit(benchmark::kMicrosecond);

void BM_PrepareR80Image(benchmark::State& state) {
    std::string text = "%001\r\n";
    while (text.size() < 32767 - 40)
        text += "N0010 G01 X12.5 Y-3.25 F200\r\n";
    for (auto _ : state) {
        const PreparedR80 p = PrepareR80Image(text, kDocNone);
        benchmark::DoNotOptimize(p.image.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PrepareR80Image)->Unit(benchmark::kMicrosecond);

void BM_ParseMemoryDisplay(benchmark::State& state) {
    const Bytes image = RandomImage(8192 * 8);
    std::string display;
    for (std::size_t k = 0; k < 8192; ++k)
        AppendHexLine(display, image.data() + 8 * k, 8, 8 * k);
    for (auto _ : state) {
        const Bytes parsed = ParseMemoryDisplay(display);
        benchmark::DoNotOptimize(parsed.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * display.size()));
}
BENCHMARK(BM_ParseMemoryDisplay)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace taplink
