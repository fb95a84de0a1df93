// The frame code of both directions as pure functions: what is checked and
// built before a send, and when received bytes form a frame and what it holds.
#include "send_checks.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>

#include "bytes_text.h"
#include "dialog_state.h"
#include "frames.h"
#include "hex_display.h"
#include "protocol_field.h"
#include "received_frames.h"

namespace taplink {
namespace {

using testing::B;

TEST(SendChecks, AnEmptyTextIsRefusedWithAStopIcon) {
    EXPECT_EQ(CheckTextNotEmpty(""),
              (Message{"Can not dispatch empty space document!", "Notice!", MessageIcon::Stop}));
    EXPECT_EQ(CheckTextNotEmpty("%"), std::nullopt);
}

TEST(SendChecks, PrepareProgramCleansAndChecksTheProgramNumber) {
    // clang-format off
    struct Case { const char* name; std::string text, cleaned; const Message* failure; /* nullptr: passes */ };
    const Case cases[] = {
        {"ThreeCharactersAfterPercent", "%123\r\nN0000\r\n", "%123\r\nN0000\r\n", &msg::kProgramNumber},
        {"TwoLetters", "%AB\r\nN0000\r\n", "%AB\r\nN0000\r\n", nullptr},
        {"SpacesBeforeThePercent", "  %12\r\n", " %12\r\n", &msg::kProgramNumber},
        {"LinuxLineEndsGoAsCrLf", "%12\nN0000 \n\nN0010\r\n", "%12\r\nN0000\r\nN0010\r\n", nullptr},
        {"LoneCarriageReturn", "%12\r\nN0000\rN0010", "%12\r\nN0000\rN0010\r\n", &msg::kLoneCarriageReturn},
        {"TrailingSpaceAtTheEnd", "%12\r\nN0000 ", "%12\r\nN0000\r\n", nullptr},
        {"NoCaseFoldingHighBytesKept", "%12\r\nn0 \xB2\xE2\r\n", "%12\r\nn0 \xB2\xE2\r\n", nullptr},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedProgram p = PrepareProgram(c.text);
        EXPECT_EQ(p.cleaned, c.cleaned);
        EXPECT_EQ(p.failure, c.failure ? std::optional(*c.failure) : std::nullopt);
    }
}

// The frames themselves are on the line in frame_transfer_test and r80_test;
// here what those short documents cannot reach.
TEST(Frames, ChecksumsOfHighBytesAndLongHeaders) {
    EXPECT_EQ(ProgramChecksum("\xFF\xFF"), 0x1FE);                 // bytes are unsigned
    EXPECT_EQ(ProgramChecksum(std::string(300, '\xFF')), 0x2AD4);  // 76500, low 16 bits
    EXPECT_EQ(BuildR80Header(B("%001|G00||"), 0x01020304), B("\xC0|\x01\x02\x03\x04%001\xAB"));
}

TEST(SendChecks, PrepareR80BuildsTheImageOrRefuses) {
    const std::string ladder =
        "%999\r\n00000002\r\n00000000LD      X0001\r\n00000001OUT     Y0001,2\r\n";
    // The image with '|' for 0, and the normalised text: checked when not empty.
    // clang-format off
    struct Case { const char* name; std::string text; int kind; const Message* failure; std::string image = {}, normalised = {}; };
    const Case cases[] = {
        {"OneLineEndGetsAnother", "%001\r\nG00\r\n", kDocNone, nullptr, "", "%001\r\nG00\r\n\r\n"},
        {"EmptyLastLineGetsNothing", "%001\r\nG00\r\n\r\n", kDocNone, nullptr, "", "%001\r\nG00\r\n\r\n"},
        {"TwoDigitNumber", "%01\r\nG00\r\n", kDocNone, &msg::kR80DocumentNumber},
        {"FourCharacters", "%001", kDocNone, &msg::kR80DocumentNumber},
        {"LetterInNumber", "%0A1\r\n", kDocNone, &msg::kR80DocumentNumber},
        {"Number254", "%254\r\nG00", kDocNone, nullptr},
        {"Percent999OfAnotherKind", "%999\r\nG00", kDocText, &msg::kR80ProgramRange},
        {"LongFirstLine", "%0011\r\nG00", kDocNone, &msg::kR80LineAfterNumber},
        {"CommaInAProgramIsSent", "%001\r\nA1,2", kDocNone, nullptr, "%001|A1,2||"},
        {"LadderDropsStepFieldsAndCommaPairs", ladder, kDocLadder, nullptr, "%999|00000002|LD      X0001|OUT     Y0001|"},
        {"LadderSevenDigitHead", "%999\r\n0000002\r\n00000000LD X1", kDocLadder, &msg::kR80HeadOfficeDigits},
        {"LadderNineDigitHead", "%999\r\n000000002\r\n00000000LD X1", kDocLadder, &msg::kR80HeadOfficeLineEnd},
        {"LadderTooShort", "%999\r\n00000002", kDocLadder, &msg::kR80LadderTooShort},
        {"LadderLongFirstLine", "%9999\r\n00000002\r\n00000000LD X1", kDocLadder, &msg::kR80LadderLineAfterNumber},
        {"NewFormatCountsItsInstructions", "%999\r\nLD X1\r\nOUT Y1\r\nEND1\r\n", kDocNewLadder, nullptr, "%999|00000003|LD X1|OUT Y1|END1||"},
        {"NewFormatLongFirstLine", "%9999\r\nLD X1\r\n", kDocNewLadder, &msg::kR80LineAfterNumber},
        {"NewFormatCommasEatTheLineEnds", "%999,\r\n,\r\n", kDocNewLadder, &msg::kR80LineAfterNumber},
        {"LinuxLineEndsGoAsCrLf", "%001\nG00\n", kDocNone, nullptr, "%001|G00||", "%001\r\nG00\r\n\r\n"},
        {"LadderWithLinuxLineEnds", "%999\n00000002\n00000000LD      X0001\n", kDocLadder, nullptr, "%999|00000002|LD      X0001|"},
        {"LoneCarriageReturn", "%001\rG00\r\n", kDocNone, &msg::kLoneCarriageReturn},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedR80 p = PrepareR80Image(c.text, c.kind);
        EXPECT_EQ(p.failure, c.failure ? std::optional(*c.failure) : std::nullopt);
        EXPECT_EQ(p.image, c.image.empty() ? p.image : B(c.image));
        EXPECT_EQ(p.normalisedText, c.normalised.empty() ? p.normalisedText : c.normalised);
    }
}

TEST(SendChecks, SizeLimits) {
    // An R40/R60 frame length counts the program and its 2-byte checksum.
    const auto program = [](std::size_t n) { return "%12\r\n" + std::string(n - 7, 'G') + "\r\n"; };
    const PreparedProgram fits = PrepareProgram(program(65533));
    EXPECT_EQ(fits.failure, std::nullopt);
    const Bytes frame = BuildProgramFrame(fits.cleaned, 0x11);  // its length's high byte too
    EXPECT_EQ(frame[1] + 256 * frame[2], 65535);
    EXPECT_EQ(PrepareProgram(program(65534)).failure, msg::kProgramFrameTooLong);

    // "%001" CR LF, a line of k characters, CR LF CR LF: an R80 image of 5 + k + 2 bytes.
    const auto text = [](std::size_t k) { return "%001\r\n" + std::string(k, 'G') + "\r\n\r\n"; };
    const auto ok = PrepareR80Image(text(32767 - 7), kDocNone);
    EXPECT_EQ(ok.image.size(), 32767u);
    EXPECT_EQ(ok.failure, std::nullopt);
    EXPECT_EQ(PrepareR80Image(text(32768 - 7), kDocNone).failure, msg::kR80TooLarge);

    EXPECT_EQ(CheckMemoryImage({0x41}), msg::kMemoryEmpty);
    EXPECT_EQ(CheckMemoryImage({0x41, 0x42}), std::nullopt);
    EXPECT_EQ(CheckMemoryImage(Bytes(65535)), std::nullopt);
    EXPECT_EQ(CheckMemoryImage(Bytes(65536)), msg::kMemoryFrameTooLong);
}

TEST(SendChecks, ParseMemoryDisplayReadsValuesAndIgnoresTheOtherColumns) {
    const std::pair<std::string, Bytes> cases[] = {
        {"0000   ", {}},
        {"0000   41  42  00                           A B .", {0x41, 0x42, 0x00}},
        {"0000   1b  1B", {0x3B, 0x1B}},  // lower case reads otherwise
        {"0000   41  4", {0x41}},         // the last value cut short
        {"0000   #G", {0xD0}},            // any character gives a byte
    };
    for (const auto& [text, image] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseMemoryDisplay(text), image);
    }
}

// The window's fields take "a5" and "13000000" (main_window_test).
TEST(ProtocolField, TheFirstTwoCharactersAreTheByte) {
    EXPECT_EQ(ProtocolByteFromText("ff"), 0xFF);
    EXPECT_EQ(ProtocolByteFromText("09"), 0x09);
    for (const char* refused : {"0", "", "G1000000", "1G", " 1100000", "\x80\x81"}) {
        EXPECT_FALSE(ProtocolByteFromText(refused).has_value()) << refused;
    }
}

TEST(DialogState, ResetPutsTheTransferFieldsBack) {
    DialogState s;
    s.m_nRecvBusy = s.m_bSendHandshake = 1;
    s.m_recvBytes = {1, 2};
    s.m_strStepText = "0003    ";
    s.m_szStepNo = {'0', '0', '0', '4'};
    s.m_strText = "kept";  // not a transfer field
    ResetTransferState(s);
    EXPECT_EQ(std::tie(s.m_nRecvBusy, s.m_bSendHandshake, s.m_strStepText, s.m_recvBytes,
                       s.m_szStepNo, s.m_strText),
              std::make_tuple(0, 0, std::string(8, ' '), Bytes{}, std::array{'0', '0', '0', '0'},
                              std::string("kept")));
}

constexpr auto kWait = FrameOutcome::NotYetComplete, kWrong = FrameOutcome::WrongStart,
               kDone = FrameOutcome::Complete;

TEST(CheckProgramFrame, OutcomesAndProgress) {
    constexpr auto kUnreadable = FrameOutcome::Unreadable;
    // Bytes with '|' for 0; whether the line has been quiet since the last
    // byte; the outcome, the progress bar set (0: left alone), the text.
    const std::string doc262(262, 'A'), doc260(260, 'A');
    // clang-format off
    struct Case { const char* name; std::string bytes; bool quiet; FrameOutcome outcome; int max = 0, pos = 0; std::string extracted = {}; };
    const Case cases[] = {
        {"FourBytesWaitEvenIfWrong", "\x99\x01\x02\x03", true, kWait},
        {"WrongStart", "\x12\x07%12", false, kWrong},
        {"ProgramFormWaitsForQuiet", "\x11\x07%1234\r\n", false, kWait, 7, 7},
        {"ProgramFormOneShort", "\x11\x08%1234\r\n", true, kWait, 8, 7},
        // As much the start of a document form of 0x2506 bytes that stopped.
        {"ProgramFormWithOneByteMoreIsNeverTaken", "\x11\x06%1234\r\n", true, kWait, 0x2506, 6},
        {"LengthByteTooSmallForAProgramForm", "\x11\x02%1234", true, kWait, 0x2502, 4},
        {"DocumentFormWaitsForQuiet", "\x11\x06\x01" + doc262, false, kWait, 262, 262},
        {"DocumentFormWithATrailer", "\x11\x06\x01" + doc262 + "\r\n\x1a", true, kDone, 262, 262, doc260},
        {"MoreAfterTheFrameThanATrailer", "\x11\x06\x01" + doc262 + std::string(17, ' '), true, kUnreadable},
        {"DocumentFormWaiting", "\x11\x06\x01" + doc260 + "A", true, kWait, 262, 261},
        // The zeros are on the line: a high length byte 0, a checksum byte 0.
        {"ZeroInTheClosingCharacters", "\x11\x07|%1234|\x05", true, kDone, 7, 7, "%1234"},
        {"ZerosInTheTextAreLeftOut", "\x11\x07|%1|34\r\n", true, kDone, 7, 7, "%134"},
        // A high length byte 0x25 is a '%': the document form is waited for.
        {"HighLengthBytePercentWaitsForItsDocument", "\x11\x10%%" + std::string(19, 'B'), true, kWait, 0x2510, 20},
        {"NoRoomForTheClosingCharacters", "\x11\x01|ABC", false, kUnreadable},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameCheck r = CheckProgramFrame(B(c.bytes), 0x11, c.quiet);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.setsProgress, c.max != 0);
        EXPECT_EQ(r.setsProgress ? std::pair(r.progressMax, r.progressPos) : std::pair(0, 0),
                  std::pair(c.max, c.pos));
        EXPECT_EQ(r.text, c.extracted);
    }
    // A protocol byte above 0x7F compares unsigned.
    EXPECT_EQ(CheckProgramFrame(B("\x91\x05%12\r\n"), 0x91, true).outcome, kDone);
}

