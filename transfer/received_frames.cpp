#include "received_frames.h"

#include <algorithm>

namespace taplink {

FrameCheck CheckProgramFrame(std::string_view t, std::uint8_t sendProto) {
    FrameCheck r;
    const std::size_t n = t.size();
    if (n <= 4) return r;
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(t[i]); };
    if (at(0) != sendProto) {
        r.outcome = FrameOutcome::WrongStart;
        return r;
    }
    r.setsProgress = true;
    if (t[2] == '%' || t[2] == 'O') {
        const std::size_t c = at(1);
        if (c < 3) {
            r.outcome = FrameOutcome::WrongStart;
            r.setsProgress = false;
            return r;
        }
        r.progressMax = static_cast<int>(c);
        r.progressPos = static_cast<int>(std::min(n - 2, c));
        if (n - 2 >= c) {
            r.outcome = FrameOutcome::Complete;
            r.text = std::string(t.substr(2, c - 2));
            r.extra = n - 2 - c;
        }
        return r;
    }
    // Both length bytes are there and neither is 0 (zeros never arrive), so
    // the length is at least 257.
    const std::size_t length = at(1) + 256u * at(2);
    r.progressMax = static_cast<int>(length);
    r.progressPos = static_cast<int>(std::min(n - 3, length));
    if (n - 3 >= length) {
        r.outcome = FrameOutcome::Complete;
        r.text = std::string(t.substr(3, length - 2));
        r.extra = n - 3 - length;
    }
    return r;
}

std::string PartialProgramText(std::string_view t) {
    if (t.size() < 3) return {};
    return std::string(t.substr(t[2] == '%' || t[2] == 'O' ? 2 : 3));
}

MemoryFrameCheck CheckMemoryFrame(const Bytes& b, std::uint8_t sendProto) {
    MemoryFrameCheck r;
    const std::size_t m = b.size();
    if (m <= 3) return r;
    if (b[0] != sendProto) {
        r.outcome = FrameOutcome::WrongStart;
        return r;
    }
    const std::size_t length = b[1] + 256u * b[2];
    r.setsProgress = true;
    r.progressMax = static_cast<int>(length);
    r.progressPos = static_cast<int>(std::min(m - 3, length));
    r.linesReady = std::min(m - 3, length) / 8;
    if (m >= length + 3) {
        r.outcome = FrameOutcome::Complete;
        r.extra = m - 3 - length;
    }
    return r;
}

}  // namespace taplink
