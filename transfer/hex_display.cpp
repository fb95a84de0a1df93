#include "hex_display.h"

#include <algorithm>

namespace taplink {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::size_t AnnouncedLength(const Bytes& frame) {
    if (frame.size() < kMemoryHeaderSize) return 0;
    return frame[1] + 256u * frame[2];
}

}  // namespace

void AppendHexLine(std::string& text, const std::uint8_t* data, std::size_t size,
                   std::size_t offset) {
    // A line is made in a buffer and appended once: a received image makes
    // thousands of them.
    size = std::min<std::size_t>(size, 8);
    char line[80];
    char* p = line;
    int digits = 4;  // at least four upper-case digits
    while (digits < 16 && (offset >> (4 * digits)) != 0)
        ++digits;
    for (int d = digits - 1; d >= 0; --d)
        *p++ = kHex[(offset >> (4 * d)) & 0x0F];
    p = std::fill_n(p, 3, ' ');
    for (std::size_t i = 0; i < size; ++i) {
        *p++ = kHex[data[i] >> 4];
        *p++ = kHex[data[i] & 0x0F];
        p = std::fill_n(p, 2, ' ');
    }
    p = std::fill_n(p, 4 * (8 - size), ' ') - 2;  // the hex column ends without its spaces
    for (std::size_t i = 0; i < size; ++i) {
        *p++ = ' ';
        *p++ = data[i] >= 0x20 && data[i] <= 0x7E ? static_cast<char>(data[i]) : '.';
    }
    if (size == 8) p = std::copy_n("\r\n", 2, p);
    text.append(line, p);
}

void AppendDumpLines(const Bytes& frame, std::string& text, std::size_t count) {
    if (frame.size() < kMemoryHeaderSize) return;
    const std::uint8_t* data = frame.data() + kMemoryHeaderSize;
    const std::size_t have = frame.size() - kMemoryHeaderSize;
    count = std::min(count, have / 8);
    for (std::size_t k = text.size() / kDisplayLineLength; k < count; ++k) {
        AppendHexLine(text, data + 8 * k, 8, 8 * k);
    }
}

void FinishDump(const Bytes& frame, std::string& text) {
    if (frame.size() < kMemoryHeaderSize) return;
    const std::size_t length = std::min(AnnouncedLength(frame), frame.size() - kMemoryHeaderSize);
    AppendDumpLines(frame, text, length / 8);
    if (length % 8 != 0) {
        const std::size_t start = length / 8 * 8;
        AppendHexLine(text, frame.data() + kMemoryHeaderSize + start, length % 8, start);
    }
}

}  // namespace taplink
