#include "journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "journal_sql.h"
#include "translatable.h"

namespace taplink {

const char* const kInterruptedMessage =
    TAPLINK_TEXT("Messages", "The program ended during the transfer (found at the next start).");
const char* const kRecordedLateNote = TAPLINK_TEXT(
    "Messages", "Recorded late: the journal could not be written when the transfer ended.");
const char* const kEndedUnrecordedMessage = TAPLINK_TEXT(
    "Messages",
    "The program ended the transfer but could not record its result (found at the next start).");

namespace {

constexpr std::array<std::pair<Outcome, const char*>, 13> kOutcomes{{
    {Outcome::Started, TAPLINK_TEXT("Journal", "started")},
    {Outcome::Done, TAPLINK_TEXT("Journal", "done")},
    {Outcome::Refused, TAPLINK_TEXT("Journal", "refused")},
    {Outcome::NotReady, TAPLINK_TEXT("Journal", "not ready")},
    {Outcome::NoResponse, TAPLINK_TEXT("Journal", "no response")},
    {Outcome::PortFailure, TAPLINK_TEXT("Journal", "port failure")},
    {Outcome::WrongData, TAPLINK_TEXT("Journal", "wrong data")},
    {Outcome::VerifiedIdentical, TAPLINK_TEXT("Journal", "verified identical")},
    {Outcome::VerifiedDifferent, TAPLINK_TEXT("Journal", "verified different")},
    {Outcome::Interrupted, TAPLINK_TEXT("Journal", "interrupted")},
    {Outcome::Stopped, TAPLINK_TEXT("Journal", "stopped by the operator")},
    {Outcome::NotFiled, TAPLINK_TEXT("Journal", "not filed")},
    {Outcome::EndedUnrecorded, TAPLINK_TEXT("Journal", "ended, result not recorded")},
}};

// Each step takes the journal from the version before it to its own number
// (its place in the list, from 1). Steps are appended, never edited: a
// journal already at a version has run that version's step as it was. %ID%
// is the engine's own generated key.
const std::vector<std::vector<const char*>> kMigrations = {
    {
        "CREATE TABLE transfers ("
        " id %ID%,"
        " started_at TEXT NOT NULL, ended_at TEXT,"
        " port TEXT NOT NULL, model TEXT NOT NULL, direction TEXT NOT NULL,"
        " document_path TEXT NOT NULL, document_name TEXT NOT NULL,"
        " machine TEXT NOT NULL, trace_path TEXT NOT NULL,"
        " bytes BIGINT, sha256 TEXT, outcome TEXT NOT NULL, message TEXT,"
        " host TEXT NOT NULL, pid BIGINT NOT NULL, process_start BIGINT NOT NULL)",
        "CREATE INDEX transfers_started_at ON transfers (started_at)",
        // What every start looks through for rows left started.
        "CREATE INDEX transfers_open ON transfers (host) WHERE outcome = 'started'",
        "CREATE TABLE machines ("
        " name TEXT PRIMARY KEY, state TEXT NOT NULL, since TEXT, updated_at TEXT NOT NULL)",
    },
    // Stations that share the journal, and which of them serves each machine
    // (port_key: the port as the stations compare ports, see ClaimMachine).
    {
        "CREATE TABLE stations ("
        " name TEXT PRIMARY KEY, host TEXT NOT NULL, boot_id TEXT NOT NULL,"
        " pid BIGINT NOT NULL, process_start BIGINT NOT NULL, started_at TEXT NOT NULL,"
        " beat_at TEXT NOT NULL, beat_ms BIGINT NOT NULL, stopped_at TEXT)",
        "ALTER TABLE machines ADD COLUMN station TEXT NOT NULL DEFAULT ''",
        "ALTER TABLE machines ADD COLUMN port_key TEXT NOT NULL DEFAULT ''",
    },
    {
        // The bytes of each row's document, beside the rows rather than in
        // them: a listing reads the rows alone, as fast as before.
        "CREATE TABLE documents (transfer_id %REF%, bytes %BLOB% NOT NULL)",
    },
    {
        // Appended to only: the floor draws a machine's day from it.
        "CREATE TABLE state_changes (id %ID%, machine TEXT NOT NULL, kind TEXT NOT NULL,"
        " at TEXT NOT NULL)",
        "CREATE INDEX state_changes_at ON state_changes (at)",
        // A machine's last transfers, whatever the others did since.
        "CREATE INDEX transfers_machine ON transfers (machine, started_at)",
    },
    {
        // A row's message in no language (see JournalText); rows before
        // have none, and show their message as it is.
        "ALTER TABLE transfers ADD COLUMN message_key TEXT",
        "ALTER TABLE transfers ADD COLUMN message_values TEXT",
    },
    {
        // Listings of one outcome (the refused, the lost), newest first:
        // they read their own rows in order, not every row since their time.
        // The id after the time is the listings' own order, which
        // PostgreSQL's indexes do not hold without it.
        "CREATE INDEX transfers_outcome ON transfers (outcome, started_at, id)",
        // The starts in the listings' order, with each row's document name:
        // a search for a name reads the index alone, not every row it passes
        // (SQLite; three times faster at a million rows).
        "CREATE INDEX transfers_started ON transfers (started_at, id, document_name)",
        "DROP INDEX transfers_started_at",
    },
};

// What the engines do differently; all else is the same SQL.
struct Dialect {
    const char* driver;
    const char* generatedKey;       // %ID% in the migrations
    std::vector<const char*> lock;  // begins a migration, one program at a time
    const char* returningKey;       // ends Begin's INSERT
    const char* referenceKey;       // %REF%: a key that is another table's id
    const char* blob;               // %BLOB%
};
const Dialect kSQLite{"QSQLITE", "INTEGER PRIMARY KEY", {"BEGIN IMMEDIATE"},
                      "",        "INTEGER PRIMARY KEY", "BLOB"};
const Dialect kPostgreSQL{"QPSQL",
                          "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY",
                          {"BEGIN", "SELECT pg_advisory_xact_lock(1952541804)"},
                          " RETURNING id",
                          "BIGINT PRIMARY KEY",
                          "BYTEA"};

const char* kColumns =
    "id, started_at, ended_at, port, model, direction, document_path, document_name, machine, "
    "trace_path, bytes, sha256, outcome, message, host, pid, process_start, message_key, "
    "message_values";

}  // namespace

namespace journal_sql {

// Text sorts as time only when every stamp is UTC, with milliseconds, in the
// same form; both engines then compare and order them alike.
QString Stamp(const QDateTime& t) {
    return (t.isValid() ? t : QDateTime::currentDateTimeUtc()).toUTC().toString(Qt::ISODateWithMs);
}

QDateTime FromStamp(const QVariant& v) {
    if (v.isNull()) return {};
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs).toUTC();
}

// A null QString binds as SQL NULL; the text columns hold "" for nothing.
QVariant Text(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QVariant NullOr(const QString& s) {
    return s.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(s);
}

QString OneLine(QString s) {
    return s.replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

QString Reason(const QSqlError& e) {
    const QString db = OneLine(e.databaseText());
    const QString why = db.isEmpty() ? OneLine(e.driverText()) : db;
    // Qt closes a PostgreSQL connection that has gone and says nothing more.
    return why.isEmpty() ? QStringLiteral("the connection is closed") : why;
}

bool Exec(QSqlQuery& q, QString* why) {
    if (q.exec()) return true;
    *why = Reason(q.lastError());
    return false;
}

bool Exec(const QSqlDatabase& db, const QString& sql, QString* why) {
    QSqlQuery q(db);
    if (q.exec(sql)) return true;
    *why = Reason(q.lastError());
    return false;
}

}  // namespace journal_sql

using namespace journal_sql;

namespace {

// Both front ends write one journal: the window's data folder, whatever the
// name of the program that opens it.
QString DefaultJournalPath(QString* why) {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        *why = QStringLiteral("there is no data folder for it (is HOME set?)");
        return {};
    }
    const QString folder = base + QStringLiteral("/taplink");
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return {};
    }
    return folder + QStringLiteral("/journal.sqlite");
}

// The reason a SQLite journal cannot be at path, found before SQLite's own
// "unable to open database file" says less: the file is opened (or made)
// for writing as SQLite will, and the system's reason kept.
QString SqlitePathProblem(const QFileInfo& file) {
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
    if (!folder.isDir()) return QStringLiteral("%1 is not a folder").arg(folder.filePath());
    if (file.isDir()) return QStringLiteral("it is a folder");
    if (file.exists() && !file.isFile()) return QStringLiteral("it is not a regular file");
    const QByteArray path = QFile::encodeName(file.absoluteFilePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return QStringLiteral("it cannot be %1: %2")
            .arg(file.exists() ? QStringLiteral("written") : QStringLiteral("created"),
                 QString::fromLocal8Bit(std::strerror(errno)));
    }
    ::close(fd);
    // The write-ahead log and its index are made beside the file.
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is not writable").arg(folder.filePath());
    return {};
}

struct PgTarget {
    QString user, password, host, db;
    int port = -1;
    bool socket = false;
};

const char* kPgForm =
    "a PostgreSQL journal is written postgresql://USER@HOST[:PORT]/DB or "
    "postgresql://USER@/DB?host=/socket/dir";

std::optional<PgTarget> ParsePg(const QString& where, QString* why) {
    static const QRegularExpression form(QStringLiteral(
        R"(^postgres(?:ql)?://(?:([^@/?]*)@)?(\[[^\]]*\]|[^/?:]*)(?::(\d+))?/([^?]+)(?:\?(.*))?$)"));
    const auto m = form.match(where);
    if (!m.hasMatch()) {
        *why = QString::fromLatin1(kPgForm);
        return std::nullopt;
    }
    PgTarget t;
    const QString userInfo = m.captured(1);
    const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
    t.user = QUrl::fromPercentEncoding(userInfo.left(colon).toUtf8());
    if (colon >= 0) t.password = QUrl::fromPercentEncoding(userInfo.mid(colon + 1).toUtf8());
    t.host = m.captured(2);
    if (t.host.startsWith(QLatin1Char('['))) t.host = t.host.mid(1, t.host.size() - 2);
    if (!m.captured(3).isEmpty()) t.port = m.captured(3).toInt();
    t.db = QUrl::fromPercentEncoding(m.captured(4).toUtf8());
    const QUrlQuery query(m.captured(5));
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key != QLatin1String("host") || !t.host.isEmpty()) {
            *why =
                QStringLiteral("%1 is not taken here (%2)").arg(key, QString::fromLatin1(kPgForm));
            return std::nullopt;
        }
        t.host = value;
        t.socket = true;
    }
    return t;
}

