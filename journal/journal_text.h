// A journal's message in no language: the catalogues' text (context
// "Messages", in the system's own wording, with %1, %2, ...) and its values,
// each shown as it is or, when itself such a text, translated too. A reader
// shows it in its own language; the row's message keeps the original words
// for readers that know no keys, and rows written before keys show those.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace taplink {

struct TransferEnd;
enum class Outcome;

struct JournalText {
    QString key;           // empty: none
    QJsonArray values;     // strings, or objects {"key", "values", "variant"} (see Value)
    QString variant = {};  // which of the key's translations
};

// A text of its own, its values shown as they are.
JournalText Keyed(const QString& key, const QStringList& values = {});
// A value that is itself a text.
QJsonObject Value(const JournalText& text);
// One text after the other, on a line of its own.
JournalText Then(const JournalText& first, const JournalText& next);

// The system's own words, as every row's message keeps them.
QString OriginalText(const JournalText& text);
// In the language installed (the original's own words when that is none).
QString TranslatedText(const JournalText& text);

// As the columns message_key and message_values keep it (a null key: none),
// and back.
std::pair<QString, QString> Stored(const JournalText& text);
JournalText FromStored(const QString& key, const QString& values);

// The message of a row's end in the reader's language: the stored message
// when the reader reads the original texts or the row has no key.
QString ShownMessage(const TransferEnd& end);

// An outcome's and a direction's word as the journal keeps it ("done",
// "send"), in the reader's language: for the eye only, never for a filter or
// JSON. A direction the journal does not know is shown as it is.
QString OutcomeWord(Outcome outcome);
QString DirectionWord(const QString& direction);

}  // namespace taplink
