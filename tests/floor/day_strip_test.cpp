// The day's strip: spans placed to the hundredth of a pixel, cut to the
// day, and every text escaped.
#include "day_strip.h"

#include <gtest/gtest.h>

namespace taplink {
namespace {

constexpr std::int64_t kHour = 3600 * 1000;

TEST(DayStrip, PlacesSpansCutToTheDayWithEscapedTitles) {
    const std::int64_t from = 1'700'000'000'000;  // any day
    const std::vector<StripSpan> spans = {
        {from + 1 * kHour, from + 2 * kHour, StripKind::Sending, "O1 <\"a&b\">'"},
        {from - kHour, from + kHour / 2, StripKind::Lost, ""},            // began the day before
        {from + 23 * kHour, from + 25 * kHour, StripKind::Stopped, "x"},  // goes on after
        {from + 6 * kHour, from + 6 * kHour + 30'000, StripKind::Receiving, "30 s"},
        {from + 12 * kHour, from + 12 * kHour, StripKind::Listening, "empty"},
        {from + 5 * kHour, from + 4 * kHour, StripKind::Listening, "reversed"},
        {from + 25 * kHour, from + 26 * kHour, StripKind::Listening, "outside"},
    };
    EXPECT_EQ(
        DayStripSvg(spans, from, from + 24 * kHour, 960, 20),
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"20\" viewBox=\"0 0 960 "
        "20\" class=\"day-strip\">"
        "<rect class=\"sending\" x=\"40\" y=\"0\" width=\"40\" height=\"20\" fill=\"#1f6fd1\">"
        "<title>O1 &lt;&quot;a&amp;b&quot;&gt;&#39;</title></rect>"
        "<rect class=\"lost\" x=\"0\" y=\"0\" width=\"20\" height=\"20\" fill=\"#e8740c\">"
        "<title>lost</title></rect>"
        "<rect class=\"stopped\" x=\"920\" y=\"0\" width=\"40\" height=\"20\" fill=\"#3b3b3b\">"
        "<title>x</title></rect>"
        "<rect class=\"receiving\" x=\"240\" y=\"0\" width=\"0.33\" height=\"20\" fill=\"#2e9e4f\">"
        "<title>30 s</title></rect></svg>");
}

}  // namespace
}  // namespace taplink
