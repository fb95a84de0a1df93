// The editor shows text; the program keeps bytes. Controller files are GBK,
// so bytes are shown through GB18030, and the way back gives the same bytes
// for anything that came in: CR LF and bare LF line ends each come back as
// they were, and bytes that do not decode are carried as characters of a
// private-use range (U+F700 + byte) that go back to those bytes.
#pragma once

#include <QString>
#include <string>

class QPlainTextEdit;

namespace taplink {

QString BytesToEditorText(const std::string& bytes);
// Takes the editor's raw text (blocks separated by U+2029) or plain text
// ('\n' line ends): both become CR LF; U+2028 becomes a bare LF.
std::string EditorTextToBytes(QStringView text);
// The length of EditorTextToBytes(text), without making it.
std::size_t EditorByteCount(QStringView text);
// What an editor holds, as bytes.
std::string EditorBytes(const QPlainTextEdit& editor);

}  // namespace taplink
