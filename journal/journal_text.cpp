#include "journal_text.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include "journal.h"
#include "language.h"
#include "translatable.h"

namespace taplink {
namespace {

// What a row's direction says, from every program that writes one.
constexpr const char* kDirections[] = {
    TAPLINK_TEXT("Journal", "send"),   QT_TRANSLATE_NOOP("Journal", "receive"),
    TAPLINK_TEXT("Journal", "verify"), QT_TRANSLATE_NOOP("Journal", "upload"),
    TAPLINK_TEXT("Journal", "remove"), QT_TRANSLATE_NOOP("Journal", "login")};

JournalText FromObject(const QJsonObject& o) {
    return {o[QLatin1String("key")].toString(), o[QLatin1String("values")].toArray(),
            o[QLatin1String("variant")].toString()};
}

template <typename Shown>
QString Filled(const JournalText& text, const QString& pattern, Shown shown) {
    std::vector<std::string> args;
    for (const QJsonValue& v : text.values)
        args.push_back(
            (v.isObject() ? shown(FromObject(v.toObject())) : v.toString()).toStdString());
    return QString::fromStdString(FillPattern(pattern.toStdString(), args));
}

}  // namespace

JournalText Keyed(const QString& key, const QStringList& values) {
    return {key, QJsonArray::fromStringList(values)};
}

QJsonObject Value(const JournalText& text) {
    QJsonObject o{{"key", text.key}};
    if (!text.values.isEmpty()) o[QLatin1String("values")] = text.values;
    if (!text.variant.isEmpty()) o[QLatin1String("variant")] = text.variant;
    return o;
}

JournalText Then(const JournalText& first, const JournalText& next) {
    if (first.key.isEmpty()) return next;
    return {QStringLiteral("%1\n%2"), {Value(first), Value(next)}};
}

QString OriginalText(const JournalText& text) {
    return Filled(text, text.key, [](const JournalText& t) { return OriginalText(t); });
}

QString TranslatedText(const JournalText& text) {
    const QByteArray key = text.key.toUtf8(), variant = text.variant.toUtf8();
    const QString pattern = QCoreApplication::translate(
        "Messages", key.constData(), variant.isEmpty() ? nullptr : variant.constData());
    return Filled(text, pattern, [](const JournalText& t) { return TranslatedText(t); });
}

std::pair<QString, QString> Stored(const JournalText& text) {
    if (text.key.isEmpty()) return {};
    // A variant is a value's: the key's columns hold a text and values only.
    const JournalText top =
        text.variant.isEmpty() ? text : JournalText{QStringLiteral("%1"), {Value(text)}};
    return {top.key, QString::fromUtf8(QJsonDocument(top.values).toJson(QJsonDocument::Compact))};
}

JournalText FromStored(const QString& key, const QString& values) {
    if (key.isEmpty()) return {};
    return {key, QJsonDocument::fromJson(values.toUtf8()).array()};
}

QString ShownMessage(const TransferEnd& end) {
    if (InstalledLanguage() == Language::Original || end.text.key.isEmpty()) return end.message;
    return TranslatedText(end.text);
}

QString OutcomeWord(Outcome outcome) {
    return QCoreApplication::translate("Journal", OutcomeText(outcome).c_str());
}

QString DirectionWord(const QString& direction) {
    for (const char* d : kDirections)
        if (direction == QLatin1String(d)) return QCoreApplication::translate("Journal", d);
    return direction;
}

}  // namespace taplink
