// Real key events typed into the editor widget.
#include "number_edit.h"

#include <gtest/gtest.h>

#include <QTest>

#include "text_codec.h"

namespace taplink {
namespace {

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

}  // namespace
}  // namespace taplink