QString Describe(const PgTarget& t) {
    QString where = t.socket ? QStringLiteral("[%1]").arg(t.host) : t.host;
    if (t.port >= 0) where += QStringLiteral(":%1").arg(t.port);
    return QStringLiteral("PostgreSQL %1%2/%3")
        .arg(t.user.isEmpty() ? QString() : t.user + QLatin1Char('@'), where, t.db);
}

// A journal address as typed, less its password.
QString Shown(QString where) {
    static const QRegularExpression password(QStringLiteral("(://[^:/@]*):[^@/]*@"));
    return where.replace(password, QStringLiteral("\\1:***@"));
}

QString NewConnectionName() {
    static std::atomic<int> next{0};
    return QStringLiteral("taplink-journal-%1").arg(++next);
}

// Whether Qt's driver for the engine is installed; why not, when it is not.
bool DriverPresent(const Dialect& d, const char* engine, const char* package,
                   const QString& journal, QString* why) {
    if (QSqlDatabase::isDriverAvailable(QLatin1String(d.driver))) return true;
    *why =
        QStringLiteral(
            "Cannot open the journal %1: Qt's %2 driver (%3) is not installed "
            "(Debian: %4)")
            .arg(journal, QLatin1String(engine), QLatin1String(d.driver), QLatin1String(package));
    return false;
}

}  // namespace

