#include "day_strip.h"

#include <algorithm>
#include <cmath>

namespace taplink {
namespace {

// Colours told apart also by those who do not see red from green: blue
// and green are far in lightness, lost is orange, stopped near black.
std::string_view Fill(StripKind kind) {
    switch (kind) {
        case StripKind::Sending: return "#1f6fd1";
        case StripKind::Receiving: return "#2e9e4f";
        case StripKind::Listening: return "#c9d3dd";
        case StripKind::Lost: return "#e8740c";
        case StripKind::Stopped: return "#3b3b3b";
    }
    return "#ffffff";
}

// Hundredths of a pixel, written as a number without a needless zero.
std::string Pixels(long long hundredths) {
    std::string s = std::to_string(hundredths / 100);
    if (const long long cents = hundredths % 100; cents != 0) {
        s += '.';
        s += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) s += static_cast<char>('0' + cents % 10);
    }
    return s;
}

}  // namespace

std::string_view StripKindName(StripKind kind) {
    switch (kind) {
        case StripKind::Sending: return "sending";
        case StripKind::Receiving: return "receiving";
        case StripKind::Listening: return "listening";
        case StripKind::Lost: return "lost";
        case StripKind::Stopped: return "stopped";
    }
    return "unknown";
}

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                // XML 1.0 has no place for other control characters at all.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                    out += ' ';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string DayStripSvg(const std::vector<StripSpan>& spans, std::int64_t fromMs, std::int64_t toMs,
                        int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const std::string w = std::to_string(width), h = std::to_string(height);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" +
                      h + "\" viewBox=\"0 0 " + w + ' ' + h + "\" class=\"day-strip\">";
    const long double length = static_cast<long double>(toMs) - static_cast<long double>(fromMs);
    // In hundredths of a pixel, from the start of the time.
    const auto at = [&](std::int64_t ms) {
        const long double part = (static_cast<long double>(ms) - fromMs) / length;
        return std::llround(part * width * 100);
    };
    for (const StripSpan& span : spans) {
        if (length <= 0) break;
        const std::int64_t start = std::max(span.startMs, fromMs);
        const std::int64_t end = std::min(span.endMs, toMs);
        if (end <= start) continue;
        const long long x0 = at(start), x1 = at(end);
        if (x1 <= x0) continue;
        const std::string_view kind = StripKindName(span.kind);
        svg += "<rect class=\"" + std::string(kind) + "\" x=\"" + Pixels(x0) +
               "\" y=\"0\" width=\"" + Pixels(x1 - x0) + "\" height=\"" + h + "\" fill=\"" +
               std::string(Fill(span.kind)) + "\"><title>" +
               EscapeXml(span.title.empty() ? kind : span.title) + "</title></rect>";
    }
    return svg + "</svg>";
}

}  // namespace taplink
