// What the journal's source files share about its SQL: how times are
// stored, and statements run with the database's own reason kept.
#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace taplink::journal_sql {

// A time as stored: UTC with milliseconds, in one form, so that stored
// times compare and sort as text; an invalid time means now.
QString Stamp(const QDateTime& t);
QDateTime FromStamp(const QVariant& v);
// A text column's value: "" for a null QString.
QVariant Text(const QString& s);
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