std::string OutcomeText(Outcome o) {
    for (const auto& [outcome, text] : kOutcomes)
        if (outcome == o) return text;
    return "unknown";
}

std::optional<Outcome> OutcomeFromText(std::string_view text) {
    for (const auto& [outcome, known] : kOutcomes)
        if (text == known) return outcome;
    return std::nullopt;
}

QByteArray Sha256Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Journal::Journal(Engine engine, QString connection, QString description)
    : engine_(engine),
      connection_(std::move(connection)),
      description_(std::move(description)),
      foldContext_(std::make_unique<QObject>()) {}

Journal::~Journal() {
    if (outage_ && outage_->probe.valid()) outage_->probe.wait();
    if (engine_ == Engine::SQLite && db_.isOpen()) {
        QSqlQuery(db_).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }
    db_.close();
    // removeDatabase wants no QSqlDatabase of the connection left.
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

QString Journal::Describe() const {
    return description_;
}

std::unique_ptr<Journal> Journal::Open(const QString& where, QString* error) {
    QString ignored;
    QString& why = error ? *error : ignored;
    why.clear();
    if (where == QLatin1String("none")) return nullptr;

    std::unique_ptr<Journal> j;
    if (where.startsWith(QLatin1String("postgresql://")) ||
        where.startsWith(QLatin1String("postgres://"))) {
        const auto target = ParsePg(where, &why);
        if (!target) {
            why = QStringLiteral("Cannot open the journal %1: %2").arg(Shown(where), why);
            return nullptr;
        }
        j.reset(new Journal(Engine::PostgreSQL, NewConnectionName(), taplink::Describe(*target)));
        if (!DriverPresent(kPostgreSQL, "PostgreSQL", "libqt6sql6-psql", j->description_, &why))
            return nullptr;
        j->db_ = QSqlDatabase::addDatabase(QLatin1String(kPostgreSQL.driver), j->connection_);
        j->db_.setUserName(target->user);
        j->db_.setPassword(target->password);
        j->db_.setHostName(target->host);
        j->db_.setPort(target->port);
        j->db_.setDatabaseName(target->db);
        // A server that does not answer is reported, not waited for.
        j->db_.setConnectOptions(QStringLiteral("connect_timeout=5"));
    } else {
        QString path = where;
        if (path.isEmpty()) path = DefaultJournalPath(&why);
        if (path.isEmpty()) {
            why = QStringLiteral("Cannot open the journal: %1").arg(why);
            return nullptr;
        }
        const QFileInfo file(path);
        j.reset(new Journal(Engine::SQLite, NewConnectionName(),
                            QStringLiteral("SQLite ") + file.absoluteFilePath()));
        if (const QString problem = SqlitePathProblem(file); !problem.isEmpty()) {
            why = QStringLiteral("Cannot open the journal %1: %2").arg(j->description_, problem);
            return nullptr;
        }
        if (!DriverPresent(kSQLite, "SQLite", "libqt6sql6-sqlite", j->description_, &why))
            return nullptr;
        j->db_ = QSqlDatabase::addDatabase(QLatin1String(kSQLite.driver), j->connection_);
        j->db_.setDatabaseName(file.absoluteFilePath());
        // Other programs write the same file: wait for their commits.
        j->db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!j->db_.open()) {
        why = QStringLiteral("Cannot open the journal %1: %2")
                  .arg(j->description_, Reason(j->db_.lastError()));
        return nullptr;
    }
    if (!j->Prepare(&why) || !j->Migrate(&why)) {
        why = QStringLiteral("Cannot open the journal %1: %2").arg(j->description_, why);
        return nullptr;
    }
    why.clear();
    // The ends this host's programs could not write come before the marks:
    // a row whose program left its end is never found interrupted.
    j->keptEndsWritten_ = j->WriteKeptEnds();
    j->MarkInterrupted();
    return j;
}

bool Journal::Prepare(QString* why) {
    if (engine_ == Engine::PostgreSQL) {
        // "already exists, skipping" and the like are not for the operator.
        return Exec(db_, QStringLiteral("SET client_min_messages TO WARNING"), why);
    }
    // Readers go on while one writer appends to the log; a commit is on disk
    // for every other process at once and survives a killed program (only
    // a power cut may lose the last ones, which NORMAL allows).
    if (!Exec(db_, QStringLiteral("PRAGMA busy_timeout = 5000"), why)) return false;
    // Changing the mode of a new file that another program is changing too
    // fails at once as busy, without SQLite's waiting: wait here instead.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery q(db_);
        if (q.exec(QStringLiteral("PRAGMA journal_mode = WAL"))) break;
        *why = Reason(q.lastError());
        if (q.lastError().nativeErrorCode() != QLatin1String("5") || waited.elapsed() > 5000)
            return false;
        QThread::msleep(5);
    }
    if (!Exec(db_, QStringLiteral("PRAGMA synchronous = NORMAL"), why)) return false;
    // The log is folded into the file here, when the journal closes, and
    // after a write that leaves it longer than kFoldLogAboveBytes (from the
    // event loop, see Committed); never inside a transfer's write, where the
    // sync of a checkpoint would cost milliseconds. A busy reader only
    // postpones it. When the log starts over it is cut back to
    // kLogKeptBytes, so that the file shrinks too.
    if (!Exec(db_, QStringLiteral("PRAGMA wal_autocheckpoint = 0"), why) ||
        !Exec(db_, QStringLiteral("PRAGMA journal_size_limit = %1").arg(kLogKeptBytes), why)) {
        return false;
    }
    QSqlQuery(db_).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    return true;
}

