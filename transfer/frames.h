// The frames the program writes: the "R40/R60" frame, the "Memory" frame and
// the "R80" header block. Lengths and checksums are little-endian; the R80
// block count is big-endian.
#pragma once

#include <cstdint>
#include <string_view>

#include "ms_comm.h"

namespace taplink {

// "R40/R60": protocol byte, 16-bit length N of what follows, the cleaned
// program, and the 16-bit sum of the program's bytes other than CR and LF.
// The caller has refused programs whose N would not fit (PrepareProgram).
Bytes BuildProgramFrame(std::string_view cleaned, std::uint8_t sendProto);

// The checksum of an "R40/R60" frame: the sum of the bytes other than CR and
// LF, as unsigned numbers, low 16 bits.
std::uint16_t ProgramChecksum(std::string_view cleaned);

// "Memory": 0x11, the 16-bit image length, the image. No checksum.
Bytes BuildMemoryFrame(const Bytes& image);

// The first byte of a "Memory" frame from this program.
inline constexpr std::uint8_t kMemoryFrameStart = 0x11;

// "R80" control bytes and block end markers.
inline constexpr std::uint8_t kDc3 = 0x13;
inline constexpr std::uint8_t kDc4 = 0x14;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kMarkerLast = 0xAA;
inline constexpr std::uint8_t kMarkerMore = 0xAB;

// A block frame: 16-bit sum of the payload, the payload, the end marker.
Bytes BuildBlockFrame(const std::uint8_t* payload, std::size_t size, bool last);

// The "R80" header block: the block count (data blocks and the header) and
// the first four bytes of the send image ('%' and three digits).
Bytes BuildR80Header(const Bytes& image, std::uint32_t blockCount);

}  // namespace taplink
