// The floor's documents: a machine's outbox and inbox, and the bytes the
// journal keeps of a transfer. Every name from the network is checked as a
// document's name before it meets a folder, and every file is judged by its
// resolved path, so that no request reaches past the configured folders.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include "floor_server.h"
#include "transfer_recorder.h"
#include "upload.h"

namespace taplink {
namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

Reply Error(Status status, const QString& message) {
    return Reply{status,
                 QJsonDocument(QJsonObject{{"error", message}}).toJson(QJsonDocument::Compact)};
}

Reply Attachment(const QByteArray& bytes, const QString& name) {
    // RFC 6266's UTF-8 form: the name's bytes, every one outside the safe
    // few percent-encoded, so no quote or non-ASCII character reaches the header.
    return Reply{
        Status::Ok,
        bytes,
        "application/octet-stream",
        {{"Content-Disposition", "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(name)}}};
}

// The file of that name in the folder, resolved: empty when it is not a
// regular file there (not there, a folder, or a link that leads elsewhere).
QString InsideFile(const QString& folder, const QString& name) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(QDir(folder).filePath(name));
    const QString resolved = file.canonicalFilePath();
    if (root.isEmpty() || resolved.isEmpty() || !QFileInfo(resolved).isFile()) return {};
    return QFileInfo(resolved).absolutePath() == root ? resolved : QString();
}

// The documents in a folder: its files by name, not the hidden ones being
// written, nor links that lead out of it.
Reply Listing(const QString& folder) {
    QJsonArray out;
    const auto names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = InsideFile(folder, name);
        if (path.isEmpty()) continue;
        const QFileInfo info(path);
        out.append(QJsonObject{{"name", name},
                               {"size", info.size()},
                               {"mtime", info.lastModified().toUTC().toString(Qt::ISODateWithMs)}});
    }
    return Reply{Status::Ok, QJsonDocument(out).toJson(QJsonDocument::Compact)};
}

std::optional<Reply> NeedRole(const Session& session, Role needed, const QString& what) {
    if (session.role >= needed) return std::nullopt;
    return Error(Status::Forbidden,
                 QStringLiteral("%1 takes an %2's role: %3 is a %4")
                     .arg(what, RoleText(needed), session.user, RoleText(session.role)));
}

}  // namespace

// The name as its sender meant it, decoded, with only what a log line or a
// page could take as more than text shown by its code.
QString ShownName(const QString& name) {
    QString out;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("U+%1").arg(u, 4, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

namespace {

Reply BadName(const QString& name, const QString& why) {
    return Error(Status::BadRequest,
                 QStringLiteral("\"%1\" is no document's name: %2").arg(ShownName(name), why));
}

}  // namespace

void FloorServer::Record(const QString& direction, const MachineConfig* machine,
                         const QString& document, Outcome outcome, const QString& message,
                         const QByteArray& bytes) {
    TransferStart start{
        {},
        {},
        machine ? ModelName(machine->model) : QString(),
        direction,
        machine && !document.isEmpty() ? QDir(machine->outbox).filePath(document) : QString(),
        document,
        machine ? machine->name : QString(),
        {}};
    const qint64 id = journal_->Begin(start);
    TransferEnd end{
        {}, outcome, message, bytes.size(), bytes.isEmpty() ? QByteArray() : Sha256Hex(bytes),
        {}, bytes};
    if (!id || !journal_->Complete(id, end))
        Log(QStringLiteral("the journal did not take \"%1\": %2")
                .arg(message, journal_->LastError()));
}

std::optional<Reply> FloorServer::DocumentRoute(const QHttpServerRequest& request,
                                                const Session& session) {
    // Split before decoding: a name's own %2F stays in its segment, and is
    // refused there as a separator.
    const QByteArrayList raw = request.url().path(QUrl::FullyEncoded).toUtf8().split('/');
    QStringList part;
    for (const QByteArray& p : raw)
        part << QUrl::fromPercentEncoding(p);
    const Method method = request.method();
    if (part.size() == 5 && part[1] == QStringLiteral("api") &&
        part[2] == QStringLiteral("transfers") && part[4] == QStringLiteral("document")) {
        if (method != Method::Get)
            return Error(Status::MethodNotAllowed, "the document takes only GET");
        return TransferDocument(part[3]);
    }
    if (part.size() < 5 || part.size() > 6 || part[1] != QStringLiteral("api") ||
        part[2] != QStringLiteral("machines") ||
        (part[4] != QStringLiteral("inbox") && part[4] != QStringLiteral("outbox")))
        return std::nullopt;
    const bool outbox = part[4] == QStringLiteral("outbox");
    const bool one = part.size() == 6;
    const auto& machines = config_.machines;
    const auto m = std::find_if(machines.begin(), machines.end(),
                                [&](const MachineConfig& m) { return m.name == part[3]; });
    // The role before the machine: who may not, learns nothing of the floor.
    if (outbox && method == Method::Post && !one) {
        if (auto refused = NeedRole(session, Role::Operator, QStringLiteral("an upload")))
            return refused;
    } else if (outbox && method == Method::Delete && one) {
        if (auto refused = NeedRole(session, Role::Admin, QStringLiteral("removing a document")))
            return refused;
    } else if (method != Method::Get || (outbox && one)) {
        return Error(Status::MethodNotAllowed,
                     QStringLiteral("%1 does not take that method").arg(request.url().path()));
    }
    if (m == machines.end())
        return Error(Status::NotFound, QStringLiteral("no machine is called %1").arg(part[3]));
    if (one) {
        if (const auto why = CheckDocumentName(part[5])) return BadName(part[5], *why);
        if (method == Method::Delete) return RemoveReply(request, session, *m, part[5]);
        const QString path = InsideFile(m->inbox, part[5]);
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            return Error(Status::NotFound,
                         QStringLiteral("%1 is not in %2's inbox").arg(part[5], m->name));
        }
        return Attachment(file.readAll(), part[5]);
    }
    if (method == Method::Post) return UploadReply(request, session, *m);
    return Listing(outbox ? m->outbox : m->inbox);
}

Reply FloorServer::UploadReply(const QHttpServerRequest& request, const Session& session,
                               const MachineConfig& machine) {
    const QUrlQuery query = request.query();
    const QString name = query.queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded);
    if (!query.hasQueryItem(QStringLiteral("name")) || query.allQueryItemValues("name").size() != 1)
        return Error(Status::BadRequest,
                     QStringLiteral("give the document's name once, as ?name=FILE"));
    const auto [status, said] = PutUpload(session, machine, name, request.body());
    if (status != Status::Created) return Error(status, said);
    return Reply{status, QJsonDocument(QJsonObject{{"name", said}}).toJson(QJsonDocument::Compact)};
}

std::pair<Status, QString> FloorServer::PutUpload(const Session& session,
                                                  const MachineConfig& machine, const QString& name,
                                                  const QByteArray& bytes) {
    if (const auto why = CheckDocumentName(name))
        return {Status::BadRequest,
                QStringLiteral("\"%1\" is no document's name: %2").arg(ShownName(name), *why)};
    const Upload placed = PlaceUpload(machine, name, bytes, QDateTime::currentDateTime());
    const QString by = QStringLiteral("uploaded by %1").arg(session.user);
    switch (placed.outcome) {
        case Upload::Outcome::Placed:
            Log(QStringLiteral("%1 put %2 into %3's outbox")
                    .arg(session.user, placed.name, machine.name));
            Record(QStringLiteral("upload"), &machine, placed.name, Outcome::Done, by, bytes);
            return {Status::Created, placed.name};
        case Upload::Outcome::Refused:
            Record(QStringLiteral("upload"), &machine, name, Outcome::Refused,
                   by + QStringLiteral(": ") + placed.reason, bytes);
            return {Status::UnprocessableEntity, placed.reason};
        case Upload::Outcome::BadName:
            return {Status::BadRequest, QStringLiteral("\"%1\" is no document's name: %2")
                                            .arg(ShownName(name), placed.reason)};
        case Upload::Outcome::TooLarge: return {Status::PayloadTooLarge, placed.reason};
        case Upload::Outcome::Taken: return {Status::Conflict, placed.reason};
        case Upload::Outcome::Failed: break;
    }
    Log(QStringLiteral("%1's outbox cannot take %2: %3").arg(machine.name, name, placed.reason));
    Record(QStringLiteral("upload"), &machine, name, Outcome::PortFailure,
           by + QStringLiteral(": ") + placed.reason, bytes);
    return {Status::InternalServerError,
            QStringLiteral("%1's outbox cannot be written").arg(machine.name)};
}

Reply FloorServer::RemoveReply(const QHttpServerRequest&, const Session& session,
                               const MachineConfig& machine, const QString& name) {
    // The name as it stands in the outbox: a link is removed, never what it
    // leads to.
    const QFileInfo file(QDir(machine.outbox).filePath(name));
    const bool there = file.isSymLink() || file.isFile();
    QFile f(file.filePath());
    const QByteArray bytes =
        !file.isSymLink() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    f.close();
    if (!there || !QFile::remove(file.filePath())) {
        return Error(Status::NotFound,
                     QStringLiteral("%1 is not waiting in %2's outbox").arg(name, machine.name));
    }
    Log(QStringLiteral("%1 removed %2 from %3's outbox").arg(session.user, name, machine.name));
    Record(QStringLiteral("remove"), &machine, name, Outcome::Done,
           QStringLiteral("removed by %1").arg(session.user), bytes);
    return Reply{Status::Ok,
                 QJsonDocument(QJsonObject{{"removed", name}}).toJson(QJsonDocument::Compact)};
}

Reply FloorServer::TransferDocument(const QString& id) {
    bool ok = false;
    const qint64 row = id.toLongLong(&ok);
    if (!ok || row < 1)
        return Error(Status::BadRequest, QStringLiteral("%1 is no transfer's number").arg(id));
    const auto bytes = journal_->Document(row);
    if (!bytes) {
        return Error(Status::NotFound, QStringLiteral("transfer %1 keeps no document: %2")
                                           .arg(row)
                                           .arg(journal_->LastError()));
    }
    return Attachment(*bytes, QStringLiteral("transfer-%1").arg(row));
}

}  // namespace taplink
