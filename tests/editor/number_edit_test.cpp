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

enum How { Keys, Commit, Paste, Drop, Insert };
const Qt::Key kKeys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace};
struct Row {
    How how;
    int model;
    std::string before;  // the editor's text, '^' at the caret
    const char* input;   // for Keys, '\n' is Return, '\r' Enter and '\b' Backspace
    std::string after;   // '^' at the caret
    std::vector<std::string> shown = {};
};

// However text arrives, typed (Return and Enter number the next block for
// "R40/R60", other models break the line plainly), committed by an input
// method, pasted or dropped, it meets the character rules and the limit of
// 99999 bytes; a paste or a drop keeps its lines as they are, upper-cased.
// The program's own inserts and loads are not the operator's typing, and the
// copy the rules read follows a load.
TEST(NumberEdit, TextFollowsTheTypingRulesHoweverItArrives) {
    CNumberEdit edit;
    std::string copy;  // the window's copy of the text, which the rules read
    int model = 0;
    std::vector<std::string> messages;
    edit.SetHooks({[&]() -> const std::string& { return copy; }, [&] { return model; },
                   [&](const Message& m) { messages.push_back(m.text); }});
    QObject::connect(&edit, &QPlainTextEdit::textChanged,
                     [&] { copy = EditorTextToBytes(edit.toPlainText()); });
    edit.show();
    edit.setFocus();
    const std::string illegal = "您输入的是非法字符!", full = "“请填入不多于99999个的字符。”";
    // 99998 bytes, a two-byte character among them: 99997 characters.
    const std::string head = "%12\r\nN0000 (\xD6\xD0)\r\n";
    const std::string nearlyFull = head + std::string(99998 - head.size(), '1');
    const std::string gbk = "%123\r\nN10\r\nH+;q\xD6\xD0^";
    // clang-format off
    const Row rows[] = {
        {Keys, 0, "^", "%12\ng00x10\nm30h;", "%12\r\nN0000 G00 X10\r\nN0010 M30^", {illegal, illegal}},
        {Keys, 0, "%12\r\nN0000 G00 X10^\r\nN0010 M30", "\r",
         "%12\r\nN0000 G00 X10\r\nN0005^\r\nN0010 M30"},
        {Keys, 0, "%12\r\nN0010 G00^", "\n", "%12\r\nN0010 G00\r\nN0020^"},
        {Keys, 0, "%123^", "\n", "%123^", {"文件号有错误!"}},
        {Keys, 1, "^", "%123\nn10", "%123\r\nN10^"},
        {Insert, 1, "%123\r\nN10^", "\nH+;q中", gbk},
        {Keys, 1, gbk, "\b", "%123\r\nN10\r\nH+;q^"},
        {Commit, 0, "%12\r\nN0000^", "g00x10", "%12\r\nN0000 G00 X10^"},
        {Commit, 0, "%12\r\nN0000^", "x1中", "%12\r\nN0000^", {illegal}},
        {Paste, 0, "^", "%12\nn0000 g00\r\nn0010 m30\r", "%12\r\nN0000 G00\r\nN0010 M30\r\n^"},
        {Paste, 0, "N0010^", " g01;x5\t中h", "N0010 G01X5^", {illegal}},
        {Drop, 0, "N0010^", " m30\n", "N0010 M30\r\n^"},
        {Keys, 0, nearlyFull + "1^", "2", nearlyFull + "1^", {full}},
        {Paste, 0, nearlyFull.substr(5) + "^", "G01 X10", nearlyFull.substr(5) + "^", {full}}};
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << &row - rows);
        model = row.model;
        const std::size_t caret = row.before.find('^');
        edit.SetTextFromProgram(
            BytesToEditorText(row.before.substr(0, caret) + row.before.substr(caret + 1)));
        EXPECT_FALSE(edit.ChangingFromProgram());
        QTextCursor c = edit.textCursor();
        c.setPosition(static_cast<int>(BytesToEditorText(row.before.substr(0, caret)).size()));
        edit.setTextCursor(c);
        messages.clear();
        const QString input = QString::fromUtf8(row.input);
        if (row.how == Commit) {
            QInputMethodEvent commit;
            commit.setCommitString(input);
            QCoreApplication::sendEvent(&edit, &commit);
        } else if (row.how == Paste) {
            QGuiApplication::clipboard()->setText(input);
            edit.paste();
        } else if (row.how == Drop) {
            QMimeData data;
            data.setText(input);
            const QPoint end(edit.viewport()->width() - 4, edit.viewport()->height() - 4);
            QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit.viewport(), &enter);
            QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit.viewport(), &drop);
        } else if (row.how == Insert) {
            edit.insertPlainText(input);  // the program's own insert
        } else {
            for (const QChar ch : input) {
                const auto k = QStringLiteral("\n\r\b").indexOf(ch);
                if (k >= 0) QTest::keyClick(&edit, kKeys[k]);
                if (k < 0) QTest::keyClicks(&edit, QString(ch));
            }
        }
        const std::string text = EditorTextToBytes(edit.toPlainText());
        const std::string shown =
            text.substr(0, edit.CaretInText()) + '^' + text.substr(edit.CaretInText());
        EXPECT_TRUE(shown == row.after) << shown.substr(0, 60);
        EXPECT_EQ(messages, row.shown);
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
          "\x84\x31\xA4\x39"s})
        EXPECT_EQ(through(bytes), bytes);
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
