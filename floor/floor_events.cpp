// The floor as it is now, and as it changes: every machine (the config's
// and the journal's), its last day as a strip, and the live events that a
// page listens to. The journal is looked at once a second for all listeners
// together, and only what changed is sent.
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <algorithm>
#include <ctime>
#include <map>

#include "day_strip.h"
#include "floor_server.h"
#include "guarded_server.h"

namespace taplink {
namespace {

using Status = QHttpServerResponder::StatusCode;

// A listener that has not taken this much of what was sent is too slow to
// follow the floor, and is dropped rather than kept in memory.
constexpr qint64 kMostUnsentBytes = 1 << 20;
// The strip's drawing size; the page scales it to its width.
constexpr int kStripWidth = 480, kStripHeight = 18;
// The rows a strip is drawn from, at most: a day of a busy floor.
constexpr int kMostStripRows = 20000;

// The station's state words, as the page colours them.
QString KindOf(const QString& state) {
    static const std::pair<const char*, const char*> kKinds[] = {
        {"idle", "idle"},
        {"listening", "listening"},
        {"sending", "sending"},
        {"receiving", "receiving"},
        {"port lost", "lost"},
        {"stopped", "stopped"},
        {"journal unavailable", "unavailable"},
        {"inbox unavailable", "unavailable"},
        {"request", "request"}};
    for (const auto& [word, kind] : kKinds) {
        const QLatin1String w(word);
        if (state == w || state.startsWith(w + QLatin1Char(' '))) return QLatin1String(kind);
    }
    return QStringLiteral("other");
}

QJsonValue Time(const QDateTime& t) {
    return t.isValid() ? QJsonValue(t.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QByteArray MachineEvent(const FloorMachine& m) {
    QJsonObject o{{"name", m.name},
                  {"state", m.state},
                  {"kind", m.kind},
                  {"since", Time(m.since)},
                  {"last", QJsonValue()}};
    if (m.last) {
        const JournalRow& r = *m.last;
        o.insert("last", QJsonObject{{"id", r.id},
                                     {"direction", r.start.direction},
                                     {"document", r.start.documentName},
                                     {"outcome", QString::fromStdString(OutcomeText(
                                                     r.end ? r.end->outcome : Outcome::Started))},
                                     {"ended_at", r.end ? Time(r.end->end) : QJsonValue()}});
    }
    return "event: machine\ndata: " + QJsonDocument(o).toJson(QJsonDocument::Compact) + "\n\n";
}

std::optional<StripKind> StripOf(const QString& kind) {
    if (kind == QLatin1String("idle") || kind == QLatin1String("listening"))
        return StripKind::Listening;
    if (kind == QLatin1String("port lost")) return StripKind::Lost;
    if (kind == QLatin1String("stopped")) return StripKind::Stopped;
    return std::nullopt;
}

// The C library's local time: Qt's looks at the zone's file again for every
// time, and a floor's day has tens of thousands of them.
QString ShortTime(qint64 ms) {
    const std::time_t t = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    char text[8] = "";
    if (::localtime_r(&t, &local)) std::strftime(text, sizeof text, "%H:%M", &local);
    return QString::fromLatin1(text);
}

}  // namespace

QString KindWord(std::string_view kind) {
    if (kind == "sending") return PageText::tr("sending");
    if (kind == "receiving") return PageText::tr("receiving");
    if (kind == "listening") return PageText::tr("listening");
    if (kind == "lost") return PageText::tr("lost");
    if (kind == "stopped") return PageText::tr("stopped");
    return QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size()));
}

std::vector<FloorMachine> FloorServer::FloorMachines(bool withLast, QString* why) {
    const auto rows = journal_->Machines();
    if (!journal_->LastError().isEmpty()) {
        *why = journal_->LastError();
        return {};
    }
    const auto stations = journal_->Stations();
    std::map<QString, FloorMachine> byName;
    for (const MachineState& m : rows) {
        FloorMachine f{m.name, m.state, KindOf(m.state), m.since, m.station, false, {}};
        const auto s = std::find_if(stations.begin(), stations.end(),
                                    [&](const StationRow& s) { return s.name == m.station; });
        f.running = s != stations.end() && s->running;
        if (!m.station.isEmpty() && !f.running) {
            // What it last said is no longer so.
            f.state = QStringLiteral("station %1 not running (last: %2)").arg(m.station, m.state);
            f.kind = QStringLiteral("unavailable");
        }
        byName[m.name] = f;
    }
    for (const MachineConfig& c : config_.machines) {
        if (byName.count(c.name) == 0)
            byName[c.name] = {c.name, QStringLiteral("not served yet"), QStringLiteral("other")};
    }
    std::vector<FloorMachine> out;
    for (auto& [name, m] : byName) {
        if (withLast) {
            JournalFilter f;
            f.machine = name;
            f.limit = 1;
            const auto last = journal_->Rows(f);
            if (!last.empty()) m.last = last.front();
        }
        out.push_back(std::move(m));
    }
    return out;
}

QHash<QString, QString> FloorServer::Strips(const std::vector<FloorMachine>& machines) {
    const bool floor = machines.size() > 1;
    if (floor && NowMs() < floorStripsUntilMs_) return floorStrips_;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 from = now - 24LL * 60 * 60 * 1000;
    const QDateTime since = QDateTime::fromMSecsSinceEpoch(from, Qt::UTC);
    std::map<QString, std::vector<StripSpan>> spans;
    // The states first, the transfers drawn over them.
    const auto changes = journal_->StateChanges(since);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const StateChange& c = changes[i];
        const auto kind = StripOf(c.kind);
        if (!kind) continue;
        qint64 end = now;
        for (std::size_t j = i + 1; j < changes.size(); ++j) {
            if (changes[j].machine == c.machine) {
                end = changes[j].at.toMSecsSinceEpoch();
                break;
            }
        }
        const qint64 start = std::max(c.at.toMSecsSinceEpoch(), from);
        spans[c.machine].push_back(
            {start, end, *kind,
             PageText::tr("%1 %2–%3")
                 .arg(KindWord(StripKindName(*kind)), ShortTime(start), ShortTime(end))
                 .toStdString()});
    }
    JournalFilter f;
    f.since = since;
    f.limit = kMostStripRows;
    // A machine's page: its own rows, by their index, not the whole floor's.
    if (machines.size() == 1) f.machine = machines.front().name;
    for (const JournalRow& r : journal_->Rows(f)) {
        const bool send = r.start.direction == QLatin1String("send");
        if (!send && r.start.direction != QLatin1String("receive")) continue;
        const qint64 start = r.start.start.toMSecsSinceEpoch();
        const qint64 end = r.end ? r.end->end.toMSecsSinceEpoch() : now;
        const QString outcome = OutcomeWord(r.end ? r.end->outcome : Outcome::Started);
        spans[r.start.machine].push_back({start, std::max(end, start + 1000),
                                          send ? StripKind::Sending : StripKind::Receiving,
                                          PageText::tr("%1 %2: %3")
                                              .arg(r.start.documentName, ShortTime(start), outcome)
                                              .toStdString()});
    }
    QHash<QString, QString> out;
    for (const FloorMachine& m : machines) {
        out.insert(m.name, QString::fromStdString(
                               DayStripSvg(spans[m.name], from, now, kStripWidth, kStripHeight)));
    }
    if (floor) {
        floorStrips_ = out;
        floorStripsUntilMs_ = NowMs() + kFloorStripsMs;
    }
    return out;
}

