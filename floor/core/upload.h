// A document put into a machine's outbox from the network: refused with the
// send checks' own message when the controller would refuse it, so that
// only what the station can send ever waits in an outbox.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "station_config.h"

namespace taplink {

// The largest upload: any document a controller takes fits (a frame holds
// at most 65 535 bytes).
inline constexpr qsizetype kMaxUpload = qsizetype{64} << 10;

// CheckDocumentName of the name's UTF-8 form.
std::optional<QString> CheckDocumentName(const QString& name);

struct Upload {
    enum class Outcome {
        Placed,    // name is the file's name in the outbox
        BadName,   // the name is not a document's (CheckDocumentName)
        TooLarge,  // more than kMaxUpload bytes
        Taken,     // a file of that name waits in the outbox: reason says so
        Refused,   // a send check refused it: reason is its message
        Failed,    // the outbox could not be written: reason is the system's
    };
    Outcome outcome = Outcome::Failed;
    QString name;
    QString reason;
};

// Checks the document as the station would load and send it to this
// machine, read from a file of the same extension, and writes a good one
// into the machine's outbox whole under its own name: the name its sender
// knows it by, and will look for. Never over another file: while one of
// that name waits, the upload is Taken. now is kept for the station's
// timed names, should they be wanted again.
Upload PlaceUpload(const MachineConfig& machine, const QString& name, const QByteArray& bytes,
                   const QDateTime& now);

}  // namespace taplink
