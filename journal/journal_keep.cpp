// What the journal keeps beyond its rows: the documents, how long rows stay,
// the ends that could not be written when their transfers ended, and the
// SQLite log folded back while a program runs.
#include <sys/stat.h>

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTimer>

#include "journal.h"
#include "journal_sql.h"

namespace taplink {

using namespace journal_sql;

std::optional<QByteArray> Journal::Document(qint64 id) {
    lastError_.clear();
    const QString what = QStringLiteral("reading the document of transfer %1").arg(id);
    if (Held(what, false)) return std::nullopt;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT d.bytes FROM transfers t LEFT JOIN documents d ON d.transfer_id = "
                       "t.id WHERE t.id = ?"));
    q.addBindValue(id);
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        Fail(what, why);
        return std::nullopt;
    }
    if (!q.next()) {
        Fail(what, QStringLiteral("there is no transfer %1").arg(id));
        return std::nullopt;
    }
    if (q.value(0).isNull()) {
        Fail(what, QStringLiteral("it keeps no document"));
        return std::nullopt;
    }
    return q.value(0).toByteArray();
}

bool Journal::Filed(qint64 id, const QString& path) {
    lastError_.clear();
    const QString what = QStringLiteral("recording where transfer %1's document was filed").arg(id);
    if (Held(what, true)) return false;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral(
        "UPDATE transfers SET outcome = 'done', document_path = ?, document_name = ?, "
        "message = COALESCE(message, '') || ? WHERE id = ? AND outcome = 'not filed'"));
    q.addBindValue(path);
    q.addBindValue(QFileInfo(path).fileName());
    q.addBindValue(QStringLiteral("\nFiled later, as %1.").arg(path));
    q.addBindValue(id);
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        return Fail(what, why);
    }
    Wrote();
    return q.numRowsAffected() == 1 || Fail(what, QStringLiteral("it is not waiting to be filed"));
}

int Journal::Prune(const QDateTime& endedBefore) {
    lastError_.clear();
    const QString what = QStringLiteral("removing the transfers ended before %1")
                             .arg(endedBefore.toLocalTime().toString(Qt::ISODate));
    if (Held(what, true)) return -1;
    // A row ended before the time started before it too: the index of the
    // starts narrows the search. A document not yet filed is nowhere else.
    const QString old =
        QStringLiteral("started_at < ? AND ended_at < ? AND outcome <> 'not filed'");
    QString why;
    QSqlQuery documents(db_), rows(db_), states(db_);
    documents.prepare(QStringLiteral("DELETE FROM documents WHERE transfer_id IN "
                                     "(SELECT id FROM transfers WHERE %1)")
                          .arg(old));
    rows.prepare(QStringLiteral("DELETE FROM transfers WHERE %1").arg(old));
    // Each machine's last change stays: the state it is in since.
    states.prepare(QStringLiteral(
        "DELETE FROM state_changes WHERE at < ? AND id NOT IN (SELECT MAX(id) FROM state_changes "
        "GROUP BY machine)"));
    states.addBindValue(Stamp(endedBefore));
    for (QSqlQuery* q : {&documents, &rows}) {
        q->addBindValue(Stamp(endedBefore));
        q->addBindValue(Stamp(endedBefore));
    }
    const bool ok = Exec(db_, QStringLiteral("BEGIN"), &why) && Exec(states, &why) &&
                    Exec(documents, &why) && Exec(rows, &why) &&
                    Exec(db_, QStringLiteral("COMMIT"), &why);
    if (!ok) {
        if (QString ignored; db_.isOpen()) Exec(db_, QStringLiteral("ROLLBACK"), &ignored);
        Lost(why);
        Fail(what, why);
        return -1;
    }
    Wrote();
    return rows.numRowsAffected();
}

// Per journal, in the data folder of whoever ran the transfer: the next
// program of that user on this host that opens the journal writes them.
QString Journal::KeptFolder() const {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    return QStringLiteral("%1/taplink/unrecorded/%2")
        .arg(base, QString::fromLatin1(Sha256Hex(description_.toUtf8()).left(16)));
}

