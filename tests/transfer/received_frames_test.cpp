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
constexpr auto kWait = FrameOutcome::NotYetComplete, kWrong = FrameOutcome::WrongStart,
               kDone = FrameOutcome::Complete;

struct ProgramCase {
    const char* name;
    std::string text;
    FrameOutcome outcome;
    int max, pos;  // the progress bar; 0: left alone
    std::string extracted;
};
ProgramCase P(const char* name, std::string text, FrameOutcome outcome, int max = 0, int pos = 0,
              std::string extracted = "") {
    return {name, text, outcome, max, pos, extracted};
}

TEST(CheckProgramFrame, OutcomesAndProgress) {
    const std::string doc262(262, 'A'), doc260(260, 'A');
    const ProgramCase cases[] = {
        P("FourCharactersWaitEvenIfWrong", S({0x99, 1, 2, 3}), kWait),
        P("WrongStart", S({0x12, 7, '%', '1', '2'}), kWrong),
        P("ProgramFormComplete", S({0x11, 7}) + "%1234\r\n", kDone, 7, 7, "%1234"),
        P("ProgramFormWithOComplete", S({0x11, 5}) + "O12\r\n", kDone, 5, 5, "O12"),
        P("ProgramFormOneShort", S({0x11, 8}) + "%1234\r\n", kWait, 8, 7),
        P("ProgramFormWithOneByteMoreIsTaken", S({0x11, 6}) + "%1234\r\n", kDone, 6, 6, "%123"),
        P("ProgramFormTooShortForItself", S({0x11, 2}) + "%1234", kWrong),
        P("DocumentFormWithPaddingIsTaken", S({0x11, 6, 1}) + doc262 + "\r\n\x1a", kDone, 262, 262,
          doc260),
        P("DocumentFormComplete", S({0x11, 6, 1}) + doc262, kDone, 262, 262, doc260),
        P("DocumentFormWaiting", S({0x11, 6, 1}) + doc260 + "A", kWait, 262, 261),
        P("HighByteAsPercentReadsAsProgramForm", S({0x11, 6, 0x25}) + "ABCDE", kDone, 6, 6, "%ABC"),
        P("ProtocolByteAbove7FComparesUnsigned", S({0x91, 5}) + "%12\r\n", kWrong)};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameCheck r = CheckProgramFrame(c.text, 0x11);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.setsProgress, c.max != 0);
        EXPECT_EQ(r.setsProgress ? std::pair(r.progressMax, r.progressPos) : std::pair(0, 0),
                  std::pair(c.max, c.pos));
        EXPECT_EQ(r.text, c.extracted);
    }
    EXPECT_EQ(CheckProgramFrame(S({0x91, 5}) + "%12\r\n", 0x91).outcome, kDone);
}

Bytes Frame(std::size_t length) {
    Bytes f{0x11, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)};
    for (std::size_t i = 0; i < length; ++i)
        f.push_back(static_cast<std::uint8_t>(i * 7 + 0x30));
    return f;
}

struct MemoryCase {
    const char* name;
    Bytes bytes;
    FrameOutcome outcome;
    std::size_t extra;
    std::string display;  // after FinishDump, when complete
};
MemoryCase M(const char* name, Bytes bytes, FrameOutcome outcome, std::size_t extra = 0,
             std::string display = "") {
    return {name, bytes, outcome, extra, display};
}

TEST(CheckMemoryFrame, OutcomesAndDisplay) {
    const std::string line1 = "0000   30  37  3E  45  4C  53  5A  61 0 7 > E L S Z a\r\n";
    const MemoryCase cases[] = {
        M("ThreeBytesWait", {0x99, 0, 0}, kWait),
        M("LengthZeroNeverCompletes", {0x11, 0, 0}, kWait),
        M("WrongStart", {0x12, 1, 0, 0x41}, kWrong),
        M("HighProtocolByteComparesUnsigned", {0x91, 1, 0, 0x41}, kWrong),
        M("OneShort", {0x11, 3, 0, 0x41, 0x42}, kWait),
        M("SixteenBytesTwoFullLines", Frame(16), kDone, 0,
          line1 + "0008   68  6F  76  7D  84  8B  92  99 h o v } . . . .\r\n"),
        M("ThirteenBytes", Frame(13), kDone, 0,
          line1 + "0008   68  6F  76  7D  84             h o v } ."),
        M("ExtraBytesAreLeftOut", {0x11, 2, 0, 0x41, 0x42, 0x0D, 0x0A}, kDone, 2,
          "0000   41  42                         A B")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryFrameCheck r = CheckMemoryFrame(c.bytes, 0x11);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.extra, c.extra);
        if (r.outcome != kDone) continue;
        std::string text;
        FinishDump(c.bytes, text);
        EXPECT_EQ(text, c.display);
        EXPECT_EQ(r.progressPos, r.progressMax);
    }
}

TEST(HexDisplay, LineLayout) {
    const std::uint8_t five[] = {0x41, 0x42, 0x00, 0x7F, 0x20},
                       eight[] = {0x20, 0x7E, 0x1F, 0x7F, 0x80, 0xFF, 0x30, 0x61};
    std::string part, full, wide;
    AppendHexLine(part, five, 5, 0);
    AppendHexLine(full, eight, 8, 0x1238);
    AppendHexLine(wide, eight, 8, 0x10000);  // file images reach five digits
    EXPECT_EQ(part, "0000   41  42  00  7F  20             A B . .  ");
    EXPECT_EQ(full, "1238   20  7E  1F  7F  80  FF  30  61   ~ . . . . 0 a\r\n");
    EXPECT_EQ(full.size(), kDisplayLineLength);
    EXPECT_EQ(wide, "10000   20  7E  1F  7F  80  FF  30  61   ~ . . . . 0 a\r\n");
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
