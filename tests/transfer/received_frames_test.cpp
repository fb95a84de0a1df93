#include "received_frames.h"

#include <gtest/gtest.h>

#include <random>

#include "hex_display.h"
#include "send_checks.h"

namespace taplink {
namespace {

std::string S(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

TEST(CheckProgramFrame, OutcomesAndProgress) {
    struct Case {
        const char* name;
        std::string text;
        FrameOutcome outcome;
        bool setsProgress;
        int max, pos;
        std::string extracted;
    };
    const std::string doc262(262, 'A');
    const Case cases[] = {
        {"FourCharactersWaitEvenIfWrong", S({0x99, 1, 2, 3}), FrameOutcome::NotYetComplete, false,
         0, 0, ""},
        {"WrongStart", S({0x12, 7, '%', '1', '2'}), FrameOutcome::WrongStart, false, 0, 0, ""},
        {"ProgramFormComplete", S({0x11, 7}) + "%1234\r\n", FrameOutcome::Complete, true, 7, 7,
         "%1234"},
        {"ProgramFormWithOComplete", S({0x11, 5}) + "O12\r\n", FrameOutcome::Complete, true, 5, 5,
         "O12"},
        {"ProgramFormOneShort", S({0x11, 8}) + "%1234\r\n", FrameOutcome::NotYetComplete, true, 8,
         7, ""},
        {"ProgramFormWithOneByteMoreIsTaken", S({0x11, 6}) + "%1234\r\n", FrameOutcome::Complete,
         true, 6, 6, "%123"},
        {"ProgramFormTooShortForItself", S({0x11, 2}) + "%1234", FrameOutcome::WrongStart, false, 0,
         0, ""},
        {"DocumentFormWithPaddingIsTaken", S({0x11, 0x06, 0x01}) + doc262 + "\r\n\x1a",
         FrameOutcome::Complete, true, 262, 262, doc262.substr(0, 260)},
        {"DocumentFormComplete", S({0x11, 0x06, 0x01}) + doc262, FrameOutcome::Complete, true, 262,
         262, doc262.substr(0, 260)},
        {"DocumentFormWaiting", S({0x11, 0x06, 0x01}) + doc262.substr(1),
         FrameOutcome::NotYetComplete, true, 262, 261, ""},
        {"HighByteAsPercentReadsAsProgramForm", S({0x11, 0x06, 0x25}) + "ABCDE",
         FrameOutcome::Complete, true, 6, 6, "%ABC"},
        {"ProtocolByteAbove7FComparesUnsigned", S({0x91, 5}) + "%12\r\n", FrameOutcome::WrongStart,
         false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameCheck r = CheckProgramFrame(c.text, 0x11);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.setsProgress, c.setsProgress);
        if (c.setsProgress) {
            EXPECT_EQ(r.progressMax, c.max);
            EXPECT_EQ(r.progressPos, c.pos);
        }
        EXPECT_EQ(r.text, c.extracted);
    }
    EXPECT_EQ(CheckProgramFrame(S({0x91, 5}) + "%12\r\n", 0x91).outcome, FrameOutcome::Complete);
}

Bytes Frame(std::size_t length) {
    Bytes f{0x11, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)};
    for (std::size_t i = 0; i < length; ++i)
        f.push_back(static_cast<std::uint8_t>(i * 7 + 0x30));
    return f;
}

TEST(CheckMemoryFrame, OutcomesAndDisplay) {
    struct Case {
        const char* name;
        Bytes bytes;
        FrameOutcome outcome;
        std::size_t extra;
        std::string display;  // after FinishDump, when complete
    };
    const Case cases[] = {
        {"ThreeBytesWait", {0x99, 0, 0}, FrameOutcome::NotYetComplete, 0, ""},
        {"LengthZeroNeverCompletes", {0x11, 0, 0}, FrameOutcome::NotYetComplete, 0, ""},
        {"WrongStart", {0x12, 1, 0, 0x41}, FrameOutcome::WrongStart, 0, ""},
        {"HighProtocolByteComparesUnsigned", {0x91, 1, 0, 0x41}, FrameOutcome::WrongStart, 0, ""},
        {"OneShort", {0x11, 3, 0, 0x41, 0x42}, FrameOutcome::NotYetComplete, 0, ""},
        {"SixteenBytesTwoFullLines", Frame(16), FrameOutcome::Complete, 0,
         "0000   30  37  3E  45  4C  53  5A  61 0 7 > E L S Z a\r\n"
         "0008   68  6F  76  7D  84  8B  92  99 h o v } . . . .\r\n"},
        {"ThirteenBytes", Frame(13), FrameOutcome::Complete, 0,
         "0000   30  37  3E  45  4C  53  5A  61 0 7 > E L S Z a\r\n"
         "0008   68  6F  76  7D  84             h o v } ."},
        {"ExtraBytesAreLeftOut",
         {0x11, 2, 0, 0x41, 0x42, 0x0D, 0x0A},
         FrameOutcome::Complete,
         2,
         "0000   41  42                         A B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryFrameCheck r = CheckMemoryFrame(c.bytes, 0x11);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.extra, c.extra);
        if (r.outcome != FrameOutcome::Complete) continue;
        std::string text;
        FinishDump(c.bytes, text);
        EXPECT_EQ(text, c.display);
        EXPECT_EQ(r.progressPos, r.progressMax);
    }
}

TEST(HexDisplay, LineLayout) {
    std::string text;
    const std::uint8_t five[] = {0x41, 0x42, 0x00, 0x7F, 0x20};
    AppendHexLine(text, five, 5, 0);
    EXPECT_EQ(text, "0000   41  42  00  7F  20" + std::string(12, ' ') + " A B . .  ");
    EXPECT_EQ(text.size(), 47u);

    text.clear();
    const std::uint8_t eight[] = {0x20, 0x7E, 0x1F, 0x7F, 0x80, 0xFF, 0x30, 0x61};
    AppendHexLine(text, eight, 8, 0x1238);
    EXPECT_EQ(text, "1238   20  7E  1F  7F  80  FF  30  61   ~ . . . . 0 a\r\n");
    EXPECT_EQ(text.size(), kDisplayLineLength);

    text.clear();
    AppendHexLine(text, eight, 8, 0x10000);  // file images reach five digits
    EXPECT_EQ(text.substr(0, 8), "10000   ");
    EXPECT_EQ(text.size(), 56u);
}

// Any image, cut into serial events anywhere: the frame completes once, at
// its last byte; the display built piecemeal is the display built at once,
// and it reads back as the image.
TEST(FrameProperties, AMemoryFrameCompletesOnceAndItsDisplayReadsBack) {
    std::mt19937 rng(7);
    std::vector<std::size_t> sizes = {2, 7, 8, 9, 255, 256, 257, 14544, 65527, 65528, 65535};
    for (int i = 0; i < 60; ++i)
        sizes.push_back(1 + rng() % (i % 10 == 0 ? 65535 : 600));
    for (const std::size_t n : sizes) {
        SCOPED_TRACE(n);
        Bytes frame{0x11, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)};
        for (std::size_t i = 0; i < n; ++i)
            frame.push_back(static_cast<std::uint8_t>(rng()));
        const Bytes image(frame.begin() + 3, frame.end());
        std::string display;
        Bytes collected;
        int completions = 0;
        for (std::size_t pos = 0; pos < frame.size();) {
            const std::size_t step = n <= 2000 && rng() % 2 ? 1 : 1 + rng() % 64;
            const std::size_t next = std::min(frame.size(), pos + step);
            collected.insert(collected.end(), frame.begin() + pos, frame.begin() + next);
            pos = next;
            const MemoryFrameCheck r = CheckMemoryFrame(collected, 0x11);
            ASSERT_NE(r.outcome, FrameOutcome::WrongStart);
            if (r.outcome == FrameOutcome::Complete) {
                ++completions;
                EXPECT_EQ(pos, frame.size());
                FinishDump(collected, display);
            } else {
                AppendDumpLines(collected, display, r.linesReady);
            }
        }
        EXPECT_EQ(completions, 1);
        std::string whole;
        FinishDump(frame, whole);
        EXPECT_EQ(display, whole);
        ASSERT_EQ(ParseMemoryDisplay(display), image);
    }
}

}  // namespace
}  // namespace taplink
