// taplink-station as a shop runs it: several simulated controllers at once
// on pseudo-terminals, raw TCP and RFC 2217 through ser2net; documents
// dropped while it runs; killed at any moment and started again; a port that
// goes and comes back; stopped with SIGTERM in the middle of a transfer;
// its config changed and read again on SIGHUP.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <deque>
#include <fstream>
#include <sstream>

#include "controller_sim.h"
#include "event_wait.h"
#include "file_io.h"
#include "journal.h"
#include "line_trace.h"
#include "postgres_server.h"
#include "pty_pair.h"
#include "ser2net.h"
#include "sim_options.h"
#include "small_disk.h"
#include "station_fixture.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

const std::string kR40 = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
const std::string kR80 = "%123\r\n" + std::string(300, 'G') + "\r\n";
const std::string kImage = [] {
    std::string b;
    for (int i = 0; i < 300; ++i)
        b.push_back(static_cast<char>(i * 7));
    return b;
}();

// When (ms) the station's bytes reached a simulated controller, a time for
// each read, from its trace.
std::vector<double> Arrivals(const std::string& trace) {
    std::vector<double> at;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const double ms = line.size() > 13 && line.compare(10, 3, " < ") == 0
                              ? std::stod(line.substr(0, 10)) * 1000
                              : -1;
        if (ms >= 0 && (at.empty() || at.back() != ms)) at.push_back(ms);
    }
    return at;
}

