// Bytes into the editor and back: the same bytes, whatever they were.
#include "text_codec.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <random>

namespace taplink {
namespace {

using namespace std::string_literals;

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
