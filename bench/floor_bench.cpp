// taplink-floor over a journal of a shop's size: 200 machines of four
// stations and 1,000,000 transfers over the month to now (a mix of machines,
// directions and outcomes; one in a hundred keeps its document's bytes), on
// SQLite and on a scratch PostgreSQL. The real program is started on
// 127.0.0.1:0 and, while 100 clients hold the live events open, asked for
// the machines and the transfers with and without filters at 20 requests a
// second (target p99 under 20 ms), then for the pages (the history with its
// filters and an older page, the floor) at 5 a second (target p99 under
// 50 ms); each kind's p50 and p99, and the program's peak memory (VmHWM;
// target under 100 MB).
//
//   floor_bench [--engine sqlite|postgresql] [--rows N] [--requests N]
//               [--floor PATH] [--keep]
// --requests: of each kind of the API (200; half as many of each page); the
// figures of a loaded host vary: the load average is printed with them.
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "journal.h"
#include "postgres_server.h"

using namespace taplink;

namespace {

constexpr int kMachines = 200;
constexpr int kStations = 4;
constexpr int kLiveClients = 100;
constexpr int kRequestEveryMs = 50;  // 20 a second
constexpr int kPageEveryMs = 200;    // the pages: 5 a second
constexpr int kQuietMs = 5000;       // the live events alone
constexpr int kRowsPerInsert = 500;
constexpr int kKeptEvery = 100;      // one row in this many keeps its document
constexpr qint64 kSpacingMs = 2600;  // 1,000,000 rows over a month

// The first row's start: the journal's last row started as the bench began,
// so that the floor's last day is a busy one.
QDateTime First(int rows) {
    static const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-rows * kSpacingMs);
}

QString MachineName(int i) {
    return QStringLiteral("m%1").arg(i, 3, 10, QLatin1Char('0'));
}

// Each of the weighted choices a row makes.
template <class T>
struct Mix {
    std::vector<T> values;
    std::discrete_distribution<int> pick;
    Mix(std::vector<std::pair<T, double>> weighted) {
        std::vector<double> w;
        for (auto& [v, weight] : weighted)
            values.push_back(v), w.push_back(weight);
        pick = std::discrete_distribution<int>(w.begin(), w.end());
    }
    const T& operator()(std::mt19937& r) { return values[static_cast<std::size_t>(pick(r))]; }
};

struct Engine {
    QString name;  // "sqlite", "postgresql"
    QString where;
    std::function<QSqlDatabase()> connect;
};

QByteArray Program(std::mt19937& random) {
    const int size = std::uniform_int_distribution(1024, 8192)(random);
    QByteArray text = "%\r\nO1000\r\n";
    for (int n = 10; text.size() < size; n += 10)
        text += "N" + QByteArray::number(n) + " G01 X" + QByteArray::number(random() % 99999) +
                " Y" + QByteArray::number(random() % 99999) + " F200\r\n";
    return text.left(size);
}

bool Run(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (q.exec(sql)) return true;
    std::fprintf(stderr, "fill: %s\n  in %s\n", qPrintable(q.lastError().text()),
                 qPrintable(sql.left(200)));
    return false;
}

