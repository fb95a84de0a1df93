// A journal that cannot be written: said once, tried again with back-off
// (a server off this thread), and said once more when it returns.
#include <QSqlDatabase>
#include <QSqlQuery>

#include "journal.h"
#include "journal_sql.h"

namespace taplink {

using namespace journal_sql;

bool Journal::Lost(const QString& why) {
    // A statement the server refused leaves the connection as it was.
    if (engine_ == Engine::PostgreSQL && db_.isOpen()) {
        QSqlQuery alive(db_);
        if (alive.exec(QStringLiteral("SELECT 1"))) return false;
    }
    if (outage_) {
        outage_->Later();  // a try that failed
    } else {
        outage_ = std::make_unique<Outage>();
        outage_->since = QDateTime::currentDateTimeUtc();
        outage_->lastTry.start();
        if (notice_) {
            notice_(QStringLiteral("The journal %1 cannot be written: %2 (tried again after %3 s, "
                                   "then less and less often, up to every %4 s)")
                        .arg(description_, why)
                        .arg(kJournalFirstRetryMs / 1000)
                        .arg(kJournalLongestRetryMs / 1000));
        }
    }
    outage_->reason = why;
    return true;
}

void Journal::Returned() {
    const qint64 secs = outage_->since.secsTo(QDateTime::currentDateTimeUtc());
    outage_.reset();
    if (notice_) {
        notice_(QStringLiteral("The journal %1 can be written again (it could not be for %2 s)")
                    .arg(description_)
                    .arg(secs));
    }
    keptEndsWritten_ += WriteKeptEnds();
}

bool Journal::Available() {
    if (!outage_) return true;
    Outage& o = *outage_;
    if (o.probe.valid()) {
        if (o.probe.wait_for(std::chrono::seconds{0}) != std::future_status::ready) return false;
        const QString why = o.probe.get();
        if (why.isEmpty()) return Reconnect();
        o.reason = why;
        o.Later();
        return false;
    }
    if (!o.now && o.lastTry.elapsed() < o.waitMs) return false;
    // Nothing to connect: the next write is the try, and its failure the
    // next wait.
    if (engine_ == Engine::SQLite) return true;
    // Connecting waits for a server that does not answer: not on the thread
    // that runs the transfers. A connection of its own, gone with the thread.
    o.probe = std::async(
        std::launch::async, [name = connection_ + QStringLiteral("-probe"), user = db_.userName(),
                             password = db_.password(), host = db_.hostName(), port = db_.port(),
                             database = db_.databaseName()] {
            QString why;
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                db.setUserName(user);
                db.setPassword(password);
                db.setHostName(host);
                db.setPort(port);
                db.setDatabaseName(database);
                db.setConnectOptions(QStringLiteral("connect_timeout=2"));
                if (!db.open()) why = Reason(db.lastError());
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
            return why;
        });
    return false;
}

bool Journal::Reconnect() {
    if (!outage_) return true;
    if (engine_ == Engine::SQLite) {
        outage_->now = true;
        return true;
    }
    if (outage_->probe.valid()) outage_->probe.wait();
    outage_->probe = {};
    db_.close();
    QString why;
    if (db_.open() && Prepare(&why)) {
        Returned();
        return true;
    }
    outage_->reason = why.isEmpty() ? Reason(db_.lastError()) : why;
    outage_->Later();
    return false;
}

std::optional<std::pair<QDateTime, QString>> Journal::Unavailable() const {
    if (!outage_) return std::nullopt;
    return std::pair{outage_->since, outage_->reason};
}

bool Journal::Held(const QString& what, bool write) {
    // SQLite reads go on while its writes fail (a full disk, a long lock).
    if (!outage_ || (!write && engine_ == Engine::SQLite) || Available()) return false;
    return !Fail(
        what, QStringLiteral("it is unavailable since %1: %2")
                  .arg(outage_->since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       outage_->reason));
}

bool Journal::Away(const QString& what) const {
    if (!outage_ || engine_ == Engine::SQLite) return false;
    return !Fail(
        what, QStringLiteral("it is unavailable since %1: %2")
                  .arg(outage_->since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       outage_->reason));
}

}  // namespace taplink
