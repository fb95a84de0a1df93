// Every message the program shows, with its caption and icon, as data. The
// handlers return or show these; the window decides how they look.
#pragma once

#include <string>
#include <string_view>

namespace taplink {

// The application's name: the caption of messages that carry no caption of
// their own.
inline constexpr std::string_view kAppName = "TAPLINK";

enum class MessageIcon { None, Exclamation, Stop };

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

// Start-up: the serial backend could not be created.
Message SerialBackendMissingMessage();

// The window's title.
inline constexpr std::string_view kMainWindowCaption =
    "QRNR40/R60/R80 Series CNC Communications Software V6.4";

}  // namespace taplink
