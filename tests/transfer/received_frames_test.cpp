#include "received_frames.h"

#include <gtest/gtest.h>

#include <random>

#include "frames.h"
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

Bytes MemoryFrameOf(std::size_t length) {
    Bytes image(length);
    for (std::size_t i = 0; i < length; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 0x30);
    return BuildMemoryFrame(image);
}

TEST(CheckMemoryFrame, OutcomesAndDisplay) {
    struct Case {
        const char* name;
        Bytes bytes;
        FrameOutcome outcome;
        std::size_t displayLength;  // after FinishDump, when complete
    };
    const Case cases[] = {
        {"ThreeBytesWait", {0x99, 0, 0}, FrameOutcome::NotYetComplete, 0},
        {"LengthZeroNeverCompletes", {0x11, 0, 0}, FrameOutcome::NotYetComplete, 0},
        {"WrongStart", {0x12, 1, 0, 0x41}, FrameOutcome::WrongStart, 0},
        {"HighProtocolByteComparesUnsigned", {0x91, 1, 0, 0x41}, FrameOutcome::WrongStart, 0},
        {"SixteenBytesTwoFullLines", MemoryFrameOf(16), FrameOutcome::Complete, 110},
        {"FiveBytesOnePartialLine", MemoryFrameOf(5), FrameOutcome::Complete, 47},
        {"ThirteenBytes", MemoryFrameOf(13), FrameOutcome::Complete, 55 + 47},
        {"ExtraBytesAreLeftOut",
         [] {
             Bytes b = MemoryFrameOf(8);
             b.push_back(0);
             return b;
         }(),
         FrameOutcome::Complete, 55},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryFrameCheck r = CheckMemoryFrame(c.bytes, 0x11);
        EXPECT_EQ(r.outcome, c.outcome);
        if (r.outcome != FrameOutcome::Complete) continue;
        std::string text;
        FinishDump(c.bytes, text);
        EXPECT_EQ(text.size(), c.displayLength);
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

TEST(HexDisplay, TwoFullLinesEndInALineBreak) {
    std::string text;
    FinishDump(MemoryFrameOf(16), text);
    EXPECT_EQ(text.substr(0, 7), "0000   ");
    EXPECT_EQ(text.substr(55, 7), "0008   ");
    EXPECT_EQ(text.substr(108), "\r\n");
}

// The display of any image reads back as that image.
TEST(HexDisplay, ParseMemoryDisplayGivesTheImageBack) {
    std::mt19937 rng(1234);
    std::vector<std::size_t> sizes;
    for (std::size_t n = 2; n <= 80; ++n)
        sizes.push_back(n);
    for (std::size_t n : {255u, 256u, 257u, 4096u, 14544u, 65527u, 65528u, 65534u, 65535u}) {
        sizes.push_back(n);
    }
    for (int i = 0; i < 20; ++i)
        sizes.push_back(2 + rng() % 65534);
    for (const std::size_t n : sizes) {
        SCOPED_TRACE(n);
        Bytes image(n);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(rng());
        std::string display;
        FinishDump(BuildMemoryFrame(image), display);
        ASSERT_EQ(ParseMemoryDisplay(display), image);
    }
}

// Feeds a frame in chunks, as serial events deliver it, and returns the
// number of the chunk at which the check said complete (-1: never), failing
// if it says so twice.
template <typename Check>
int CompletesAt(const std::vector<std::size_t>& cuts, Check check) {
    int at = -1;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        if (check(cuts[i])) {
            EXPECT_EQ(at, -1) << "completed twice";
            at = static_cast<int>(i);
        }
    }
    return at;
}

std::vector<std::size_t> RandomCuts(std::size_t size, std::mt19937& rng, bool byteByByte) {
    std::vector<std::size_t> cuts;
    std::size_t pos = 0;
    while (pos < size) {
        pos = std::min(size, pos + (byteByByte ? 1 : 1 + rng() % 64));
        cuts.push_back(pos);
    }
    return cuts;
}

TEST(FrameProperties, AProgramFrameCompletesOnceAtItsLastByte) {
    std::mt19937 rng(99);
    const std::string alphabet = "GXYZMN0123456789 .-";
    int checked = 0;
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = "%" + std::to_string(10 + rng() % 90);
        const std::size_t lines = 1 + rng() % (trial % 3 == 0 ? 40 : 4);
        for (std::size_t l = 0; l < lines; ++l) {
            text += "\r\nN";
            for (std::size_t k = 0; k < 1 + rng() % 20; ++k)
                text += alphabet[rng() % alphabet.size()];
        }
        const PreparedProgram p = PrepareProgram(text);
        ASSERT_FALSE(p.failure.has_value());
        const Bytes frame = BuildProgramFrame(p.cleaned, 0x11);
        // Zero bytes never arrive; a frame whose length's low byte or checksum
        // holds one cannot be told from the ones that do.
        Bytes arriving;
        for (std::size_t i = 0; i < frame.size(); ++i) {
            if (frame[i] != 0)
                arriving.push_back(frame[i]);
            else if (i != 2)
                goto next;
        }
        if (frame[2] == '%' || frame[2] == 'O') continue;
        for (const bool single : {true, false}) {
            const auto cuts = RandomCuts(arriving.size(), rng, single);
            const int at = CompletesAt(cuts, [&](std::size_t n) {
                const std::string collected(arriving.begin(), arriving.begin() + n);
                const FrameCheck r = CheckProgramFrame(collected, 0x11);
                EXPECT_NE(r.outcome, FrameOutcome::WrongStart);
                if (r.outcome != FrameOutcome::Complete) return false;
                EXPECT_EQ(r.text, p.cleaned);
                return true;
            });
            EXPECT_EQ(at, static_cast<int>(cuts.size()) - 1) << text;
        }
        ++checked;
    next:;
    }
    EXPECT_GT(checked, 200);
}

TEST(FrameProperties, AMemoryFrameCompletesOnceAtItsLastByte) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 100; ++trial) {
        const std::size_t n = 1 + rng() % (trial % 10 == 0 ? 65535 : 600);
        Bytes image(n);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(rng());
        const Bytes frame = BuildMemoryFrame(image);
        for (const bool single : {true, false}) {
            if (single && n > 2000) continue;
            const auto cuts = RandomCuts(frame.size(), rng, single);
            std::string display;
            const int at = CompletesAt(cuts, [&](std::size_t m) {
                const Bytes collected(frame.begin(), frame.begin() + m);
                const MemoryFrameCheck r = CheckMemoryFrame(collected, 0x11);
                EXPECT_NE(r.outcome, FrameOutcome::WrongStart);
                if (r.outcome != FrameOutcome::Complete) {
                    AppendDumpLines(collected, display, r.linesReady);
                    return false;
                }
                FinishDump(collected, display);
                return true;
            });
            EXPECT_EQ(at, static_cast<int>(cuts.size()) - 1);
            std::string whole;
            FinishDump(frame, whole);
            EXPECT_EQ(display, whole);  // built piecemeal, the same display
        }
    }
}

}  // namespace
}  // namespace taplink