namespace {

// ID-PID-START.end: the row, and the process whose row it is.
QString KeptName(qint64 id, const ProcessId& by) {
    return QStringLiteral("%1-%2-%3.end").arg(id).arg(by.pid).arg(by.start);
}

}  // namespace

bool Journal::KeepEnd(qint64 id, const TransferEnd& e) {
    const QString folder = KeptFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
    // Made first and filled after: should the bytes not fit, the empty file
    // still says that the transfer ended.
    QFile f(folder + QLatin1Char('/') + KeptName(id, ThisProcess()));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QJsonObject o{
        {"end", Stamp(e.end)},
        {"outcome", QString::fromStdString(OutcomeText(e.outcome))},
        {"message", e.message},
        {"bytes", e.bytes},
        {"sha256", QString::fromLatin1(e.sha256)},
        {"document_path", e.documentPath},
        {"document", QString::fromLatin1(e.document.toBase64())},
    };
    f.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    return true;
}

void Journal::ForgetKeptEnd(qint64 id) {
    const QString folder = KeptFolder();
    if (!folder.isEmpty()) QFile::remove(folder + QLatin1Char('/') + KeptName(id, ThisProcess()));
}

int Journal::WriteKeptEnds() {
    const QString folder = KeptFolder();
    if (folder.isEmpty()) return 0;
    int written = 0;
    for (const QFileInfo& file :
         QDir(folder).entryInfoList({QStringLiteral("*.end")}, QDir::Files, QDir::Name)) {
        const QStringList parts = file.completeBaseName().split(QLatin1Char('-'));
        bool ok[3] = {};
        const ProcessId by{ThisProcess().host, parts.value(1).toLongLong(&ok[1]),
                           parts.value(2).toLongLong(&ok[2])};
        const qint64 id = parts.value(0).toLongLong(&ok[0]);
        if (parts.size() != 3 || !ok[0] || !ok[1] || !ok[2]) continue;
        QFile f(file.filePath());
        const QJsonObject o = f.open(QIODevice::ReadOnly)
                                  ? QJsonDocument::fromJson(f.readAll()).object()
                                  : QJsonObject();
        const auto outcome = OutcomeFromText(o["outcome"].toString().toStdString());
        TransferEnd e;
        if (outcome && *outcome != Outcome::Started) {
            const QString message = o["message"].toString();
            e = {FromStamp(o["end"]),
                 *outcome,
                 (message.isEmpty() ? message : message + QLatin1Char('\n')) +
                     QLatin1String(kRecordedLateNote),
                 o["bytes"].toInteger(),
                 o["sha256"].toString().toLatin1(),
                 o["document_path"].toString(),
                 QByteArray::fromBase64(o["document"].toString().toLatin1())};
        } else {
            e = {file.lastModified().toUTC(),
                 Outcome::EndedUnrecorded,
                 QLatin1String(kEndedUnrecordedMessage),
                 0,
                 {}};
        }
        int rows = 0;
        QString why;
        // Left for a later try; whatever the row is now, the end is written once.
        if (!WriteEnd(id, e, &by, &rows, &why)) break;
        written += rows;
        QFile::remove(file.filePath());
    }
    return written;
}

void Journal::Committed() {
    if (foldPosted_) return;
    struct stat log {};
    if (::stat(QFile::encodeName(db_.databaseName() + QStringLiteral("-wal")).constData(), &log) !=
            0 ||
        log.st_size <= kFoldLogAboveBytes) {
        return;
    }
    // After the write that called, from the event loop, so that the
    // checkpoint's syncs are never inside a transfer's step; a program
    // without an event loop folds at once.
    if (!QAbstractEventDispatcher::instance()) return Fold();
    foldPosted_ = true;
    QTimer::singleShot(0, foldContext_.get(), [this] {
        foldPosted_ = false;
        Fold();
    });
}

void Journal::Fold() {
    if (db_.isOpen()) QSqlQuery(db_).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

}  // namespace taplink
