#include "presence.h"

#include <QSysInfo>

namespace taplink {
namespace {

QString Local(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Who(const StationRow& s) {
    return QStringLiteral("the station %1 on %2 (pid %3)")
        .arg(s.name, s.process.host)
        .arg(s.process.pid);
}

// Ports as the stations compare them: a device, or a device server on the
// loopback, is this host's own; another device server is the same one
// whichever station reaches it.
QString SharedPortKey(const QString& key) {
    static const QString kServer = QStringLiteral("server ");
    const QString at = key.startsWith(kServer) ? key.mid(kServer.size()) : QString();
    const bool local = !key.startsWith(kServer) || at.startsWith(QStringLiteral("127.")) ||
                       at.startsWith(QStringLiteral("::1:"));
    return local ? QSysInfo::machineHostName() + QLatin1Char(' ') + key : key;
}

}  // namespace

Presence::Presence(Journal* journal, QString name, int heartbeatMs, Log log)
    : journal_(journal), name_(std::move(name)), heartbeatMs_(heartbeatMs), log_(std::move(log)) {
    connect(&beat_, &QTimer::timeout, this, &Presence::OnBeat);
}

bool Presence::Begin(QString* why) {
    if (!journal_) return true;
    Holder other;
    switch (journal_->Join(name_, heartbeatMs_, &other)) {
        case Claim::Granted: break;
        case Claim::Held:
            *why = QStringLiteral("the station name %1 is taken by %2, which runs")
                       .arg(name_, Who(other.station));
            return false;
        case Claim::Failed: *why = journal_->LastError(); return false;
    }
    joined_ = true;
    beat_.start(heartbeatMs_);
    return true;
}

void Presence::Forget(const std::vector<MachineConfig>& kept) {
    if (!journal_) return;
    QStringList names;
    for (const MachineConfig& m : kept)
        names << m.name;
    if (!journal_->ForgetMachines(names)) Say(QStringLiteral("station"), journal_->LastError());
}

bool Presence::Claim(const MachineConfig& machine) {
    Wanted& w = wanted_[machine.name];
    w.portKey = SharedPortKey(machine.portKey);
    w.port = machine.port;
    return Ask(machine.name, w);
}

bool Presence::Ask(const QString& name, Wanted& w) {
    if (!journal_) return w.held = true;
    if (!joined_) return w.held = false;
    Holder other;
    QString refusal;
    switch (journal_->ClaimMachine(name, w.portKey, &other)) {
        case Claim::Granted:
            if (!other.machine.isEmpty()) {
                Say(name, QStringLiteral("served here now: %1 %2, last seen %3")
                              .arg(Who(other.station),
                                   other.station.stopped ? QStringLiteral("has stopped")
                                                         : QStringLiteral("is not running"),
                                   Local(other.station.lastSeen)));
            }
            w.refusal.clear();
            return w.held = true;
        case Claim::Held:
            refusal = other.machine == name ? QStringLiteral("served by %1").arg(Who(other.station))
                                            : QStringLiteral("its port %1 is %2's, served by %3")
                                                  .arg(w.port, other.machine, Who(other.station));
            refusal += QStringLiteral("; not served here while that station runs");
            break;
        case Claim::Failed: refusal = journal_->LastError(); break;
    }
    // Asked again at every beat: said once, and again when it changes.
    if (refusal != w.refusal) Say(name, refusal);
    w.refusal = refusal;
    return w.held = false;
}

void Presence::Release(const QString& name) {
    wanted_.erase(name);
    if (!journal_ || !joined_) return;
    QStringList names;
    for (const auto& [kept, w] : wanted_)
        names << kept;
    if (!journal_->ForgetMachines(names)) Say(name, journal_->LastError());
}

void Presence::End() {
    beat_.stop();
    if (journal_ && joined_ && !journal_->Leave())
        Say(QStringLiteral("station"), journal_->LastError());
    joined_ = false;
}

void Presence::OnBeat() {
    const auto lose = [this](const QString& name, const QString& why) {
        Wanted& w = wanted_[name];
        if (!w.held) return;
        w.held = false;
        Say(name, why);
        if (onLost) onLost(name);
    };
    Holder other;
    const QString station = QStringLiteral("station");
    switch (joined_ ? journal_->Beat(&other) : journal_->Join(name_, heartbeatMs_, &other)) {
        case Claim::Granted:
            if (!beatFailure_.isEmpty()) {
                Say(station, QStringLiteral("its heartbeat is written to the journal again"));
            }
            beatFailure_.clear();
            joined_ = true;
            break;
        case Claim::Held: {
            joined_ = false;
            // Its row gone: joined again at the next beat.
            if (other.station.name.isEmpty()) return;
            // Taken as gone, and its name given to another station since.
            const QString why = QStringLiteral(
                                    "the station name %1 is taken by %2; nothing is "
                                    "served here while that station runs")
                                    .arg(name_, Who(other.station));
            if (why != beatFailure_) Say(station, why);
            beatFailure_ = why;
            for (const auto& [name, w] : std::map(wanted_))
                lose(name, QStringLiteral("served here no more: ") + why);
            return;
        }
        case Claim::Failed:
            if (journal_->LastError() != beatFailure_) Say(station, journal_->LastError());
            beatFailure_ = journal_->LastError();
            return;
    }
    const QStringList held = journal_->HeldMachines();
    if (!journal_->LastError().isEmpty()) return;
    for (const auto& [name, w] : std::map(wanted_)) {
        if (w.held && !held.contains(name)) {
            lose(name, QStringLiteral("taken over by another station while this one was taken "
                                      "as not running: served here no more"));
        }
    }
    for (const auto& [name, copy] : std::map(wanted_)) {
        const auto it = wanted_.find(name);
        if (it != wanted_.end() && !it->second.held && Ask(name, it->second) && onGranted)
            onGranted(name);
    }
}

}  // namespace taplink
