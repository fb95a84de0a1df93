// One transfer's row in the journal as a front end sees it: begun before the
// first byte, ended by the message the transfer ends with (or by the port's
// failure, or by a verify's result). Without a journal it does nothing; a
// journal that fails a write is said once and the transfer goes on.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "journal.h"
#include "messages.h"
#include "ms_comm.h"

namespace taplink {

// The outcome a transfer's ending message stands for; nothing for messages
// that end no transfer.
std::optional<Outcome> OutcomeForMessage(const Message& m);
// The model list's entry, as the journal keeps it.
QString ModelName(int model);

class TransferRecorder {
  public:
    // journal may be null. warn is told, once, when the journal fails.
    TransferRecorder(Journal* journal, std::function<void(const QString&)> warn);

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
    // kept: where a received document was written, when it was.
    void End(Outcome outcome, const std::string& message, const Bytes& document,
             const QString& kept = {});
    bool Recording() const { return id_ != 0; }

  private:
    Journal* journal_;
    std::function<void(const QString&)> warn_;
    qint64 id_ = 0;
    bool warned_ = false;
};

}  // namespace taplink
