// Two taplink-station programs on one PostgreSQL journal, each with a
// machine the other has (by name, and by port): each machine is served by
// one of them at a time; the other takes it over once the first is stopped
// by a debugger or killed, and the first gives it up when it comes back.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <deque>
#include <map>
#include <sstream>

#include "event_wait.h"
#include "file_io.h"
#include "journal.h"
#include "journal_listing.h"
#include "postgres_server.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

const std::string kR80 = "%123\r\n" + std::string(300, 'G') + "\r\n";

class StationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TAPLINK_SHARED_POSTGRES(server_);
        journal_ = QString::fromStdString(server_->CreateDatabase());
        ASSERT_TRUE(WriteFileBytes(Path("r80").toStdString(), kR80) == std::nullopt);
    }
    ~StationsTest() override {
        for (auto* processes : {&stations_, &sims_}) {
            for (QProcess& p : *processes)
                p.kill(), p.waitForFinished(2000);
        }
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A controller that outputs the R80 document whenever asked, on a
    // pseudo-terminal or behind a device server; its port.
    QString Sim(bool server) {
        QProcess& p = sims_.emplace_back();
        QStringList args{"--model", "r80", "--role", "output", "--file", Path("r80")};
        if (server)
            args << "--listen"
                 << "0";
        p.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        if (!p.waitForReadyRead(30000)) return {};
        const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
        return line.startsWith("TapLink port: ") ? line.mid(14) : QString();
    }
    // A station in its own folder, beating every 0.5 s: often, yet seldom
    // enough that a loaded test machine's pauses are not taken for a station
    // gone. Machines: name=port.
    QProcess& Start(const QString& name, const std::map<QString, QString>& machines) {
        QString config = "[station]\nname = " + name + "\nheartbeat = 0.5\n";
        for (const auto& [machine, port] : machines) {
            config +=
                QStringLiteral("[%1]\nport = %2\nmodel = r80\noutbox = %1/out\ninbox = %1/in\n")
                    .arg(machine, port);
        }
        QDir().mkpath(Path(name));
        EXPECT_TRUE(WriteFileBytes(Path(name + "/station.ini").toStdString(),
                                   config.toStdString()) == std::nullopt);
        QProcess& p = stations_.emplace_back();
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(Path(name + "/station.log"), QIODevice::Append);
        p.start(QStringLiteral(TAPLINK_STATION_PATH),
                {"--config", Path(name + "/station.ini"), "--journal", journal_});
        EXPECT_TRUE(p.waitForStarted(5000));
        return p;
    }
    std::string Log(const QString& station) {
        return ReadFileBytes(Path(station + "/station.log").toStdString()).bytes;
    }
    bool Logged(const QString& station, const QString& text) {
        return Log(station).find(text.toStdString()) != std::string::npos;
    }
    // The whole documents a station's machine has received.
    qsizetype Received(const QString& station, const QString& machine) {
        return QDir(Path(station + "/" + machine + "/in")).entryList({"123_*"}, QDir::Files).size();
    }
    // taplink-cli journal --machines: machine -> "STATION|STATE".
    std::map<QString, QString> Listed() {
        std::ostringstream out, err;
        EXPECT_EQ(RunJournalListing({"journal", "--journal", journal_, "--machines"}, out, err), 0)
            << err.str();
        std::map<QString, QString> machines;
        const QStringList lines = QString::fromStdString(out.str()).split('\n');
        const qsizetype station = lines[0].indexOf("Station"), state = lines[0].indexOf("State"),
                        since = lines[0].indexOf("Since");
        for (const QString& line : lines.mid(1, lines.size() - 2)) {
            machines[line.left(station).trimmed()] = line.mid(station, state - station).trimmed() +
                                                     "|" + line.mid(state, since - state).trimmed();
        }
        return machines;
    }
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds within = 30s) {
        return testing::WaitFor([&] { return QThread::msleep(50), done(); }, within);
    }

    testing::PostgresServer* server_ = nullptr;
    QTemporaryDir dir_;
    QString journal_;
    std::deque<QProcess> sims_, stations_;
};

