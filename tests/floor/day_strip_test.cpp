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

// A busy day's spans of one kind closer than a pixel are one rect; a pixel
// apart, two; another kind in between is drawn after them, as it came.
TEST(DayStrip, DrawsSpansOfAKindWithinAPixelAsOne) {
    const std::int64_t from = 0, pixel = 900'000;  // 96 px for a day
    std::vector<StripSpan> spans;
    for (int i = 0; i < 100; ++i)
        spans.push_back(
            {from + i * 600, from + i * 600 + 300, StripKind::Sending, std::to_string(i)});
    spans.push_back({from + 2 * pixel, from + 3 * pixel, StripKind::Lost, "l"});
    spans.push_back({from + 3 * pixel, from + 4 * pixel, StripKind::Sending, "far"});
    EXPECT_EQ(DayStripSvg(spans, from, from + 24 * kHour, 96, 10),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"96\" height=\"10\" viewBox=\"0 0 "
              "96 10\" class=\"day-strip\">"
              "<rect class=\"sending\" x=\"0\" y=\"0\" width=\"0.07\" height=\"10\" "
              "fill=\"#1f6fd1\"><title>0 … 99 (100)</title></rect>"
              "<rect class=\"sending\" x=\"3\" y=\"0\" width=\"1\" height=\"10\" "
              "fill=\"#1f6fd1\"><title>far</title></rect>"
              "<rect class=\"lost\" x=\"2\" y=\"0\" width=\"1\" height=\"10\" "
              "fill=\"#e8740c\"><title>l</title></rect></svg>");
}

}  // namespace
}  // namespace taplink