void FloorServer::Listen(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (static_cast<int>(listeners_.size()) >= kMostListeners) {
        QHttpServerResponse busy(
            "application/json",
            QJsonDocument(QJsonObject{{"error", QStringLiteral("the floor has %1 listeners "
                                                               "already: try again later")
                                                    .arg(kMostListeners)}})
                .toJson(QJsonDocument::Compact),
            Status::ServiceUnavailable);
        busy.addHeaders(SecurityHeaders());
        busy.addHeader("Retry-After", "30");
        busy.write(makeResponder(request, socket));
        return;
    }
    if (!polled_) Poll();
    auto l = std::unique_ptr<Listener>(new Listener{makeResponder(request, socket), socket});
    l->responder.writeStatusLine(Status::Ok);
    for (const auto& [name, value] : SecurityHeaders())
        l->responder.writeHeader(name, value);
    l->responder.writeHeader("Content-Type", "text/event-stream; charset=utf-8");
    // No length: the answer goes on until either side closes.
    l->responder.writeHeader("Connection", "keep-alive");
    QByteArray now = "retry: 3000\n\n";
    for (const QByteArray& e : std::as_const(machineEvents_))
        now += e;
    l->responder.writeBody(now);
    listeners_.push_back(std::move(l));
    if (!poll_.isActive()) {
        poll_.start(kPollMs);
        keepAlive_.start(kKeepAliveMs);
    }
}