// The rows straight into the tables in one transaction, many to a
// statement: how they got there is not what is measured.
bool Fill(const Engine& engine, int rows) {
    QSqlDatabase db = engine.connect();
    if (!db.open()) {
        std::fprintf(stderr, "fill: %s\n", qPrintable(db.lastError().text()));
        return false;
    }
    std::mt19937 random(24);
    // Some machines run all day, some seldom: a machine's weight is 1 to 20.
    std::vector<double> weights;
    for (int i = 0; i < kMachines; ++i)
        weights.push_back(1 + (i * 7919) % 20);
    std::discrete_distribution<int> machine(weights.begin(), weights.end());
    Mix<QString> direction(
        {{"send", 55}, {"receive", 35}, {"verify", 6}, {"upload", 3}, {"login", 1}});
    Mix<QString> outcome({{"done", 88},
                          {"refused", 2},
                          {"not ready", 2},
                          {"no response", 3},
                          {"port failure", 0.5},
                          {"wrong data", 0.5},
                          {"verified identical", 2},
                          {"verified different", 0.5},
                          {"interrupted", 0.5},
                          {"stopped by the operator", 0.5},
                          {"not filed", 0.2}});
    QElapsedTimer took;
    took.start();
    bool ok = Run(db, "BEGIN");
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    for (int s = 0; ok && s < kStations; ++s) {
        ok = Run(db, QStringLiteral("INSERT INTO stations (name, host, boot_id, pid, "
                                    "process_start, started_at, beat_at, beat_ms) VALUES "
                                    "('cell-%1', 'pc-%1', 'boot', %2, 1, '%3', '%3', 5000)")
                         .arg(s + 1)
                         .arg(1000 + s)
                         .arg(now));
    }
    const char* states[] = {"listening", "waiting", "sending O1000.nc 40%", "lost: no answer",
                            "stopped"};
    for (int i = 0; ok && i < kMachines; ++i) {
        ok = Run(db, QStringLiteral("INSERT INTO machines (name, state, since, updated_at, "
                                    "station, port_key) VALUES ('%1', '%2', '%3', '%3', "
                                    "'cell-%4', 'port %1')")
                         .arg(MachineName(i), QLatin1String(states[i % 5]), now)
                         .arg(i % kStations + 1));
    }
    QStringList values;
    std::vector<qint64> kept;
    for (int i = 0; ok && i < rows; ++i) {
        const QDateTime at = First(rows).addMSecs(i * kSpacingMs + random() % 1000);
        const QString& dir = direction(random);
        const bool user = dir == "upload" || dir == "login";
        const QString& out =
            user ? (random() % 10 ? QStringLiteral("done") : QStringLiteral("refused"))
                 : outcome(random);
        const QString m = dir == "login" ? QString() : MachineName(machine(random));
        const QString doc =
            dir == "login" ? QString() : QStringLiteral("O%1.nc").arg(1000 + random() % 9000);
        const int bytes = 1024 + static_cast<int>(random() % 7168);
        values << QStringLiteral(
                      "(%1, '%2', '%3', '/dev/ttyUSB%4', 'R80', '%5', '/srv/%6/%7', "
                      "'%7', '%6', '', %8, 'e3b0c44298fc1c149afbf4c8996fb924', '%9', "
                      "'%10', 'pc-1', 1000, 1)")
                      .arg(i + 1)
                      .arg(at.toString(Qt::ISODateWithMs),
                           at.addMSecs(bytes).toString(Qt::ISODateWithMs))
                      .arg(m.isEmpty() ? 0 : m.mid(1).toInt())
                      .arg(dir, m, doc)
                      .arg(bytes)
                      .arg(out, out == "done" ? QStringLiteral("Data transmission be finished!")
                                              : QStringLiteral("The controller said no."));
        if (!doc.isEmpty() && i % kKeptEvery == 0) kept.push_back(i + 1);
        if (values.size() == kRowsPerInsert || i + 1 == rows) {
            ok = Run(db, QStringLiteral("INSERT INTO transfers (id, started_at, ended_at, port, "
                                        "model, direction, document_path, document_name, "
                                        "machine, trace_path, bytes, sha256, outcome, message, "
                                        "host, pid, process_start) VALUES ") +
                             values.join(','));
            values.clear();
        }
    }
    {
        QSqlQuery d(db);
        d.prepare("INSERT INTO documents (transfer_id, bytes) VALUES (?, ?)");
        for (std::size_t i = 0; ok && i < kept.size(); ++i) {
            d.addBindValue(kept[i]);
            d.addBindValue(Program(random));
            ok = d.exec();
            if (!ok) std::fprintf(stderr, "fill: %s\n", qPrintable(d.lastError().text()));
        }
    }
    // PostgreSQL's key goes on from where the rows end.
    if (ok && engine.name == "postgresql")
        ok = Run(db,
                 "SELECT setval(pg_get_serial_sequence('transfers', 'id'), MAX(id)) FROM "
                 "transfers");
    ok = ok && Run(db, "COMMIT");
    // As a journal that has run for a month has been.
    ok = ok && Run(db, "ANALYZE");
    std::printf("  filled %d rows (%zu documents kept) in %.1f s\n", rows, kept.size(),
                static_cast<double>(took.elapsed()) / 1000);
    db.close();
    return ok;
}

