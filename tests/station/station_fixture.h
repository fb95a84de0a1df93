// A station in a test's folder: its config written machine by machine,
// simulated controllers as processes, the journal and the log read back.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <deque>
#include <functional>
#include <memory>

#include "event_wait.h"
#include "file_io.h"
#include "journal.h"

namespace taplink {

inline std::string ReadAll(const QString& path) {
    return ReadFileBytes(path.toStdString()).bytes;
}

class StationTest : public ::testing::Test {
  protected:
    ~StationTest() override {
        for (QProcess& p : sims_)
            p.kill(), p.waitForFinished(2000);
        station_.kill();
        station_.waitForFinished(2000);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A file in the test's folder; its path.
    QString Put(const QString& name, const std::string& bytes) {
        EXPECT_EQ(WriteFileBytes(Path(name).toStdString(), bytes), std::nullopt);
        return Path(name);
    }

    // A simulated controller; its port.
    QString Sim(const QStringList& args) {
        QProcess& p = sims_.emplace_back();
        p.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        // A sanitized program on a loaded machine takes seconds to start.
        if (!p.waitForReadyRead(30000)) return {};
        const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
        return line.startsWith("TapLink port: ") ? line.mid(14) : QString();
    }
    void Machine(const QString& name, const QString& port, const char* model,
                 const QString& extra = {}) {
        config_ +=
            QStringLiteral("[%1]\nport = %2\nmodel = %3\noutbox = %1/out\ninbox = %1/in\n%4\n")
                .arg(name, port, model, extra);
    }
    // A document put into an outbox as an operator should: written under a
    // hidden name, then renamed. Settled: as if written a while ago.
    void Drop(const QString& machine, const QString& name, const std::string& bytes,
              bool settled = true) {
        QDir().mkpath(Path(machine + "/out"));
        const QString hidden = Path(machine + "/out/." + name);
        Put(machine + "/out/." + name, bytes);
        if (settled) {
            const timeval old[2] = {{::time(nullptr) - 5, 0}, {::time(nullptr) - 5, 0}};
            ::utimes(QFile::encodeName(hidden).constData(), old);
        }
        ASSERT_EQ(::rename(QFile::encodeName(hidden).constData(),
                           QFile::encodeName(Path(machine + "/out/" + name)).constData()),
                  0);
    }
    void WriteConfig() {
        QFile f(Path("station.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(config_.toUtf8());
    }
    // With the journal of the config, or this test's. Qt says where it finds
    // its plugins, in messages of several lines, as it would about a fault.
    void StartStation(bool journalOfTheConfig = false) {
        WriteConfig();
        station_.setProcessChannelMode(QProcess::MergedChannels);
        station_.setStandardOutputFile(Path("station.log"), QIODevice::Append);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_DEBUG_PLUGINS", "1");
        // What it keeps on this host, in the test's folder.
        env.insert("XDG_DATA_HOME", dir_.path());
        station_.setProcessEnvironment(env);
        QStringList args{"--config", Path("station.ini")};
        if (!journalOfTheConfig) args << "--journal" << journal_;
        station_.start(QStringLiteral(TAPLINK_STATION_PATH), args);
        ASSERT_TRUE(station_.waitForStarted(5000));
    }
    // SIGTERM; how long the station took to exit. Every line it wrote, its
    // own and Qt's, is one event with its time and whose it is.
    qint64 Terminate() {
        QElapsedTimer t;
        t.start();
        station_.terminate();
        EXPECT_TRUE(station_.waitForFinished(5000));
        EXPECT_EQ(station_.exitCode(), 0) << Log();
        const qint64 took = t.elapsed();
        static const QRegularExpression event(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d [^:\s][^:]*: \S)");
        for (const QString& line : QString::fromStdString(Log()).split('\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(event.match(line).hasMatch()) << line.toStdString();
        return took;
    }
    void HangUp() { ASSERT_EQ(::kill(static_cast<pid_t>(station_.processId()), SIGHUP), 0); }
    std::string Log() { return ReadAll(Path("station.log")); }
    std::size_t Said(const std::string& text) {
        const std::string log = Log();
        std::size_t times = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++times;
        return times;
    }
    QStringList Files(const QString& folder, const QString& filter = "*") const {
        return QDir(Path(folder)).entryList({filter}, QDir::Files | QDir::System, QDir::Name);
    }
    std::unique_ptr<Journal> OpenJournal() {
        QString why;
        auto journal = Journal::Open(journal_, &why);
        EXPECT_TRUE(journal) << why.toStdString();
        return journal;
    }
    std::vector<JournalRow> Rows(const QString& machine = {}) {
        const auto journal = OpenJournal();
        return journal ? journal->Rows({.machine = machine}) : std::vector<JournalRow>{};
    }
    // Oldest first.
    std::string Outcomes(const QString& machine, const char* direction) {
        QStringList out;
        for (const JournalRow& r : Rows(machine)) {
            if (r.start.direction == QLatin1String(direction))
                out.prepend(r.end ? QString::fromStdString(OutcomeText(r.end->outcome))
                                  : "started");
        }
        return out.join(", ").toStdString();
    }
    QString State(const QString& machine) {
        const auto journal = OpenJournal();
        for (const MachineState& m : journal ? journal->Machines() : std::vector<MachineState>{})
            if (m.name == machine) return m.state;
        return {};
    }
    // Each look reads the journal and the folders: one every 50 ms at most.
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds within) {
        return testing::WaitFor([&] { return QThread::msleep(50), done(); }, within);
    }

    QTemporaryDir dir_;
    std::deque<QProcess> sims_;
    QProcess station_;
    QString config_;
    QString journal_ = Path("journal.sqlite");
};

}  // namespace taplink
