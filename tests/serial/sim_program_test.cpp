// taplink-sim as a program: it makes its pseudo-terminal pair or listens on
// TCP, says where, and plays the controller there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include "link_settings.h"
#include "qt_serial_comm.h"

namespace taplink {
namespace {

// "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n" framed for an "R40/R60" input.
const Bytes kFrame = {0x11, 0x21, 0x00, 0x25, 0x30, 0x31, 0x0D, 0x0A, 0x4E, 0x30, 0x30, 0x30,
                      0x30, 0x20, 0x47, 0x30, 0x30, 0x20, 0x58, 0x31, 0x30, 0x0D, 0x0A, 0x4E,
                      0x30, 0x30, 0x31, 0x30, 0x20, 0x4D, 0x33, 0x30, 0x0D, 0x0A, 0x13, 0x05};
const std::string kProgram = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

class SimProgram : public ::testing::Test {
  protected:
    // Starts taplink-sim with args; returns the port it names.
    std::string Start(const QStringList& args) {
        process_.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        EXPECT_TRUE(process_.waitForStarted(5000));
        EXPECT_TRUE(process_.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
        EXPECT_TRUE(line.startsWith("TapLink port: ")) << line.toStdString();
        return line.mid(14).toStdString();
    }
    // Opens the port as TapLink does, gathering what arrives.
    void Open(const std::string& path) {
        path_ = path;
        comm_ = std::make_unique<QtSerialComm>([this](int) { return path_; });
        comm_->SetOnComm([this] {
            const Bytes b = comm_->GetInput();
            in_.insert(in_.end(), b.begin(), b.end());
        });
        RunPortSetup(*comm_, LinkSettings{});
    }
    // The port writes from the event loop: keep it running while waiting.
    int ExitCode() {
        EXPECT_TRUE(WaitFor([&] { return process_.state() == QProcess::NotRunning; }));
        return process_.exitCode();
    }
    void TearDown() override {
        if (process_.state() == QProcess::Running) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    QProcess process_;
    std::string path_;
    std::unique_ptr<QtSerialComm> comm_;
    Bytes in_;
};

TEST_F(SimProgram, AnswersTheRequestWithItsDocument) {
    Open(Start({"--model", "r40", "--role", "output", "--once"}));
    comm_->SetOutput({0x12});
    const std::string sample = "%12\r\nN0000 G92 X0 Z0\r\n";
    ASSERT_TRUE(WaitFor([&] { return in_.size() >= 2 && in_.size() == in_[1] + 2u; }));
    EXPECT_EQ(in_[0], 0x11);
    EXPECT_EQ(std::string(in_.begin() + 2, in_.begin() + 2 + static_cast<long>(sample.size())),
              sample);
    EXPECT_EQ(ExitCode(), 0);
}

// The ready byte waits for TapLink to open the line, however late; a bad
// checksum is a failed transfer.
TEST_F(SimProgram, SignalsReadyOnceOpenedAndChecksTheFrame) {
    const struct {
        const char* name;
        int openAfterMs;
        int flip;  // XOR into the frame's last byte
        int code;
    } cases[] = {{"at once", 0, 0, 0}, {"1.5 s late", 1500, 0, 0}, {"bad checksum", 0, 0x40, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        in_.clear();
        const std::string path =
            Start({"--model", "r40", "--role", "input", "--once", "--delay", "50"});
        QThread::msleep(static_cast<unsigned long>(c.openAfterMs));
        Open(path);
        ASSERT_TRUE(WaitFor([&] { return !in_.empty(); }));
        EXPECT_EQ(in_, Bytes{0x12});
        Bytes frame = kFrame;
        frame.back() ^= static_cast<std::uint8_t>(c.flip);
        comm_->SetOutput(frame);
        EXPECT_EQ(ExitCode(), c.code) << process_.readAllStandardError().toStdString();
        EXPECT_EQ(process_.readAllStandardOutput().toStdString(), c.code == 0 ? kProgram : "");
        comm_.reset();
    }
}

// Clients that connect and leave, or connect and say nothing, do not keep
// the controller from the next one.
TEST_F(SimProgram, ServesTheClientAfterOnesThatLeftOrIdle) {
    const std::string port =
        Start({"--listen", "0", "--model", "r40", "--role", "input", "--once", "--delay", "50"});
    ASSERT_EQ(port.rfind("tcp://127.0.0.1:", 0), 0u) << port;
    const auto number = static_cast<quint16>(std::stoi(port.substr(16)));
    QTcpSocket left, idle;
    left.connectToHost(QStringLiteral("127.0.0.1"), number);
    ASSERT_TRUE(left.waitForConnected(3000));
    left.disconnectFromHost();
    QThread::msleep(200);
    idle.connectToHost(QStringLiteral("127.0.0.1"), number);
    ASSERT_TRUE(idle.waitForConnected(3000));
    EXPECT_TRUE(idle.waitForReadyRead(3000));  // the ready byte, never answered
    Open(port);
    ASSERT_TRUE(WaitFor([&] { return !in_.empty(); }));
    EXPECT_EQ(in_, Bytes{0x12});
    comm_->SetOutput(kFrame);
    EXPECT_EQ(ExitCode(), 0) << process_.readAllStandardError().toStdString();
    EXPECT_EQ(process_.readAllStandardOutput().toStdString(), kProgram);
}

TEST(SimProgramUsage, RefusesUnknownWordsAndBadPorts) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"--fault", "no-such-fault"}, "unknown fault"},
        {{"--listen", "abc"}, "invalid port abc"},
        {{"--listen", "-1"}, "invalid port -1"},
        {{"--listen", "127.0.0.1:65536"}, "invalid port 65536"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        QProcess p;
        p.start(QStringLiteral(TAPLINK_SIM_PATH), c.args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_NE(p.readAllStandardError().toStdString().find(c.says), std::string::npos);
    }
}

}  // namespace
}  // namespace taplink
