// Marks a text that the programs show translated, in code that knows
// nothing of Qt: the program sees the text itself, and lupdate reads the
// mark as QT_TRANSLATE_NOOP(context, text), so that the catalogues list it.
// The one that shows the text looks it up by the same context.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define TAPLINK_TEXT(context, text) text

// One text translated in more than one way, told apart by what was under way
// (lupdate reads QT_TRANSLATE_NOOP3(context, text, variant)): the text, for
// a check that it is the message's own, and the variant to look it up by.
#define TAPLINK_TEXT_VARIANT(context, text, variant) \
    ::taplink::TextVariant {                         \
        text, variant                                \
    }

namespace taplink {

struct TextVariant {
    std::string_view text;
    const char* variant;
};

// pattern with each %1 to %9 replaced by its value, in one pass (a value
// that holds "%2" stays as it is); a % before anything else stays. Texts
// made this way keep pattern and values, for a translation to place them.
inline std::string FillPattern(std::string_view pattern, const std::vector<std::string>& args) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                text += args[n];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

// The values a text made by FillPattern(pattern, ...) was given: each
// placeholder (once each, in order) takes what stands between the pattern's
// fixed parts. Nothing when text is not of that pattern.
inline std::optional<std::vector<std::string>> PatternValues(std::string_view pattern,
                                                             std::string_view text) {
    std::vector<std::string> values;
    std::size_t at = 0, in = 0;
    while (true) {
        const std::size_t mark = pattern.find('%', at);
        const std::string_view fixed =
            pattern.substr(at, mark == std::string_view::npos ? std::string_view::npos : mark - at);
        if (text.substr(in, fixed.size()) != fixed) return std::nullopt;
        in += fixed.size();
        if (mark == std::string_view::npos) break;
        at = mark + 2;  // past "%N"
        const std::size_t next = pattern.find('%', at);
        const std::string_view after =
            pattern.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
        const std::size_t end = after.empty() ? text.size() : text.rfind(after);
        if (end == std::string_view::npos || end < in) return std::nullopt;
        values.emplace_back(text.substr(in, end - in));
        in = end;
    }
    if (in != text.size()) return std::nullopt;
    return values;
}

}  // namespace taplink
