// taplink-sim as a program: it makes its pseudo-terminal pair, says where,
// and plays the controller on it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "frames.h"
#include "link_settings.h"
#include "qt_serial_comm.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

class SimProgram : public ::testing::Test {
  protected:
    // Starts taplink-sim with args and opens the port it names.
    void Start(const QStringList& args) {
        process_.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        ASSERT_TRUE(process_.waitForStarted(5000));
        ASSERT_TRUE(process_.waitForReadyRead(5000));
        const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
        if (process_.state() != QProcess::Running && process_.exitCode() == 3) {
            GTEST_SKIP() << "no pseudo-terminals";
        }
        ASSERT_TRUE(line.startsWith("TapLink port: ")) << line.toStdString();
        path_ = line.mid(14).toStdString();
        comm_ = std::make_unique<QtSerialComm>([this](int) { return path_; });
        comm_->SetOnComm([this] {
            const Bytes b = comm_->GetInput();
            in_.insert(in_.end(), b.begin(), b.end());
        });
        RunPortSetup(*comm_, LinkSettings{});
    }
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
    // The port writes from the event loop: keep it running while waiting.
    bool Finished() {
        return WaitFor([&] { return process_.state() == QProcess::NotRunning; });
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
    Start({"--model", "r40", "--role", "output", "--once"});
    comm_->SetOutput({0x12});
    const std::string sample = "%12\r\nN0000 G92 X0 Z0\r\n";
    ASSERT_TRUE(WaitFor([&] { return in_.size() >= 2 && in_.size() == in_[1] + 2u; }))
        << in_.size();
    EXPECT_EQ(in_[0], 0x11);
    EXPECT_EQ(std::string(in_.begin() + 2, in_.begin() + 2 + static_cast<long>(sample.size())),
              sample);
    ASSERT_TRUE(process_.waitForFinished(5000));
    EXPECT_EQ(process_.exitCode(), 0);
}

TEST_F(SimProgram, SignalsReadyTakesAFrameAndPrintsIt) {
    Start({"--model", "r40", "--role", "input", "--once", "--delay", "50"});
    ASSERT_TRUE(WaitFor([&] { return !in_.empty(); }));
    EXPECT_EQ(in_, Bytes{0x12});
    const std::string program = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
    comm_->SetOutput(BuildProgramFrame(program, 0x11));
    ASSERT_TRUE(Finished());
    EXPECT_EQ(process_.exitCode(), 0) << process_.readAllStandardError().toStdString();
    EXPECT_EQ(process_.readAllStandardOutput().toStdString(), program);
}

TEST_F(SimProgram, ABadChecksumIsAFailedTransfer) {
    Start({"--model", "r40", "--role", "input", "--once", "--delay", "50"});
    ASSERT_TRUE(WaitFor([&] { return !in_.empty(); }));
    Bytes frame = BuildProgramFrame("%01\r\nM30\r\n", 0x11);
    frame.back() ^= 0x40;
    comm_->SetOutput(frame);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(process_.exitCode(), 1);
    EXPECT_NE(process_.readAllStandardError().toStdString().find("checksum"), std::string::npos);
}

TEST(SimProgramUsage, RefusesUnknownWords) {
    QProcess p;
    p.start(QStringLiteral(TAPLINK_SIM_PATH), {"--fault", "no-such-fault"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_NE(p.readAllStandardError().toStdString().find("unknown fault"), std::string::npos);
}

}  // namespace
}  // namespace taplink