// Six controllers, each with its own model, transport and manner, served at
// once: sends (one refused), receives, and a controller that sends nonsense.
TEST_F(StationTest, ServesSixControllersAtOnce) {
    if (!testing::HaveSer2net()) GTEST_SKIP() << "needs ser2net (scripts/deps installs it)";
    const QString r40In = Sim({"--model", "r40", "--role", "input", "--out", Path("r40.held")});
    const QString r80Out = Sim({"--model", "r80", "--role", "output", "--file", Put("r80", kR80)});
    const QString memOut = Sim(
        {"--model", "memory", "--role", "output", "--file", Put("image", kImage), "--listen", "0"});
    const QString r40Pty = Sim({"--model", "r40", "--role", "input", "--out", Path("r40b.held")});
    testing::Ser2net server(r40Pty.toStdString());
    const QString r80In = Sim({"--model", "r80", "--role", "input", "--listen", "0", "--rfc2217",
                               "--out", Path("r80.held"), "--fault", "nak@1"});
    const QString nonsense = Sim(
        {"--model", "r40", "--role", "output", "--file", Path("r80"), "--fault", "wrong-start"});
    for (const QString& p : {r40In, r80Out, memOut, r40Pty, r80In, nonsense})
        ASSERT_FALSE(p.isEmpty());

    Machine("lathe", r40In, "r40");
    Machine("mill", r80Out, "r80");
    Machine("press", memOut, "memory");
    Machine("grinder", QString::fromStdString(server.Rfc2217Port()), "r40",
            "settings = 4800,N,8,1");
    Machine("router", r80In, "r80");
    Machine("saw", nonsense, "r40");
    Drop("lathe", "a.txt", kR40);
    Drop("lathe", "empty.txt", "");
    Drop("grinder", "g.txt", "%01\nN0000 G00 X10\nN0010 M30\n");  // saved on Linux: sent as CR LF
    // Refused before they are read: a pipe, and a file longer than any
    // document with the longest name a file can have.
    const QString pipe = Path("lathe/out/pipe.txt"),
                  huge = Path("lathe/out/" + QString(251, 'n') + ".txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    std::ofstream(huge.toStdString());
    ASSERT_TRUE(QFile::resize(huge, (8 << 20) + 1));
    for (const QString& f : {pipe, huge}) {
        const timeval old[2] = {{::time(nullptr) - 5, 0}, {::time(nullptr) - 5, 0}};
        ::utimes(QFile::encodeName(f).constData(), old);
    }
    // A controller put into input says it is ready once: the document waits
    // in the outbox before the station presses anything.
    Drop("router", "r.txt", kR80);
    StartStation();

    ASSERT_TRUE(WaitUntil(
        [&] {
            return Files("lathe/out/sent").size() == 1 && Files("lathe/out/refused").size() == 6 &&
                   Files("grinder/out/sent").size() == 1 && Files("router/out/sent").size() == 1 &&
                   Files("mill/in").size() >= 2 && Files("press/in").size() >= 2 &&
                   Outcomes("saw", "receive").find("wrong data") != std::string::npos;
        },
        60s))
        << Log();
    EXPECT_EQ(ReadAll(Path("r40.held")), kR40);
    EXPECT_EQ(ReadAll(Path("r40b.held")), kR40);
    EXPECT_EQ(ReadAll(Path("r80.held")), kR80 + "\r\n");
    EXPECT_TRUE(QDir(Path("lathe/out")).entryList(QDir::Files).isEmpty());
    // The refused documents, each with why; a long name cut to leave room.
    const QStringList refused = Files("lathe/out/refused");
    ASSERT_EQ(refused.size(), 6) << refused.join(' ').toStdString();
    const std::pair<QString, std::string> why[] = {
        {"empty_", "Can not dispatch empty space document!"},
        {QString(231, 'n') + "_", "it is 8388609 bytes long, longer than any document can be"},
        {"pipe_", "it is a named pipe (FIFO), not a file"}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(refused[2 * i].toStdString());
        EXPECT_TRUE(refused[2 * i].startsWith(why[i].first) && refused[2 * i].endsWith(".txt"));
        EXPECT_EQ(refused[2 * i + 1], refused[2 * i] + ".why");
        EXPECT_NE(ReadAll(Path("lathe/out/refused/" + refused[2 * i + 1])).find(why[i].second),
                  std::string::npos);
    }
    // Received documents, whole, named by program number, none overwritten.
    for (const QString& f : Files("mill/in")) {
        EXPECT_TRUE(f.startsWith("123_")) << f.toStdString();
        EXPECT_EQ(ReadAll(Path("mill/in/" + f)), kR80);
    }
    for (const QString& f : Files("press/in")) {
        EXPECT_TRUE(f.startsWith("memory_") && f.endsWith(".hex")) << f.toStdString();
        EXPECT_EQ(ReadAll(Path("press/in/" + f)), kImage);
    }
    // Every transfer in the journal under its machine's name.
    EXPECT_EQ(Outcomes("lathe", "send"), "done, refused, refused, refused");
    EXPECT_EQ(Outcomes("grinder", "send"), "done") << Log();
    EXPECT_LT(Terminate(), 2000) << Log();
    for (const char* m : {"lathe", "mill", "press", "grinder", "router", "saw"})
        EXPECT_EQ(State(m), "stopped") << m;
    for (const JournalRow& r : Rows())
        EXPECT_TRUE(r.end.has_value()) << r.id;
}

// Listening machines, their controllers silent: a request byte at the
// station's cadence, and a minute's Receive that heard nothing ends with no
// row and no log line, and is pressed again at once.
TEST_F(StationTest, ListensQuietlyAtTheStationsCadence) {
    const char* models[] = {"r40", "memory", "r80"};
    for (const char* m : models) {
        const QString port = Sim({"--model", m, "--role", "output", "--fault", "silence@0",
                                  "--trace", Path(QStringLiteral("%1.trace").arg(m))});
        ASSERT_FALSE(port.isEmpty());
        Machine(m, port, m);
    }
    StartStation();
    // Past the Receive's minute, the controller still asked.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(std::begin(models), std::end(models), [&](const char* m) {
                const auto at = Arrivals(ReadAll(Path(QStringLiteral("%1.trace").arg(m))));
                return !at.empty() && at.back() - at.front() > 62000;
            });
        },
        90s))
        << Log();
    for (const char* m : models) {
        SCOPED_TRACE(m);
        const auto at = Arrivals(ReadAll(Path(QStringLiteral("%1.trace").arg(m))));
        std::vector<double> gaps;
        for (std::size_t i = 1; i < at.size(); ++i)
            gaps.push_back(at[i] - at[i - 1]);
        std::sort(gaps.begin(), gaps.end());
        EXPECT_GE(gaps[gaps.size() / 2], 10);
        EXPECT_LE(gaps[gaps.size() / 2], 19);  // 16, give or take a late beat
        EXPECT_LT(gaps.back(), 1000);
        EXPECT_EQ(State(m), "listening for the controller to output");
        EXPECT_TRUE(Rows(m).empty());
    }
    EXPECT_EQ(Log().find("CNC opens received state not yet"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("The CNC nothing responds"), std::string::npos) << Log();
    Terminate();
}

// After every transfer, whatever its end, the line is left alone for the
// machine's rest before the next press.
TEST_F(StationTest, RestsAfterEveryTransfer) {
    struct Case {
        const char* name;
        QStringList sim;
        const char* model;
        QString rest;
        double restMs;
    };
    const Case cases[] = {
        {"lathe", {"--model", "r40", "--role", "input"}, "r40", "", 3000},  // sent
        {"mill",
         {"--model", "r80", "--role", "output", "--file", Put("r80", kR80)},
         "r80",
         "rest = 1.5",
         1500},  // received
        {"saw",
         {"--model", "r40", "--role", "output", "--file", Path("r80"), "--fault", "wrong-start"},
         "r40",
         "rest = 0.5",
         500},  // refused as wrong data
    };
    for (const Case& c : cases) {
        const QString port = Sim(c.sim + QStringList{"--trace", Path(c.name) + ".trace"});
        ASSERT_FALSE(port.isEmpty());
        Machine(c.name, port, c.model, c.rest);
    }
    Drop("lathe", "a.txt", kR40);
    StartStation();
    // The first time the station was silent on a line for 400 ms or more.
    const auto firstRest = [&](const Case& c) {
        const auto at = Arrivals(ReadAll(Path(c.name) + ".trace"));
        for (std::size_t i = 1; i < at.size(); ++i)
            if (at[i] - at[i - 1] >= 400) return at[i] - at[i - 1];
        return 0.0;
    };
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(std::begin(cases), std::end(cases),
                               [&](const Case& c) { return firstRest(c) > 0; });
        },
        30s))
        << Log();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_GE(firstRest(c), c.restMs);
        EXPECT_LT(firstRest(c), c.restMs + 1500);
    }
    Terminate();
    EXPECT_EQ(Outcomes("lathe", "send"), "done");
    EXPECT_EQ(Outcomes("mill", "receive").substr(0, 4), "done");
    EXPECT_EQ(Outcomes("saw", "receive").substr(0, 10), "wrong data");
}

