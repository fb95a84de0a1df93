#include "send_checks.h"

#include <gtest/gtest.h>

#include <tuple>

#include "bytes_text.h"
#include "dialog_state.h"
#include "frames.h"
#include "protocol_field.h"

namespace taplink {
namespace {

using testing::B;

TEST(SendChecks, AnEmptyTextIsRefusedWithAStopIcon) {
    EXPECT_EQ(CheckTextNotEmpty(""),
              (Message{"Can not dispatch empty space document!", "Notice!", MessageIcon::Stop}));
    EXPECT_EQ(CheckTextNotEmpty("%"), std::nullopt);
}

TEST(SendChecks, PrepareProgramCleansAndChecksTheProgramNumber) {
    struct Case {
        const char* name;
        std::string text, cleaned;
        bool passes;
    } const cases[] = {
        {"ThreeCharactersAfterPercent", "%123\r\nN0000\r\n", "%123\r\nN0000\r\n", false},
        {"TwoLetters", "%AB\r\nN0000\r\n", "%AB\r\nN0000\r\n", true},
        {"SpacesBeforeThePercent", "  %12\r\n", " %12\r\n", false},
        {"BareLineFeedsStay", "%12\nN0000\n", "%12\nN0000\n", false},
        {"TrailingSpaceAtTheEnd", "%12\r\nN0000 ", "%12\r\nN0000\r\n", true},
        {"NoCaseFoldingHighBytesKept", "%12\r\nn0 \xB2\xE2\r\n", "%12\r\nn0 \xB2\xE2\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedProgram p = PrepareProgram(c.text);
        EXPECT_EQ(p.cleaned, c.cleaned);
        EXPECT_EQ(p.failure, c.passes ? std::nullopt : std::optional(msg::kProgramNumber));
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
    struct Case {
        const char* name;
        std::string text;
        int kind;
        const Message* failure;       // nullptr: passes
        std::string image = {};       // with '|' for 0; checked when not empty
        std::string normalised = {};  // checked when not empty
    } const cases[] = {
        {"OneLineEndGetsAnother", "%001\r\nG00\r\n", kDocNone, nullptr, "", "%001\r\nG00\r\n\r\n"},
        {"EmptyLastLineGetsNothing", "%001\r\nG00\r\n\r\n", kDocNone, nullptr, "",
         "%001\r\nG00\r\n\r\n"},
        {"TwoDigitNumber", "%01\r\nG00\r\n", kDocNone, &msg::kR80DocumentNumber},
        {"FourCharacters", "%001", kDocNone, &msg::kR80DocumentNumber},
        {"LetterInNumber", "%0A1\r\n", kDocNone, &msg::kR80DocumentNumber},
        {"Number254", "%254\r\nG00", kDocNone, nullptr},
        {"Percent999OfAnotherKind", "%999\r\nG00", kDocText, &msg::kR80ProgramRange},
        {"LongFirstLine", "%0011\r\nG00", kDocNone, &msg::kR80LineAfterNumber},
        {"CommaInAProgramIsSent", "%001\r\nA1,2", kDocNone, nullptr, "%001|A1,2||"},
        {"LadderDropsStepFieldsAndCommaPairs", ladder, kDocLadder, nullptr,
         "%999|00000002|LD      X0001|OUT     Y0001|"},
        {"LadderSevenDigitHead", "%999\r\n0000002\r\n00000000LD X1", kDocLadder,
         &msg::kR80HeadOfficeDigits},
        {"LadderNineDigitHead", "%999\r\n000000002\r\n00000000LD X1", kDocLadder,
         &msg::kR80HeadOfficeLineEnd},
        {"LadderTooShort", "%999\r\n00000002", kDocLadder, &msg::kR80LadderTooShort},
        {"LadderLongFirstLine", "%9999\r\n00000002\r\n00000000LD X1", kDocLadder,
         &msg::kR80LadderLineAfterNumber},
        {"NewFormatCountsItsInstructions", "%999\r\nLD X1\r\nOUT Y1\r\nEND1\r\n", kDocNewLadder,
         nullptr, "%999|00000003|LD X1|OUT Y1|END1||"},
        {"NewFormatLongFirstLine", "%9999\r\nLD X1\r\n", kDocNewLadder, &msg::kR80LineAfterNumber},
        {"NewFormatCommasEatTheLineEnds", "%999,\n,\n", kDocNewLadder, &msg::kR80LineAfterNumber},
    };
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
    EXPECT_FALSE(fits.failure.has_value());
    const Bytes frame = BuildProgramFrame(fits.cleaned, 0x11);
    EXPECT_EQ(frame[1] + 256 * frame[2], 65535);
    EXPECT_EQ(PrepareProgram(program(65534)).failure, msg::kProgramFrameTooLong);

    // "%001" CR LF, a line of k characters, CR LF CR LF: an R80 image of 5 + k + 2 bytes.
    const auto text = [](std::size_t k) { return "%001\r\n" + std::string(k, 'G') + "\r\n\r\n"; };
    const auto ok = PrepareR80Image(text(32767 - 7), kDocNone);
    EXPECT_EQ(ok.image.size(), 32767u);
    EXPECT_FALSE(ok.failure.has_value());
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
    s.m_nRecvBusy = 1;
    s.m_recvBytes = {1, 2};
    s.m_bSendHandshake = 1;
    s.m_strStepText = "0003    ";
    s.m_szStepNo = {'0', '0', '0', '4'};
    s.m_strText = "kept";
    ResetTransferState(s);
    EXPECT_EQ(std::tie(s.m_nRecvBusy, s.m_bSendHandshake, s.m_strStepText),
              std::make_tuple(0, 0, std::string(8, ' ')));
    EXPECT_TRUE(s.m_recvBytes.empty());
    EXPECT_EQ(std::string(s.m_szStepNo.begin(), s.m_szStepNo.end()), "0000");
    EXPECT_EQ(s.m_strText, "kept");  // not a transfer field
}

}  // namespace
}  // namespace taplink
