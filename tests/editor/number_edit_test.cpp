// Real key events typed into the editor widget, and bytes into an editor and
// back: the same bytes, whatever they were.
#include "number_edit.h"

#include <gtest/gtest.h>

#include <QTest>
#include <random>

#include "text_codec.h"

namespace taplink {
namespace {

using namespace std::string_literals;

class NumberEditTest : public ::testing::Test {
  protected:
    NumberEditTest() {
        edit_.SetHooks({[this]() -> const std::string& { return copy_; }, [this] { return model_; },
                        [this](const Message& m) { shown_.push_back(m.text); }});
        QObject::connect(&edit_, &QPlainTextEdit::textChanged,
                         [this] { copy_ = EditorTextToBytes(edit_.toPlainText()); });
        edit_.show();
        edit_.setFocus();
    }
    std::string Text() const { return EditorTextToBytes(edit_.toPlainText()); }

    CNumberEdit edit_;
    std::string copy_;
    int model_ = 0;
    std::vector<std::string> shown_;
};

TEST_F(NumberEditTest, TypingAProgramNumbersItsBlocksAndRefusesOtherCharacters) {
    QTest::keyClicks(&edit_, "%12");
    QTest::keyClick(&edit_, Qt::Key_Return);
    QTest::keyClicks(&edit_, "g00x10");
    QTest::keyClick(&edit_, Qt::Key_Return);
    QTest::keyClicks(&edit_, "m30h;");
    EXPECT_EQ(Text(), "%12\r\nN0000 G00 X10\r\nN0010 M30");
    EXPECT_EQ(shown_, (std::vector<std::string>(2, "您输入的是非法字符!")));

    // A block between the two.
    QTextCursor c = edit_.textCursor();
    c.setPosition(static_cast<int>(QString("%12\nN0000 G00 X10").size()));
    edit_.setTextCursor(c);
    QTest::keyClick(&edit_, Qt::Key_Enter);
    EXPECT_EQ(Text(), "%12\r\nN0000 G00 X10\r\nN0005\r\nN0010 M30");
    EXPECT_EQ(edit_.CaretInText(), std::string("%12\r\nN0000 G00 X10\r\nN0005").size());
}

TEST_F(NumberEditTest, TextFromTheProgramIsNotTheOperatorsChange) {
    edit_.SetTextFromProgram(QStringLiteral("%12\nN0010 G00"));
    EXPECT_FALSE(edit_.ChangingFromProgram());
    edit_.moveCursor(QTextCursor::End);
    QTest::keyClick(&edit_, Qt::Key_Return);  // the copy followed the load
    EXPECT_EQ(Text(), "%12\r\nN0010 G00\r\nN0020");
    edit_.SetTextFromProgram(QStringLiteral("%123"));
    edit_.moveCursor(QTextCursor::End);
    QTest::keyClick(&edit_, Qt::Key_Return);
    EXPECT_EQ(Text(), "%123");
    EXPECT_EQ(shown_, std::vector<std::string>{"文件号有错误!"});
}

TEST_F(NumberEditTest, OtherModelsBreakLinesPlainlyAndPasteIsNotFiltered) {
    model_ = 1;
    QTest::keyClicks(&edit_, "%123");
    QTest::keyClick(&edit_, Qt::Key_Return);
    QTest::keyClicks(&edit_, "n10");
    EXPECT_EQ(Text(), "%123\r\nN10");
    edit_.insertPlainText(QStringLiteral("\nH+;q中"));  // as a paste would
    EXPECT_EQ(Text(), "%123\r\nN10\r\nH+;q\xD6\xD0");
    QTest::keyClick(&edit_, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "%123\r\nN10\r\nH+;q");
    EXPECT_TRUE(shown_.empty());
}

TEST(TextCodec, ShowsGbkReadablyAndKeepsEveryByte) {
    QPlainTextEdit editor;
    const auto through = [&editor](const std::string& bytes) {
        editor.setPlainText(BytesToEditorText(bytes));
        return EditorBytes(editor);
    };
    const std::string gbk = "%12\r\nN0000 (\xD6\xD0\xCE\xC4)\r\n";
    through(gbk);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("%12\nN0000 (中文)\n"));
    // Line breaks of every kind, GBK, four-byte GB18030, broken and invalid
    // sequences, controls, and a private use character from the file.
    for (const std::string& bytes :
         {gbk, "%12\nN0000\n"s, "A\r\nB\nC\rD\r\r\n"s, "\x81\x30\x81\x30"s, "A\xD6"s,
          "\xD6\x20\xD6\xD0"s, "\x80\xFF\x81\x7F"s, "A\0B"s, "\x01\x1B\x7F\t"s,
          "\x84\x31\xA4\x39"s}) {
        EXPECT_EQ(through(bytes), bytes);
    }
    std::mt19937 rng(5);
    const std::string alphabet = "\r\n\0 AZ%\xB0\xA1\xD6\xD0\x81\x30\x39\xFE\x80\xFF"s;
    for (int trial = 0; trial < 300; ++trial) {
        std::string bytes(rng() % 60, ' ');
        for (char& b : bytes)
            b = trial % 2 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
        ASSERT_EQ(through(bytes), bytes) << trial;
    }
}

}  // namespace
}  // namespace taplink
