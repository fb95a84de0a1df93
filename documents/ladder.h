// Ladder documents (.ldx), the file of the PLC ladder-diagram software: the
// instruction section between "TOTALSTEPS" and "END_PLC_ORGANIZATION" is
// shown as a PLC text document, and an edited PLC text document is written
// back converted to the ladder software's spacing and digit widths.
// Everything outside the section is kept byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "messages.h"

namespace taplink {

namespace msg {
extern const Message kPlcDocumentMissing;
extern const Message kLadderDamaged;
extern const Message kNotALadderDocument;
extern const Message kPlcMustBegin999;
extern const Message kPlcNeedsEnd1End2;
extern const Message kPlcLayoutWrong;
extern const Message kPlcLineEndAfterNumber;
extern const Message kPlcHeadOfficeDigits;
extern const Message kPlcHeadOfficeZero;
}  // namespace msg

inline constexpr std::string_view kTotalStepsMarker = "TOTALSTEPS";
inline constexpr std::string_view kSectionEndMarker = "END_PLC_ORGANIZATION";

// The instruction section of a ladder document's text, or the message for a
// damaged one (a marker missing, or the end marker before the section). Its
// first line, the total of steps, is given in eight digits as the PLC text
// document has it (the ladder software writes it without leading zeros), so
// that what Open shows can be saved and sent as it is.
std::variant<std::string, Message> LoadLadderSection(std::string_view fileText);

// The instruction section made from a PLC text document E (its first 14
// bytes, "%999" and the head office number, already checked), as the ladder
// software writes it: the step field copied, the mnemonic padded to eight
// characters, single spaces between operands, address numbers and the first
// numeric operand with at least four digits, and the CODB table fixed up.
// head is the head office number without its leading zeros.
std::string ConvertToLadderSection(std::string_view e, std::string head);

// What saving E into the ladder document T should write: the new document,
// or the message that refuses it (nothing is to be written then).
std::variant<std::string, Message> MergeIntoLadder(std::string_view t, std::string_view e);

// The backup's path: "_bak" before the file name's extension (main.LDX
// gives main_bak.LDX), or after the whole path when the name has none. A
// name within four bytes of the longest a file can have (255) loses the end
// of its stem to make room.
std::string LadderBackupPath(const std::string& path);

// The extension of the file name (after its last '.'), in lower case; empty
// when the name has none.
std::string LowerExtension(const std::string& path);

// A ladder document is a file whose name ends in ".ldx", in any case: Open
// and Save decide by this one rule.
bool IsLadderPath(const std::string& path);

}  // namespace taplink