TEST_F(StationsTest, EachMachineIsServedByOneStationAndTakenOverWhenItsStationIsGone) {
    // Two behind device servers, which take a new client when the old one
    // is silent; a pseudo-terminal is locked by the station that opened it.
    const QString lathe = Sim(true), mill = Sim(true), drill = Sim(false), press = Sim(false);
    for (const QString& p : {lathe, mill, drill, press})
        ASSERT_FALSE(p.isEmpty());
    QProcess* a = &Start("A", {{"lathe", lathe}, {"mill", mill}, {"drill", drill}});
    ASSERT_TRUE(WaitUntil([&] {
        return Received("A", "lathe") && Received("A", "mill") && Received("A", "drill");
    })) << Log("A");
    // B has lathe too, and grinder on mill's port.
    QProcess& b = Start("B", {{"lathe", lathe}, {"grinder", mill}, {"press", press}});
    const QString host = QSysInfo::machineHostName();
    const auto by = [&](const char* station, const QProcess& p) {
        return QStringLiteral(
                   "served by the station %1 on %2 (pid %3); not served here while "
                   "that station runs")
            .arg(station, host)
            .arg(p.processId());
    };
    ASSERT_TRUE(WaitUntil([&] {
        return Received("B", "press") && Logged("B", "lathe: " + by("A", *a)) &&
               Logged("B", "grinder: its port " + mill + " is mill's, " + by("A", *a));
    })) << Log("B");
    EXPECT_EQ(Received("B", "lathe") + Received("B", "grinder"), 0);
    {
        QString why;
        const auto journal = Journal::Open(journal_, &why);
        ASSERT_TRUE(journal) << why.toStdString();
        // No transfer of lathe by B, none of grinder.
        for (const JournalRow& r : journal->Rows({}))
            EXPECT_EQ(r.pid, r.start.machine == "press" ? b.processId() : a->processId());
    }
    auto listed = Listed();
    // Its state is A's, not overwritten by B.
    EXPECT_TRUE(listed["lathe"].startsWith("A|") && !listed["lathe"].endsWith("|starting"))
        << listed["lathe"].toStdString();
    EXPECT_EQ(listed.count("grinder"), 0u);
    EXPECT_TRUE(listed["press"].startsWith("B|"));

    // A killed: its process has gone from this host, and B takes lathe at
    // its next beat, and mill's port as grinder.
    a->kill();
    ASSERT_TRUE(a->waitForFinished(5000));
    ASSERT_TRUE(WaitUntil([&] { return Received("B", "lathe") && Received("B", "grinder"); }))
        << Log("B");
    EXPECT_TRUE(Logged("B", "lathe: served here now: the station A on " + host)) << Log("B");
    listed = Listed();
    EXPECT_TRUE(listed["drill"].startsWith("A|station not running, last seen "))
        << listed["drill"].toStdString();
    EXPECT_EQ(listed["mill"], "|its port is served as grinder by the station B");
    EXPECT_TRUE(listed["lathe"].startsWith("B|"));

    // A again, without drill: its row leaves the table; lathe and mill wait.
    a = &Start("A", {{"lathe", lathe}, {"mill", mill}});
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("A", "lathe: " + by("B", b)) &&
               Logged("A", "mill: its port " + mill + " is grinder's, " + by("B", b));
    })) << Log("A");
    EXPECT_EQ(Listed().count("drill"), 0u);

    // B stopped (as by a debugger, or cut off from the journal): three beats
    // unheard, A takes lathe and mill.
    const qsizetype lathes = Received("A", "lathe"), mills = Received("A", "mill");
    ::kill(static_cast<pid_t>(b.processId()), SIGSTOP);
    ASSERT_TRUE(WaitUntil([&] {
        return Received("A", "lathe") > lathes && Received("A", "mill") > mills;
    })) << Log("A");
    EXPECT_TRUE(Listed()["press"].startsWith("B|station not running, last seen "));
    // Back, B gives up what A has taken, and serves press on.
    ::kill(static_cast<pid_t>(b.processId()), SIGCONT);
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("B", "lathe: taken over by another station") &&
               Logged("B", "grinder: taken over by another station") &&
               Logged("B", "lathe: " + by("A", *a));
    })) << Log("B");
    const qsizetype keptByB = Received("B", "lathe");
    const qsizetype byA = Received("A", "lathe");
    ASSERT_TRUE(WaitUntil([&] { return Received("A", "lathe") >= byA + 2; })) << Log("A");
    EXPECT_EQ(Received("B", "lathe"), keptByB);
    ASSERT_TRUE(WaitUntil([&] { return !Listed()["press"].contains("not running"); }));
}

}  // namespace
}  // namespace taplink
