// Any received bytes through the "R40/R60" frame check, a byte at a time as
// serial events would bring them: a frame is taken only on a quiet line,
// with at most a trailer after it, and its text is never longer than the
// bytes held less the frame's head and closing characters.
#include <cstdint>

#include "received_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t proto = data[0];
    taplink::Bytes collected;
    for (std::size_t i = 1; i < size; ++i) {
        collected.push_back(data[i]);
        for (const bool quiet : {false, true}) {
            const auto r = taplink::CheckProgramFrame(collected, proto, quiet);
            if (r.outcome != taplink::FrameOutcome::Complete) continue;
            if (!quiet || r.extra > taplink::kMaxTrailer) __builtin_trap();
            if (r.text.size() + r.extra + 4 > collected.size()) __builtin_trap();
        }
    }
    return 0;
}
