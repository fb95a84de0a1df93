// The checks and preparation of the editor text before it is sent, per
// model. Pure functions of their inputs: text is the editor's bytes, never
// converted in place. Lines may end in CR LF or, as a file saved on Linux
// has them, in LF alone: the prepared "R40/R60" program and "R80" image take
// a bare LF as CR LF, so the controller gets CR LF either way. A CR without
// an LF is refused (kLoneCarriageReturn), since it would cut or eat a line.
// A failed check gives the message to show; the caller shows it and leaves
// the state as the send requires.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dialog_state.h"
#include "messages.h"
#include "ms_comm.h"

namespace taplink {

// The largest length a 16-bit frame length field can announce.
inline constexpr std::size_t kMaxFrameLength = 65535;
// The largest "R80" send image the controller takes.
inline constexpr std::size_t kMaxR80Image = 32767;

// Every model, every entry of Send: an empty text is refused.
std::optional<Message> CheckTextNotEmpty(std::string_view text);

// "R40/R60": blank lines and surplus spaces removed, ending in a line feed.
struct PreparedProgram {
    std::string cleaned;
    std::optional<Message> failure;  // program-number check, then frame size
};
// The program-number check: the cleaned program's first line is '%' and two
// characters. A cleaned program whose frame length (the program and its
// 2-byte checksum) would not fit 16 bits is refused too, before anything is
// written.
PreparedProgram PrepareProgram(std::string_view text);

// "R80": the send image. normalisedText is the text with the line ends that
// make it end in an empty line (the caller keeps it as the editor's member
// until the next refresh). image keeps what was built even on failure.
struct PreparedR80 {
    Bytes image;
    std::string normalisedText;
    std::optional<Message> failure;
};
// docKind selects, for a "%999" text, the ladder text (kDocLadder) or the
// new-format ladder text (kDocNewLadder); any other text is a part program.
PreparedR80 PrepareR80Image(std::string_view text, int docKind);

// "Memory": the bytes written in the text as a hex display (address column,
// up to eight two-digit values four characters apart, character column, 55
// characters a line). Never reads past the text.
Bytes ParseMemoryDisplay(std::string_view text);

// The "Memory" check on what ParseMemoryDisplay gave: at least 2 bytes, and
// no more than a frame can announce.
std::optional<Message> CheckMemoryImage(const Bytes& image);

}  // namespace taplink
