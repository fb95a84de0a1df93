// The control without a device, and taplink-sim as a program: it makes its
// pseudo-terminal pair or listens on TCP, says where, and plays the
// controller there. The test's own pseudo-terminal is in device_server_test.
#include "qt_serial_comm.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include "bytes_text.h"
#include "event_wait.h"
#include "link_settings.h"

namespace taplink {
namespace {

using testing::SetUpError;
using testing::WaitFor;

// A device path that is not there: cli_e2e_test's port failures.
TEST(QtSerialComm, APortListPositionWithoutADeviceIsAnError) {
    QtSerialComm none([](int) { return std::string{}; });
    EXPECT_EQ(SetUpError(none),
              "Failed to open port 1.\nError: no serial device is present at that position of the "
              "port list");
    EXPECT_FALSE(none.GetPortOpen());
    EXPECT_THROW(none.SetOutput({1}), CommError);
}

// A program framed for an "R40/R60" input ('|' is a 0 byte).
const Bytes kFrame = testing::B("\x11\x21|%01\r\nN0000 G00 X10\r\nN0010 M30\r\n\x13\x05");

// Transfers through taplink-sim are in cli_e2e_test; here what only the
// program's own line handling can break. The ready byte waits for TapLink to
// open the line, however late; a bad checksum is a failed transfer; clients
// that connect and leave, or connect and say nothing, do not keep the
// controller from the next one. Through its RFC 2217 server, a Send (set up
// twice: the ready byte, then the frame) and a Receive at another bit rate
// keep one connection, and the set-up drops the ready byte on the way.
TEST(SimProgram, SignalsReadyOnceOpenedChecksTheFrameAndServesTheClientAfterIdleOnes) {
    enum class Line { Pty, Tcp, Rfc2217 };
    const struct {
        const char* name;
        Line line;
        int openAfterMs;
        int flip;  // XOR into the frame's last byte
        int code;
    } cases[] = {{"1.5 s late", Line::Pty, 1500, 0, 0},
                 {"bad checksum", Line::Pty, 0, 0x40, 1},
                 {"after clients that left or idle", Line::Tcp, 0, 0, 0},
                 {"a Send and a Receive through RFC 2217", Line::Rfc2217, 0, 0, 0}};
    const std::string text = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace");
        QProcess sim;  // killed, if still running, at the end of the row
        QStringList args{"--model", "r40", "--once", "--delay", "50", "--trace", trace};
        args += {"--role", c.line == Line::Rfc2217 ? "loop" : "input"};
        if (c.line != Line::Pty) args += {"--listen", "0"};
        if (c.line == Line::Rfc2217) args += "--rfc2217";
        sim.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_TRUE(line.startsWith("TapLink port: ")) << line.toStdString();
        const std::string path = line.mid(14).toStdString();
        QTcpSocket left, idle;
        if (c.line == Line::Tcp) {
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
        bool ready = false;  // lives as long as the port that sets it
        QtSerialComm comm([&path](int) { return path; });
        RunPortSetup(comm, LinkSettings{});
        Bytes in;
        if (c.line == Line::Rfc2217) {
            // The ready byte is left unread.
            comm.SetOnComm([&] { ready = ready || comm.GetCommEvent() == kComEvReceive; });
            ASSERT_TRUE(WaitFor([&] { return ready; }));
            RunPortSetup(comm, LinkSettings{});
            EXPECT_EQ(comm.GetInput(), Bytes{});
        } else {
            ASSERT_TRUE(WaitFor([&] { return !(in = comm.GetInput()).empty(); }));
            EXPECT_EQ(in, Bytes{0x12});
        }
        Bytes frame = kFrame;
        frame.back() ^= static_cast<std::uint8_t>(c.flip);
        comm.SetOutput(frame);
        std::string taken;
        if (c.line == Line::Rfc2217) {
            ASSERT_TRUE(WaitFor([&] { return (taken += sim.readAll().toStdString()) == text; }));
            LinkSettings receive;
            receive.g_strSettings = "4800,N,8,1";
            RunPortSetup(comm, receive);
            comm.SetOutput({0x12});
        }
        EXPECT_TRUE(WaitFor([&] {
            const Bytes more = comm.GetPortOpen() ? comm.GetInput() : Bytes{};
            in.insert(in.end(), more.begin(), more.end());
            return sim.state() == QProcess::NotRunning;
        }));
        const std::string said = sim.readAllStandardError().toStdString();
        EXPECT_EQ(sim.exitCode(), c.code) << said;
        EXPECT_EQ(taken + sim.readAllStandardOutput().toStdString(), c.code == 0 ? text : "");
        if (c.line != Line::Rfc2217) continue;
        EXPECT_NE(std::search(in.begin(), in.end(), text.begin(), text.end()), in.end());
        EXPECT_NE(said.find("client set 4800 bit/s"), std::string::npos) << said;
        QFile file(trace);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().count("# connected\n"), 1);
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
