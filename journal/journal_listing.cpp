#include "journal_listing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <ctime>

#include "journal.h"

namespace taplink {
namespace {

enum ExitCode { kListed = 0, kUsage = 1, kNoJournal = 2 };

const char* kUsageText =
    "usage: taplink-cli journal [--journal WHERE] [--since DATE] [--port PORT] [--machine NAME]\n"
    "                           [--limit N] [--json] [--machines]\n"
    "       taplink-cli journal [--journal WHERE] --get ID -o FILE\n"
    "       taplink-cli journal [--journal WHERE] --prune [--keep-days N]\n"
    "Lists the transfers in the journal, newest first: start (local time), duration, port,\n"
    "model, direction, outcome, bytes, document and message.\n"
    "  --journal WHERE the journal: a SQLite file, postgresql://USER@HOST[:PORT]/DB,\n"
    "                  postgresql://USER@/DB?host=/socket/dir (default: the programs' own)\n"
    "  --since DATE    transfers started from DATE on: YYYY-MM-DD (local midnight), or an\n"
    "                  ISO 8601 date and time (local unless it says Z or an offset)\n"
    "  --port PORT     transfers on this port only\n"
    "  --machine NAME  transfers of this machine only\n"
    "  --limit N       the newest N transfers only\n"
    "  --json          one JSON array of objects with every column, times in UTC\n"
    "  --machines      the machines, the station serving each, and their states\n"
    "                  instead of the transfers; a machine whose station is not running\n"
    "                  says so, and when that station was last seen\n"
    "  --get ID        writes the document of transfer ID (the id of --json) to FILE, byte\n"
    "                  for byte (-o - for standard output)\n"
    "  --prune         removes the transfers that ended more than --keep-days N days ago\n"
    "                  (default 365), with their documents; a received document not yet\n"
    "                  filed stays\n";

constexpr int kDefaultKeepDays = 365;

std::optional<QDateTime> ParseSince(const QString& text) {
    if (text.size() == 10) {
        const QDate day = QDate::fromString(text, Qt::ISODate);
        if (day.isValid()) return day.startOfDay();
    }
    const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (t.isValid()) return t;
    return std::nullopt;
}

// The C library's conversion: Qt's takes ten times as long, which a
// listing of a hundred thousand rows feels.
QString Local(const QDateTime& t) {
    if (!t.isValid()) return {};
    const time_t secs = static_cast<time_t>(t.toSecsSinceEpoch());
    tm local{};
    char text[32];
    if (!::localtime_r(&secs, &local) ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return QString::fromLatin1(text);
}

QString Duration(qint64 ms) {
    if (ms < 0) return {};
    if (ms < 60'000) return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1) + " s";
    const QChar zero(u'0');
    if (ms < 3'600'000)
        return QStringLiteral("%1 min %2 s").arg(ms / 60'000).arg(ms / 1000 % 60, 2, 10, zero);
    return QStringLiteral("%1 h %2 min").arg(ms / 3'600'000).arg(ms / 60'000 % 60, 2, 10, zero);
}

QString FirstLine(const QString& text) {
    const auto end =
        std::find_if(text.begin(), text.end(), [](QChar c) { return c == u'\n' || c == u'\r'; });
    return text.left(end - text.begin());
}

QJsonValue JsonTime(const QDateTime& t) {
    return t.isValid() ? QJsonValue(t.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

// One JSON array, an object a line, written as it is made: a document of the
// whole array would hold every row twice more before the first byte went.
class JsonArray {
  public:
    explicit JsonArray(std::ostream& out) : out_(out) { out_ << '['; }
    ~JsonArray() { out_ << (first_ ? "]\n" : "\n]\n"); }
    void Append(const QJsonObject& o) {
        out_ << (first_ ? "\n" : ",\n")
             << QJsonDocument(o).toJson(QJsonDocument::Compact).constData();
        first_ = false;
    }

  private:
    std::ostream& out_;
    bool first_ = true;
};

// The listing's own texts, in the reader's language: Listing::tr("...").
struct Listing {
    Q_DECLARE_TR_FUNCTIONS(Journal)
};

// How many of a terminal's columns a text takes: a Chinese character two.
qsizetype Columns(const QString& text) {
    qsizetype n = 0;
    for (const char32_t c : text.toUcs4()) {
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
        n += wide ? 2 : 1;
    }
    return n;
}

// Columns padded to their widest cell, two spaces apart; right-aligned
// columns are marked in `right`. The last column is not padded.
void PrintTable(std::ostream& out, const std::vector<QStringList>& table,
                const std::vector<bool>& right) {
    std::vector<qsizetype> width(right.size(), 0);
    for (const QStringList& row : table)
        for (qsizetype c = 0; c < row.size(); ++c)
            width[static_cast<std::size_t>(c)] =
                std::max(width[static_cast<std::size_t>(c)], Columns(row[c]));
    std::string line;
    for (const QStringList& row : table) {
        line.clear();
        for (qsizetype c = 0; c < row.size(); ++c) {
            const std::size_t column = static_cast<std::size_t>(c);
            const auto pad = static_cast<std::size_t>(width[column] - Columns(row[c]));
            if (c > 0) line += "  ";
            if (right[column]) line.append(pad, ' ');
            line += row[c].toStdString();
            if (!right[column] && c + 1 < row.size()) line.append(pad, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        line += '\n';
        out << line;
    }
}

void ListTransfers(const std::vector<JournalRow>& rows, bool json, std::ostream& out) {
    if (json) {
        JsonArray array(out);
        for (const JournalRow& r : rows) {
            const TransferEnd* e = r.end ? &*r.end : nullptr;
            array.Append(QJsonObject{
                {"id", r.id},
                {"started_at", JsonTime(r.start.start)},
                {"ended_at", e ? JsonTime(e->end) : QJsonValue()},
                {"port", r.start.port},
                {"model", r.start.model},
                {"direction", r.start.direction},
                {"document_path", r.start.documentPath},
                {"document_name", r.start.documentName},
                {"machine", r.start.machine},
                {"trace_path", r.start.tracePath},
                {"bytes", e ? QJsonValue(e->bytes) : QJsonValue()},
                {"sha256", e ? QJsonValue(QString::fromLatin1(e->sha256)) : QJsonValue()},
                {"outcome", QString::fromStdString(OutcomeText(e ? e->outcome : Outcome::Started))},
                {"message", e ? QJsonValue(ShownMessage(*e)) : QJsonValue()},
                {"message_key",
                 e && !e->text.key.isEmpty() ? QJsonValue(e->text.key) : QJsonValue()},
                {"message_values",
                 e && !e->text.key.isEmpty() ? QJsonValue(e->text.values) : QJsonValue()},
                {"host", r.host},
                {"pid", r.pid},
                {"process_start", r.processStart},
            });
        }
        return;
    }
    // The station's rows name their machine; the other programs' do not.
    const bool named = std::any_of(rows.begin(), rows.end(),
                                   [](const JournalRow& r) { return !r.start.machine.isEmpty(); });
    std::vector<QStringList> table{
        {Listing::tr("Started"), Listing::tr("Duration"), Listing::tr("Port"), Listing::tr("Model"),
         Listing::tr("Direction"), Listing::tr("Outcome"), Listing::tr("Bytes"),
         Listing::tr("Document"), Listing::tr("Message")}};
    std::vector<bool> right{false, true, false, false, false, false, true, false, false};
    if (named) {
        table[0].insert(2, Listing::tr("Machine"));
        right.insert(right.begin() + 2, false);
    }
    table.reserve(rows.size() + 1);
    for (const JournalRow& r : rows) {
        const TransferEnd* e = r.end ? &*r.end : nullptr;
        // An interrupted row's end is when the next start found it, not when
        // the transfer stopped: no duration is known.
        const bool timed = e && e->outcome != Outcome::Interrupted;
        QStringList line{Local(r.start.start),
                         timed ? Duration(r.start.start.msecsTo(e->end)) : QString(),
                         r.start.port,
                         r.start.model,
                         DirectionWord(r.start.direction),
                         OutcomeWord(e ? e->outcome : Outcome::Started),
                         timed ? QString::number(e->bytes) : QString(),
                         r.start.documentName,
                         e ? FirstLine(ShownMessage(*e)) : QString()};
        if (named) line.insert(2, r.start.machine);
        table.push_back(std::move(line));
    }
    PrintTable(out, table, right);
}

// A machine whose station has stopped or gone shows so, not the last state
// that station wrote, which nothing changes any more.
void ListMachines(const std::vector<MachineState>& machines,
                  const std::vector<StationRow>& stations, bool json, std::ostream& out) {
    const auto stationOf = [&](const MachineState& m) -> const StationRow* {
        for (const StationRow& s : stations)
            if (s.name == m.station) return &s;
        return nullptr;
    };
    if (json) {
        JsonArray array(out);
        for (const MachineState& m : machines) {
            const StationRow* s = stationOf(m);
            const bool served = !m.station.isEmpty();
            array.Append(QJsonObject{
                {"name", m.name},
                {"state", m.state},
                {"since", JsonTime(m.since)},
                {"updated_at", JsonTime(m.updatedAt)},
                {"station", m.station},
                {"station_host", s ? QJsonValue(s->process.host) : QJsonValue()},
                {"station_running", served ? QJsonValue(s && s->running) : QJsonValue()},
                {"station_last_seen", s ? JsonTime(s->lastSeen) : QJsonValue()}});
        }
        return;
    }
    const bool named = std::any_of(machines.begin(), machines.end(),
                                   [](const MachineState& m) { return !m.station.isEmpty(); });
    std::vector<QStringList> table{{Listing::tr("Machine"), Listing::tr("State"),
                                    Listing::tr("Since"), Listing::tr("Updated")}};
    if (named) table[0].insert(1, Listing::tr("Station"));
    for (const MachineState& m : machines) {
        const StationRow* s = stationOf(m);
        QStringList line{m.name, m.state, Local(m.since), Local(m.updatedAt)};
        if (!m.station.isEmpty() && !(s && s->running)) {
            line[1] = Listing::tr("station not running");
            if (s && s->lastSeen.isValid()) {
                line[1] = Listing::tr("station not running, last seen %1").arg(Local(s->lastSeen));
                line[2] = Local(s->lastSeen);
            }
        }
        if (named) line.insert(1, m.station);
        table.push_back(std::move(line));
    }
    PrintTable(out, table, std::vector<bool>(table[0].size(), false));
}

}  // namespace

int RunJournalListing(const QStringList& args, std::ostream& out, std::ostream& err) {
    QCommandLineParser p;
    p.addOptions({
        {{"h", "help"}, "Usage."},
        {"journal", "The journal.", "WHERE"},
        {"since", "From this date on.", "DATE"},
        {"port", "This port only.", "PORT"},
        {"machine", "This machine only.", "NAME"},
        {"limit", "The newest N only.", "N"},
        {"json", "As JSON."},
        {"machines", "The machines."},
        {"get", "A transfer's document.", "ID"},
        {{"o", "output"}, "Where it goes.", "FILE"},
        {"prune", "Removes old transfers."},
        {"keep-days", "How long transfers stay.", "N"},
    });
    auto usage = [&](const QString& why) {
        err << "taplink-cli journal: " << why.toStdString() << "\n" << kUsageText;
        return kUsage;
    };
    if (!p.parse(args)) return usage(p.errorText());
    if (p.isSet("help")) {
        out << kUsageText;
        return kListed;
    }
    if (!p.positionalArguments().isEmpty())
        return usage("unexpected " + p.positionalArguments().join(' '));
    JournalFilter filter;
    if (p.isSet("since")) {
        filter.since = ParseSince(p.value("since"));
        if (!filter.since)
            return usage("--since takes YYYY-MM-DD or an ISO 8601 date and time, not " +
                         p.value("since"));
    }
    if (p.isSet("limit")) {
        bool ok = false;
        filter.limit = p.value("limit").toInt(&ok);
        if (!ok || filter.limit < 1) return usage("--limit takes a number from 1 on");
    }
    filter.port = p.value("port");
    filter.machine = p.value("machine");
    qint64 id = 0;
    if (p.isSet("get")) {
        bool ok = false;
        id = p.value("get").toLongLong(&ok);
        if (!ok || id < 1) return usage("--get takes a transfer's id, not " + p.value("get"));
        if (!p.isSet("output")) return usage("--get needs -o FILE (- for standard output)");
    }
    int keepDays = kDefaultKeepDays;
    if (p.isSet("keep-days")) {
        bool ok = false;
        keepDays = p.value("keep-days").toInt(&ok);
        if (!ok || keepDays < 1) return usage("--keep-days takes a number of days from 1 on");
    }

    QString why;
    const auto journal = Journal::Open(p.value("journal"), &why);
    if (!journal) {
        err << "taplink-cli journal: "
            << (why.isEmpty() ? std::string("no journal is kept (--journal none)")
                              : why.toStdString())
            << "\n";
        return kNoJournal;
    }
    const auto failed = [&] {
        err << "taplink-cli journal: " << journal->LastError().toStdString() << "\n";
        return kNoJournal;
    };
    if (id > 0) {
        const auto bytes = journal->Document(id);
        if (!bytes) return failed();
        const QString to = p.value("output");
        if (to == QLatin1String("-")) {
            out.write(bytes->constData(), bytes->size());
            return kListed;
        }
        // Whole or not at all, as every other file the programs write.
        QSaveFile file(to);
        if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
            !file.commit()) {
            err << "taplink-cli journal: cannot write " << to.toStdString() << ": "
                << file.errorString().toStdString() << "\n";
            return kUsage;
        }
        return kListed;
    }
    if (p.isSet("prune")) {
        const QDateTime before = QDateTime::currentDateTimeUtc().addDays(-keepDays);
        const int removed = journal->Prune(before);
        if (removed < 0) return failed();
        out << removed << " transfer(s) ended before " << Local(before).toStdString()
            << " removed from the journal " << journal->Describe().toStdString() << "\n";
        return kListed;
    }
    const bool json = p.isSet("json");
    if (p.isSet("machines")) {
        const auto machines = journal->Machines();
        const auto stations =
            journal->LastError().isEmpty() ? journal->Stations() : std::vector<StationRow>{};
        if (!journal->LastError().isEmpty()) return failed();
        ListMachines(machines, stations, json, out);
        return kListed;
    }
    const auto rows = journal->Rows(filter);
    if (!journal->LastError().isEmpty()) return failed();
    ListTransfers(rows, json, out);
    return kListed;
}

}  // namespace taplink
