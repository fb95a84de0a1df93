#include "message_text.h"

#include <QCoreApplication>

#include "language.h"

namespace taplink {

QString TranslatedCoreText(const std::string& text) {
    return QCoreApplication::translate("Messages", text.c_str());
}

QString TranslatedText(const Message& message) {
    // The system's own texts are the messages' own, byte for byte.
    if (InstalledLanguage() == Language::Original) return QString::fromStdString(message.text);
    if (message.pattern.empty()) {
        const QString text = QCoreApplication::translate(
            "Messages", message.text.c_str(),
            message.variant.empty() ? nullptr : message.variant.c_str());
        // A translation may give values the original does not show.
        if (message.args.empty()) return text;
        return QString::fromStdString(FillPattern(text.toStdString(), message.args));
    }
    std::vector<std::string> args = message.args;
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (message.textArgs & (1u << k)) args[k] = TranslatedCoreText(args[k]).toStdString();
    }
    return QString::fromStdString(
        FillPattern(TranslatedCoreText(message.pattern).toStdString(), args));
}

QString TranslatedText(const CommError& error) {
    if (error.pattern.empty()) return QString::fromStdString(error.what());
    return TranslatedText(
        Composed(error.pattern, error.args, {}, MessageIcon::Stop, error.textArgs));
}

QString TranslatedLineFailure(const std::string& what) {
    return TranslatedText(msg::LineFailure(what));
}

QString TranslatedCaption(const Message& message) {
    return TranslatedCoreText(message.caption);
}

}  // namespace taplink
