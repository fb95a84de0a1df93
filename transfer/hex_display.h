// The hex display of a memory image: eight bytes a line, each line the
// offset ("%04X" and three spaces), the bytes ("%02X", two spaces between),
// and a character column (a space and the byte, or '.' outside 0x20-0x7E).
// A full line ends in CR LF and is 55 characters long while the offset has
// four digits; a last line of one to seven bytes keeps the hex column's
// width and has no line end.
#pragma once

#include <cstdint>
#include <string>

#include "ms_comm.h"

namespace taplink {

inline constexpr std::size_t kDisplayLineLength = 55;
// Where the data of a received "Memory" frame begin.
inline constexpr std::size_t kMemoryHeaderSize = 3;

// Appends the line for size bytes (1 to 8) labelled with offset.
void AppendHexLine(std::string& text, const std::uint8_t* data, std::size_t size,
                   std::size_t offset);

// Received frames. text holds nothing but display lines, all full, so the
// number of lines it holds is its length / 55.
// Appends the full lines for the first count lines of data (the frame's
// bytes from position 3 on) that text does not hold yet. Lines whose eight
// bytes have not all arrived are not made.
void AppendDumpLines(const Bytes& frame, std::string& text, std::size_t count);
// Appends the missing full lines of the announced data and the last partial
// line. Only bytes that are there are shown.
void FinishDump(const Bytes& frame, std::string& text);

}  // namespace taplink
