#include "frames.h"

namespace taplink {
namespace {

void PutLe16(Bytes& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

std::uint16_t ProgramChecksum(std::string_view cleaned) {
    unsigned sum = 0;
    for (const char c : cleaned) {
        if (c != '\r' && c != '\n') sum += static_cast<std::uint8_t>(c);
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

Bytes BuildProgramFrame(std::string_view cleaned, std::uint8_t sendProto) {
    Bytes frame;
    frame.reserve(cleaned.size() + 5);
    frame.push_back(sendProto);
    PutLe16(frame, cleaned.size() + 2);
    frame.insert(frame.end(), cleaned.begin(), cleaned.end());
    PutLe16(frame, ProgramChecksum(cleaned));
    return frame;
}

Bytes BuildMemoryFrame(const Bytes& image) {
    Bytes frame;
    frame.reserve(image.size() + 3);
    frame.push_back(kMemoryFrameStart);
    PutLe16(frame, image.size());
    frame.insert(frame.end(), image.begin(), image.end());
    return frame;
}

Bytes BuildBlockFrame(const std::uint8_t* payload, std::size_t size, bool last) {
    Bytes frame;
    frame.reserve(size + 3);
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += payload[i];
    PutLe16(frame, sum);
    frame.insert(frame.end(), payload, payload + size);
    frame.push_back(last ? kMarkerLast : kMarkerMore);
    return frame;
}

Bytes BuildR80Header(const Bytes& image, std::uint32_t blockCount) {
    std::uint8_t payload[8] = {static_cast<std::uint8_t>(blockCount >> 24),
                               static_cast<std::uint8_t>(blockCount >> 16),
                               static_cast<std::uint8_t>(blockCount >> 8),
                               static_cast<std::uint8_t>(blockCount),
                               0,
                               0,
                               0,
                               0};
    for (std::size_t i = 0; i < 4 && i < image.size(); ++i)
        payload[4 + i] = image[i];
    // A count of 0 would be the last block; it does not occur.
    return BuildBlockFrame(payload, sizeof payload, blockCount == 0);
}

}  // namespace taplink
