// What the journal's source files share about its SQL: how times are
// stored, and statements run with the database's own reason kept.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <future>

#include "journal.h"

namespace taplink::journal_sql {

// A time as stored: UTC with milliseconds, in one form, so that stored
// times compare and sort as text; an invalid time means now.
QString Stamp(const QDateTime& t);
QDateTime FromStamp(const QVariant& v);
// A text column's value: "" for a null QString.
QVariant Text(const QString& s);
// A column that holds NULL for nothing.
QVariant NullOr(const QString& s);
QString OneLine(QString s);
QString Reason(const QSqlError& e);
// Run a statement; false with *why set to the database's reason.
bool Exec(QSqlQuery& q, QString* why);
bool Exec(const QSqlDatabase& db, const QString& sql, QString* why);

// Whether the process of this host that started at start (see ProcessId)
// is still there.
enum class Liveness { Gone, Running, Unknown };
Liveness Check(qint64 pid, qint64 start);

}  // namespace taplink::journal_sql

namespace taplink {

// While the journal is unavailable: since when, why, and when it is tried again.
struct Journal::Outage {
    QDateTime since;
    QString reason;
    int waitMs = kJournalFirstRetryMs;
    QElapsedTimer lastTry;
    bool now = false;  // asked to try at once
    // A new connection to the server, made off this thread: the reason it
    // failed, empty once one was made.
    std::future<QString> probe;

    void Later() {
        now = false;
        lastTry.start();
        waitMs = std::min(waitMs * 2, kJournalLongestRetryMs);
    }
};

}  // namespace taplink
