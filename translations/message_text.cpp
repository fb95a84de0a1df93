#include "message_text.h"

#include <QCoreApplication>

namespace taplink {

QString TranslatedCoreText(const std::string& text) {
    return QCoreApplication::translate("Messages", text.c_str());
}

QString TranslatedText(const Message& message) {
    if (message.pattern.empty()) {
        const QString text = QCoreApplication::translate(
            "Messages", message.text.c_str(),
            message.variant.empty() ? nullptr : message.variant.c_str());
        // A translation may give values the original does not show.
        if (message.args.empty() || text.toStdString() == message.text) return text;
        return QString::fromStdString(FillPattern(text.toStdString(), message.args));
    }
    // A value is translated when it is one of the core's texts (a reason
    // such as "the port is not open"); paths and the system's reasons are
    // not in the catalogues and stay as they are.
    std::vector<std::string> args;
    args.reserve(message.args.size());
    for (const std::string& arg : message.args)
        args.push_back(TranslatedCoreText(arg).toStdString());
    return QString::fromStdString(
        FillPattern(TranslatedCoreText(message.pattern).toStdString(), args));
}

QString TranslatedText(const CommError& error) {
    if (error.pattern.empty()) return QString::fromStdString(error.what());
    return TranslatedText(Composed(error.pattern, error.args, {}, MessageIcon::Stop));
}

QString TranslatedCaption(const Message& message) {
    return TranslatedCoreText(message.caption);
}

}  // namespace taplink