// A document put into the outbox of a machine that listens: its Receive,
// which heard nothing, ends unrecorded and Send is pressed within 2 s. A
// controller put into input at the same moment says ready once, and the
// listening machine takes that as the ready of the document's Send. The
// controllers are the simulator's, started by the test at those moments.
TEST_F(StationTest, ADocumentEndsAListeningReceive) {
    struct Line {
        Line(const char* n, const char* m, bool r) : name(n), model(m), readyAtDrop(r) {}
        static sim::Config Input(const char* model) {
            sim::Config c;
            c.model = *sim::ModelFromName(model);
            return c;
        }
        const char *name, *model;
        bool readyAtDrop;  // else once Send is pressed
        testing::PtyPair pty;
        sim::ControllerSim controller{Input(model)};
        bool started = false;
        int crossed = 0;  // request bytes that crossed the controller's ready
        QDateTime dropped;
    };
    std::deque<Line> lines;
    lines.emplace_back("r40-ready", "r40", true);
    lines.emplace_back("memory-ready", "memory", true);
    lines.emplace_back("r80-ready", "r80", true);
    lines.emplace_back("r40-later", "r40", false);
    lines.emplace_back("r80-later", "r80", false);
    const auto document = [](const Line& l) {
        return l.model[0] == 'm' ? kImage : l.model[1] == '8' ? kR80 : kR40;
    };
    for (Line& l : lines)
        Machine(l.name, QString::fromStdString(l.pty.SlavePath()), l.model);
    StartStation();
    QElapsedTimer clock;
    clock.start();
    const auto answer = [&](Line& l, const sim::Writes& writes) {
        for (const sim::Write& w : writes)
            l.pty.Write(w.bytes);
    };
    // Before its start the controller hears nothing; after it, the request
    // bytes before the first of the frame are counted, not given to it.
    const auto serve = [&](Line& l) {
        Bytes in = l.pty.Read(1ms);
        if (!l.started) return;
        const std::uint8_t request = l.model[1] == '8' ? 0x13 : 0x12;
        const auto frame = std::find_if(in.begin(), in.end(), [&](auto b) { return b != request; });
        if (l.controller.Status().starts_with("waiting for the")) {
            l.crossed += static_cast<int>(frame - in.begin());
            in.erase(in.begin(), frame);
        }
        if (!in.empty())
            answer(l, l.controller.OnBytes(in, std::chrono::milliseconds{clock.elapsed()}));
    };
    const auto start = [&](Line& l) {
        l.pty.Read(1ms);
        answer(l, l.controller.Start(std::chrono::milliseconds{clock.elapsed()}));
        l.started = true;
    };
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(lines.begin(), lines.end(), [&](Line& l) {
                serve(l);
                return State(l.name) == "listening for the controller to output";
            });
        },
        20s))
        << Log();
    for (Line& l : lines) {
        l.dropped = QDateTime::currentDateTimeUtc();
        Drop(l.name, l.model[0] == 'm' ? "a.hex" : "a.txt", document(l));
        if (l.readyAtDrop) start(l);
    }
    QElapsedTimer looked;
    looked.start();
    ASSERT_TRUE(testing::WaitFor(
        [&] {
            const bool look = looked.hasExpired(200) && (looked.restart(), true);
            return std::count_if(lines.begin(), lines.end(), [&](Line& l) {
                       if (!l.started && look &&
                           State(l.name).startsWith("waiting for the controller to take"))
                           start(l);
                       serve(l);
                       return l.controller.Done();
                   }) == static_cast<long>(lines.size());
        },
        20s))
        << Log();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(lines.begin(), lines.end(), [&](const Line& l) {
                return Files(QString(l.name) + "/out/sent").size() == 1;
            });
        },
        10s))
        << Log();
    Terminate();
    for (const Line& l : lines) {
        SCOPED_TRACE(l.name);
        const Bytes& taken = l.controller.Received();
        EXPECT_EQ(std::string(taken.begin(), taken.end()),
                  document(l) + (l.model[1] == '8' ? "\r\n" : ""))
            << l.controller.Status();
        // Nothing is written while Send waits; a request or two may cross a
        // ready on the line.
        EXPECT_LE(l.crossed, l.readyAtDrop ? 3 : 0);
        // One row, the send's: the Receive it ended left none.
        const std::vector<JournalRow> rows = Rows(l.name);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].end->outcome, Outcome::Done);
        EXPECT_LT(l.dropped.msecsTo(rows[0].start.start), 2000);
    }
}