bool Journal::Migrate(QString* why) {
    const int known = static_cast<int>(kMigrations.size());
    auto version = [&](int* v, QString* failure) {
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next()) {
            *failure = Reason(q.lastError());
            return false;
        }
        *v = q.value(0).toInt();
        return true;
    };
    int v = 0;
    // Most opens find the journal as it should be, and take no lock. A new
    // one has no table yet: its failure here says nothing.
    QString ignored;
    if (version(&v, &ignored) && v == known) return true;
    // Two programs opening a new journal at once: the second waits for the
    // first's whole migration, then finds nothing left to do.
    const Dialect& dialect = engine_ == Engine::SQLite ? kSQLite : kPostgreSQL;
    bool ok = true;
    for (const char* sql : dialect.lock)
        ok = ok && Exec(db_, QString::fromLatin1(sql), why);
    if (!ok) return false;
    ok =
        Exec(db_,
             QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
             why) &&
        version(&v, why);
    if (ok && v > known) {
        *why = QStringLiteral("it is of version %1, newer than this TapLink knows (%2)")
                   .arg(v)
                   .arg(known);
        ok = false;
    }
    for (int step = v + 1; ok && step <= known; ++step) {
        for (const char* sql : kMigrations[static_cast<std::size_t>(step - 1)]) {
            ok =
                ok && Exec(db_,
                           QString::fromLatin1(sql)
                               .replace(QLatin1String("%ID%"), QLatin1String(dialect.generatedKey))
                               .replace(QLatin1String("%REF%"), QLatin1String(dialect.referenceKey))
                               .replace(QLatin1String("%BLOB%"), QLatin1String(dialect.blob)),
                           why);
        }
        ok = ok &&
             Exec(db_, QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(step),
                  why);
    }
    if (ok) return Exec(db_, QStringLiteral("COMMIT"), why);
    Exec(db_, QStringLiteral("ROLLBACK"), &ignored);
    return false;
}

