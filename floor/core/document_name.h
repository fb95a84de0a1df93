// Names that come from the network (an upload's or a download's file name)
// before they are joined to a folder: one file's name in that folder, never
// a way out of it, never one of the station's hidden files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace taplink {

// A file name's limit on Linux, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// Why the name, as UTF-8 bytes, is no document's name; nothing when it is
// one. Refused: an empty name, a longer one than a file name can be, bytes
// that are not UTF-8, "." and "..", a leading dot (the station's files
// being written are hidden), '/' and '\\' (a folder on this system or on a
// browser's), and any control character (C0, DEL, C1), which a log line or
// a terminal would take as a command.
std::optional<std::string> CheckDocumentName(std::string_view utf8);

}  // namespace taplink