// Killed at random moments and started again: every document is either
// still in the outbox or in sent/, once, with a "done" row; every time the
// controller took a document there is a row for it; every document received
// is whole; no row is left started.
TEST_F(StationTest, KilledAtAnyMomentLosesNothingAndSendsNothingUnrecorded) {
    const QString lathe = Sim({"--model", "r40", "--role", "input", "--delay", "100", "--out",
                               Path("held"), "--trace", Path("lathe.trace")});
    const QString mill = Sim({"--model", "r80", "--role", "output", "--file", Put("r80", kR80)});
    ASSERT_FALSE(lathe.isEmpty() || mill.isEmpty());
    Machine("lathe", lathe, "r40", "speed = 3");
    Machine("mill", mill, "r80");
    const int kDocuments = 8;
    const auto document = [](int i) {
        return "%01\r\nN0000 G00 X" + std::to_string(1000 + i) + "\r\nN0010 M30\r\n";
    };
    for (int i = 0; i < kDocuments; ++i)
        Drop("lathe", QStringLiteral("p%1.txt").arg(i), document(i));

    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 6; ++round) {
        StartStation();
        QThread::msleep(100 + random->bounded(1400));
        station_.kill();
        ASSERT_TRUE(station_.waitForFinished(5000));
    }
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return Files("lathe/out").isEmpty(); }, 60s)) << Log();
    Terminate();

    const Bytes taken = TracedBytes(ReadAll(Path("lathe.trace")), '<');
    const std::string controller(taken.begin(), taken.end());
    const QStringList sent = Files("lathe/out/sent");
    ASSERT_EQ(sent.size(), kDocuments) << sent.join(' ').toStdString();
    const std::vector<JournalRow> rows = Rows();
    for (int i = 0; i < kDocuments; ++i) {
        SCOPED_TRACE(i);
        const QString name = QStringLiteral("p%1").arg(i);
        EXPECT_TRUE(sent[i].startsWith(name + "_")) << sent[i].toStdString();
        EXPECT_EQ(ReadAll(Path("lathe/out/sent/" + sent[i])), document(i));
        int done = 0, tried = 0;
        for (const JournalRow& r : rows) {
            if (r.start.documentPath != Path("lathe/out/" + name + ".txt")) continue;
            ASSERT_TRUE(r.end.has_value()) << r.id;
            done += r.end->outcome == Outcome::Done;
            tried += r.end->outcome != Outcome::NotReady;
        }
        EXPECT_EQ(done, 1);
        // The controller took it at most as often as the journal says it was tried.
        std::size_t times = 0;
        const std::string mark = "X" + std::to_string(1000 + i) + "\r\nN0010 M30";
        for (auto at = controller.find(mark); at != std::string::npos;
             at = controller.find(mark, at + 1))
            ++times;
        EXPECT_GE(times, 1u);
        EXPECT_LE(times, static_cast<std::size_t>(tried));
    }
    for (const QString& f : Files("mill/in"))
        EXPECT_EQ(ReadAll(Path("mill/in/" + f)), kR80) << f.toStdString();
    for (const JournalRow& r : rows)
        EXPECT_TRUE(r.end.has_value()) << r.id;
}

// A port that goes (a controller's adapter pulled, a device server gone)
// is retried with back-off while the other machines go on, and is used
// again when it comes back.
TEST_F(StationTest, PortThatVanishesIsRetriedWhileOthersGoOn) {
    const QStringList output{"--model", "r80", "--role", "output", "--file", Put("r80", kR80)};
    // The pseudo-terminal is reached through a link of its own, as a USB
    // adapter is through /dev/serial/by-id, so that a new one can take its place.
    const QString link = Path("ttyLathe");
    ASSERT_TRUE(QFile::link(Sim(output), link));
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString tcpPort = QString::number(probe.serverPort());
    probe.close();
    const QStringList server = output + QStringList{"--listen", tcpPort};
    ASSERT_FALSE(Sim(server).isEmpty());
    const QString steady = Sim(output);
    Machine("lathe", link, "r80");
    Machine("mill", "tcp://127.0.0.1:" + tcpPort, "r80");
    Machine("press", steady, "r80");
    StartStation();
    ASSERT_TRUE(WaitUntil(
        [&] { return Files("lathe/in").size() >= 1 && Files("mill/in").size() >= 1; }, 20s))
        << Log();

    // Its link goes with the adapter, as /dev/serial/by-id's do.
    sims_[0].kill();
    ASSERT_TRUE(QFile::remove(link));
    sims_[1].kill();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return State("lathe").startsWith("port lost since") &&
                   State("mill").startsWith("port lost since");
        },
        20s))
        << Log();
    const QString lostAt = State("lathe").left(35);  // "port lost since yyyy-MM-dd HH:mm:ss"
    const qsizetype pressHad = Files("press/in").size();
    const qsizetype latheHad = Files("lathe/in").size();
    // Gone while it is tried again twice: the other machine goes on meanwhile.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Log().find("lathe: port lost, next try in 2 s") != std::string::npos &&
                   Files("press/in").size() > pressHad;
        },
        30s))
        << Log();
    EXPECT_EQ(Files("lathe/in").size(), latheHad);
    // Tried again meanwhile, lost since the first time.
    EXPECT_EQ(State("lathe").left(35), lostAt);
    ASSERT_TRUE(QFile::link(Sim(output), link));
    ASSERT_FALSE(Sim(server).isEmpty());
    const qsizetype millHad = Files("mill/in").size();
    ASSERT_TRUE(WaitUntil(
        [&] { return Files("lathe/in").size() > latheHad && Files("mill/in").size() > millHad; },
        30s))
        << Log();
    EXPECT_NE(Log().find("lathe: port lost, next try in 1 s"), std::string::npos) << Log();
    Terminate();
}

