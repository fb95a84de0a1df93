// The QSerialPort control on real lines: a pseudo-terminal pair played from
// the test, then taplink-sim as a program, which makes its pseudo-terminal
// pair or listens on TCP, says where, and plays the controller there.
#include "qt_serial_comm.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <numeric>

#include "event_wait.h"
#include "link_settings.h"
#include "pty_pair.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

using testing::SetUpError;
using testing::WaitFor;

class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            pty_ = std::make_unique<testing::PtyPair>();
        } catch (const std::exception& e) {
            GTEST_SKIP() << "needs pseudo-terminals (" << e.what() << "); mount devpts to run";
        }
        comm_ = std::make_unique<QtSerialComm>(
            [this](int n) { return n == 1 ? pty_->SlavePath() : std::string{}; });
        ASSERT_EQ(SetUpError(*comm_), "");
    }

    std::unique_ptr<testing::PtyPair> pty_;
    std::unique_ptr<QtSerialComm> comm_;
};

TEST_F(PtyTest, CarriesEveryByteValueBothWaysAndSetUpAgainDropsWhatWaits) {
    EXPECT_EQ(comm_->DevicePath(), pty_->SlavePath());
    Bytes all(256), received;
    std::iota(all.begin(), all.end(), 0);
    comm_->SetOutput(all);
    EXPECT_EQ(pty_->Read(2000ms, all.size(), [] { QCoreApplication::processEvents(); }), all);

    comm_->SetOnComm([&] {
        EXPECT_EQ(comm_->GetCommEvent(), kComEvReceive);
        const Bytes chunk = comm_->GetInput();
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    pty_->Write(all);
    ASSERT_TRUE(WaitFor([&] { return received.size() >= all.size(); }, 2000ms));
    EXPECT_EQ(received, all);

    comm_->SetOnComm({});
    pty_->Write({1, 2, 3});
    WaitFor([] { return false; }, 100ms);
    ASSERT_EQ(SetUpError(*comm_), "");
    pty_->Write({9});
    Bytes got;
    ASSERT_TRUE(WaitFor([&] { return !(got = comm_->GetInput()).empty(); }, 2000ms));
    EXPECT_EQ(got, Bytes{9});
}

TEST_F(PtyTest, SettingsTheDeviceRefusesAreErrorsNamingPortAndReason) {
    // A pseudo-terminal takes neither 7 data bits nor parity; no platform
    // port takes 4 data bits.
    const std::string at = "\" on port " + pty_->SlavePath() + ".\nError: ";
    const std::pair<const char*, std::string> cases[] = {
        {"9600,N,4,1", "Failed to set \"9600,N,4,1" + at +
                           "4 data bits are not supported by this platform's serial ports"},
        {"9600,N,7,1", "Failed to set the data bits of \"9600,N,7,1" + at},
        {"9600,E,8,1", "Failed to set the parity of \"9600,E,8,1" + at}};
    for (const auto& [settings, error] : cases) {
        ASSERT_EQ(SetUpError(*comm_, "19200,N,8,1"), "");
        EXPECT_EQ(SetUpError(*comm_, settings).substr(0, error.size()), error);
        // The bit rate went through before the refusal; the line keeps the
        // settings that worked all the same, and the defaults work again.
        termios tio{};
        ASSERT_EQ(::tcgetattr(pty_->MasterFd(), &tio), 0);
        EXPECT_EQ(::cfgetospeed(&tio), speed_t{B19200}) << settings;
        EXPECT_EQ(SetUpError(*comm_), "");
        EXPECT_TRUE(comm_->GetPortOpen());
    }
}

TEST_F(PtyTest, APeerThatVanishesIsReportedOnceAndThePortCloses) {
    comm_->SetOnComm([&] { comm_->GetInput(); });
    std::vector<std::string> reports;
    comm_->SetOnFailure([&](const std::string& what) { reports.push_back(what); });
    pty_->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 1000ms)) << "no report within a second";
    EXPECT_FALSE(comm_->GetPortOpen());
    WaitFor([] { return false; }, 300ms);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        reports[0].rfind("Lost the connection to port " + pty_->SlavePath() + ".\nError: ", 0), 0u)
        << reports[0];
}

// A device path that is not there: cli_e2e_test's port failures.
TEST(QtSerialComm, APortListPositionWithoutADeviceIsAnError) {
    QtSerialComm none([](int) { return std::string{}; });
    EXPECT_EQ(SetUpError(none),
              "Failed to open port 1.\nError: no serial device is present at that position of the "
              "port list");
    EXPECT_FALSE(none.GetPortOpen());
    EXPECT_THROW(none.SetOutput({1}), CommError);
}