// Only this host's rows: whether a process of another host still runs
// cannot be told from here, and its own next start marks them.
void Journal::MarkInterrupted() {
    const ProcessId self = ThisProcess();
    QSqlQuery open(db_);
    open.setForwardOnly(true);
    open.prepare(QStringLiteral(
        "SELECT id, pid, process_start FROM transfers WHERE outcome = 'started' AND host = ?"));
    open.addBindValue(Text(self.host));
    QString why;
    if (!Exec(open, &why)) {
        Fail(QStringLiteral("looking for interrupted transfers"), why);
        return;
    }
    std::vector<qint64> gone;
    while (open.next()) {
        if (Check(open.value(1).toLongLong(), open.value(2).toLongLong()) == Liveness::Gone)
            gone.push_back(open.value(0).toLongLong());
    }
    open.finish();
    for (const qint64 id : gone) {
        // Another program may be marking the same row: whoever comes first.
        QSqlQuery mark(db_);
        mark.prepare(
            QStringLiteral("UPDATE transfers SET outcome = 'interrupted', ended_at = ?, "
                           "message = ?, message_key = ?, message_values = '[]' WHERE id = ? "
                           "AND outcome = 'started'"));
        mark.addBindValue(Stamp({}));
        mark.addBindValue(QString::fromLatin1(kInterruptedMessage));
        mark.addBindValue(QString::fromLatin1(kInterruptedMessage));
        mark.addBindValue(id);
        if (!Exec(mark, &why)) {
            Fail(QStringLiteral("marking interrupted transfers"), why);
            return;
        }
        interruptedAtOpen_ += mark.numRowsAffected() > 0 ? 1 : 0;
    }
}

