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

enum How { Keys, Alt, Ctrl, Meta, Commit, Paste, Drop, Insert };
const Qt::Key kKeys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace};
struct Row {
    How how;
    int model;
    std::string before;  // the editor's text, '^' at the caret
    const char* input;   // for Keys, '\n' is Return, '\r' Enter and '\b' Backspace
    std::string after;   // '^' at the caret
    std::vector<std::string> shown;
};
Row R(How how, int model, std::string before, const char* input, std::string after,
      std::vector<std::string> shown = {}) {
    return {how, model, before, input, after, shown};
}

// However text arrives, typed (Return and Enter number the next block for
// "R40/R60", other models break the line plainly), committed by an input
// method, pasted or dropped, it meets the character rules and the limit of
// 99999 bytes; a paste or a drop keeps its lines as they are, upper-cased,
// or is refused whole. Keys with Alt or Meta are typed like any other.
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
    const Row rows[] = {
        R(Keys, 0, "^", "%12\ng00x10\nm30h;", "%12\r\nN0000 G00 X10\r\nN0010 M30^",
          {illegal, illegal}),
        R(Keys, 0, "%12\r\nN0000 G00 X10^\r\nN0010 M30", "\r",
          "%12\r\nN0000 G00 X10\r\nN0005^\r\nN0010 M30"),
        R(Keys, 0, "%12\r\nN0010 G00^", "\n", "%12\r\nN0010 G00\r\nN0020^"),
        R(Keys, 0, "%123^", "\n", "%123^", {"文件号有错误!"}),
        R(Keys, 1, "^", "%123\nn10", "%123\r\nN10^"), R(Insert, 1, "%123\r\nN10^", "\nH+;q中", gbk),
        R(Keys, 1, gbk, "\b", "%123\r\nN10\r\nH+;q^"),
        R(Commit, 0, "%12\r\nN0000^", "g00x10", "%12\r\nN0000 G00 X10^"),
        R(Commit, 0, "%12\r\nN0000^", "x1中", "%12\r\nN0000^", {illegal}),
        R(Paste, 0, "^", "%12\nn0000 g00\r\nn0010 m30\r", "%12\r\nN0000 G00\r\nN0010 M30\r\n^"),
        R(Paste, 0, "N0010^", " g01;x5\t中h", "N0010^",
          {illegal + "\n\";\" (U+003B) at line 1, column 5: nothing was pasted."}),
        R(Paste, 0, "N0030^", "\ng43 h01", "N0030^",
          {illegal + "\n\"h\" (U+0068) at line 2, column 5: nothing was pasted."}),
        R(Paste, 0, "N0030^", "G04\tX1", "N0030^",
          {illegal + "\nU+0009 at line 1, column 4: nothing was pasted."}),
        R(Drop, 0, "N0010^", " m30\n", "N0010 M30\r\n^"),
        R(Drop, 0, "N0010^", " m30\n#1=2", "N0010^",
          {illegal + "\n\"#\" (U+0023) at line 2, column 1: nothing was dropped."}),
        R(Alt, 0, "N0010 M30^", "hq;g", "N0010 M30 G^", {illegal, illegal, illegal}),
        R(Ctrl, 0, "%12\r\nN0010 G00^", "g\n", "%12\r\nN0010 G00\r\nN0020^"),
        R(Meta, 1, "X1^", "=\r", "X1\r\n^", {illegal}),
        // At the limit the control takes no more; the message is for a
        // text loaded past it.
        R(Keys, 0, nearlyFull + "1^", "2", nearlyFull + "1^"),
        R(Paste, 0, nearlyFull.substr(5) + "^", "G01 X10", nearlyFull.substr(5) + "^"),
        R(Keys, 1, nearlyFull + "12^", "3", nearlyFull + "12^", {full})};
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
            QCoreApplication::processEvents();  // a refusal is said after the drop
        } else if (row.how == Insert) {
            edit.insertPlainText(input);  // the program's own insert
        } else {
            const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::AltModifier,
                                                  Qt::ControlModifier, Qt::MetaModifier};
            for (const QChar ch : input) {
                const auto k = QStringLiteral("\n\r\b").indexOf(ch);
                if (k >= 0) QTest::keyClick(&edit, kKeys[k], mods[row.how]);
                if (k < 0) QTest::keyClicks(&edit, QString(ch), mods[row.how]);
            }
        }
        const std::string text = EditorTextToBytes(edit.toPlainText());
        const std::string shown =
            text.substr(0, edit.CaretInText()) + '^' + text.substr(edit.CaretInText());
        EXPECT_TRUE(shown == row.after) << shown.substr(0, 60);
        EXPECT_EQ(messages, row.shown);
    }
}

// A line cut from a loaded program and pasted back, with the editor's own
// keys: the paste is refused whole, the clipboard keeps the line, and undo
// brings it back.
TEST(NumberEdit, ARefusedPasteChangesNothingAndUndoRestoresTheCut) {
    CNumberEdit edit;
    std::vector<std::string> messages;
    edit.SetHooks({{}, {}, [&](const Message& m) { messages.push_back(m.text); }});
    edit.show();
    const std::string program = "N0000 G43 H01 (TOOL 1) #1=2\r\nN0010 M30";
    edit.SetTextFromProgram(BytesToEditorText(program));
    edit.moveCursor(QTextCursor::Start);
    QTest::keyClick(&edit, Qt::Key_Down, Qt::ShiftModifier);
    for (const Qt::Key key : {Qt::Key_X, Qt::Key_V})
        QTest::keyClick(&edit, key, Qt::ControlModifier);
    EXPECT_EQ(EditorBytes(edit), "N0010 M30");
    EXPECT_EQ(messages, std::vector<std::string>{"您输入的是非法字符!\n\"H\" (U+0048) at line 1, "
                                                 "column 11: nothing was pasted."});
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "N0000 G43 H01 (TOOL 1) #1=2\n");
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(EditorBytes(edit), program);
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
