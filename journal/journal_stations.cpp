// Stations sharing one journal: who runs, and which of them serves each
// machine. Every judgement of time is by the journal's own clock, so that
// stations on PCs whose clocks differ judge one another alike.
#include <QFile>

#include "journal.h"
#include "journal_sql.h"

namespace taplink {

using namespace journal_sql;

namespace {

// The journal's clock as a stored time (see Stamp).
const char* kSQLiteNow = "SELECT strftime('%Y-%m-%dT%H:%M:%fZ', 'now')";
const char* kPostgreSQLNow =
    "SELECT to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')";

// After the machine's name (or ''), what ReadStations reads of a station.
const char* kStationColumns =
    "s.name, s.host, s.boot_id, s.pid, s.process_start, s.started_at, s.beat_at, s.beat_ms, "
    "s.stopped_at";

// A station is taken as gone after this many beats unheard.
constexpr qint64 kBeatsMissed = 3;

bool SameProcess(const StationRow& s, const ProcessId& p, const QString& boot) {
    return s.process.host == p.host && s.process.pid == p.pid && s.process.start == p.start &&
           s.boot == boot;
}

}  // namespace

bool Journal::FailedStations(const QString& what, const QString& why) {
    // A server gone is said once and tried again, as for the transfers.
    if (engine_ == Engine::PostgreSQL && !why.isEmpty()) Lost(why);
    return Fail(what, why);
}

Claim Journal::Failed(const QString& what, const QString& why) {
    FailedStations(what, why);
    return Claim::Failed;
}

QString ThisBoot() {
    static const QString boot = [] {
        QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QString();
    }();
    return boot;
}

bool StationRunning(const StationRow& s, const QDateTime& now) {
    if (s.stopped || !s.lastSeen.isValid()) return false;
    // Only on the same boot of the same host does a pid name the process.
    if (!s.boot.isEmpty() && s.boot == ThisBoot() &&
        Check(s.process.pid, s.process.start) == Liveness::Gone) {
        return false;
    }
    return s.lastSeen.msecsTo(now) <= kBeatsMissed * s.beatMs;
}

std::optional<QDateTime> Journal::Now(QString* why) const {
    QSqlQuery q(db_);
    if (!q.exec(QLatin1String(engine_ == Engine::SQLite ? kSQLiteNow : kPostgreSQLNow)) ||
        !q.next()) {
        *why = Reason(q.lastError());
        return std::nullopt;
    }
    const QDateTime now = FromStamp(q.value(0));
    if (!now.isValid())
        *why = QStringLiteral("the journal's clock reads %1").arg(q.value(0).toString());
    return now.isValid() ? std::optional(now) : std::nullopt;
}

bool Journal::BeginStations(QString* why) {
    if (engine_ == Engine::SQLite) return Exec(db_, QStringLiteral("BEGIN IMMEDIATE"), why);
    if (!Exec(db_, QStringLiteral("BEGIN"), why)) return false;
    if (Exec(db_, QStringLiteral("SELECT pg_advisory_xact_lock(1952541805)"), why)) return true;
    QString ignored;
    Exec(db_, QStringLiteral("ROLLBACK"), &ignored);
    return false;
}

void Journal::EndStations(bool commit, QString* why) {
    QString ignored;
    if (commit && Exec(db_, QStringLiteral("COMMIT"), why)) return;
    Exec(db_, QStringLiteral("ROLLBACK"), &ignored);
}

bool Journal::ReadStations(QSqlQuery& q, const QDateTime& now, std::vector<Holder>* into,
                           QString* why) const {
    if (!Exec(q, why)) return false;
    while (q.next()) {
        Holder h;
        h.machine = q.value(0).toString();
        StationRow& s = h.station;
        s.name = q.value(1).toString();
        s.process = {q.value(2).toString(), q.value(4).toLongLong(), q.value(5).toLongLong()};
        s.boot = q.value(3).toString();
        s.startedAt = FromStamp(q.value(6));
        s.lastSeen = FromStamp(q.value(7));
        s.beatMs = q.value(8).toLongLong();
        s.stopped = !q.value(9).isNull();
        s.running = StationRunning(s, now);
        into->push_back(std::move(h));
    }
    if (!q.lastError().isValid()) return true;
    *why = Reason(q.lastError());
    return false;
}

Claim Journal::Join(const QString& station, qint64 beatMs, const ProcessId& by, const QString& boot,
                    Holder* holder) {
    lastError_.clear();
    const QString what = QStringLiteral("registering the station %1").arg(station);
    if (Held(what, true)) return Claim::Failed;
    QString why;
    if (!BeginStations(&why)) return Failed(what, why);
    const auto now = Now(&why);
    std::vector<Holder> same;
    QSqlQuery read(db_);
    read.prepare(QStringLiteral("SELECT '', %1 FROM stations s WHERE s.name = ?")
                     .arg(QLatin1String(kStationColumns)));
    read.addBindValue(station);
    if (!now || !ReadStations(read, *now, &same, &why)) {
        EndStations(false, &why);
        return Failed(what, why);
    }
    read.finish();
    if (!same.empty() && same[0].station.running && !SameProcess(same[0].station, by, boot)) {
        EndStations(false, &why);
        *holder = same[0];
        return Claim::Held;
    }
    QSqlQuery q(db_);
    q.prepare(QStringLiteral(
        "INSERT INTO stations (name, host, boot_id, pid, process_start, started_at, beat_at, "
        "beat_ms, stopped_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, NULL) ON CONFLICT (name) DO UPDATE "
        "SET host = excluded.host, boot_id = excluded.boot_id, pid = excluded.pid, "
        "process_start = excluded.process_start, started_at = excluded.started_at, beat_at = "
        "excluded.beat_at, beat_ms = excluded.beat_ms, stopped_at = NULL"));
    for (const QVariant& v :
         {QVariant(station), Text(by.host), Text(boot), QVariant(by.pid), QVariant(by.start),
          QVariant(Stamp(*now)), QVariant(Stamp(*now)), QVariant(beatMs)}) {
        q.addBindValue(v);
    }
    const bool ok = Exec(q, &why);
    EndStations(ok, &why);
    if (!ok) return Failed(what, why);
    station_ = station;
    stationProcess_ = by;
    stationBoot_ = boot;
    return Claim::Granted;
}

bool Journal::ForThisStation(QSqlQuery& q, QString* why) {
    for (const QVariant& v : {QVariant(station_), Text(stationProcess_.host), Text(stationBoot_),
                              QVariant(stationProcess_.pid), QVariant(stationProcess_.start)}) {
        q.addBindValue(v);
    }
    return Exec(q, why) && q.numRowsAffected() == 1;
}

Claim Journal::Beat(Holder* holder) {
    lastError_.clear();
    const QString what = QStringLiteral("recording that the station %1 runs").arg(station_);
    if (Held(what, true)) return Claim::Failed;
    QString why;
    const auto now = Now(&why);
    if (!now) return Failed(what, why);
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("UPDATE stations SET beat_at = ? WHERE name = ? AND host = ? AND "
                       "boot_id = ? AND pid = ? AND process_start = ? AND stopped_at IS NULL"));
    q.addBindValue(Stamp(*now));
    if (ForThisStation(q, &why)) return Claim::Granted;
    if (!why.isEmpty()) return Failed(what, why);
    // Another process has the name now: who.
    QSqlQuery read(db_);
    read.prepare(QStringLiteral("SELECT '', %1 FROM stations s WHERE s.name = ?")
                     .arg(QLatin1String(kStationColumns)));
    read.addBindValue(station_);
    std::vector<Holder> found;
    if (!ReadStations(read, *now, &found, &why)) return Failed(what, why);
    *holder = found.empty() ? Holder{} : found.front();
    return Claim::Held;
}

