#include "text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace taplink {
namespace {

constexpr const char* kCodePage = "GB18030";

}  // namespace

QString BytesToEditorText(const std::string& bytes) {
    QStringDecoder decoder(kCodePage);
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = decoder.isValid() ? QString(decoder(raw)) : QString::fromLatin1(raw);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string EditorTextToBytes(const QString& text) {
    QString crlf = text;
    crlf.replace(QChar(QChar::ParagraphSeparator), QChar('\n'));
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QStringEncoder encoder(kCodePage);
    const QByteArray raw = encoder.isValid() ? QByteArray(encoder(crlf)) : crlf.toLatin1();
    return std::string(raw.constData(), static_cast<std::size_t>(raw.size()));
}

}  // namespace taplink