// SIGTERM in the middle of a send: the station is gone within 2 s, the
// transfer is recorded as interrupted, the document is still in the outbox.
// A second station on the config while it runs is refused.
TEST_F(StationTest, StoppedMidTransferRecordsItInterrupted) {
    const QString press =
        Sim({"--model", "memory", "--role", "input", "--delay", "100", "--out", Path("held")});
    Machine("press", press, "memory", "speed = 100");
    Drop("press", "big.hex", kImage);
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return State("press").startsWith("sending"); }, 20s)) << Log();
    // Meanwhile a second station on the same config starts nothing.
    QProcess second;
    second.start(QStringLiteral(TAPLINK_STATION_PATH), {"--config", Path("station.ini")});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_NE(second.readAllStandardError().indexOf("is served by another taplink-station"), -1);
    EXPECT_LT(Terminate(), 2000);
    EXPECT_EQ(Outcomes("press", "send"), "interrupted");
    EXPECT_EQ(Files("press/out"), QStringList{"big.hex"});
    EXPECT_EQ(State("press"), "stopped");
}

// The config read again on SIGHUP while two sends run: one that fails its
// check is refused, the running one kept; then a machine taken out finishes
// its send and stops, one left as it was goes on through its own, a changed
// one starts again with its new inbox, an added one starts, and one stopped
// by a document it could not move resumes and moves it, without sending it
// again. The journal stays the one the station started with.
TEST_F(StationTest, ReloadsItsConfigWithoutDisturbingATransfer) {
    const std::string program0123 = "%0123\r\nN0000 G00 X10\r\nN0010 M30\r\n";
    std::string slow = "%01\r\n";
    for (int i = 0; i < 5; ++i)
        slow += "N" + std::to_string(1000 + i) + " G01 X100 Y200\r\n";
    const QString lathe = Sim({"--model", "r40", "--role", "input", "--out", Path("lathe.held")});
    const QString mill = Sim({"--model", "r40", "--role", "input", "--out", Path("mill.held")});
    const QString saw = Sim({"--model", "r40", "--role", "input", "--out", Path("saw.held")});
    const QString press =
        Sim({"--model", "r40", "--role", "output", "--file", Put("p0123", program0123)});
    const QString drill =
        Sim({"--model", "memory", "--role", "output", "--file", Put("image", kImage)});
    for (const QString& p : {lathe, mill, saw, press, drill})
        ASSERT_FALSE(p.isEmpty());
    config_ = "[station]\njournal = " + Path("journal.sqlite") + "\n";
    Machine("lathe", lathe, "r40", "speed = 60");
    Machine("saw", saw, "r40", "speed = 60");
    Machine("mill", mill, "r40", "speed = 60");
    Machine("press", press, "r40");
    const QString running = config_;
    // Each controller says it is ready as the station first opens its line.
    Drop("lathe", "a.txt", slow);
    Drop("mill", "m.txt", slow);
    Drop("saw", "s.txt", kR40);
    StartStation(true);
    // A document that cannot leave the outbox stops its machine.
    ASSERT_TRUE(WaitUntil([&] { return QDir(Path("saw/out/sent")).exists(); }, 20s));
    ASSERT_TRUE(QDir(Path("saw/out/sent")).removeRecursively());
    Put("saw/out/sent", "");
    ASSERT_TRUE(WaitUntil([&] { return State("saw").startsWith("stopped s.txt could not"); }, 20s))
        << Log();
    ASSERT_TRUE(State("lathe").startsWith("sending") && State("mill").startsWith("sending"))
        << Log();

    config_ = running + "[dup]\nport = " + lathe + "\noutbox = dup/out\ninbox = dup/in\n";
    WriteConfig();
    HangUp();
    const std::string refused =
        QStringLiteral(
            "station: the config was not reloaded, the running one is kept: %1:%2: "
            "dup's port %3 is lathe's port too")
            .arg(Path("station.ini"))
            .arg(running.count('\n') + 2)
            .arg(lathe)
            .toStdString();
    ASSERT_TRUE(WaitUntil([&] { return Log().find(refused) != std::string::npos; }, 10s)) << Log();

    ASSERT_TRUE(QFile::remove(Path("saw/out/sent")));
    config_ = "[station]\njournal = " + Path("other.sqlite") + "\n";
    Machine("drill", drill, "memory");
    Machine("mill", mill, "r40", "speed = 60");
    Machine("saw", saw, "r40", "speed = 60");
    config_ +=
        "[press]\nport = " + press + "\nmodel = r40\noutbox = press/out\ninbox = press/in2\n";
    WriteConfig();
    ASSERT_TRUE(State("lathe").startsWith("sending") && State("mill").startsWith("sending"))
        << "the sends ended before the config was read again";
    HangUp();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Files("lathe/out/sent").size() == 1 && Files("mill/out/sent").size() == 1 &&
                   Files("saw/out/sent").size() == 1 && !Files("press/in2").isEmpty() &&
                   !Files("drill/in").isEmpty() &&
                   Log().find("lathe: stopped") != std::string::npos;
        },
        30s))
        << Log();
    Terminate();
    const std::string log = Log();
    const auto at = [&](const std::string& text) {
        const auto found = log.find(text);
        EXPECT_NE(found, std::string::npos) << text;
        return found;
    };
    const auto reloaded =
        at("station: reloaded: 1 added, 1 removed, 1 changed, 2 unchanged (1 resumed)");
    at("station: the journal changes only when the station starts again: transfers are still "
       "recorded in SQLite " +
       Path("journal.sqlite").toStdString());
    EXPECT_LT(reloaded, at("lathe: a.txt sent"));
    EXPECT_LT(at("lathe: a.txt sent"), at("lathe: stopped"));
    EXPECT_LT(reloaded, at("mill: m.txt sent"));
    EXPECT_LT(reloaded, at("saw: s.txt was sent before the station stopped; it is moved"));
    EXPECT_LT(reloaded, at("drill: on "));
    // Started once, and the changed one once more after the reload.
    EXPECT_EQ(log.find("mill: on ", at("mill: on ") + 1), std::string::npos);
    EXPECT_GT(log.find("press: on ", at("press: on ") + 1), reloaded);
    EXPECT_EQ(ReadAll(Path("lathe.held")), slow);
    EXPECT_EQ(ReadAll(Path("mill.held")), slow);
    EXPECT_EQ(Outcomes("lathe", "send"), "done");
    EXPECT_EQ(Outcomes("mill", "send"), "done");
    EXPECT_EQ(Outcomes("saw", "send"), "done");
    EXPECT_FALSE(QFile::exists(Path("other.sqlite")));
    EXPECT_FALSE(QFile::exists(Path("dup")));
    // Received programs are named by their whole number.
    for (const QString folder : {"press/in", "press/in2"}) {
        for (const QString& f : Files(folder)) {
            EXPECT_TRUE(f.startsWith("0123_")) << f.toStdString();
            EXPECT_EQ(ReadAll(Path(folder + "/" + f)), program0123);
        }
    }
    // Qt's own messages, one line each.
    const std::string qt = "station: qt.core.plugin.loader: Found metadata in lib ";
    const auto plugin = log.find(qt);
    ASSERT_NE(plugin, std::string::npos) << log;
    EXPECT_NE(log.substr(plugin, log.find('\n', plugin) - plugin).find("\"className\": \""),
              std::string::npos);
}

