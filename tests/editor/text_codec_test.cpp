// Bytes into the editor and back: the same bytes, whatever they were.
#include "text_codec.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <random>

namespace taplink {
namespace {

std::string ThroughEditor(const std::string& bytes) {
    QPlainTextEdit editor;
    editor.setPlainText(BytesToEditorText(bytes));
    return EditorBytes(editor);
}

TEST(TextCodec, ShowsGbkReadablyAndKeepsEveryByte) {
    struct Case {
        const char* name;
        std::string bytes;
        QString shown;  // the editor's plain text, where it matters
    } const cases[] = {
        {"CrLf", "%12\r\nN0000 G00\r\n", QStringLiteral("%12\nN0000 G00\n")},
        {"BareLf", "%12\nN0000\n", QString()},
        {"Mixed", "A\r\nB\nC\rD\r\r\n", QString()},
        {"Gbk", "(\xD6\xD0\xCE\xC4)\r\n", QStringLiteral("(中文)\n")},
        {"FourByteGb18030", "\x81\x30\x81\x30", QString()},
        {"BrokenLeadByte", "A\xD6", QString()},
        {"LeadByteWithBadTrail", "\xD6\x20\xD6\xD0", QString()},
        {"InvalidBytes", std::string("\x80\xFF\x81\x7F", 4), QString()},
        {"Nul", std::string("A\0B", 3), QString()},
        {"Controls", "\x01\x1B\x7F\t", QString()},
        {"PrivateUseFromTheFile", "\x84\x31\xA4\x39", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ThroughEditor(c.bytes), c.bytes);
        if (!c.shown.isEmpty()) {
            QPlainTextEdit editor;
            editor.setPlainText(BytesToEditorText(c.bytes));
            EXPECT_EQ(editor.toPlainText(), c.shown);
        }
    }
}

TEST(TextCodec, AnyBytesComeBackUnchanged) {
    std::mt19937 rng(5);
    const std::string alphabet =
        std::string("\r\n\x00 AZ%\xB0\xA1\xD6\xD0\x81\x30\x39\xFE\x80\xFF", 18);
    for (int trial = 0; trial < 300; ++trial) {
        std::string bytes(rng() % 60, ' ');
        for (char& b : bytes) {
            b = trial % 2 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
        }
        ASSERT_EQ(ThroughEditor(bytes), bytes) << trial;
    }
}

}  // namespace
}  // namespace taplink
