#include "wire.h"

#include <algorithm>

namespace taplink::sim::wire {

std::uint16_t ProgramSum(const Bytes& text) {
    unsigned sum = 0;
    for (const std::uint8_t b : text) {
        if (b != '\r' && b != '\n') sum += b;
    }
    return static_cast<std::uint16_t>(sum);
}

namespace {

void PutLe16(Bytes& out, std::size_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

Bytes TextFrame(const Bytes& text, std::uint8_t start, bool wideLength) {
    Bytes f{start};
    const std::size_t length = text.size() + 2;
    if (wideLength) {
        PutLe16(f, length);
    } else {
        f.push_back(static_cast<std::uint8_t>(length & 0xFF));
    }
    f.insert(f.end(), text.begin(), text.end());
    f.push_back('\r');
    f.push_back('\n');
    return f;
}

}  // namespace

Bytes ProgramFormFrame(const Bytes& text, std::uint8_t start) {
    return TextFrame(text, start, false);
}

Bytes DocumentFormFrame(const Bytes& text, std::uint8_t start) {
    return TextFrame(text, start, true);
}

Bytes MemoryFrame(const Bytes& image, std::uint8_t start) {
    Bytes f{start};
    PutLe16(f, image.size());
    f.insert(f.end(), image.begin(), image.end());
    return f;
}

FrameIn ParseFrame(const Bytes& buffer, std::uint8_t start) {
    FrameIn in;
    if (buffer.empty()) return in;
    if (buffer[0] != start) {
        in.state = FrameState::WrongStart;
        return in;
    }
    if (buffer.size() < 3) return in;
    in.length = buffer[1] + 256u * buffer[2];
    if (buffer.size() < 3 + in.length) return in;
    in.state = FrameState::Complete;
    in.body.assign(buffer.begin() + 3, buffer.begin() + 3 + static_cast<long>(in.length));
    in.extra = buffer.size() - 3 - in.length;
    return in;
}

std::uint16_t BlockSum(const Bytes& payload) {
    unsigned sum = 0;
    for (const std::uint8_t b : payload)
        sum += b;
    return static_cast<std::uint16_t>(sum);
}

Bytes Block(const Bytes& payload, bool last) {
    Bytes f;
    PutLe16(f, BlockSum(payload));
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back(last ? kLastBlock : kMoreBlocks);
    return f;
}

Bytes HeaderPayload(std::uint32_t count, const Bytes& number) {
    Bytes h{static_cast<std::uint8_t>(count >> 24), static_cast<std::uint8_t>(count >> 16),
            static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)};
    for (std::size_t k = 0; k < 4; ++k)
        h.push_back(k < number.size() ? number[k] : ' ');
    return h;
}

std::uint32_t HeaderCount(const Bytes& payload) {
    std::uint32_t count = 0;
    for (std::size_t k = 0; k < 4 && k < payload.size(); ++k)
        count = (count << 8) | payload[k];
    return count;
}

std::vector<Bytes> BlockPayloads(const Bytes& document, std::size_t payload) {
    Bytes data;
    std::size_t i = 0;
    while (i < document.size() && document[i] != '\n')
        ++i;  // the number line goes into the header
    // Its line end is not part of the number, however short the line.
    const std::size_t numberEnd = i > 0 && document[i - 1] == '\r' ? i - 1 : i;
    for (++i; i < document.size(); ++i) {
        const std::uint8_t b = document[i];
        if (b == '\r' && i + 1 < document.size() && document[i + 1] == '\n') ++i;
        data.push_back(b == '\r' || b == '\n' ? 0 : b);
    }
    std::vector<Bytes> blocks(1);
    payload = std::max<std::size_t>(payload, 1);
    for (std::size_t at = 0; at < data.size(); at += payload) {
        blocks.emplace_back(data.begin() + static_cast<long>(at),
                            data.begin() + static_cast<long>(std::min(data.size(), at + payload)));
    }
    blocks[0] =
        HeaderPayload(static_cast<std::uint32_t>(blocks.size()),
                      Bytes(document.begin(), document.begin() + static_cast<long>(numberEnd)));
    return blocks;
}

void AppendBlockText(const Bytes& payload, Bytes& text) {
    for (const std::uint8_t b : payload) {
        if (b == 0) {
            text.push_back('\r');
            text.push_back('\n');
        } else {
            text.push_back(b);
        }
    }
}

}  // namespace taplink::sim::wire
