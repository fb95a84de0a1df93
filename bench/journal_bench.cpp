// The journal on SQLite in WAL mode, as the front ends use it: the time of
// one transfer's writes (Begin and Complete, each committed; target under
// 2 ms), and of `taplink-cli journal` listing 100,000 rows (target under 1 s).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sstream>
#include <tuple>

#include "journal.h"
#include "journal_listing.h"

using namespace taplink;

namespace {

constexpr int kTransfers = 2000;
constexpr int kListed = 100'000;

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
    // The slow few are the commits on which SQLite copies the log back into
    // the file (a checkpoint, every thousand pages), the one time it syncs.
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
    return 0;
}
