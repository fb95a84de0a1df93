// The journal on SQLite in WAL mode, as the front ends use it: the time of
// one transfer's writes (Begin and Complete, each committed; target under
// 2 ms), and of `taplink-cli journal` listing 100,000 rows (target under 1 s);
// the largest the log grows under a sustained write load of transfers with
// their documents, folded back from the event loop as the station does
// (bound 8 MiB); the journal's size per 10,000 transfers, with the
// documents' bytes and without.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <sstream>
#include <tuple>

#include <QFileInfo>

#include "journal.h"
#include "journal_listing.h"

using namespace taplink;

namespace {

constexpr int kTransfers = 2000;
constexpr int kListed = 100'000;
constexpr int kSustained = 20'000;
constexpr int kSized = 10'000;

// The rows straight into the table, in one transaction: how they got there
// is not what is measured.
bool Fill(const QString& path, int count) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        q.prepare(
            "INSERT INTO transfers (started_at, ended_at, port, model, direction, document_path, "
            "document_name, machine, trace_path, bytes, sha256, outcome, message, host, pid, "
            "process_start) VALUES (?, ?, '/dev/ttyS0', 'R80', 'send', ?, ?, '', '', ?, "
            "'e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855', 'done', "
            "'The program was sent.', 'bench', 1, 1)");
        const QDateTime first = QDateTime::fromString("2020-01-01T00:00:00Z", Qt::ISODate);
        for (int i = 0; ok && i < count; ++i) {
            const QDateTime at = first.addSecs(i * 60);
            const QString name = QStringLiteral("O%1.txt").arg(i % 10000, 4, 10, QLatin1Char('0'));
            q.addBindValue(at.toString(Qt::ISODateWithMs));
            q.addBindValue(at.addMSecs(4321).toString(Qt::ISODateWithMs));
            q.addBindValue("/home/op/programs/" + name);
            q.addBindValue(name);
            q.addBindValue(1000 + i % 5000);
            ok = q.exec();
        }
        if (!ok) std::fprintf(stderr, "fill: %s\n", qPrintable(q.lastError().text()));
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase("fill");
    return ok;
}

// A part program of 2 to 20 KiB, each different, as a shop's are.
QByteArray Program(std::mt19937& random) {
    const int size = std::uniform_int_distribution(2048, 20480)(random);
    QByteArray text = "%01\r\n";
    std::uniform_int_distribution<int> coordinate(0, 99999);
    for (int n = 0; text.size() < size; n += 10) {
        text += QStringLiteral("N%1 G01 X%2.%3 Y%4.%5 F200\r\n")
                    .arg(n, 4, 10, QLatin1Char('0'))
                    .arg(coordinate(random) / 100)
                    .arg(coordinate(random) % 100)
                    .arg(coordinate(random) / 100)
                    .arg(coordinate(random) % 100)
                    .toLatin1();
    }
    text.truncate(size);
    return text;
}

struct Load {
    qint64 largestLog = 0;        // bytes
    std::vector<double> foldsMs;  // the event loop's turns that folded the log
    qint64 documents = 0;         // bytes
    qint64 size = 0;              // the journal's files once closed
};

// Transfers written as fast as they go, the event loop run between them as
// the station's is; the log's size after each.
Load Sustained(const QString& path, int transfers, bool documents) {
    Load load;
    QString why;
    auto journal = Journal::Open(path, &why);
    if (!journal) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return load;
    }
    std::mt19937 random(7);
    for (int i = 0; i < transfers; ++i) {
        const QByteArray program = documents ? Program(random) : QByteArray();
        load.documents += program.size();
        const qint64 id = journal->Begin({{},
                                          "/dev/ttyS0",
                                          "R40/R60",
                                          "send",
                                          "/var/lib/taplink/lathe-1/outbox/O1000.txt",
                                          "O1000.txt",
                                          "lathe-1",
                                          ""});
        if (!id || !journal->Complete(id, {{},
                                           Outcome::Done,
                                           "Data transmission be finished!",
                                           program.size(),
                                           Sha256Hex(program),
                                           {},
                                           program})) {
            std::fprintf(stderr, "%s\n", qPrintable(journal->LastError()));
            return load;
        }
        const qint64 before = QFileInfo(path + "-wal").size();
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        const double ms = static_cast<double>(turn.nsecsElapsed()) / 1e6;
        // A fold leaves the file as it was; the next write starts it over.
        if (before > kFoldLogAboveBytes) load.foldsMs.push_back(ms);
        load.largestLog = std::max(load.largestLog, QFileInfo(path + "-wal").size());
    }
    journal.reset();
    load.size = QFileInfo(path).size() + QFileInfo(path + "-wal").size();
    return load;
}

