// A machine's last day as a strip of coloured spans: a standalone SVG that
// a page inlines or links, drawn from times given (no clock is read here).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace taplink {

enum class StripKind { Sending, Receiving, Listening, Lost, Stopped };

// The word a strip's tooltip and CSS class use: "sending", "receiving",
// "listening", "lost", "stopped".
std::string_view StripKindName(StripKind kind);

struct StripSpan {
    std::int64_t startMs = 0;  // milliseconds since the epoch
    std::int64_t endMs = 0;
    StripKind kind = StripKind::Listening;
    // The tooltip, as the caller words it (times in the shop's zone, the
    // document's name); the kind's name when empty. Any text: it is escaped.
    std::string title;
};

// An SVG of width x height pixels for the time [fromMs, toMs): a rect for
// each span, cut to that time, at x = (start - from) * width / (to - from)
// to the hundredth of a pixel, so that spans that meet are drawn meeting.
// Each rect carries its kind as class and fill, and a <title> for the
// tooltip. Spans outside the time, empty or reversed are left out; time
// without a span is left blank. No script, nothing loaded from elsewhere.
std::string DayStripSvg(const std::vector<StripSpan>& spans, std::int64_t fromMs, std::int64_t toMs,
                        int width, int height);

// Text made safe inside an XML or HTML element or a quoted attribute.
std::string EscapeXml(std::string_view text);

}  // namespace taplink