bool Journal::Fail(const QString& what, const QString& why) const {
    lastError_ = QStringLiteral("The journal %1 failed %2: %3").arg(description_, what, why);
    return false;
}

void Journal::Wrote() {
    if (outage_) Returned();
    if (engine_ == Engine::SQLite) Committed();
}

qint64 Journal::Begin(const TransferStart& s, const ProcessId& by) {
    lastError_.clear();
    const QString what = QStringLiteral("recording a transfer's start");
    if (Held(what, true)) return 0;
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("INSERT INTO transfers (started_at, port, model, direction, "
                       "document_path, document_name, machine, trace_path, outcome, host, "
                       "pid, process_start) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'started', ?, ?, "
                       "?)") +
        QLatin1String(engine_ == Engine::SQLite ? kSQLite.returningKey : kPostgreSQL.returningKey));
    for (const QVariant& v :
         {QVariant(Stamp(s.start)), Text(s.port), Text(s.model), Text(s.direction),
          Text(s.documentPath), Text(s.documentName), Text(s.machine), Text(s.tracePath),
          Text(by.host), QVariant(by.pid), QVariant(by.start)}) {
        q.addBindValue(v);
    }
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        Fail(what, why);
        return 0;
    }
    // The statement has run to its end, so the row is committed.
    const qint64 id = engine_ == Engine::PostgreSQL ? (q.next() ? q.value(0).toLongLong() : 0)
                                                    : q.lastInsertId().toLongLong();
    q.finish();
    if (id <= 0) {
        Fail(what, QStringLiteral("no row id"));
        return 0;
    }
    Wrote();
    return id;
}

bool Journal::WriteEnd(qint64 id, const TransferEnd& e, const ProcessId* by, int* rows,
                       QString* why) {
    const bool named = !e.documentPath.isEmpty();
    const bool document = !e.document.isEmpty();
    // The row and its document together, or neither.
    if (document && !Exec(db_, QStringLiteral("BEGIN"), why)) return false;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("UPDATE transfers SET ended_at = ?, outcome = ?, message = ?, "
                             "message_key = ?, message_values = ?, bytes = ?, sha256 = ?%1 "
                             "WHERE id = ? AND %2")
                  .arg(named ? QStringLiteral(", document_path = ?, document_name = ?") : QString(),
                       by ? QStringLiteral("outcome IN ('started', 'interrupted') AND host = ? "
                                           "AND pid = ? AND process_start = ?")
                          : QStringLiteral("outcome = 'started'")));
    q.addBindValue(Stamp(e.end));
    q.addBindValue(QString::fromStdString(OutcomeText(e.outcome)));
    q.addBindValue(Text(e.message));
    const auto [key, values] = Stored(e.text);
    q.addBindValue(NullOr(key));
    q.addBindValue(NullOr(values));
    q.addBindValue(e.bytes);
    q.addBindValue(QString::fromLatin1(e.sha256));
    if (named) {
        q.addBindValue(e.documentPath);
        q.addBindValue(QFileInfo(e.documentPath).fileName());
    }
    q.addBindValue(id);
    if (by) {
        q.addBindValue(Text(by->host));
        q.addBindValue(by->pid);
        q.addBindValue(by->start);
    }
    bool ok = Exec(q, why);
    *rows = ok ? q.numRowsAffected() : 0;
    if (ok && document && *rows == 1) {
        QSqlQuery d(db_);
        d.prepare(QStringLiteral("INSERT INTO documents (transfer_id, bytes) VALUES (?, ?)"));
        d.addBindValue(id);
        d.addBindValue(e.document);
        ok = Exec(d, why);
    }
    if (!document) return ok;
    if (ok) return Exec(db_, QStringLiteral("COMMIT"), why);
    // A connection that has gone has taken its transaction with it.
    if (QString ignored; db_.isOpen()) Exec(db_, QStringLiteral("ROLLBACK"), &ignored);
    return false;
}