// A config that cannot be served starts nothing and says where it is wrong.
TEST_F(StationTest, RefusesABadConfigBeforeStarting) {
    config_ =
        "[lathe]\nport = /dev/ttyS0\noutbox = o\ninbox = i\n[mill]\nport = /dev/ttyS0\n"
        "outbox = o2\ninbox = i2\n";
    StartStation();
    ASSERT_TRUE(station_.waitForFinished(30000));
    EXPECT_EQ(station_.exitCode(), 1);
    EXPECT_NE(Log().find("station.ini:6: "), std::string::npos) << Log();
    EXPECT_FALSE(QFile::exists(Path("journal.sqlite")));
    EXPECT_FALSE(QFile::exists(Path("o")));
}

// A device server whose host does not answer (switched off, half way
// through a reboot) costs each try its full time-out; the other machines'
// transfers meanwhile go at their own pace.
TEST_F(StationTest, ADeviceServerThatNeverAnswersHoldsUpNoOtherMachine) {
    // A listener whose queue is full: the system drops further connection
    // requests unanswered, as from a host that is down.
    const int hung = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof at;
    ASSERT_EQ(::bind(hung, reinterpret_cast<sockaddr*>(&at), size), 0);
    ASSERT_EQ(::listen(hung, 0), 0);
    ASSERT_EQ(::getsockname(hung, reinterpret_cast<sockaddr*>(&at), &size), 0);
    std::vector<int> queued;
    for (int i = 0; i < 3; ++i) {
        queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(queued.back(), reinterpret_cast<sockaddr*>(&at), size);
    }
    const auto closeAll = qScopeGuard([&] {
        for (const int fd : queued)
            ::close(fd);
        ::close(hung);
    });
    const QString lathe =
        Sim({"--model", "r40", "--role", "input", "--delay", "100", "--out", Path("held")});
    Machine("hung", QStringLiteral("rfc2217://127.0.0.1:%1").arg(ntohs(at.sin_port)), "r40");
    Machine("lathe", lathe, "r40");
    std::string program = "%01\r\n";
    for (int i = 0; i < 24; ++i)
        program += "N" + std::to_string(1000 + i) + " G01 X100 Y200\r\n";
    for (int i = 0; i < 5; ++i)
        Drop("lathe", QStringLiteral("p%1.txt").arg(i), program);
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return Files("lathe/out/sent").size() == 5; }, 40s)) << Log();
    Terminate();
    EXPECT_NE(Log().find("no answer from the device server within 3 s"), std::string::npos);
    // About a second on the line each; a wait for the hung server inside
    // one would make it four, and no load makes one second three.
    for (const JournalRow& r : Rows("lathe")) {
        ASSERT_TRUE(r.end.has_value());
        EXPECT_LT(r.start.start.msecsTo(r.end->end), 3000) << r.start.documentName.toStdString();
    }
}

