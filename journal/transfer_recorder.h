// One transfer's row in the journal as a front end sees it: begun before the
// first byte, ended by the message the transfer ends with (or by the port's
// failure, or by a verify's result), with the document's bytes. Without a
// journal it does nothing; a journal that fails a write is said once and the
// transfer goes on. An end the journal cannot take is tried again, then kept
// on this host: it is never lost to a journal that was away.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <optional>

#include "journal.h"
#include "messages.h"
#include "ms_comm.h"

namespace taplink {

// The outcome a transfer's ending message stands for; nothing for messages
// that end no transfer.
std::optional<Outcome> OutcomeForMessage(const Message& m);
// A message (a port's refusal) as the journal keeps it: its pattern and
// values, the values that are texts translated where it is read.
JournalText KeyedText(const Message& m);
JournalText KeyedText(const CommError& e);

// The model list's entry, as the journal keeps it.
QString ModelName(int model);

// How long a program with nothing else to do tries an end again (and the
// lost journal's connection) before it keeps the end for later.
inline constexpr std::chrono::milliseconds kEndPatience{5000};

class TransferRecorder {
  public:
    // journal may be null. warn is told, once, when the journal fails.
    // patience: how long End waits for a journal that cannot be written; a
    // program that runs on (the station) gives none and calls RecordPending.
    TransferRecorder(Journal* journal, std::function<void(const QString&)> warn,
                     std::chrono::milliseconds patience = kEndPatience);

    struct Start {
        QString port;
        int model = 0;
        QString direction;  // "send", "receive", "verify"
        QString documentPath;
        QString tracePath;
        QString machine = {};
    };
    void Begin(const Start& start);
    // A message the transfer shows: ends the row when it is an ending one.
    // document: what was sent or received, as the controller keeps it.
    void OnMessage(const Message& m, const Bytes& document);
    // kept: where a received document was written, when it was. Whether
    // the end is in the journal (or there is none); when the journal could
    // not take it, the end is pending, and kept on this host for the next
    // program should this one end first (Journal::KeepEnd).
    // original: the message's own words when they are not the text's
    // (a count's plurals); empty: the text's.
    bool End(Outcome outcome, const JournalText& message, const Bytes& document,
             const QString& kept = {}, const QString& original = {});
    bool End(Outcome outcome, const Message& m, const Bytes& document, const QString& kept = {}) {
        return End(outcome, KeyedText(m), document, kept, QString::fromStdString(m.text));
    }
    // A text of the program's own (a port's failure as the system says it).
    bool End(Outcome outcome, const std::string& message, const Bytes& document,
             const QString& kept = {}) {
        return End(outcome, Keyed(QString::fromStdString(message)), document, kept);
    }
    bool Recording() const { return id_ != 0; }
    // The row of the last transfer begun; 0 when there was none.
    qint64 Row() const { return row_; }
    bool Pending() const { return pending_.has_value(); }
    // Writes a pending end, saying that it is late, once the journal can
    // take it. Whether none is pending now.
    bool RecordPending();

  private:
    bool Write(const TransferEnd& end);

    Journal* journal_;
    std::function<void(const QString&)> warn_;
    std::chrono::milliseconds patience_;
    qint64 id_ = 0;
    qint64 row_ = 0;
    std::optional<std::pair<qint64, TransferEnd>> pending_;  // its row, and the end
    bool warned_ = false;
};

}  // namespace taplink