void FloorServer::Send(const QByteArray& event) {
    std::erase_if(listeners_, [&](const std::unique_ptr<Listener>& l) {
        if (!l->socket || l->socket->state() != QAbstractSocket::ConnectedState ||
            l->socket->bytesToWrite() > kMostUnsentBytes) {
            if (l->socket) l->socket->abort();
            return true;
        }
        l->responder.writeBody(event);
        return false;
    });
    if (listeners_.empty()) {
        poll_.stop();
        keepAlive_.stop();
        polled_ = false;
    }
}

void FloorServer::Poll() {
    QString why;
    const bool first = !polled_;
    auto machines = FloorMachines(first, &why);
    if (!why.isEmpty()) return;  // said on the pages; the next poll tries again
    JournalFilter f;
    f.limit = 100 + 2 * static_cast<int>(machines.size());
    // After the first look, only the rows that can have changed since: those
    // still started then, and the new ones (a look at every second's end
    // stalls every request behind it).
    if (!first) f.fromId = watchFrom_;
    const auto rows = journal_->Rows(f);
    QByteArray out;
    QHash<qint64, QString> seen;
    QHash<QString, const JournalRow*> newest;
    qint64 last = 0, open = 0;
    for (const JournalRow& r : rows) {
        last = std::max(last, r.id);
        if (!r.end) open = open ? std::min(open, r.id) : r.id;
    }
    if (last > 0) watchFrom_ = std::max(open ? open : last + 1, last + 1 - f.limit);
    for (const JournalRow& r : rows) {
        const QString outcome =
            QString::fromStdString(OutcomeText(r.end ? r.end->outcome : Outcome::Started));
        seen.insert(r.id, outcome);
        if (!newest.contains(r.start.machine)) newest.insert(r.start.machine, &r);
        if (!first && outcomes_.value(r.id) != outcome) {
            out += "event: transfer\ndata: " +
                   QJsonDocument(QJsonObject{{"id", r.id}, {"machine", r.start.machine}})
                       .toJson(QJsonDocument::Compact) +
                   "\n\n";
        }
    }
    outcomes_ = seen;
    for (FloorMachine& m : machines) {
        if (const JournalRow* r = newest.value(m.name)) {
            m.last = *r;
        } else if (!first && lasts_.contains(m.name)) {
            m.last = lasts_.value(m.name);
        }
        if (m.last) lasts_.insert(m.name, *m.last);
        const QByteArray event = MachineEvent(m);
        if (machineEvents_.value(m.name) != event) {
            machineEvents_.insert(m.name, event);
            if (!first) out += event;
        }
    }
    polled_ = true;
    if (!out.isEmpty()) Send(out);
}

}  // namespace taplink