bool Journal::Complete(qint64 id, const TransferEnd& e) {
    lastError_.clear();
    const QString what = QStringLiteral("recording the end of transfer %1").arg(id);
    if (e.outcome == Outcome::Started)
        return Fail(what, QStringLiteral("a transfer cannot end as started"));
    if (Held(what, true)) return false;
    QString why;
    int rows = 0;
    if (!WriteEnd(id, e, nullptr, &rows, &why)) {
        Lost(why);
        return Fail(what, why);
    }
    Wrote();
    if (rows == 1) return true;
    // Written already, by a try whose answer the connection lost, or from
    // the ends kept on this host.
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT outcome, ended_at FROM transfers WHERE id = ?"));
    q.addBindValue(id);
    if (Exec(q, &why) && q.next() &&
        q.value(0).toString() == QString::fromStdString(OutcomeText(e.outcome)) &&
        q.value(1).toString() == Stamp(e.end)) {
        return true;
    }
    return Fail(what, QStringLiteral("there is no started transfer %1").arg(id));
}

std::vector<JournalRow> Journal::Rows(const JournalFilter& f) {
    lastError_.clear();
    const QString what = QStringLiteral("listing transfers");
    std::vector<JournalRow> rows;
    if (Held(what, false)) return rows;
    QStringList where;
    QVariantList values;
    if (f.since) {
        where << QStringLiteral("started_at >= ?");
        values << Stamp(*f.since);
    }
    if (!f.port.isEmpty()) {
        where << QStringLiteral("port = ?");
        values << f.port;
    }
    if (!f.machine.isEmpty()) {
        where << QStringLiteral("machine = ?");
        values << f.machine;
    }
    if (f.outcome) {
        where << QStringLiteral("outcome = ?");
        values << QString::fromStdString(OutcomeText(*f.outcome));
    }
    if (!f.direction.isEmpty()) {
        where << QStringLiteral("direction = ?");
        values << f.direction;
    }
    if (f.until) {
        where << QStringLiteral("started_at < ?");
        values << Stamp(*f.until);
    }
    if (!f.document.isEmpty()) {
        where << QStringLiteral("document_name LIKE ? ESCAPE '!'");
        QString text = f.document;
        text.replace(QLatin1Char('!'), QLatin1String("!!"))
            .replace(QLatin1Char('%'), QLatin1String("!%"))
            .replace(QLatin1Char('_'), QLatin1String("!_"));
        values << QLatin1Char('%') + text + QLatin1Char('%');
    }
    if (f.id > 0) {
        where << QStringLiteral("id = ?");
        values << f.id;
    }
    if (f.fromId > 0) {
        where << QStringLiteral("id >= ?");
        values << f.fromId;
    }
    if (f.before > 0) {
        // Older in the listing's order: started before that row, or at the
        // same time with a smaller id.
        const QString at = QStringLiteral("(SELECT started_at FROM transfers WHERE id = ?)");
        // The first term alone is a range of the index of starts.
        where << QStringLiteral("started_at <= %1 AND (started_at < %1 OR id < ?)").arg(at);
        values << f.before << f.before << f.before;
    }
    QString sql = QStringLiteral("SELECT %1 FROM transfers").arg(QLatin1String(kColumns));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    // Rows from an id on are read by their key, newest first: in the order
    // of their starts SQLite looks for them along the whole index.
    sql += f.fromId > 0 ? QStringLiteral(" ORDER BY id DESC")
                        : QStringLiteral(" ORDER BY started_at DESC, id DESC");
    if (f.limit > 0) sql += QStringLiteral(" LIMIT %1").arg(f.limit);

    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        Fail(what, why);
        return rows;
    }
    while (q.next()) {
        JournalRow r;
        r.id = q.value(0).toLongLong();
        r.start.start = FromStamp(q.value(1));
        r.start.port = q.value(3).toString();
        r.start.model = q.value(4).toString();
        r.start.direction = q.value(5).toString();
        r.start.documentPath = q.value(6).toString();
        r.start.documentName = q.value(7).toString();
        r.start.machine = q.value(8).toString();
        r.start.tracePath = q.value(9).toString();
        // A row whose outcome this program does not know shows as started.
        const auto outcome = OutcomeFromText(q.value(12).toString().toStdString());
        if (outcome && *outcome != Outcome::Started) {
            r.end = TransferEnd{FromStamp(q.value(2)), *outcome, q.value(13).toString(),
                                q.value(10).toLongLong(), q.value(11).toString().toLatin1()};
            r.end->text = FromStored(q.value(17).toString(), q.value(18).toString());
        }
        r.host = q.value(14).toString();
        r.pid = q.value(15).toLongLong();
        r.processStart = q.value(16).toLongLong();
        rows.push_back(std::move(r));
    }
    if (q.lastError().isValid()) Fail(what, Reason(q.lastError()));
    return rows;
}

