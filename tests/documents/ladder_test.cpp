#include "ladder.h"

#include <gtest/gtest.h>

namespace taplink {
namespace {

// A PLC text document: "%999", the head office number, then the lines.
std::string Plc(const std::string& head, std::initializer_list<const char*> lines) {
    std::string e = "%999\r\n" + head + "\r\n";
    for (const char* l : lines)
        e += std::string(l) + "\r\n";
    return e;
}

// The converted section for the given lines, with head office number 2.
std::string Convert(std::initializer_list<const char*> lines) {
    const std::string e = Plc("00000002", lines);
    return ConvertToLadderSection(e, "2");
}

TEST(LadderConversion, LinesAsTheLadderSoftwareWritesThem) {
    struct Case {
        const char* name;
        std::string section;
        std::string expected;
    } const cases[] = {
        {"AddressWithBit", Convert({"00000010LD X12.3"}), "2\r\n00000010LD      X0012.3\r\n"},
        {"Addresses", Convert({"00000000AND R5 D7"}), "2\r\n00000000AND     R0005 D0007\r\n"},
        {"DFollowedByALetter", Convert({"00000000MOV DZ"}), "2\r\n00000000MOV     DZ\r\n"},
        {"DCTakesTheAddressRule", Convert({"00000000MOV DC5"}), "2\r\n00000000MOV     DC0005\r\n"},
        {"LongAddressStays", Convert({"00000000OUT R12345"}), "2\r\n00000000OUT     R12345\r\n"},
        {"SpaceRunsShrink", Convert({"00000000AND   X1    Y2"}),
         "2\r\n00000000AND     X0001 Y0002\r\n"},
        {"FirstNumberPadded", Convert({"00000000TMR 1 T2"}), "2\r\n00000000TMR     0001 T0002\r\n"},
        {"LaterNumbersStay", Convert({"00000000SUB 1 2 R3"}),
         "2\r\n00000000SUB     0001 2 R0003\r\n"},
        {"OnlyANumberThenTheNextLine", Convert({"00000000SUB 27", "00000001LD X1"}),
         "2\r\n00000000SUB     0027\r\n00000001LD      X0001\r\n"},
        {"LongMnemonicCut", Convert({"00000000ABCDEFGHIJ X1"}),
         "2\r\n00000000ABCDEFGHX0001\r\n"},  // the columns are fixed
        {"LetterAlone", Convert({"00000000LD X"}), "2\r\n00000000LD      X0000\r\n"},
        {"Codb", Convert({"00000000CODB 1 4 R0 R1 10,20,30,40"}),
         "2\r\n00000000CODB    0001 0004 R0000 R0001 , 10,20,30,40\r\n"},
        {"CodbWithItsComma", Convert({"00000000CODB 1 4 R0 R1 ,10,20"}),
         "2\r\n00000000CODB    0001 0004 R0000 R0001 ,10,20\r\n"},
        {"OodbInTheTextBecomesCodb", Convert({"00000000OODB 1"}), "2\r\n00000000CODB    0001\r\n"},
        {"EmptyLastLineReadsNothingPastTheEnd",
         ConvertToLadderSection(Plc("00000002", {"00000000LD X1"}) + "\r\n", "2"),
         "2\r\n00000000LD      X0001\r\n\r\n"},
        {"ShortStepField", ConvertToLadderSection("%999\r\n00000002\r\n0001", "2"), "2\r\n0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.section, c.expected);
    }
}

const std::string kLadderFile = "HEAD\x01 stuff\r\nTOTALSTEPS 3\r\n00000000LD      X0001\r\n" +
                                std::string("END_PLC_ORGANIZATION\r\ntail\0bytes", 32);

TEST(LadderDocument, TheSectionBetweenTheMarkers) {
    const auto section = LoadLadderSection(kLadderFile);
    ASSERT_TRUE(std::holds_alternative<std::string>(section));
    EXPECT_EQ(std::get<std::string>(section), "3\r\n00000000LD      X0001\r\n");
    for (const std::string& damaged :
         {std::string("TOTALSTEPS 3\r\n"), std::string("END_PLC_ORGANIZATION"),
          std::string("END_PLC_ORGANIZATION TOTALSTEPS 1\r\n"), std::string("TOTALSTEPSEND_PLC")}) {
        SCOPED_TRACE(damaged);
        const auto r = LoadLadderSection(damaged);
        ASSERT_TRUE(std::holds_alternative<Message>(r));
        EXPECT_EQ(std::get<Message>(r), msg::kLadderDamaged);
    }
}

TEST(LadderDocument, SavingChecksTheTextThenReplacesOnlyTheSection) {
    const std::string good = Plc("00000123", {"00000000LD X1", "00000001END1", "00000002END2"});
    const auto merged = MergeIntoLadder(kLadderFile, good);
    ASSERT_TRUE(std::holds_alternative<std::string>(merged));
    const std::string& out = std::get<std::string>(merged);
    EXPECT_EQ(out,
              "HEAD\x01 stuff\r\nTOTALSTEPS 123\r\n00000000LD      X0001\r\n"
              "00000001END1    \r\n00000002END2    \r\n" +
                  std::string("END_PLC_ORGANIZATION\r\ntail\0bytes", 32));

    struct Refusal {
        const char* name;
        std::string t, e;
        const Message* message;
    } const refusals[] = {
        {"NotALadderFile", "plain text", good, &msg::kNotALadderDocument},
        {"No999", kLadderFile, "%123\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {"NotFirst", kLadderFile, " %999\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {"NoEnd2", kLadderFile, Plc("00000001", {"00000000END1"}), &msg::kPlcNeedsEnd1End2},
        {"TooShort", kLadderFile, "%999END1END2", &msg::kPlcLayoutWrong},
        {"NoLineEndAfterNumber", kLadderFile, "%9999\r\n00000001\r\nEND1 END2",
         &msg::kPlcLineEndAfterNumber},
        {"SevenDigits", kLadderFile, "%999\r\n0000123\r\nEND1 END2 ", &msg::kPlcHeadOfficeDigits},
        {"NineDigits", kLadderFile, "%999\r\n000000123\r\nEND1 END2", &msg::kPlcLineEndAfterNumber},
        {"AllZero", kLadderFile, Plc("00000000", {"00000000END1", "00000001END2"}),
         &msg::kPlcHeadOfficeZero},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        const auto result = MergeIntoLadder(r.t, r.e);
        ASSERT_TRUE(std::holds_alternative<Message>(result));
        EXPECT_EQ(std::get<Message>(result), *r.message);
    }
}

TEST(LadderDocument, BackupPaths) {
    EXPECT_EQ(LadderBackupPath("plc/main.ldx"), "plc/main_bak.ldx");
    EXPECT_EQ(LadderBackupPath("PLC/MAIN.LDX"), "PLC/MAIN_bak.LDX");
    EXPECT_EQ(LadderBackupPath("a.ldx.d/main.ldx"), "a_bak.ldx.d/main.ldx");
    EXPECT_EQ(LadderBackupPath("main"), "main_bak");
}

}  // namespace
}  // namespace taplink
