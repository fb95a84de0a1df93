// The two protocol fields ("Send" and "Receive", hexadecimal): how their text
// becomes the protocol byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace taplink {

// The byte is the first two characters read as a hexadecimal byte, so
// "11000000" gives 0x11. Lower-case digits count (the field is upper-cased
// first). A text that does not begin with two hexadecimal digits gives no
// byte: the caller keeps the last one.
std::optional<std::uint8_t> ProtocolByteFromText(std::string_view text);

}  // namespace taplink
