#include "send_checks.h"

#include <gtest/gtest.h>

#include "frames.h"

namespace taplink {
namespace {

std::string Lines(std::initializer_list<const char*> lines, const char* end = "\r\n") {
    std::string t;
    bool first = true;
    for (const char* l : lines) {
        if (!first) t += end;
        t += l;
        first = false;
    }
    return t;
}

Bytes B(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

TEST(SendChecks, AnEmptyTextIsRefusedWithAStopIcon) {
    const auto m = CheckTextNotEmpty("");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->text, "Can not dispatch empty space document!");
    EXPECT_EQ(m->caption, "Notice!");
    EXPECT_EQ(m->icon, MessageIcon::Stop);
    EXPECT_FALSE(CheckTextNotEmpty("%").has_value());
}

struct ProgramCase {
    const char* name;
    std::string text;
    std::string cleaned;
    bool passes;
};
// Test names, not bytes, in listings.
void PrintTo(const ProgramCase& c, std::ostream* os) {
    *os << c.name;
}

class PrepareProgramTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(PrepareProgramTest, CleansAndChecksTheProgramNumber) {
    const auto& c = GetParam();
    const PreparedProgram p = PrepareProgram(c.text);
    EXPECT_EQ(p.cleaned, c.cleaned);
    EXPECT_EQ(!p.failure.has_value(), c.passes);
    if (p.failure) {
        EXPECT_EQ(*p.failure, msg::kProgramNumber);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrepareProgramTest,
    ::testing::Values(
        ProgramCase{"BlankLinesAndSurplusSpacesGo",
                    Lines({"%01", "N0000 G00  X10 ", "", "N0010 M30"}),
                    "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n", true},
        ProgramCase{"OneCharacterAfterPercentFails", "%1\r\nN0000\r\n", "%1\r\nN0000\r\n", false},
        ProgramCase{"ThreeCharactersAfterPercentFail", "%123\r\nN0000\r\n", "%123\r\nN0000\r\n",
                    false},
        ProgramCase{"TwoLettersPass", "%AB\r\nN0000\r\n", "%AB\r\nN0000\r\n", true},
        ProgramCase{"SpacesBeforeThePercentFail", "  %12\r\n", " %12\r\n", false},
        ProgramCase{"NoLineEndAtAllPasses", "%12", "%12\r\n", true},
        ProgramCase{"BareLineFeedsStay", "%12\nN0000\n", "%12\nN0000\n", false},
        ProgramCase{"TrailingSpaceGoes", "%12\r\nN0000 ", "%12\r\nN0000\r\n", true},
        ProgramCase{"SeveralBlankLinesGo", "%12\r\n\r\n\r\n\r\nN0000\r\n", "%12\r\nN0000\r\n",
                    true},
        ProgramCase{"NothingIsCaseFolded", "%12\r\nn0000 g1\r\n", "%12\r\nn0000 g1\r\n", true},
        ProgramCase{"HighBytesPassUnchanged", "%12\r\nN0000 \xB2\xE2\r\n",
                    "%12\r\nN0000 \xB2\xE2\r\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendChecks, AProgramWhoseFrameLengthWouldWrapIsRefused) {
    // N counts the program and its 2-byte checksum: 65533 + 2 fits, 65534 + 2 does not.
    const std::string head = "%12\r\n";
    std::string fits = head + std::string(65533 - head.size() - 2, 'G') + "\r\n";
    ASSERT_EQ(PrepareProgram(fits).cleaned.size(), 65533u);
    EXPECT_FALSE(PrepareProgram(fits).failure.has_value());
    const Bytes frame = BuildProgramFrame(PrepareProgram(fits).cleaned, 0x11);
    EXPECT_EQ(frame[1] + 256 * frame[2], 65535);

    std::string over = head + std::string(65534 - head.size() - 2, 'G') + "\r\n";
    const auto p = PrepareProgram(over);
    ASSERT_TRUE(p.failure.has_value());
    EXPECT_EQ(*p.failure, msg::kProgramFrameTooLong);
    EXPECT_EQ(p.failure->caption, "Notice!");
}

TEST(Frames, TheProgramFrameOfTheFirstExample) {
    const auto p = PrepareProgram(Lines({"%01", "N0000 G00  X10 ", "", "N0010 M30"}));
    ASSERT_EQ(p.cleaned.size(), 31u);
    const Bytes frame = BuildProgramFrame(p.cleaned, 0x11);
    ASSERT_EQ(frame.size(), 36u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 3), (Bytes{0x11, 0x21, 0x00}));
    EXPECT_EQ(Bytes(frame.begin() + 3, frame.end() - 2), B(p.cleaned));
    EXPECT_EQ(Bytes(frame.end() - 2, frame.end()), (Bytes{0x13, 0x05}));
    EXPECT_EQ(ProgramChecksum(p.cleaned), 1299);
}

TEST(Frames, TheChecksumTakesBytesAsUnsignedAndKeeps16Bits) {
    EXPECT_EQ(ProgramChecksum("\xFF\xFF"), 0x1FE);
    EXPECT_EQ(ProgramChecksum(std::string(300, '\xFF')), (300 * 255) & 0xFFFF);
}

TEST(Frames, MemoryFrameAndR80Header) {
    EXPECT_EQ(BuildMemoryFrame({0x41, 0x42}), (Bytes{0x11, 0x02, 0x00, 0x41, 0x42}));
    const Bytes image = {'%', '0', '0', '1', 0, 'G', '0', '0', 0, 0};
    EXPECT_EQ(BuildR80Header(image, 2),
              (Bytes{0xB8, 0x00, 0x00, 0x00, 0x00, 0x02, 0x25, 0x30, 0x30, 0x31, 0xAB}));
    const Bytes header = BuildR80Header(image, 0x01020304);
    EXPECT_EQ(Bytes(header.begin() + 2, header.begin() + 6), (Bytes{1, 2, 3, 4}));
    const std::uint8_t payload[] = {0x02, 0x03};
    EXPECT_EQ(BuildBlockFrame(payload, 2, false), (Bytes{0x05, 0x00, 0x02, 0x03, 0xAB}));
    EXPECT_EQ(BuildBlockFrame(payload, 2, true).back(), 0xAA);
}

struct R80Case {
    const char* name;
    std::string text;
    int docKind;
    const Message* failure;  // nullptr: passes
    Bytes image;             // checked when not empty
    std::string normalised;  // checked when not empty
};
// Test names, not bytes, in listings.
void PrintTo(const R80Case& c, std::ostream* os) {
    *os << c.name;
}

class PrepareR80Test : public ::testing::TestWithParam<R80Case> {};

TEST_P(PrepareR80Test, BuildsTheImageOrRefuses) {
    const auto& c = GetParam();
    const PreparedR80 p = PrepareR80Image(c.text, c.docKind);
    if (c.failure) {
        ASSERT_TRUE(p.failure.has_value());
        EXPECT_EQ(*p.failure, *c.failure);
    } else {
        EXPECT_FALSE(p.failure.has_value()) << p.failure->text;
    }
    if (!c.image.empty()) {
        EXPECT_EQ(p.image, c.image);
    }
    if (!c.normalised.empty()) {
        EXPECT_EQ(p.normalisedText, c.normalised);
    }
}

const std::string kLadder =
    Lines({"%999", "00000002", "00000000LD      X0001", "00000001OUT     Y0001,2"}) + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, PrepareR80Test,
    ::testing::Values(
        R80Case{"PartProgramWithoutFinalLineEnd", "%001\r\nG00", kDocNone, nullptr,
                Bytes{'%', '0', '0', '1', 0, 'G', '0', '0', 0, 0}, "%001\r\nG00\r\n\r\n"},
        R80Case{"OneLineEndGetsAnother",
                "%001\r\nG00\r\n",
                kDocNone,
                nullptr,
                {},
                "%001\r\nG00\r\n\r\n"},
        R80Case{"AnEmptyLineAtTheEndGetsNothing",
                "%001\r\nG00\r\n\r\n",
                kDocNone,
                nullptr,
                {},
                "%001\r\nG00\r\n\r\n"},
        R80Case{
            "TwoDigitNumberFails", "%01\r\nG00\r\n", kDocNone, &msg::kR80DocumentNumber, {}, {}},
        R80Case{"FourCharactersFail", "%001", kDocNone, &msg::kR80DocumentNumber, {}, {}},
        R80Case{"LetterInNumberFails", "%0A1\r\n", kDocNone, &msg::kR80DocumentNumber, {}, {}},
        R80Case{"Number255IsOutOfRange", "%255\r\nG00", kDocNone, &msg::kR80ProgramRange, {}, {}},
        R80Case{"Number254Passes", "%254\r\nG00", kDocNone, nullptr, {}, {}},
        R80Case{"Number000Passes", "%000\r\nG00", kDocNone, nullptr, {}, {}},
        R80Case{"PercentNineNineNineOfAnotherKindIsAProgram",
                "%999\r\nG00",
                kDocText,
                &msg::kR80ProgramRange,
                {},
                {}},
        R80Case{
            "LongFirstLineOfAProgram", "%0011\r\nG00", kDocNone, &msg::kR80LineAfterNumber, {}, {}},
        R80Case{"CommaInAProgramIsSent",
                "%001\r\nA1,2",
                kDocNone,
                nullptr,
                Bytes{'%', '0', '0', '1', 0, 'A', '1', ',', '2', 0, 0},
                {}},
        R80Case{"LadderDropsStepFieldsAndCommaPairs",
                kLadder,
                kDocLadder,
                nullptr,
                [] {
                    const std::string s = std::string("%999", 4) + '\0' + "00000002" + '\0' +
                                          "LD      X0001" + '\0' + "OUT     Y0001" + '\0';
                    return Bytes(s.begin(), s.end());
                }(),
                {}},
        R80Case{"LadderSevenDigitHeadOffice",
                Lines({"%999", "0000002", "00000000LD X1"}),
                kDocLadder,
                &msg::kR80HeadOfficeDigits,
                {},
                {}},
        R80Case{"LadderNineDigitHeadOffice",
                Lines({"%999", "000000002", "00000000LD X1"}),
                kDocLadder,
                &msg::kR80HeadOfficeLineEnd,
                {},
                {}},
        R80Case{"LadderTooShort", "%999\r\n00000002", kDocLadder, &msg::kR80LadderTooShort, {}, {}},
        R80Case{"LadderLongFirstLine",
                Lines({"%9999", "00000002", "00000000LD X1"}),
                kDocLadder,
                &msg::kR80LadderLineAfterNumber,
                {},
                {}},
        R80Case{"NewFormatCountsItsInstructions",
                Lines({"%999", "LD X1", "OUT Y1", "END1"}) + "\r\n",
                kDocNewLadder,
                nullptr,
                [] {
                    const std::string s = std::string("%999") + '\0' + "00000003" + '\0' + "LD X1" +
                                          '\0' + "OUT Y1" + '\0' + "END1" + '\0' + '\0';
                    return Bytes(s.begin(), s.end());
                }(),
                {}},
        R80Case{"NewFormatLongFirstLine",
                "%9999\r\nLD X1\r\n",
                kDocNewLadder,
                &msg::kR80LineAfterNumber,
                {},
                {}},
        R80Case{"NewFormatCommasEatingTheLineEnds",
                "%999,\n,\n",
                kDocNewLadder,
                &msg::kR80LineAfterNumber,
                {},
                {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrepareR80, TheSizeLimitIs32767Bytes) {
    // "%001" CR LF, then a line of k characters, then CR LF CR LF: the image is
    // 5 + k + 2 bytes.
    const auto text = [](std::size_t k) { return "%001\r\n" + std::string(k, 'G') + "\r\n\r\n"; };
    const auto ok = PrepareR80Image(text(32767 - 7), kDocNone);
    EXPECT_EQ(ok.image.size(), 32767u);
    EXPECT_FALSE(ok.failure.has_value());
    const auto over = PrepareR80Image(text(32768 - 7), kDocNone);
    EXPECT_EQ(over.image.size(), 32768u);
    ASSERT_TRUE(over.failure.has_value());
    EXPECT_EQ(*over.failure, msg::kR80TooLarge);
}

TEST(ParseMemoryDisplay, ReadsValuesAndIgnoresTheOtherColumns) {
    struct Case {
        const char* name;
        std::string text;
        Bytes image;
    } const cases[] = {
        {"FullLine",
         "0000   41  42  00  7F  20  31  32  33   A B . .   1 2 3\r\n",
         {0x41, 0x42, 0x00, 0x7F, 0x20, 0x31, 0x32, 0x33}},
        {"AddressOnly", "0000   ", {}},
        {"PartialLine", "0000   41  42  00                           A B .", {0x41, 0x42, 0x00}},
        {"LowerCaseDigitsReadOtherwise", "0000   1b  1B", {0x3B, 0x1B}},
        {"LastValueCutShort", "0000   41  4", {0x41}},
        {"NonHexCharactersStillGiveAByte", "0000   #G", {0xD0 & 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseMemoryDisplay(c.text), c.image);
    }
}

TEST(ParseMemoryDisplay, TheMemoryCheckWantsTwoBytesAndAFrameThatFits) {
    EXPECT_EQ(CheckMemoryImage({}), msg::kMemoryEmpty);
    EXPECT_EQ(CheckMemoryImage({0x41}), msg::kMemoryEmpty);
    EXPECT_EQ(CheckMemoryImage({0x41, 0x42}), std::nullopt);
    EXPECT_EQ(CheckMemoryImage(Bytes(65535)), std::nullopt);
    EXPECT_EQ(CheckMemoryImage(Bytes(65536)), msg::kMemoryFrameTooLong);
}

}  // namespace
}  // namespace taplink
