#include "multipart.h"

#include <algorithm>
#include <cctype>

namespace taplink {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A header's parameters after its value: "; key=value" or "; key="value"",
// keys in lower case. False when one is not closed.
bool Parameters(std::string_view s, std::vector<std::pair<std::string, std::string>>* out) {
    while (!s.empty()) {
        const std::size_t semi = s.find(';');
        if (semi == std::string_view::npos) return true;
        s.remove_prefix(semi + 1);
        s = Trim(s);
        const std::size_t eq = s.find('=');
        if (eq == std::string_view::npos) return false;
        std::string key = Lower(Trim(s.substr(0, eq)));
        s = Trim(s.substr(eq + 1));
        std::string value;
        if (!s.empty() && s.front() == '"') {
            // A browser escapes a quote in a file's name as %22; a backslash
            // before one is taken as its escape, as RFC 7578 allows.
            std::size_t i = 1;
            for (; i < s.size() && s[i] != '"'; ++i) {
                if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '"') ++i;
                value += s[i];
            }
            if (i >= s.size()) return false;
            s.remove_prefix(i + 1);
        } else {
            const std::size_t end = std::min(s.find(';'), s.size());
            value = std::string(Trim(s.substr(0, end)));
            s.remove_prefix(end);
        }
        out->emplace_back(std::move(key), std::move(value));
    }
    return true;
}

bool GoodBoundary(std::string_view b) {
    // RFC 2046: 1 to 70 characters of its own set, not ending in a space.
    static constexpr std::string_view kOthers = "'()+_,-./:=? ";
    return !b.empty() && b.size() <= 70 && b.back() != ' ' &&
           std::all_of(b.begin(), b.end(), [](unsigned char c) {
               return std::isalnum(c) || kOthers.find(static_cast<char>(c)) != kOthers.npos;
           });
}

}  // namespace

std::optional<std::vector<FormPart>> ParseMultipart(std::string_view contentType,
                                                    std::string_view body, std::string* why) {
    const auto fail = [&](std::string text) {
        *why = std::move(text);
        return std::nullopt;
    };
    const std::size_t semi = std::min(contentType.find(';'), contentType.size());
    if (Lower(Trim(contentType.substr(0, semi))) != "multipart/form-data")
        return fail("the form is not sent as multipart/form-data");
    std::vector<std::pair<std::string, std::string>> params;
    if (!Parameters(contentType.substr(semi), &params))
        return fail("the Content-Type is not closed");
    std::string boundary;
    for (const auto& [key, value] : params)
        if (key == "boundary") boundary = value;
    if (!GoodBoundary(boundary)) return fail("the form's boundary is missing or not one");

    const std::string delimiter = "--" + boundary;
    const std::string next = "\r\n" + delimiter;
    if (body.substr(0, delimiter.size()) != delimiter)
        return fail("the form does not begin with its boundary");
    std::size_t at = delimiter.size();
    std::vector<FormPart> parts;
    for (;;) {
        if (body.substr(at, 2) == "--") return parts;  // the closing delimiter
        if (body.substr(at, 2) != "\r\n") return fail("a boundary is not followed by a line end");
        at += 2;
        if (parts.size() == kMostFormParts)
            return fail("the form has more than " + std::to_string(kMostFormParts) + " fields");
        const std::size_t headEnd = body.find("\r\n\r\n", at);
        if (headEnd == std::string_view::npos || headEnd - at > kMostPartHeadBytes)
            return fail("a field's head is not closed within " +
                        std::to_string(kMostPartHeadBytes) + " bytes");
        std::string_view head = body.substr(at, headEnd - at);
        FormPart part;
        bool named = false;
        while (!head.empty()) {
            const std::size_t eol = std::min(head.find("\r\n"), head.size());
            const std::string_view line = head.substr(0, eol);
            head.remove_prefix(std::min(eol + 2, head.size()));
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos)
                return fail("a field's head has a line without ':'");
            if (Lower(Trim(line.substr(0, colon))) != "content-disposition") continue;
            const std::string_view value = line.substr(colon + 1);
            const std::size_t vsemi = std::min(value.find(';'), value.size());
            params.clear();
            if (Lower(Trim(value.substr(0, vsemi))) != "form-data" ||
                !Parameters(value.substr(vsemi), &params))
                return fail("a field is not form-data");
            for (auto& [key, v] : params) {
                if (key == "name") {
                    part.name = std::move(v);
                    named = true;
                } else if (key == "filename") {
                    part.filename = std::move(v);
                    part.file = true;
                }
            }
        }
        if (!named) return fail("a field has no name");
        at = headEnd + 4;
        const std::size_t end = body.find(next, at);
        if (end == std::string_view::npos) return fail("the form is not closed by its boundary");
        part.body = std::string(body.substr(at, end - at));
        parts.push_back(std::move(part));
        at = end + next.size();
    }
}

}  // namespace taplink
