#include "received_frames.h"

#include <algorithm>

namespace taplink {
namespace {

bool StartsProgram(std::uint8_t b) {
    return b == '%' || b == 'O';
}

std::string WithoutZeros(const Bytes& raw, std::size_t from, std::size_t to) {
    std::string text;
    text.reserve(to - from);
    for (auto at = raw.begin() + static_cast<long>(from), end = raw.begin() + static_cast<long>(to);
         at != end;) {
        const auto zero = std::find(at, end, std::uint8_t{0});
        text.append(at, zero);
        at = zero == end ? end : zero + 1;
    }
    return text;
}

}  // namespace

FrameCheck CheckProgramFrame(const Bytes& raw, std::uint8_t sendProto, bool lineQuiet) {
    FrameCheck r;
    const std::size_t n = raw.size();
    if (n <= 4) return r;
    if (raw[0] != sendProto) {
        r.outcome = FrameOutcome::WrongStart;
        return r;
    }
    // The whole frame as each form reads it. The program form's length
    // counts the text's first character and the two closing ones.
    const std::size_t docLength = raw[1] + 256u * raw[2];
    const std::size_t docEnd = docLength + 3;
    const bool program = StartsProgram(raw[2]) && raw[1] >= 3;
    const std::size_t progEnd = raw[1] + 2u;
    if (!program && docLength < 2) {
        r.outcome = FrameOutcome::Unreadable;  // no room for the closing characters
        return r;
    }
    if (n > docEnd + kMaxTrailer) {
        r.outcome = FrameOutcome::Unreadable;  // longer than either reading allows
        return r;
    }
    r.setsProgress = true;
    if (program && n <= progEnd) {
        r.progressMax = raw[1];
        r.progressPos = static_cast<int>(std::min(n - 2, progEnd - 2));
    } else {
        r.progressMax = static_cast<int>(docLength);
        r.progressPos = static_cast<int>(std::min(n - 3, docLength));
    }
    // The two readings' ends differ by 256 x the high length byte + 1, far
    // more than a trailer, so at most one of them fits.
    const bool docFits = n >= docEnd, progFits = program && n == progEnd;
    if (!docFits && !progFits) {
        r.ambiguous = program && n > progEnd;
    } else if (!lineQuiet) {
        r.takeWhenQuiet = true;
    } else if (docFits) {
        r.outcome = FrameOutcome::Complete;
        r.text = WithoutZeros(raw, 3, docEnd - 2);
        r.extra = n - docEnd;
    } else {
        r.outcome = FrameOutcome::Complete;
        r.text = WithoutZeros(raw, 2, progEnd - 2);
    }
    return r;
}

std::string PartialProgramText(const Bytes& raw) {
    if (raw.size() < 3) return {};
    return WithoutZeros(raw, StartsProgram(raw[2]) ? 2 : 3, raw.size());
}

MemoryFrameCheck CheckMemoryFrame(const Bytes& b, std::uint8_t sendProto, bool lineQuiet) {
    MemoryFrameCheck r;
    const std::size_t m = b.size();
    if (m <= 3) return r;
    if (b[0] != sendProto) {
        r.outcome = FrameOutcome::WrongStart;
        return r;
    }
    const std::size_t length = b[1] + 256u * b[2];
    if (m > length + 3 + kMaxTrailer) {
        r.outcome = FrameOutcome::Unreadable;
        return r;
    }
    r.setsProgress = true;
    r.progressMax = static_cast<int>(length);
    r.progressPos = static_cast<int>(std::min(m - 3, length));
    r.linesReady = std::min(m - 3, length) / 8;
    if (m >= length + 3) {
        r.takeWhenQuiet = !lineQuiet;
        if (lineQuiet) r.outcome = FrameOutcome::Complete;
        r.extra = m - 3 - length;
    }
    return r;
}

}  // namespace taplink
