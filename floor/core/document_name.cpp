#include "document_name.h"

#include <cstdint>
#include <cstdio>

namespace taplink {
namespace {

// The code point at s[i], advancing i; nothing for bytes that are not
// UTF-8 (overlong forms and surrogates included).
std::optional<char32_t> NextCodePoint(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<std::uint8_t>(s[i++]);
    if (lead < 0x80) return lead;
    int more = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    for (; more > 0; --more, ++i) {
        if (i >= s.size()) return std::nullopt;
        const auto next = static_cast<std::uint8_t>(s[i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    return cp;
}

}  // namespace

std::optional<std::string> CheckDocumentName(std::string_view utf8) {
    if (utf8.empty()) return "the name is empty";
    if (utf8.size() > kMaxNameBytes) {
        return "the name is " + std::to_string(utf8.size()) +
               " bytes long; a file's name is at most " + std::to_string(kMaxNameBytes);
    }
    if (utf8 == "." || utf8 == "..") return "the name " + std::string(utf8) + " is a folder's";
    // The characters first: "../x" is refused for its separator, the
    // reason that tells its sender what is wrong.
    for (std::size_t i = 0; i < utf8.size();) {
        const auto cp = NextCodePoint(utf8, i);
        if (!cp) return "the name is not UTF-8 text";
        if (*cp == '/' || *cp == '\\') {
            return std::string("the name holds a ") + static_cast<char>(*cp) +
                   ", which separates folders";
        }
        if (*cp < 0x20 || (*cp >= 0x7F && *cp <= 0x9F)) {
            char code[8];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*cp));
            return std::string("the name holds a control character (") + code + ")";
        }
    }
    if (utf8.front() == '.') return "the name starts with a dot, as the station's hidden files do";
    return std::nullopt;
}

}  // namespace taplink
