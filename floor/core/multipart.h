// A form's fields as a browser posts them (multipart/form-data), read with
// bounds on everything: the floor's upload form is the only sender, so
// anything beyond what it sends is refused, not guessed at.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace taplink {

// A form of the floor has a few fields; a field's head is a line or two.
inline constexpr std::size_t kMostFormParts = 8;
inline constexpr std::size_t kMostPartHeadBytes = 1024;

struct FormPart {
    std::string name;      // the field's name
    bool file = false;     // it came with a filename
    std::string filename;  // as sent (a browser's own escaping kept), unchecked
    std::string body;
};

// The parts of body, posted with that Content-Type; nothing with *why set
// when it is not a well-formed form: another type, no boundary or a bad
// one, a part without its form-data name, more parts or a longer head than
// the bounds, a body not closed by its last boundary.
std::optional<std::vector<FormPart>> ParseMultipart(std::string_view contentType,
                                                    std::string_view body, std::string* why);

}  // namespace taplink
