#include "block_numbering.h"

#include <gtest/gtest.h>

#include "dialog_state.h"

namespace taplink {
namespace {

// The editor's own messages.
const Message kIllegal{"您输入的是非法字符!", "TAPLINK"};
const Message kLineWrong{"此行行号有错误!", "警告!", MessageIcon::Stop};
const Message kFileWrong{"文件号有错误!", "警告!", MessageIcon::Stop};
const Message kNextWrong{"下面一行的行号有错误!", "TAPLINK"};
const Message kFull{"行号已到N9999，不能再编号!", "警告!", MessageIcon::Stop};

// Insert when `insert` is not empty, Refuse when `refuse` is set, else PassThrough.
void ExpectDecision(const KeyDecision& d, const std::string& insert, const Message* refuse) {
    EXPECT_EQ(d.kind, !insert.empty() ? KeyDecision::Insert
                      : refuse        ? KeyDecision::Refuse
                                      : KeyDecision::PassThrough);
    EXPECT_EQ(d.text, insert);
    EXPECT_EQ(d.message, refuse ? *refuse : Message{});
}

TEST(BlockNumbering, EnterNumbersBlocksOrRefuses) {
    constexpr auto npos = std::string::npos;
    // A first block, one appended or put between two, a refused "%123" and
    // other models' plain breaks are typed in number_edit_test.
    const std::string two = "%12\r\nN0010 G00\r\nN0020 M30";
    struct Case {
        const char* name;
        std::string text;
        std::size_t caret;  // npos: at the end
        std::string insert;
        const Message* refuse = nullptr;
        int model = kModelR40;
    } const cases[] = {
        {"FirstLineWithBlocksBelow", two, 3, "\r\nN0000"},
        {"LettersAsProgramNumber", "%AB", npos, "", &kFileWrong},
        {"CaretAtZero", "%12", 0, "\r\n"},
        {"BetweenCloseBlocks", "%12\r\nN0015 G00\r\nN0020 M30", 14, "\r\nN0017"},
        {"NextLineWithoutANumber", "%12\r\nN0010 G00\r\nG01 X10", 14, "", &kNextWrong},
        {"ShortLastLineCountsAsNone", "%12\r\nN0010 G00\r\nN00", 14, "\r\nN0020"},
        {"CaretAtALineStartTakesThatLine", two, 5, "\r\nN0015"},
        {"LineWithoutANumber", "%12\r\nG00 X1", npos, "", &kLineWrong},
        {"LineWithAShortNumber", "%12\r\nN12 X1", npos, "", &kLineWrong},
        {"StaleEmptyCopyAfterALoad", "", 25, "", &kFileWrong},
        {"LastNumber", "%12\r\nN9989 M30", npos, "\r\nN9999"},
        {"BeyondN9999", "%12\r\nN9990 M30", npos, "", &kFull},
        {"PositionsBeyond32767", "%12\r\nN0010 " + std::string(40000, 'X') + "\r\nN0030 M30", 40011,
         "\r\nN0020"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t caret = c.caret == npos ? c.text.size() : c.caret;
        ExpectDecision(DecideKey(c.text, caret, c.model, kKeyEnter), c.insert, c.refuse);
    }
}

TEST(BlockNumbering, TypedCharactersAreFilteredAndSpacedInEveryModel) {
    const std::tuple<std::string, char32_t, std::string> inserts[] = {
        {"N0000 ", U'x', "X"},    // no second space
        {"%12\r\n", U'N', "N"},   // N starts a line
        {"%12\r\n", U'G', " G"},  // other letters do not
        {"", U'o', "O"},
    };
    for (const int model : {kModelR40, kModelR80, kModelMemory}) {
        SCOPED_TRACE(model);
        for (const auto& [text, key, insert] : inserts) {
            ExpectDecision(DecideKey(text, text.size(), model, key), insert, nullptr);
        }
        for (const char32_t key : std::u32string(U"7 %-/.\b")) {
            ExpectDecision(DecideKey("X1", 2, model, key), "", nullptr);
        }
        for (const char32_t key : std::u32string(U"Hq+;=中é\x01")) {
            ExpectDecision(DecideKey("", 0, model, key), "", &kIllegal);
        }
    }
}

}  // namespace
}  // namespace taplink
