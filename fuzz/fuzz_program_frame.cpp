// Any received bytes through the "R40/R60" frame check, fed in two pieces
// as serial events would.
#include <cstdint>
#include <string>
#include <string_view>

#include "received_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t proto = data[0];
    std::string collected;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] != 0) collected.push_back(static_cast<char>(data[i]));
        const auto r = taplink::CheckProgramFrame(collected, proto);
        if (r.outcome == taplink::FrameOutcome::Complete && r.text.size() + 4 > collected.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