// "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n" framed for an "R40/R60" input.
const Bytes kFrame = {0x11, 0x21, 0x00, 0x25, 0x30, 0x31, 0x0D, 0x0A, 0x4E, 0x30, 0x30, 0x30,
                      0x30, 0x20, 0x47, 0x30, 0x30, 0x20, 0x58, 0x31, 0x30, 0x0D, 0x0A, 0x4E,
                      0x30, 0x30, 0x31, 0x30, 0x20, 0x4D, 0x33, 0x30, 0x0D, 0x0A, 0x13, 0x05};

// Transfers through taplink-sim are in cli_e2e_test; here what only the
// program's own line handling can break. The ready byte waits for TapLink to
// open the line, however late; a bad checksum is a failed transfer; clients
// that connect and leave, or connect and say nothing, do not keep the
// controller from the next one.
TEST(SimProgram, SignalsReadyOnceOpenedChecksTheFrameAndServesTheClientAfterIdleOnes) {
    const struct {
        const char* name;
        bool tcp;
        int openAfterMs;
        int flip;  // XOR into the frame's last byte
        int code;
    } cases[] = {{"1.5 s late", false, 1500, 0, 0},
                 {"bad checksum", false, 0, 0x40, 1},
                 {"after clients that left or idle", true, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess sim;  // killed, if still running, at the end of the row
        QStringList args{"--model", "r40", "--role", "input", "--once", "--delay", "50"};
        if (c.tcp) args += {"--listen", "0"};
        sim.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_TRUE(line.startsWith("TapLink port: ")) << line.toStdString();
        const std::string path = line.mid(14).toStdString();
        QTcpSocket left, idle;
        if (c.tcp) {
            ASSERT_EQ(path.rfind("tcp://127.0.0.1:", 0), 0u) << path;
            const auto number = static_cast<quint16>(std::stoi(path.substr(16)));
            left.connectToHost(QStringLiteral("127.0.0.1"), number);
            ASSERT_TRUE(left.waitForConnected(3000));
            left.disconnectFromHost();
            QThread::msleep(200);
            idle.connectToHost(QStringLiteral("127.0.0.1"), number);
            ASSERT_TRUE(idle.waitForConnected(3000));
            EXPECT_TRUE(idle.waitForReadyRead(3000));  // the ready byte, never answered
        }
        QThread::msleep(static_cast<unsigned long>(c.openAfterMs));
        // Opened as TapLink opens it: the ready byte, then the frame. The
        // port writes from the event loop, so it keeps running while the
        // simulator ends.
        QtSerialComm comm([&path](int) { return path; });
        Bytes in;
        comm.SetOnComm([&] {
            const Bytes b = comm.GetInput();
            in.insert(in.end(), b.begin(), b.end());
        });
        RunPortSetup(comm, LinkSettings{});
        ASSERT_TRUE(WaitFor([&] { return !in.empty(); }));
        EXPECT_EQ(in, Bytes{0x12});
        Bytes frame = kFrame;
        frame.back() ^= static_cast<std::uint8_t>(c.flip);
        comm.SetOutput(frame);
        EXPECT_TRUE(WaitFor([&] { return sim.state() == QProcess::NotRunning; }));
        EXPECT_EQ(sim.exitCode(), c.code) << sim.readAllStandardError().toStdString();
        EXPECT_EQ(sim.readAllStandardOutput().toStdString(),
                  c.code == 0 ? "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n" : "");
    }
}

TEST(SimProgram, RefusesUnknownWordsAndBadPorts) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"--fault", "no-such-fault"}, "unknown fault"},
        {{"--listen", "abc"}, "invalid port abc"},
        {{"--listen", "-1"}, "invalid port -1"},
        {{"--listen", "127.0.0.1:65536"}, "invalid port 65536"},
        {{"--rfc2217"}, "--rfc2217 needs --listen"},
        {{"--listen", "0", "--rfc2217-fault", "notify"}, "--rfc2217-fault needs --rfc2217"},
        {{"--role", "input", "--change", "5"}, "--change and --drop need --role loop"},
        {{"--role", "loop", "--drop", "-1"}, "bad offset -1"}};
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(says);
        QProcess p;
        p.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_NE(p.readAllStandardError().toStdString().find(says), std::string::npos);
    }
}

}  // namespace
}  // namespace taplink
