// The editor shows text; the program keeps bytes. Controller files are GBK,
// so bytes are shown through GB18030 and CR LF line breaks become the
// editor's line breaks, and back.
#pragma once

#include <QString>
#include <string>

namespace taplink {

QString BytesToEditorText(const std::string& bytes);
std::string EditorTextToBytes(const QString& text);

}  // namespace taplink
