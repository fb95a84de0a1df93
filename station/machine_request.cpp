// A machine's answers to its controller's requests (request.h): the program
// asked for is checked as Send would check it and copied from the library
// into the outbox, where it goes first; a request that cannot be answered is
// kept in the inbox with why. Each gets a journal row of its own, after the
// receive's.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "file_commands.h"
#include "file_io.h"
#include "folders.h"
#include "machine.h"
#include "request.h"
#include "verify.h"

namespace taplink {

std::optional<int> Machine::RequestedBy(const QString& path) const {
    for (const auto& [number, copy] : requested_)
        if (copy == path) return number;
    return std::nullopt;
}

// The controller that asked goes into input for what it asked for. Until it
// says it is ready the machine listens rather than waits in Send: a
// controller that outputs first (asks again, or gives a document) is heard,
// and its ready, heard or seen while the machine rested, sends the copy
// (written whole: it needs no settling). An inbox that cannot take what is
// heard leaves only the wait in Send. Whether a copy waited.
bool Machine::AnswerNext() {
    std::erase_if(requested_, [](const auto& r) { return !QFileInfo::exists(r.second); });
    if (requested_.empty()) return false;
    const bool ready = g_.g_nPeerReady == 1 || st_.m_bSendHandshake == 1;
    if (ready || !unfiled_.empty()) {
        PressSend(requested_.front().second);
    } else {
        PressReceive();
    }
    return true;
}

bool Machine::CopyWaits() const {
    return std::any_of(requested_.begin(), requested_.end(),
                       [](const auto& r) { return QFileInfo::exists(r.second); });
}

QString Machine::Awaited(int number, const QString& copy) {
    return QStringLiteral("for %1: waiting for the controller to take %2")
        .arg(number)
        .arg(QFileInfo(copy).fileName());
}

void Machine::FinishRequest(const Message& ending, const Bytes& request, const QString& stem) {
    const Wanted wanted = WantedProgram(
        std::string_view(reinterpret_cast<const char*>(request.data()), request.size()),
        config_.requestWord);
    QString why = wanted.why, from, copy, replaced;
    if (wanted.number) {
        const Found found = FindInLibrary(config_.library, config_.model, *wanted.number);
        why = found.why;
        from = found.path;
    }
    if (!from.isEmpty()) {
        // The checks of Send, so that what the controller asked for is not
        // refused only once it waits for it.
        DialogState loaded;
        std::optional<Message> refused =
            LoadDocumentFile(config_.model, from.toStdString(), loaded);
        if (!refused)
            refused = ControllerForm(config_.model, loaded.m_strText, loaded.m_nDocKind).failure;
        if (refused) {
            why = QStringLiteral("%1 is refused: %2")
                      .arg(QFileInfo(from).fileName(),
                           QString::fromStdString(refused->text).replace(u'\n', u' '));
        } else {
            copy = PlaceRequested(*wanted.number, from, why, replaced);
        }
    }
    const QString about = wanted.number ? QStringLiteral("request for %1").arg(*wanted.number)
                                        : QStringLiteral("request");
    QString kept;
    if (copy.isEmpty()) {
        const Placed placed =
            WriteInto(config_.inbox, stem, QStringLiteral("txt"),
                      std::string(request.begin(), request.end()), QDateTime::currentDateTime());
        kept = placed.path;
        why += placed.path.isEmpty()
                   ? QStringLiteral("; the request could not be kept: %1 (the journal keeps it)")
                         .arg(QString::fromStdString(placed.error))
                   : QStringLiteral("; the request is now %1")
                         .arg(QDir(config_.inbox).relativeFilePath(placed.path));
    }
    recorder_.End(Outcome::Done, ending, request, kept);
    QString said = copy.isEmpty()
                       ? QStringLiteral("%1 not answered: %2").arg(about, why)
                       : QStringLiteral("%1: waiting for the controller to take %2 (from %3)")
                             .arg(about, QFileInfo(copy).fileName(), from);
    // The journal's row in no language: the reasons as the station found them.
    const JournalText aboutText =
        wanted.number ? Keyed(QStringLiteral(TAPLINK_TEXT("Messages", "request for %1")),
                              {QString::number(*wanted.number)})
                      : Keyed(QStringLiteral(TAPLINK_TEXT("Messages", "request")));
    JournalText row{copy.isEmpty()
                        ? QStringLiteral(TAPLINK_TEXT("Messages", "%1 not answered: %2"))
                        : QStringLiteral(TAPLINK_TEXT(
                              "Messages", "%1: waiting for the controller to take %2 (from %3)")),
                    {Value(aboutText)}};
    if (copy.isEmpty()) {
        row.values.append(why);
    } else {
        row.values.append(QFileInfo(copy).fileName());
        row.values.append(from);
    }
    if (!replaced.isEmpty()) {
        said += QStringLiteral("; it replaces the copy of %1 that waited").arg(replaced);
        row = {
            QStringLiteral(TAPLINK_TEXT("Messages", "%1; it replaces the copy of %2 that waited")),
            {Value(row), replaced}};
    }
    Say(said);
    recorder_.Begin({config_.port,
                     config_.model,
                     QStringLiteral("request"),
                     from.isEmpty() ? kept : from,
                     {},
                     config_.name});
    recorder_.End(copy.isEmpty() ? Outcome::Refused : Outcome::Done, row, {}, {}, said);
    if (copy.isEmpty()) {
        requestNote_ = said;
        SetState(QStringLiteral("request"), said.mid(8));
    } else {
        SetState(QStringLiteral("request"), Awaited(*wanted.number, copy));
    }
    NextIn(0);
}

// The library keeps its document; the outbox gets a copy under the same
// name, never over another file. A copy for the same program that still
// waits is replaced (replaced: its name), from the library as it is now:
// the controller asked once more, and takes one. Copies for other programs
// stay: the controller takes them one input each, in the order asked (a
// program asked again goes last).
QString Machine::PlaceRequested(int number, const QString& from, QString& why, QString& replaced) {
    const FileRead read = ReadFileBytes(from.toStdString());
    if (!read.ok) {
        why = QStringLiteral("%1 cannot be read: %2").arg(from, QString::fromStdString(read.error));
        return {};
    }
    const QFileInfo library(from);
    const auto earlier = std::find_if(requested_.begin(), requested_.end(),
                                      [&](const auto& r) { return r.first == number; });
    if (earlier != requested_.end()) {
        const QString waiting = std::exchange(earlier->second, {});
        requested_.erase(earlier);
        replaced = QFileInfo(waiting).fileName();
        if (QFileInfo(waiting).fileName() == library.fileName() &&
            WriteWhole(waiting, read.bytes).empty()) {
            requested_.emplace_back(number, waiting);
            return waiting;
        }
        ::unlink(QFile::encodeName(waiting).constData());
    }
    const Placed placed = WriteInto(config_.outbox, library.completeBaseName(), library.suffix(),
                                    read.bytes, QDateTime::currentDateTime(), true);
    if (placed.path.isEmpty()) {
        why = QStringLiteral("%1 could not be put into the outbox: %2")
                  .arg(library.fileName(), QString::fromStdString(placed.error));
        return {};
    }
    requested_.emplace_back(number, placed.path);
    return placed.path;
}

}  // namespace taplink