bool Journal::Leave() {
    lastError_.clear();
    const QString what = QStringLiteral("recording that the station %1 stopped").arg(station_);
    if (Held(what, true)) return false;
    QString why;
    const auto now = Now(&why);
    if (!now) return FailedStations(what, why);
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("UPDATE stations SET beat_at = ?, stopped_at = ? WHERE name = ? AND "
                       "host = ? AND boot_id = ? AND pid = ? AND process_start = ?"));
    q.addBindValue(Stamp(*now));
    q.addBindValue(Stamp(*now));
    if (ForThisStation(q, &why)) return true;
    if (!why.isEmpty()) return FailedStations(what, why);
    return Fail(what, QStringLiteral("its name is another station's now"));
}

Claim Journal::ClaimMachine(const QString& machine, const QString& portKey, Holder* holder) {
    lastError_.clear();
    const QString what = QStringLiteral("claiming %1 for the station %2").arg(machine, station_);
    if (station_.isEmpty()) return Failed(what, QStringLiteral("no station joined"));
    if (Held(what, true)) return Claim::Failed;
    QString why;
    if (!BeginStations(&why)) return Failed(what, why);
    const auto failed = [&] {
        EndStations(false, &why);
        return Failed(what, why);
    };
    const auto now = Now(&why);
    if (!now) return failed();
    // Machines of the name or the port that other stations have held.
    QSqlQuery read(db_);
    read.prepare(QStringLiteral("SELECT m.name, %1 FROM machines m JOIN stations s ON s.name = "
                                "m.station WHERE (m.name = ? OR (m.port_key = ? AND m.port_key "
                                "<> '')) AND m.station <> ? ORDER BY m.name = ? DESC")
                     .arg(QLatin1String(kStationColumns)));
    for (const QString& v : {machine, portKey, station_, machine})
        read.addBindValue(v);
    std::vector<Holder> others;
    if (!ReadStations(read, *now, &others, &why)) return failed();
    read.finish();
    for (const Holder& h : others) {
        if (!h.station.running) continue;
        EndStations(false, &why);
        *holder = h;
        return Claim::Held;
    }
    *holder = others.empty() ? Holder{} : others.front();
    // The port served under another name by a station gone: that name is
    // served nowhere now, and its station, should it come back, must see so.
    QSqlQuery displace(db_);
    displace.prepare(
        QStringLiteral("UPDATE machines SET station = '', state = ?, since = ?, updated_at = ? "
                       "WHERE port_key = ? AND port_key <> '' AND name <> ? AND station <> ?"));
    for (const QString& v :
         {QStringLiteral("its port is served as %1 by the station %2").arg(machine, station_),
          Stamp(*now), Stamp(*now), portKey, machine, station_}) {
        displace.addBindValue(v);
    }
    QSqlQuery take(db_);
    take.prepare(QStringLiteral(
        "INSERT INTO machines (name, state, since, updated_at, station, port_key) VALUES (?, "
        "'starting', ?, ?, ?, ?) ON CONFLICT (name) DO UPDATE SET station = excluded.station, "
        "port_key = excluded.port_key"));
    for (const QString& v : {machine, Stamp(*now), Stamp(*now), station_, portKey})
        take.addBindValue(v);
    if (!Exec(displace, &why) || !Exec(take, &why)) return failed();
    why.clear();
    EndStations(true, &why);
    if (!why.isEmpty()) return Failed(what, why);
    return Claim::Granted;
}

