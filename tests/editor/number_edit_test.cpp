// Real key events typed into the editor widget, and bytes into an editor and
// back: the same bytes, whatever they were.
#include "number_edit.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
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

TEST_F(NumberEditTest, OtherModelsBreakLinesPlainlyAndProgramInsertsAreNotFiltered) {
    model_ = 1;
    QTest::keyClicks(&edit_, "%123");
    QTest::keyClick(&edit_, Qt::Key_Return);
    QTest::keyClicks(&edit_, "n10");
    EXPECT_EQ(Text(), "%123\r\nN10");
    edit_.insertPlainText(QStringLiteral("\nH+;q中"));  // the program's own insert
    EXPECT_EQ(Text(), "%123\r\nN10\r\nH+;q\xD6\xD0");
    QTest::keyClick(&edit_, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "%123\r\nN10\r\nH+;q");
    EXPECT_TRUE(shown_.empty());
}

// However text arrives it meets the character rules and the limit of 99999
// bytes; a paste or a drop keeps its lines as they are, upper-cased.
TEST_F(NumberEditTest, TextArrivingOtherwiseThanByKeysFollowsTheTypingRules) {
    enum How { Commit, Paste, Drop, Keys };
    struct Row {
        How how;
        std::string before;  // the editor's text, the caret at its end
        const char* input;
        std::string after;
        std::vector<std::string> shown;
    };
    const std::string illegal = "您输入的是非法字符!", full = "“请填入不多于99999个的字符。”";
    // 99998 bytes, a two-byte character among them: 99997 characters.
    const std::string head = "%12\r\nN0000 (\xD6\xD0)\r\n";
    const std::string nearlyFull = head + std::string(99998 - head.size(), '1');
    const Row rows[] = {
        {Commit, "%12\r\nN0000", "g00x10", "%12\r\nN0000 G00 X10", {}},
        {Commit, "%12\r\nN0000", "x1中", "%12\r\nN0000", {illegal}},
        {Paste, "", "%12\nn0000 g00\r\nn0010 m30\r", "%12\r\nN0000 G00\r\nN0010 M30\r\n", {}},
        {Paste, "N0010", " g01;x5\t中h", "N0010 G01X5", {illegal}},
        {Drop, "N0010", " m30\n", "N0010 M30\r\n", {}},
        {Keys, nearlyFull + "1", "2", nearlyFull + "1", {full}},
        {Paste, nearlyFull.substr(5), "G01 X10", nearlyFull.substr(5), {full}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << &row - rows);
        edit_.SetTextFromProgram(BytesToEditorText(row.before));
        edit_.moveCursor(QTextCursor::End);
        shown_.clear();
        const QString input = QString::fromUtf8(row.input);
        if (row.how == Commit) {
            QInputMethodEvent commit;
            commit.setCommitString(input);
            QCoreApplication::sendEvent(&edit_, &commit);
        } else if (row.how == Paste) {
            QGuiApplication::clipboard()->setText(input);
            edit_.paste();
        } else if (row.how == Drop) {
            QMimeData data;
            data.setText(input);
            const QPoint end(edit_.viewport()->width() - 4, edit_.viewport()->height() - 4);
            QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit_.viewport(), &enter);
            QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit_.viewport(), &drop);
        } else {
            QTest::keyClicks(&edit_, input);
        }
        EXPECT_TRUE(Text() == row.after) << Text().substr(0, 40);
        EXPECT_EQ(shown_, row.shown);
    }
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