// A small HTTP/1.1 client on one kept-alive connection.
struct Client {
    QTcpSocket socket;
    QByteArray got;
    QElapsedTimer sent;
    std::function<void(int status, const QByteArray& headers, const QByteArray& body)> done;
    bool busy = false;

    void Send(const QByteArray& request) {
        busy = true;
        got.clear();
        sent.start();
        socket.write(request);
    }
    void Read() {
        got += socket.readAll();
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0) return;
        static const QRegularExpression lengthHeader("\r\ncontent-length: *(\\d+)",
                                                     QRegularExpression::CaseInsensitiveOption);
        const auto m = lengthHeader.match(QString::fromLatin1(got.left(end + 2)));
        const qsizetype length = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        if (got.size() < end + 4 + length) return;
        busy = false;
        const QByteArray head = got.left(end), body = got.mid(end + 4, length);
        got.clear();
        if (done) done(head.mid(9, 3).toInt(), head, body);
    }
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

QString Status(qint64 pid, const char* field) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field)) return QString::fromLatin1(line.mid(qstrlen(field))).trimmed();
    return {};
}

// The process's CPU time so far (user and system), in milliseconds.
double CpuMs(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> after = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (after.value(11).toDouble() + after.value(12).toDouble()) * 1000.0 /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

class Bench {
  public:
    Bench(QString floor, QString dir, int rows, int requests)
        : floor_(std::move(floor)), dir_(std::move(dir)), rows_(rows), requests_(requests) {}
    bool Measure(const Engine& engine);

  private:
    bool Start(const Engine& engine);
    QByteArray Request(const QByteArray& path) const {
        return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + cookie_ + "\r\n\r\n";
    }
    Client* Connect();
    // Whether the floor answers a GET of the path with the content type.
    bool Serves(const QByteArray& path, const QByteArray& type);
    // Waits on the event loop until done() or the time is up.
    bool Wait(const std::function<bool()>& done, int ms);

    QString floor_, dir_;
    int rows_, requests_;
    QProcess process_;
    quint16 port_ = 0;
    QByteArray cookie_;
    std::deque<Client> clients_;
};

Client* Bench::Connect() {
    Client& c = clients_.emplace_back();
    QObject::connect(&c.socket, &QTcpSocket::readyRead, [&c] { c.Read(); });
    c.socket.connectToHost("127.0.0.1", port_);
    return c.socket.waitForConnected(5000) ? &c : nullptr;
}

bool Bench::Wait(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

bool Bench::Serves(const QByteArray& path, const QByteArray& type) {
    Client* probe = Connect();
    QObject::disconnect(&probe->socket, &QTcpSocket::readyRead, nullptr, nullptr);
    probe->socket.write(Request(path));
    const auto head = [&] {
        const QByteArray got = probe->socket.peek(4096);
        return got.left(got.indexOf("\r\n\r\n"));
    };
    Wait([&] { return probe->socket.peek(4096).contains("\r\n\r\n"); }, 10000);
    const bool serves = head().startsWith("HTTP/1.1 200") && head().contains(type);
    probe->socket.abort();
    return serves;
}

bool Bench::Start(const Engine& engine) {
    QString config = QStringLiteral("[station]\njournal = %1\n[floor]\nlisten = 127.0.0.1:0\n")
                         .arg(engine.where);
    for (int i = 0; i < kMachines; ++i) {
        config += QStringLiteral(
                      "[%1]\nport = /dev/ttyUSB%2\nmodel = r80\noutbox = %1/out\n"
                      "inbox = %1/in\n")
                      .arg(MachineName(i))
                      .arg(i);
    }
    QFile ini(dir_ + "/station.ini");
    if (!ini.open(QIODevice::WriteOnly) || ini.write(config.toUtf8()) < 0) return false;
    ini.close();
    const QStringList base{"--config", dir_ + "/station.ini"};
    QProcess add;
    add.start(floor_, base + QStringList{"--add-user", "bench", "--role", "viewer"});
    add.write("bench horse\n");
    add.closeWriteChannel();
    if (!add.waitForFinished(30000) || add.exitCode() != 0) {
        std::fprintf(stderr, "--add-user: %s\n", add.readAllStandardError().constData());
        return false;
    }
    process_.start(floor_, base);
    static const QRegularExpression serving("on http://127\\.0\\.0\\.1:(\\d+)/");
    QByteArray said;
    QElapsedTimer t;
    t.start();
    while (port_ == 0 && t.elapsed() < 30000 && process_.waitForReadyRead(30000)) {
        said += process_.readAllStandardOutput();
        if (const auto m = serving.match(QString::fromLocal8Bit(said)); m.hasMatch())
            port_ = m.captured(1).toUShort();
    }
    if (!port_) {
        std::fprintf(stderr, "taplink-floor: %s%s\n", said.constData(),
                     process_.readAllStandardError().constData());
        return false;
    }
    // Logged in once; every request after goes with the session.
    Client* c = Connect();
    int status = 0;
    QByteArray head;
    c->done = [&](int s, const QByteArray& h, const QByteArray&) { status = s, head = h; };
    const QByteArray login = R"({"user":"bench","password":"bench horse"})";
    c->Send(
        "POST /api/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
        "Content-Length: " +
        QByteArray::number(login.size()) + "\r\n\r\n" + login);
    if (!Wait([&] { return status != 0; }, 30000) || status != 200) return false;
    static const QRegularExpression cookie("set-cookie: *([^;\r\n]+)",
                                           QRegularExpression::CaseInsensitiveOption);
    cookie_ = cookie.match(QString::fromLatin1(head)).captured(1).toLatin1();
    c->done = nullptr;
    return !cookie_.isEmpty();
}

bool Bench::Measure(const Engine& engine) {
    if (!Start(engine)) return false;
    // The live events, when this floor has them: 100 clients hold them open
    // and read what comes.
    int liveClients = 0;
    qint64 liveBytes = 0;
    const bool streams = Serves("/api/events", "text/event-stream");
    for (int i = 0; streams && i < kLiveClients; ++i) {
        QTcpSocket* s = &(Connect()->socket);
        QObject::disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
        QObject::connect(s, &QTcpSocket::readyRead,
                         [s, &liveBytes] { liveBytes += s->readAll().size(); });
        s->write(Request("/api/events"));
        ++liveClients;
    }
    // The pages, when this floor has them; else the history as the API gives it.
    const bool pages = Serves("/history", "text/html");
    std::mt19937 random(7);
    const auto machine = [&] { return MachineName(static_cast<int>(random() % kMachines)); };
    const auto since = [&](qint64 hoursBefore) {
        const QDateTime last = First(rows_).addMSecs(rows_ * kSpacingMs);
        return last.addSecs(-hoursBefore * 3600).toString(Qt::ISODateWithMs);
    };
    const auto percent = [](const QString& s) { return QUrl::toPercentEncoding(s); };
    struct Kind {
        const char* name;
        double targetMs;
        std::function<QByteArray()> path;
        std::vector<double> ms = {};
        int failed = 0;
    };
    std::vector<Kind> api{
        {"machines", 20, [] { return QByteArray("/api/machines"); }},
        {"transfers", 20, [] { return QByteArray("/api/transfers"); }},
        {"transfers machine", 20, [&] { return "/api/transfers?machine=" + machine().toLatin1(); }},
        {"transfers outcome", 20,
         [&] {
             const char* rare[] = {"refused", "wrong data", "not filed", "port failure"};
             return "/api/transfers?outcome=" + percent(rare[random() % 4]);
         }},
        {"transfers since", 20,
         [&] { return "/api/transfers?since=" + percent(since(1 + random() % 48)); }},
        {"transfers all three", 20,
         [&] {
             return "/api/transfers?machine=" + machine().toLatin1() +
                    "&outcome=no%20response&since=" + percent(since(24 * (1 + random() % 14)));
         }},
    };
    std::vector<Kind> shown;
    if (pages) {
        // A page of the history: all, one machine's, a program's (by its
        // whole name, the hardest: few rows match), an older page.
        shown.push_back({"history page", 50, [] { return QByteArray("/history"); }});
        shown.push_back(
            {"history machine", 50, [&] { return "/history?machine=" + machine().toLatin1(); }});
        shown.push_back({"history document", 50, [&] {
                             return "/history?document=O" +
                                    QByteArray::number(1000 + random() % 9000) + ".nc";
                         }});
        shown.push_back({"history older page", 50, [&] {
                             return "/history?outcome=refused&before=" +
                                    QByteArray::number(
                                        rows_ - static_cast<int>(random() % (rows_ / 10 + 1)));
                         }});
        shown.push_back({"floor page", 50, [] { return QByteArray("/"); }});
    } else {
        shown.push_back({"history", 50, [&] {
                             return "/api/transfers?machine=" + machine().toLatin1() + "&limit=100";
                         }});
    }
    // Each kind in turn, one request every everyMs, count of each.
    std::vector<Client*> idle;
    const auto run = [&](std::vector<Kind>& kinds, int everyMs, int count) {
        int sent = 0, answered = 0;
        const int total = count * static_cast<int>(kinds.size());
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (sent == total) return tick.stop();
            Kind& kind = kinds[static_cast<std::size_t>(sent++) % kinds.size()];
            Client* c = nullptr;
            if (!idle.empty()) {
                c = idle.back();
                idle.pop_back();
            } else {
                c = Connect();
            }
            if (!c) {
                ++answered;
                ++kind.failed;
                return;
            }
            c->done = [&, c, k = &kind](int status, const QByteArray&, const QByteArray&) {
                if (status == 200)
                    k->ms.push_back(static_cast<double>(c->sent.nsecsElapsed()) / 1e6);
                else
                    ++k->failed;
                ++answered;
                idle.push_back(c);
            };
            c->Send(Request(kind.path()));
        });
        tick.start(everyMs);
        Wait([&] { return answered == total; }, total * everyMs + 60000);
        for (Client* c : idle)
            c->done = nullptr;
        return answered == total;
    };
    // The live events alone first: what their looks at the journal cost.
    const qint64 pid = process_.processId();
    double cpu = CpuMs(pid);
    Wait([] { return false; }, kQuietMs);
    const double quietCpu = CpuMs(pid) - cpu;
    // The API at its rate, then the pages as a few browsers ask for them.
    cpu = CpuMs(pid);
    bool met = run(api, kRequestEveryMs, requests_);
    const double apiCpu = (CpuMs(pid) - cpu) / static_cast<double>(requests_ * api.size());
    cpu = CpuMs(pid);
    const int pageCount = std::max(requests_ / 2, 20);
    met = run(shown, kPageEveryMs, pageCount) && met;
    const double pageCpu = (CpuMs(pid) - cpu) / static_cast<double>(pageCount * shown.size());
    const QString peak = Status(process_.processId(), "VmHWM:");
    const QString now = Status(process_.processId(), "VmRSS:");
    const bool live = process_.state() == QProcess::Running;
    process_.terminate();
    process_.waitForFinished(10000);

    std::printf("  %s with %d live-event clients%s:\n", qPrintable(engine.name), liveClients,
                liveClients ? "" : " (this floor has no /api/events: measured without them)");
    met = met && live;
    const auto print = [&](const std::vector<Kind>& kinds) {
        for (const Kind& k : kinds) {
            const double p99 = Percentile(k.ms, 0.99);
            met = met && p99 < k.targetMs && k.failed == 0;
            std::printf(
                "    %-20s n=%4zu  p50 %6.2f ms  p99 %6.2f ms  max %6.2f ms  [p99 < %2.0f ms: "
                "%s]%s\n",
                k.name, k.ms.size(), Percentile(k.ms, 0.5), p99,
                k.ms.empty() ? 0 : *std::max_element(k.ms.begin(), k.ms.end()), k.targetMs,
                p99 < k.targetMs ? "met" : "missed",
                k.failed ? qPrintable(QStringLiteral("  %1 failed").arg(k.failed)) : "");
        }
    };
    std::printf("   the live events alone: the floor's CPU %.1f%% of one core\n",
                100 * quietCpu / kQuietMs);
    std::printf("   the API, %d requests a second (the floor's CPU %.2f ms a request):\n",
                1000 / kRequestEveryMs, apiCpu);
    print(api);
    std::printf("   %s, %d a second (the floor's CPU %.2f ms a request):\n",
                pages ? "the pages" : "the history (no pages: as /api/transfers gives it)",
                1000 / kPageEveryMs, pageCpu);
    print(shown);
    const double peakMb = peak.section(' ', 0, 0).toDouble() / 1024;
    std::printf(
        "    peak memory (VmHWM) %.1f MB, at the end %s  [< 100 MB: %s]; %lld bytes of "
        "events read\n",
        peakMb, qPrintable(now), peakMb < 100 ? "met" : "missed", liveBytes);
    clients_.clear();
    port_ = 0;
    return met;
}

