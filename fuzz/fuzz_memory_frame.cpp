// Any received bytes through the "Memory" frame check and the display that
// is built while they arrive.
#include <cstdint>
#include <string>

#include "hex_display.h"
#include "received_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t proto = data[0];
    taplink::Bytes collected;
    std::string display;
    for (std::size_t i = 1; i < size; ++i) {
        collected.push_back(data[i]);
        const auto r = taplink::CheckMemoryFrame(collected, proto);
        if (r.outcome == taplink::FrameOutcome::WrongStart) return 0;
        if (r.outcome == taplink::FrameOutcome::Complete) {
            taplink::FinishDump(collected, display);
            return 0;
        }
        taplink::AppendDumpLines(collected, display, r.linesReady);
        if (display.size() != r.linesReady * taplink::kDisplayLineLength && r.linesReady != 0) {
            __builtin_trap();
        }
    }
    taplink::FinishDump(collected, display);
    return 0;
}
