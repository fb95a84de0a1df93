#include "day_strip.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
    // A busy day has tens of thousands of spans on a few hundred pixels: the
    // spans of one kind that meet within a pixel are drawn as one rect, its
    // title naming the first, the last and how many, so that a floor page
    // stays small. Kinds are drawn in the order they first come, so what the
    // caller gives last stays on top.
    struct Run {
        long long x0, x1;
        std::size_t rank;
        StripKind kind;
        std::string first, last;
        std::size_t count;
    };
    std::vector<StripKind> ranks;
    std::vector<Run> runs;
    for (const StripSpan& span : spans) {
        if (length <= 0) break;
        const std::int64_t start = std::max(span.startMs, fromMs);
        const std::int64_t end = std::min(span.endMs, toMs);
        if (end <= start) continue;
        const long long x0 = at(start), x1 = at(end);
        auto rank = std::find(ranks.begin(), ranks.end(), span.kind);
        if (rank == ranks.end()) rank = ranks.insert(rank, span.kind);
        const std::string title =
            span.title.empty() ? std::string(StripKindName(span.kind)) : span.title;
        runs.push_back(
            {x0, x1, static_cast<std::size_t>(rank - ranks.begin()), span.kind, title, title, 1});
    }
    std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.x0 < b.x0;
    });
    std::vector<Run> merged;
    for (Run& r : runs) {
        if (!merged.empty() && merged.back().rank == r.rank && r.x0 <= merged.back().x1 + 100) {
            Run& m = merged.back();
            m.x1 = std::max(m.x1, r.x1);
            m.last = std::move(r.last);
            ++m.count;
        } else {
            merged.push_back(std::move(r));
        }
    }
    for (const Run& r : merged) {
        if (r.x1 <= r.x0) continue;  // narrower than a hundredth of a pixel, even together
        const std::string title =
            r.count == 1 ? r.first
                         : r.first + " … " + r.last + " (" + std::to_string(r.count) + ")";
        svg += "<rect class=\"" + std::string(StripKindName(r.kind)) + "\" x=\"" + Pixels(r.x0) +
               "\" y=\"0\" width=\"" + Pixels(r.x1 - r.x0) + "\" height=\"" + h + "\" fill=\"" +
               std::string(Fill(r.kind)) + "\"><title>" + EscapeXml(title) + "</title></rect>";
    }
    return svg + "</svg>";
}

}  // namespace taplink
