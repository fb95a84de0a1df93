#include "settings_text.h"

#include <charconv>
#include <vector>

namespace taplink {
namespace {

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::optional<LineParameters> Fail(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return std::nullopt;
}

}  // namespace

std::optional<LineParameters> ParseSettingsText(std::string_view text, std::string* why) {
    const auto fields = SplitCommas(text);
    if (fields.size() != 4) {
        return Fail(why, "settings must read rate,parity,data bits,stop bits");
    }
    LineParameters p;
    const auto rate = fields[0];
    const auto [end, ec] = std::from_chars(rate.data(), rate.data() + rate.size(), p.baudRate);
    if (ec != std::errc{} || end != rate.data() + rate.size() || p.baudRate <= 0) {
        return Fail(why, "invalid bit rate \"" + std::string(rate) + "\"");
    }
    if (fields[1].size() != 1)
        return Fail(why, "invalid parity \"" + std::string(fields[1]) + "\"");
    switch (fields[1][0]) {
        case 'N':
        case 'n': p.parity = Parity::None; break;
        case 'E':
        case 'e': p.parity = Parity::Even; break;
        case 'O':
        case 'o': p.parity = Parity::Odd; break;
        case 'M':
        case 'm': p.parity = Parity::Mark; break;
        case 'S':
        case 's': p.parity = Parity::Space; break;
        default: return Fail(why, "invalid parity \"" + std::string(fields[1]) + "\"");
    }
    const auto bits = fields[2];
    if (bits.size() != 1 || bits[0] < '4' || bits[0] > '8') {
        return Fail(why, "invalid data bits \"" + std::string(bits) + "\"");
    }
    p.dataBits = bits[0] - '0';
    if (fields[3] == "1") {
        p.stopBits = StopBits::One;
    } else if (fields[3] == "1.5") {
        p.stopBits = StopBits::OneAndHalf;
    } else if (fields[3] == "2") {
        p.stopBits = StopBits::Two;
    } else {
        return Fail(why, "invalid stop bits \"" + std::string(fields[3]) + "\"");
    }
    return p;
}

}  // namespace taplink