bool Journal::SetMachineState(const QString& name, const QString& state, const QDateTime& since,
                              const QString& kind) {
    lastError_.clear();
    const QString what = QStringLiteral("recording the state of %1").arg(name);
    if (Held(what, true)) return false;
    QSqlQuery q(db_);
    // A station's machine may have been taken over by another station while
    // this one was taken as not running: its state is the other's to say.
    q.prepare(station_.isEmpty()
                  ? QStringLiteral("INSERT INTO machines (name, state, since, updated_at) VALUES "
                                   "(?, ?, ?, ?) ON CONFLICT (name) DO UPDATE SET state = "
                                   "excluded.state, since = excluded.since, updated_at = "
                                   "excluded.updated_at")
                  : QStringLiteral("UPDATE machines SET state = ?, since = ?, updated_at = ? "
                                   "WHERE name = ? AND station = ?"));
    if (station_.isEmpty()) q.addBindValue(Text(name));
    q.addBindValue(Text(state));
    q.addBindValue(Stamp(since));
    q.addBindValue(Stamp({}));
    if (!station_.isEmpty()) {
        q.addBindValue(Text(name));
        q.addBindValue(station_);
    }
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        return Fail(what, why);
    }
    Wrote();
    if (!station_.isEmpty() && q.numRowsAffected() != 1)
        return Fail(what, QStringLiteral("the station %1 does not hold it").arg(station_));
    return kind.isEmpty() || KeepKind(name, kind, since, what);
}

bool Journal::KeepKind(const QString& name, const QString& kind, const QDateTime& since,
                       const QString& what) {
    QString why;
    if (!lastKind_.contains(name)) {
        // The kind this machine was left in, by this or an earlier program.
        QSqlQuery last(db_);
        last.prepare(QStringLiteral(
            "SELECT kind FROM state_changes WHERE machine = ? ORDER BY at DESC, id DESC LIMIT 1"));
        last.addBindValue(Text(name));
        if (!Exec(last, &why)) return Fail(what, why);
        lastKind_.insert(name, last.next() ? last.value(0).toString() : QString());
    }
    if (lastKind_.value(name) == kind) return true;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO state_changes (machine, kind, at) VALUES (?, ?, ?)"));
    q.addBindValue(Text(name));
    q.addBindValue(kind);
    q.addBindValue(Stamp(since));
    if (!Exec(q, &why)) {
        Lost(why);
        return Fail(what, why);
    }
    lastKind_.insert(name, kind);
    Wrote();
    return true;
}

std::vector<StateChange> Journal::StateChanges(const QDateTime& since) {
    lastError_.clear();
    const QString what = QStringLiteral("listing the machines' states");
    std::vector<StateChange> changes;
    if (Held(what, false)) return changes;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT machine, kind, at FROM state_changes WHERE at >= ? OR id IN (SELECT MAX(id) FROM "
        "state_changes WHERE at < ? GROUP BY machine) ORDER BY at, id"));
    q.addBindValue(Stamp(since));
    q.addBindValue(Stamp(since));
    QString why;
    if (!Exec(q, &why)) {
        Lost(why);
        Fail(what, why);
        return changes;
    }
    while (q.next())
        changes.push_back({q.value(0).toString(), q.value(1).toString(), FromStamp(q.value(2))});
    return changes;
}

std::vector<MachineState> Journal::Machines() {
    lastError_.clear();
    const QString what = QStringLiteral("listing machines");
    std::vector<MachineState> machines;
    if (Held(what, false)) return machines;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT name, state, since, updated_at, station FROM machines "
                               "ORDER BY name"))) {
        const QString why = Reason(q.lastError());
        Lost(why);
        Fail(what, why);
        return machines;
    }
    while (q.next()) {
        machines.push_back({q.value(0).toString(), q.value(1).toString(), FromStamp(q.value(2)),
                            FromStamp(q.value(3)), q.value(4).toString()});
    }
    return machines;
}

}  // namespace taplink