QString Load() {
    QFile f("/proc/loadavg");
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(' ', 0, 2) : "?";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Each figure as it comes, also into a file: a run takes minutes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCommandLineParser parser;
    parser.addOptions({{"engine", "sqlite or postgresql (both when not given).", "ENGINE"},
                       {"rows", "Transfers in the journal.", "N", "1000000"},
                       {"requests", "Requests of each kind.", "N", "200"},
                       {"keep", "Keeps the scratch folders, to look into (said where)."},
                       {"floor", "The taplink-floor program.", "PATH",
                        QCoreApplication::applicationDirPath() + "/../bin/taplink-floor"}});
    parser.process(app);
    const int rows = parser.value("rows").toInt();
    const QString only = parser.value("engine");
    std::printf("taplink-floor with %d machines and %d transfers; %ld CPUs, load average %s\n",
                kMachines, rows, sysconf(_SC_NPROCESSORS_ONLN), qPrintable(Load()));
    bool met = true;
    for (const QString engine : {"sqlite", "postgresql"}) {
        if (!only.isEmpty() && only != engine) continue;
        QTemporaryDir dir;
        if (parser.isSet("keep")) {
            dir.setAutoRemove(false);
            std::printf("  %s in %s\n", qPrintable(engine), qPrintable(dir.path()));
        }
        Engine e{engine, {}, {}};
        std::unique_ptr<testing::PostgresServer> server;
        if (engine == "sqlite") {
            e.where = dir.filePath("journal.sqlite");
            e.connect = [&] {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
                db.setDatabaseName(e.where);
                return db;
            };
        } else {
            try {
                server = std::make_unique<testing::PostgresServer>();
            } catch (const std::exception& x) {
                std::printf("  postgresql: no server (%s)\n", x.what());
                met = false;
                continue;
            }
            e.where = QString::fromStdString(server->CreateDatabase());
            const QUrl url(e.where);
            e.connect = [&, url] {
                QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "fill");
                db.setUserName(url.userName());
                db.setHostName(QUrlQuery(url).queryItemValue("host"));
                db.setDatabaseName(url.path().mid(1));
                return db;
            };
        }
        {
            QString why;
            if (!Journal::Open(e.where, &why)) {
                std::fprintf(stderr, "%s\n", qPrintable(why));
                return 1;
            }
        }
        const bool filled = Fill(e, rows);
        QSqlDatabase::removeDatabase("fill");
        if (!filled) return 1;
        Bench bench(parser.value("floor"), dir.path(), rows, parser.value("requests").toInt());
        met = bench.Measure(e) && met;
    }
    std::printf("load average at the end: %s\n", qPrintable(Load()));
    return met ? 0 : 1;
}
