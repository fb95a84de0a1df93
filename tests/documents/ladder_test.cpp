#include "ladder.h"

#include <gtest/gtest.h>

namespace taplink {
namespace {

using Result = std::variant<std::string, Message>;

TEST(LadderConversion, LinesAsTheLadderSoftwareWritesThem) {
    // Each text line after "%999" and head office number 2, and its converted line.
    const std::pair<std::string, std::string> cases[] = {
        {"00000010LD X12.3", "00000010LD      X0012.3"},
        {"00000000AND R5 D7", "00000000AND     R0005 D0007"},
        {"00000000MOV DZ", "00000000MOV     DZ"},
        {"00000000MOV DC5", "00000000MOV     DC0005"},
        {"00000000OUT R12345", "00000000OUT     R12345"},
        {"00000000AND   X1    Y2", "00000000AND     X0001 Y0002"},
        {"00000000TMR 1 T2", "00000000TMR     0001 T0002"},
        {"00000000SUB 1 2 R3", "00000000SUB     0001 2 R0003"},
        {"00000000SUB 27\r\n00000001LD X1", "00000000SUB     0027\r\n00000001LD      X0001"},
        {"00000000ABCDEFGHIJ X1", "00000000ABCDEFGHX0001"},  // the columns are fixed
        {"00000000LD X", "00000000LD      X0000"},
        {"00000000CODB 1 4 R0 R1 10,20,30,40",
         "00000000CODB    0001 0004 R0000 R0001 , 10,20,30,40"},
        {"00000000CODB 1 4 R0 R1 ,10,20", "00000000CODB    0001 0004 R0000 R0001 ,10,20"},
        {"00000000OODB 1", "00000000CODB    0001"},
        {"00000000LD X1\r\n", "00000000LD      X0001\r\n"},  // nothing read past the end
    };
    for (const auto& [line, converted] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n" + line + "\r\n", "2"),
                  "2\r\n" + converted + "\r\n");
    }
    EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n0001", "2"), "2\r\n0001");
}

const std::string kLadderFile = "HEAD\x01 stuff\r\nTOTALSTEPS 3\r\n00000000LD      X0001\r\n" +
                                std::string("END_PLC_ORGANIZATION\r\ntail\0bytes", 32);

TEST(LadderDocument, TheSectionBetweenTheMarkers) {
    EXPECT_EQ(LoadLadderSection(kLadderFile), Result("3\r\n00000000LD      X0001\r\n"));
    for (const char* damaged : {"TOTALSTEPS 3\r\n", "END_PLC_ORGANIZATION",
                                "END_PLC_ORGANIZATION TOTALSTEPS 1\r\n", "TOTALSTEPSEND_PLC"}) {
        EXPECT_EQ(LoadLadderSection(damaged), Result(msg::kLadderDamaged)) << damaged;
    }
}

TEST(LadderDocument, SavingChecksTheTextThenReplacesOnlyTheSection) {
    const std::string good =
        "%999\r\n00000123\r\n00000000LD X1\r\n00000001END1\r\n00000002END2\r\n";
    EXPECT_EQ(MergeIntoLadder(kLadderFile, good),
              Result("HEAD\x01 stuff\r\nTOTALSTEPS 123\r\n00000000LD      X0001\r\n"
                     "00000001END1    \r\n00000002END2    \r\n" +
                     std::string("END_PLC_ORGANIZATION\r\ntail\0bytes", 32)));
    EXPECT_EQ(MergeIntoLadder("plain text", good), Result(msg::kNotALadderDocument));
    const std::pair<const char*, const Message*> refusals[] = {
        {"%123\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {" %999\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {"%999\r\n00000001\r\n00000000END1\r\n", &msg::kPlcNeedsEnd1End2},
        {"%999END1END2", &msg::kPlcLayoutWrong},
        {"%9999\r\n00000001\r\nEND1 END2", &msg::kPlcLineEndAfterNumber},
        {"%999\r\n0000123\r\nEND1 END2 ", &msg::kPlcHeadOfficeDigits},
        {"%999\r\n000000123\r\nEND1 END2", &msg::kPlcLineEndAfterNumber},
        {"%999\r\n00000000\r\n00000000END1\r\n00000001END2\r\n", &msg::kPlcHeadOfficeZero},
    };
    for (const auto& [text, message] : refusals) {
        EXPECT_EQ(MergeIntoLadder(kLadderFile, text), Result(*message)) << text;
    }
}

TEST(LadderDocument, BackupPaths) {
    EXPECT_EQ(LadderBackupPath("plc/main.ldx"), "plc/main_bak.ldx");
    EXPECT_EQ(LadderBackupPath("PLC/MAIN.LDX"), "PLC/MAIN_bak.LDX");
    EXPECT_EQ(LadderBackupPath("main"), "main_bak");
}

}  // namespace
}  // namespace taplink