// A stop between the journal's "done" and the move out of the outbox: the
// next start moves the document without sending it again. The same document
// put into the outbox again after it was sent is a new one, and goes.
TEST_F(StationTest, ADocumentRecordedAsSentIsMovedNotSentAgain) {
    const QString lathe = Sim({"--model", "r40", "--role", "input", "--delay", "100", "--out",
                               Path("held"), "--trace", Path("lathe.trace")});
    Machine("lathe", lathe, "r40");
    const std::string again = "%01\r\nN0000 G00 X22\r\nN0010 M30\r\n";
    {
        const auto journal = OpenJournal();
        ASSERT_TRUE(journal);
        const auto record = [&](const QString& name, const std::string& bytes) {
            const qint64 id = journal->Begin(
                {{}, lathe, "R40/R60", "send", Path("lathe/out/" + name), name, "lathe", {}});
            ASSERT_TRUE(journal->Complete(id, {{},
                                               Outcome::Done,
                                               "Data transmission be finished!",
                                               static_cast<qint64>(bytes.size()),
                                               Sha256Hex(QByteArray::fromStdString(bytes))}));
        };
        record("again.txt", again);  // sent, then put back later
        QThread::msleep(20);
        Drop("lathe", "kept.txt", kR40);
        Drop("lathe", "again.txt", again);
        QThread::msleep(20);
        record("kept.txt", kR40);  // sent, and the station stopped before moving it
        // Ended more than the default 365 days ago: gone at the start.
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-366);
        journal->Complete(
            journal->Begin(
                {old, lathe, "R40/R60", "send", Path("lathe/out/o.txt"), "o.txt", "lathe", {}}),
            {old.addSecs(1), Outcome::Done, "Data transmission be finished!", 0, {}});
    }
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return Files("lathe/out").isEmpty(); }, 20s)) << Log();
    // The controller's trace may lag behind the station's move.
    std::string controller;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const Bytes taken = TracedBytes(ReadAll(Path("lathe.trace")), '<');
            controller.assign(taken.begin(), taken.end());
            return controller.find("X22\r\nN0010 M30\r\n") != std::string::npos;
        },
        20s))
        << controller;
    Terminate();
    EXPECT_EQ(controller.find("X10"), std::string::npos);
    EXPECT_EQ(Outcomes("lathe", "send"), "done, done, done");
    EXPECT_NE(Log().find("kept.txt was sent before the station stopped"), std::string::npos);
    EXPECT_EQ(Said("station: 1 transfer(s) ended more than 365 day(s) ago removed"), 1u) << Log();
}

