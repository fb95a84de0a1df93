// The serial control's settings text, "baud,parity,data bits,stop bits" as in
// "9600,N,8,1", parsed into line parameters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace taplink {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineParameters {
    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;  // 4 to 8
    StopBits stopBits = StopBits::One;
};

// Accepts what the control accepts: a positive decimal rate, one of the parity
// letters E O M S N (either case), data bits 4 to 8 and stop bits 1, 1.5 or 2.
// Anything else gives no value, and why in *why.
std::optional<LineParameters> ParseSettingsText(std::string_view text, std::string* why = nullptr);

}  // namespace taplink
