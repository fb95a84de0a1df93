#include "protocol_field.h"

namespace taplink {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::uint8_t> ProtocolByteFromText(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    const int high = HexValue(text[0]);
    const int low = HexValue(text[1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

}  // namespace taplink