// PostgreSQL stopped under a running station and started again a while
// later: the send under way finishes, and its document leaves the outbox
// only once the journal has its end; nothing starts meanwhile; the loss and
// the return are said once each, and nothing else about it.
TEST_F(StationTest, AJournalServerStoppedAndStartedAgainLosesNoRow) {
    std::unique_ptr<testing::PostgresServer> server;
    try {
        server = std::make_unique<testing::PostgresServer>();
    } catch (const std::exception& e) {
        if (::getuid() != 0) GTEST_SKIP() << e.what();
        FAIL() << e.what();
    }
    journal_ = QString::fromStdString(server->CreateDatabase());
    const QString lathe = Sim({"--model", "r40", "--role", "input", "--out", Path("held")});
    ASSERT_FALSE(lathe.isEmpty());
    Machine("lathe", lathe, "r40", "speed = 100");  // 0.1 s a byte
    const std::string second = "%02\r\nM30\r\n";
    Drop("lathe", "a.txt", kR40);
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return State("lathe").startsWith("sending"); }, 20s)) << Log();
    server->Stop();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Said(
                       "lathe: a.txt sent; it stays in the outbox until the journal has "
                       "recorded that") == 1 &&
                   Said("lathe: journal unavailable since") == 1;
        },
        20s))
        << Log();
    Drop("lathe", "b.txt", second);
    EXPECT_EQ(Files("lathe/out"), (QStringList{"a.txt", "b.txt"}));
    EXPECT_TRUE(Files("lathe/out/sent").isEmpty());
    const QDateTime back = QDateTime::currentDateTimeUtc();
    server->Start();
    ASSERT_TRUE(WaitUntil([&] { return Files("lathe/out/sent").size() == 2; }, 40s)) << Log();
    Terminate();
    // Oldest first: a.txt, begun before the loss; all else only after the return.
    auto rows = Rows("lathe");
    std::reverse(rows.begin(), rows.end());
    ASSERT_GE(rows.size(), 2u) << Log();
    EXPECT_EQ(rows[0].start.documentName + " " + OutcomeText(rows[0].end->outcome).c_str() + " " +
                  rows[0].end->message,
              QString("a.txt done Data transmission be finished!\n") + kRecordedLateNote);
    EXPECT_EQ(rows[1].start.documentName, "b.txt");
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_GE(rows[i].start.start, back) << rows[i].id;
    EXPECT_EQ(Said("cannot be written"), 1u) << Log();
    EXPECT_EQ(Said("can be written again"), 1u) << Log();
    EXPECT_EQ(Said("database not open"), 0u) << Log();
}

// The inbox on a full disk: the document received is kept by the journal,
// "not filed", and the machine says that its inbox is unavailable and
// receives nothing more; once the disk has room the document is filed from
// the journal, by the station that received it or by the next one, and its
// row says where.
TEST_F(StationTest, ADocumentTheInboxCannotTakeIsKeptAndFiledLater) {
    testing::SmallDisk disk("64k");
    if (!disk.ok() && ::getuid() != 0) GTEST_SKIP() << disk.why;
    ASSERT_TRUE(disk.ok()) << disk.why;
    const std::string filler = disk.Path("filler");
    const QString mill = Sim({"--model", "r80", "--role", "output", "--file", Put("r80", kR80)});
    ASSERT_FALSE(mill.isEmpty());
    const QString inbox = QString::fromStdString(disk.Path("in"));
    config_ = QStringLiteral("[mill]\nport = %1\nmodel = r80\noutbox = out\ninbox = %2\n")
                  .arg(mill, inbox);
    for (const bool restarted : {false, true}) {
        SCOPED_TRACE(restarted ? "filed by the next station" : "filed while it runs");
        QDir(inbox).removeRecursively();
        QDir().mkpath(inbox);
        {
            std::ofstream f(filler);
            const std::string block(1024, 'x');
            while (f.write(block.data(), block.size()) && f.flush()) {
            }
        }
        StartStation();
        ASSERT_TRUE(
            WaitUntil([&] { return State("mill").startsWith("inbox unavailable since"); }, 30s))
            << Log();
        EXPECT_TRUE(
            State("mill").endsWith("No space left on device (1 document(s) kept in the journal)"))
            << State("mill").toStdString();
        const auto unfiled = OpenJournal()->Rows({.outcome = Outcome::NotFiled});
        ASSERT_EQ(unfiled.size(), 1u);
        EXPECT_TRUE(unfiled[0].end->message.contains("No space left on device. The journal keeps"))
            << unfiled[0].end->message.toStdString();
        EXPECT_EQ(OpenJournal()->Document(unfiled[0].id).value_or(""),
                  QByteArray::fromStdString(kR80));
        if (restarted) Terminate();
        std::remove(filler.c_str());
        if (restarted) StartStation();
        ASSERT_TRUE(WaitUntil([&] { return !QDir(inbox).isEmpty(); }, 30s)) << Log();
        const QStringList filed = QDir(inbox).entryList(QDir::Files);
        ASSERT_FALSE(filed.isEmpty());
        EXPECT_TRUE(filed[0].startsWith("123_")) << filed[0].toStdString();
        EXPECT_EQ(ReadAll(inbox + "/" + filed[0]), kR80);
        ASSERT_TRUE(WaitUntil([&] { return !State("mill").startsWith("inbox"); }, 10s)) << Log();
        Terminate();
        JournalRow row;
        for (const JournalRow& r : Rows("mill"))
            if (r.id == unfiled[0].id) row = r;
        ASSERT_TRUE(row.end);
        EXPECT_EQ(row.end->outcome, Outcome::Done);
        EXPECT_EQ(row.start.documentPath, inbox + "/" + filed[0]);
        EXPECT_TRUE(row.end->message.endsWith("Filed later, as " + inbox + "/" + filed[0] + "."));
    }
}

}  // namespace
}  // namespace taplink
