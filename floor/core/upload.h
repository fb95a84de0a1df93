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
        Refused,   // a send check refused it: reason is its message
        Failed,    // the outbox could not be written: reason is the system's
    };
    Outcome outcome = Outcome::Failed;
    QString name;
    QString reason;
};

// Checks the document as the station would load and send it to this
// machine, read from a file of the same extension, and writes a good one
// into the machine's outbox whole, under the timed name of name at now
// ("NAME_YYYYMMDD-HHMMSS.EXT", numbered within a second), never over
// another file.
Upload PlaceUpload(const MachineConfig& machine, const QString& name, const QByteArray& bytes,
                   const QDateTime& now);

}  // namespace taplink