// A memory frame of length bytes 0x30, 0x37, 0x3E, ...
Bytes Frame(std::size_t length) {
    Bytes f{0x11, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)};
    for (std::size_t i = 0; i < length; ++i)
        f.push_back(static_cast<std::uint8_t>(i * 7 + 0x30));
    return f;
}

TEST(CheckMemoryFrame, OutcomesAndDisplay) {
    // The display is the one after FinishDump, when complete.
    const std::string line1 = "0000   30  37  3E  45  4C  53  5A  61 0 7 > E L S Z a\r\n";
    // clang-format off
    struct Case { const char* name; Bytes bytes; FrameOutcome outcome; std::size_t extra = 0; std::string display = {}; };
    const Case cases[] = {
        {"ThreeBytesWait", {0x99, 0, 0}, kWait},
        {"LengthZeroNeverCompletes", {0x11, 0, 0}, kWait},
        {"WrongStart", {0x12, 1, 0, 0x41}, kWrong},
        {"OneShort", {0x11, 3, 0, 0x41, 0x42}, kWait},
        {"SixteenBytesTwoFullLines", Frame(16), kDone, 0, line1 + "0008   68  6F  76  7D  84  8B  92  99 h o v } . . . .\r\n"},
        {"ThirteenBytes", Frame(13), kDone, 0, line1 + "0008   68  6F  76  7D  84             h o v } ."},
        {"ExtraBytesAreLeftOut", {0x11, 2, 0, 0x41, 0x42, 0x0D, 0x0A}, kDone, 2, "0000   41  42                         A B"},
        {"MoreAfterTheFrameThanATrailer", testing::Cat({Frame(2), Bytes(17, 0)}), FrameOutcome::Unreadable},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryFrameCheck r = CheckMemoryFrame(c.bytes, 0x11, true);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.extra, c.extra);
        if (r.outcome != kDone) continue;
        std::string text;
        FinishDump(c.bytes, text);
        EXPECT_EQ(text, c.display);
        EXPECT_EQ(r.progressPos, r.progressMax);
    }
}

// The short last line is in CheckMemoryFrame's display, five-digit offsets
// in a memory image opened from a file (file_commands_test).
TEST(HexDisplay, LineLayout) {
    const std::uint8_t eight[] = {0x20, 0x7E, 0x1F, 0x7F, 0x80, 0xFF, 0x30, 0x61};
    std::string full;
    AppendHexLine(full, eight, 8, 0x1238);
    EXPECT_EQ(full, "1238   20  7E  1F  7F  80  FF  30  61   ~ . . . . 0 a\r\n");
    EXPECT_EQ(full.size(), kDisplayLineLength);
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
        const Bytes frame = Frame(n);
        const Bytes image(frame.begin() + 3, frame.end());
        std::string display;
        Bytes collected;
        int completions = 0;
        for (std::size_t pos = 0; pos < frame.size();) {
            const std::size_t step = n <= 2000 && rng() % 2 ? 1 : 1 + rng() % 64;
            const std::size_t next = std::min(frame.size(), pos + step);
            collected.insert(collected.end(), frame.begin() + pos, frame.begin() + next);
            pos = next;
            const MemoryFrameCheck r = CheckMemoryFrame(collected, 0x11, true);
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
