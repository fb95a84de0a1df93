// The station's folders: which document of an outbox goes next, and moving
// or writing a document so that a crash leaves it whole in one place, never
// half in two, and never over another file.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>

namespace taplink {

// A document written less than this long ago may still be being copied in.
inline constexpr qint64 kSettleMs = 1000;

struct OutboxPick {
    QString path;  // the oldest settled document; empty when there is none
    // When a document is still settling: how long until it is settled.
    std::optional<qint64> settlesInMs;
};
// The oldest settled document (by modification time, then name) of the
// outbox: files whose names do not start with '.', pipes, devices and broken
// links among them (Send refuses those, so that they leave the outbox).
OutboxPick PickOutboxDocument(const QString& outbox, const QDateTime& now);

// "NAME_YYYYMMDD-HHMMSS.EXT" in local time, with "-2", "-3", ... before the
// extension for the second and later files of one second. NAME is cut so
// that the name, and a ".why" after it, fit in a file name.
QString TimedName(const QString& stem, const QString& extension, const QDateTime& when,
                  int attempt);

// Moves the file into folder under its timed name, never replacing a file,
// and makes the move durable. The new path, or the system's reason.
struct Placed {
    QString path;
    std::string error;
};
Placed MoveInto(const QString& file, const QString& folder, const QDateTime& when);
// Writes a new file into folder under the timed name of stem and extension
// (asNamed: under "STEM.EXTENSION" itself while no file has that name):
// whole (written under a hidden name, synced, then linked in) or not at all.
Placed WriteInto(const QString& folder, const QString& stem, const QString& extension,
                 const std::string& bytes, const QDateTime& when, bool asNamed = false);
// Writes path whole (a hidden temporary file renamed over it).
std::string WriteWhole(const QString& path, const std::string& bytes);

}  // namespace taplink