QStringList Journal::HeldMachines() const {
    lastError_.clear();
    if (Away(QStringLiteral("listing the machines of the station %1").arg(station_))) return {};
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT name FROM machines WHERE station = ? ORDER BY name"));
    q.addBindValue(station_);
    QString why;
    QStringList names;
    if (!Exec(q, &why)) {
        Fail(QStringLiteral("listing the machines of the station %1").arg(station_), why);
        return names;
    }
    while (q.next())
        names << q.value(0).toString();
    return names;
}

bool Journal::ForgetMachines(const QStringList& keep) {
    lastError_.clear();
    const QString what =
        QStringLiteral("removing machines the station %1 no longer has").arg(station_);
    if (station_.isEmpty()) return Fail(what, QStringLiteral("no station joined"));
    if (Held(what, true)) return false;
    QStringList marks;
    for (qsizetype i = 0; i < keep.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("DELETE FROM machines WHERE (station = ? OR station = '')") +
              (keep.isEmpty() ? QString()
                              : QStringLiteral(" AND name NOT IN (%1)").arg(marks.join(u','))));
    q.addBindValue(station_);
    for (const QString& name : keep)
        q.addBindValue(name);
    QString why;
    return Exec(q, &why) || FailedStations(what, why);
}

std::vector<StationRow> Journal::Stations() const {
    lastError_.clear();
    if (Away(QStringLiteral("listing stations"))) return {};
    QString why;
    std::vector<Holder> read;
    std::vector<StationRow> stations;
    const auto now = Now(&why);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT '', %1 FROM stations s ORDER BY s.name")
                  .arg(QLatin1String(kStationColumns)));
    if (!now || !ReadStations(q, *now, &read, &why)) {
        Fail(QStringLiteral("listing stations"), why);
        return stations;
    }
    for (Holder& h : read)
        stations.push_back(std::move(h.station));
    return stations;
}

}  // namespace taplink