double Listing(const QString& path, const QStringList& options, std::size_t* bytes) {
    std::ostringstream out, err;
    QElapsedTimer t;
    t.start();
    const int code =
        RunJournalListing(QStringList{"journal", "--journal", path} + options, out, err);
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (code != 0) std::fprintf(stderr, "listing: %s", err.str().c_str());
    *bytes = out.str().size();
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("journal.sqlite");
    QString why;
    auto journal = Journal::Open(path, &why);
    if (!journal) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    std::vector<double> us;
    us.reserve(kTransfers);
    const QByteArray sha = Sha256Hex(QByteArray(4096, 'G'));
    for (int i = 0; i < kTransfers; ++i) {
        QElapsedTimer t;
        t.start();
        const qint64 id =
            journal->Begin({QDateTime::currentDateTimeUtc(), "/dev/ttyS0", "R80", "send",
                            "/home/op/programs/O1000.txt", "O1000.txt", "", ""});
        if (!id || !journal->Complete(id, {QDateTime::currentDateTimeUtc(), Outcome::Done,
                                           "The program was sent.", 4096, sha})) {
            std::fprintf(stderr, "%s\n", qPrintable(journal->LastError()));
            return 1;
        }
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1e3);
    }
    journal.reset();
    std::sort(us.begin(), us.end());
    // Nothing folds the log here (the event loop does not run): the slow few
    // are commits that make the log's file longer.
    const auto slow = us.end() - std::upper_bound(us.begin(), us.end(), 2000.0);
    std::printf(
        "journal writes of one transfer (Begin + Complete), SQLite WAL, %d transfers:\n"
        "  mean %.0f us, median %.0f us, 99th percentile %.0f us, worst %.0f us "
        "(target under 2000 us); %td over 2000 us\n",
        kTransfers, std::accumulate(us.begin(), us.end(), 0.0) / kTransfers, us[us.size() / 2],
        us[us.size() * 99 / 100], us.back(), slow);

    if (!Fill(path, kListed - kTransfers)) return 1;
    if ((journal = Journal::Open(path, &why))) {
        QElapsedTimer t;
        t.start();
        const std::size_t rows = journal->Rows({}).size();
        std::printf("Journal::Rows, %zu rows: %lld ms\n", rows,
                    static_cast<long long>(t.elapsed()));
        journal.reset();
    }
    std::size_t bytes = 0;
    for (const auto& [name, options, target] :
         {std::tuple{"", QStringList{}, " (target under 1000 ms)"},
          std::tuple{" --json", QStringList{"--json"}, ""}}) {
        const double ms = Listing(path, options, &bytes);
        std::printf("taplink-cli journal%s, %d rows: %.0f ms, %zu bytes%s\n", name, kListed, ms,
                    bytes, target);
    }

    Load busy = Sustained(dir.filePath("busy.sqlite"), kSustained, true);
    std::sort(busy.foldsMs.begin(), busy.foldsMs.end());
    std::printf(
        "SQLite log under a sustained load, %d transfers with 2-20 KiB documents (%.0f MiB "
        "written): largest %.2f MiB (bound 8 MiB); %zu folds from the event loop, median %.1f "
        "ms, longest %.1f ms\n",
        kSustained, static_cast<double>(busy.documents) / (1 << 20),
        static_cast<double>(busy.largestLog) / (1 << 20), busy.foldsMs.size(),
        busy.foldsMs.empty() ? 0.0 : busy.foldsMs[busy.foldsMs.size() / 2],
        busy.foldsMs.empty() ? 0.0 : busy.foldsMs.back());
    const Load bare = Sustained(dir.filePath("bare.sqlite"), kSized, false);
    const Load kept = Sustained(dir.filePath("kept.sqlite"), kSized, true);
    for (const auto& [what, load] :
         {std::pair{"without documents", bare}, {"with documents", kept}}) {
        std::printf("journal size per %d transfers, %s: %.1f MiB (%.1f KiB a transfer)\n", kSized,
                    what, static_cast<double>(load.size) / (1 << 20),
                    static_cast<double>(load.size) / 1024 / kSized);
    }
    std::printf("  (the documents themselves: %.1f MiB, %.1f KiB on average)\n",
                static_cast<double>(kept.documents) / (1 << 20),
                static_cast<double>(kept.documents) / 1024 / kSized);
    return 0;
}
