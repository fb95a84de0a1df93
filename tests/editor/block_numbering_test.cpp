#include "block_numbering.h"

#include <gtest/gtest.h>

namespace taplink {
namespace {

struct NumberCase {
    const char* name;
    std::string text;
    std::size_t caret;  // npos: at the end
    int model;
    KeyDecision::Kind kind;
    std::string insert;      // for Insert
    const Message* message;  // for Refuse
};
// Test names, not bytes, in listings.
void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class EnterTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(EnterTest, NumbersBlocksOrRefuses) {
    const auto& c = GetParam();
    const std::size_t caret = c.caret == std::string::npos ? c.text.size() : c.caret;
    const KeyDecision d = DecideKey(c.text, caret, c.model, kKeyEnter);
    EXPECT_EQ(d.kind, c.kind);
    if (c.kind == KeyDecision::Insert) {
        EXPECT_EQ(d.text, c.insert);
    }
    if (c.kind == KeyDecision::Refuse) {
        EXPECT_EQ(d.message, *c.message);
    }
}

constexpr auto npos = std::string::npos;
const std::string kTwo = "%12\r\nN0010 G00\r\nN0020 M30";

INSTANTIATE_TEST_SUITE_P(
    Cases, EnterTest,
    ::testing::Values(
        NumberCase{"FirstLine", "%12", npos, 0, KeyDecision::Insert, "\r\nN0000", nullptr},
        NumberCase{"FirstLineEvenWithBlocksBelow", kTwo, 3, 0, KeyDecision::Insert, "\r\nN0000",
                   nullptr},
        NumberCase{"ThreeDigitProgramNumber", "%123", npos, 0, KeyDecision::Refuse, "",
                   &msg::kFileNumberWrong},
        NumberCase{"LettersAsProgramNumber", "%AB", npos, 0, KeyDecision::Refuse, "",
                   &msg::kFileNumberWrong},
        NumberCase{"CaretAtZero", "%12", 0, 0, KeyDecision::Insert, "\r\n", nullptr},
        NumberCase{"Appended", "%12\r\nN0010 G00", npos, 0, KeyDecision::Insert, "\r\nN0020",
                   nullptr},
        NumberCase{"BetweenTwoBlocks", kTwo, 14, 0, KeyDecision::Insert, "\r\nN0015", nullptr},
        NumberCase{"BetweenCloseBlocks", "%12\r\nN0015 G00\r\nN0020 M30", 14, 0,
                   KeyDecision::Insert, "\r\nN0017", nullptr},
        NumberCase{"NextLineWithoutANumber", "%12\r\nN0010 G00\r\nG01 X10", 14, 0,
                   KeyDecision::Refuse, "", &msg::kNextLineNumberWrong},
        NumberCase{"ShortLastLineCountsAsNone", "%12\r\nN0010 G00\r\nN00", 14, 0,
                   KeyDecision::Insert, "\r\nN0020", nullptr},
        NumberCase{"CaretAtALineStartTakesThatLine", kTwo, 5, 0, KeyDecision::Insert, "\r\nN0015",
                   nullptr},
        NumberCase{"LineWithoutANumber", "%12\r\nG00 X1", npos, 0, KeyDecision::Refuse, "",
                   &msg::kLineNumberWrong},
        NumberCase{"LineWithAShortNumber", "%12\r\nN12 X1", npos, 0, KeyDecision::Refuse, "",
                   &msg::kLineNumberWrong},
        NumberCase{"StaleEmptyCopyAfterALoad", "", 25, 0, KeyDecision::Refuse, "",
                   &msg::kFileNumberWrong},
        NumberCase{"R80PlainBreak", "%123\r\nG00", npos, 1, KeyDecision::PassThrough, "", nullptr},
        NumberCase{"MemoryPlainBreak", "0000   41", npos, 2, KeyDecision::PassThrough, "", nullptr},
        NumberCase{"LastNumber", "%12\r\nN9989 M30", npos, 0, KeyDecision::Insert, "\r\nN9999",
                   nullptr},
        NumberCase{"BeyondN9999IsRefused", "%12\r\nN9990 M30", npos, 0, KeyDecision::Refuse, "",
                   &msg::kBlockNumberFull},
        NumberCase{"TruePositionsBeyond32767",
                   "%12\r\nN0010 " + std::string(40000, 'X') + "\r\nN0030 M30", 40011, 0,
                   KeyDecision::Insert, "\r\nN0020", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TypedCharacters, FilterAndSpacing) {
    struct Case {
        const char* name;
        std::string text;
        char32_t key;
        KeyDecision::Kind kind;
        std::string insert;
    } const cases[] = {
        {"LowerCaseGetsASpaceAndCapital", "N0000 01", U'g', KeyDecision::Insert, " G"},
        {"AfterASpaceNoSecondSpace", "N0000 ", U'x', KeyDecision::Insert, "X"},
        {"NAtALineStartHasNoSpace", "%12\r\n", U'N', KeyDecision::Insert, "N"},
        {"OtherLettersAtALineStartDo", "%12\r\n", U'G', KeyDecision::Insert, " G"},
        {"AtTheVeryStartNoSpace", "", U'o', KeyDecision::Insert, "O"},
        {"Digit", "N", U'7', KeyDecision::PassThrough, ""},
        {"Space", "N", U' ', KeyDecision::PassThrough, ""},
        {"Percent", "", U'%', KeyDecision::PassThrough, ""},
        {"Minus", "X", U'-', KeyDecision::PassThrough, ""},
        {"Slash", "", U'/', KeyDecision::PassThrough, ""},
        {"Point", "X1", U'.', KeyDecision::PassThrough, ""},
        {"Backspace", "X1", kKeyBackspace, KeyDecision::PassThrough, ""},
        {"H", "", U'H', KeyDecision::Refuse, ""},
        {"LowerQ", "", U'q', KeyDecision::Refuse, ""},
        {"Plus", "", U'+', KeyDecision::Refuse, ""},
        {"Semicolon", "", U';', KeyDecision::Refuse, ""},
        {"Equals", "", U'=', KeyDecision::Refuse, ""},
        {"Chinese", "", U'中', KeyDecision::Refuse, ""},
        {"Latin1Letter", "", U'é', KeyDecision::Refuse, ""},
        {"ControlCode", "", 1, KeyDecision::Refuse, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int model : {0, 1, 2}) {
            const KeyDecision d = DecideKey(c.text, c.text.size(), model, c.key);
            EXPECT_EQ(d.kind, c.kind);
            EXPECT_EQ(d.text, c.insert);
            if (c.kind == KeyDecision::Refuse) {
                EXPECT_EQ(d.message, msg::kIllegalCharacter);
            }
        }
    }
}

TEST(TypedCharacters, TheMessagesAreTheEditorsOwn) {
    EXPECT_EQ(msg::kIllegalCharacter.text, "您输入的是非法字符!");
    EXPECT_EQ(msg::kIllegalCharacter.caption, "TAPLINK");
    EXPECT_EQ(msg::kLineNumberWrong.caption, "警告!");
    EXPECT_EQ(msg::kLineNumberWrong.icon, MessageIcon::Stop);
    EXPECT_EQ(msg::kNextLineNumberWrong.icon, MessageIcon::None);
}

}  // namespace
}  // namespace taplink
