// The controller's own reading of the bytes on the line, kept apart from
// TapLink's so that each side checks the other.
#pragma once

#include <cstdint>
#include <vector>

#include "ms_comm.h"

namespace taplink::sim::wire {

inline constexpr std::uint8_t kDc3 = 0x13;  // next block, or ready to start
inline constexpr std::uint8_t kDc4 = 0x14;  // checksum wrong: the same block again
inline constexpr std::uint8_t kNak = 0x15;  // from the header again
inline constexpr std::uint8_t kLastBlock = 0xAA;
inline constexpr std::uint8_t kMoreBlocks = 0xAB;
inline constexpr std::uint8_t kMemoryStart = 0x11;
inline constexpr std::size_t kMaxPayload = 256;  // "R80" data block
// The longest "R80" block on the line: sum, payload, marker.
inline constexpr std::size_t kMaxBlock = 2 + kMaxPayload + 1;
// The longest frame a 16-bit length can announce, with its start and length.
inline constexpr std::size_t kMaxFrame = 3 + 0xFFFF;

// "R40/R60": the program's bytes other than CR and LF, summed, low 16 bits.
std::uint16_t ProgramSum(const Bytes& text);

// What the controller sends for TapLink's Receive: start byte, one length
// byte (program form) or two (document form), the text, CR LF; the length
// counts the text and CR LF.
Bytes ProgramFormFrame(const Bytes& text, std::uint8_t start);
Bytes DocumentFormFrame(const Bytes& text, std::uint8_t start);
// "Memory" both ways: start byte, 16-bit length, the image.
Bytes MemoryFrame(const Bytes& image, std::uint8_t start);

// A frame with a 16-bit length taken from TapLink ("R40/R60" with its
// checksum after the text, "Memory" without).
enum class FrameState { Incomplete, Complete, WrongStart };
struct FrameIn {
    FrameState state = FrameState::Incomplete;
    std::size_t length = 0;  // as announced (once three bytes came)
    Bytes body;              // Complete: the announced bytes
    std::size_t extra = 0;   // Complete: bytes after them
};
FrameIn ParseFrame(const Bytes& buffer, std::uint8_t start);

// "R80": [sum low][sum high][payload][marker].
std::uint16_t BlockSum(const Bytes& payload);
Bytes Block(const Bytes& payload, bool last);
// The header's payload: the count of blocks (header included) big-endian,
// then four characters of program number (blank-filled).
Bytes HeaderPayload(std::uint32_t count, const Bytes& number);
std::uint32_t HeaderCount(const Bytes& payload);
// The payloads for a document: header first, then its lines after the
// number line with a 0 for each line end, at most `payload` bytes a block
// (TapLink's blocks: kMaxPayload; a controller's may be longer or shorter).
std::vector<Bytes> BlockPayloads(const Bytes& document, std::size_t payload = kMaxPayload);
// A data block's payload as text: each 0 a CR LF.
void AppendBlockText(const Bytes& payload, Bytes& text);

}  // namespace taplink::sim::wire
