// taplink-cli against taplink-sim, both as programs, on a pseudo-terminal
// pair and on TCP loopback: documents byte for byte, traces compared with
// what the simulator saw, and the exit code of each failure.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "line_trace.h"

namespace taplink {
namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

std::string ReadAll(const QString& path) {
    std::ifstream f(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

class CliTest : public ::testing::Test {
  protected:
    // Starts the simulator; returns the port it serves.
    std::string StartSim(QStringList args) {
        args << "--once"
             << "--timeout"
             << "30"
             << "--trace" << Path("sim.trace");
        sim_.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        EXPECT_TRUE(sim_.waitForStarted(5000));
        if (!sim_.waitForReadyRead(5000)) return {};
        const QString line = QString::fromLocal8Bit(sim_.readLine()).trimmed();
        return line.startsWith("TapLink port: ") ? line.mid(14).toStdString() : std::string{};
    }
    int SimExit() {
        EXPECT_TRUE(sim_.waitForFinished(35000)) << "the simulator did not finish";
        return sim_.exitCode();
    }
    Result Cli(const QStringList& args, int timeoutMs = 30000) {
        QProcess cli;
        cli.start(QStringLiteral(TAPLINK_CLI_PATH), args);
        EXPECT_TRUE(cli.waitForFinished(timeoutMs)) << args.join(' ').toStdString();
        return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
                cli.readAllStandardOutput().toStdString(),
                cli.readAllStandardError().toStdString()};
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    void TearDown() override {
        if (sim_.state() != QProcess::NotRunning) {
            sim_.kill();
            sim_.waitForFinished(2000);
        }
    }

    QTemporaryDir dir_;
    QProcess sim_;
};

struct TransferCase {
    const char* name;
    QString model;
    bool tcp;
    bool send;
    std::string document;       // what moves
    std::string expected;       // what arrives
    QStringList simExtra = {};  // faults the controller injects
};
// Test names, not bytes, in listings.
void PrintTo(const TransferCase& c, std::ostream* os) {
    *os << c.name;
}

class CliTransferTest : public CliTest, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(CliTransferTest, MovesTheDocumentAndTracesEveryByte) {
    const auto& c = GetParam();
    WriteAll(Path("doc"), c.document);
    QStringList simArgs{"--model", c.model, "--role", c.send ? "input" : "output",
                        "--delay", "200"};
    if (c.tcp)
        simArgs << "--listen"
                << "0";
    if (c.send) simArgs << "--out" << Path("held");
    if (!c.send) simArgs << "--file" << Path("doc");
    simArgs << c.simExtra;
    const std::string port = StartSim(simArgs);
    ASSERT_FALSE(port.empty());
    EXPECT_EQ(port.rfind("tcp://", 0) == 0, c.tcp);

    QStringList args{c.send ? "send" : "receive",  "--model", c.model,          "--port",
                     QString::fromStdString(port), "--trace", Path("cli.trace")};
    if (c.send) args << Path("doc");
    if (!c.send) args << "-o" << Path("got");
    const Result r = Cli(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(SimExit(), 0) << sim_.readAllStandardError().toStdString();
    EXPECT_EQ(ReadAll(Path(c.send ? "held" : "got")), c.expected);

    // What one side wrote is what the other saw, byte for byte.
    const std::string cliTrace = ReadAll(Path("cli.trace"));
    const std::string simTrace = ReadAll(Path("sim.trace"));
    EXPECT_EQ(TracedBytes(cliTrace, '>'), TracedBytes(simTrace, '<'));
    EXPECT_FALSE(TracedBytes(cliTrace, '>').empty());
}

const std::string kImage = [] {
    std::string b;
    for (int i = 0; i < 300; ++i)
        b.push_back(static_cast<char>(i * 7));
    return b;
}();

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTransferTest,
    ::testing::Values(TransferCase{"SendR40Pty", "r40", false, true,
                                   "%01\r\nN0000 G00  X10 \r\n\r\nN0010 M30",
                                   "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n"},
                      TransferCase{"ReceiveR40Tcp", "r40", true, false, "%12\r\nN0000 G00\r\n",
                                   "%12\r\nN0000 G00\r\n"},
                      TransferCase{"SendMemoryTcp", "memory", true, true, kImage, kImage},
                      TransferCase{"ReceiveMemoryPty", "memory", false, false, kImage, kImage},
                      TransferCase{"SendR80Tcp", "r80", true, true, "%123\r\nN10 G00\r\nN20 M30",
                                   "%123\r\nN10 G00\r\nN20 M30\r\n\r\n"},
                      TransferCase{"ReceiveR80Pty", "r80", false, false,
                                   "%123\r\nN10 G00\r\nN20 M30\r\n",
                                   "%123\r\nN10 G00\r\nN20 M30\r\n"},
                      TransferCase{"SendR80PtyThroughANak",
                                   "r80",
                                   false,
                                   true,
                                   "%123\r\n" + std::string(700, 'G') + "\r\n",
                                   "%123\r\n" + std::string(700, 'G') + "\r\n\r\n",
                                   {"--fault", "nak@2"}},
                      TransferCase{"ReceiveR80PtyThroughABadChecksum",
                                   "r80",
                                   false,
                                   false,
                                   "%123\r\n" + std::string(700, 'G') + "\r\n",
                                   "%123\r\n" + std::string(700, 'G') + "\r\n",
                                   {"--fault", "bad-checksum@1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, EachFailureHasItsExitCode) {
    WriteAll(Path("empty.txt"), "");
    WriteAll(Path("prog.txt"), "%12\r\nN0000 M30\r\n");
    const std::string port = StartSim({"--model", "r40", "--role", "output"});
    ASSERT_FALSE(port.empty());
    const Result refused = Cli({"send", Path("empty.txt"), "--port", QString::fromStdString(port)});
    EXPECT_EQ(refused.code, 2) << refused.err;
    EXPECT_NE(refused.err.find("Can not dispatch empty space document!"), std::string::npos);

    const Result noPort = Cli({"send", Path("prog.txt"), "--port", "/dev/taplink-no-such-port"});
    EXPECT_EQ(noPort.code, 5) << noPort.err;
    EXPECT_NE(noPort.err.find("/dev/taplink-no-such-port"), std::string::npos);

    const Result noServer = Cli({"receive", "--port", "tcp://127.0.0.1:1"});
    EXPECT_EQ(noServer.code, 5) << noServer.err;

    const Result usage = Cli({"send", "--port", "/dev/null"});
    EXPECT_EQ(usage.code, 1);
    const Result missing = Cli({"send", Path("none.txt"), "--port", "/dev/null"});
    EXPECT_EQ(missing.code, 1);
}

TEST_F(CliTest, AControllerSendingNonsenseOrFallingSilent) {
    WriteAll(Path("doc"), "%123\r\n" + std::string(600, 'G') + "\r\n");
    std::string port = StartSim(
        {"--model", "r40", "--role", "output", "--fault", "wrong-start", "--file", Path("doc")});
    ASSERT_FALSE(port.empty());
    const Result wrong = Cli({"receive", "--port", QString::fromStdString(port)});
    EXPECT_EQ(wrong.code, 6) << wrong.err;
    EXPECT_NE(wrong.err.find("Data transmission is wrong!"), std::string::npos);
    SimExit();

    port = StartSim({"--model", "r80", "--role", "output", "--fault", "silence@2", "--file",
                     Path("doc"), "--listen", "0"});
    ASSERT_FALSE(port.empty());
    const Result silent =
        Cli({"receive", "--model", "r80", "--port", QString::fromStdString(port)});
    EXPECT_EQ(silent.code, 4) << silent.err;
    EXPECT_NE(silent.err.find("The CNC nothing responds"), std::string::npos);
}

TEST_F(CliTest, ConvertAndHexdump) {
    WriteAll(Path("main.ldx"),
             "x TOTALSTEPS 2\r\n00000000END1    \r\n00000001END2    \r\nEND_PLC_ORGANIZATION y");
    const Result plc = Cli({"convert", Path("main.ldx")});
    EXPECT_EQ(plc.code, 0) << plc.err;
    EXPECT_EQ(plc.out, "%999\r\n2\r\n00000000END1    \r\n00000001END2    \r\n");

    WriteAll(Path("edit.txt"),
             "%999\r\n00000003\r\n00000000LD X1\r\n00000001END1\r\n00000002END2\r\n");
    const Result into = Cli({"convert", Path("edit.txt"), "--into", Path("main.ldx")});
    EXPECT_EQ(into.code, 0) << into.err;
    EXPECT_EQ(ReadAll(Path("main.ldx")),
              "x TOTALSTEPS 3\r\n00000000LD      X0001\r\n00000001END1    \r\n00000002END2    "
              "\r\nEND_PLC_ORGANIZATION y");
    EXPECT_NE(ReadAll(Path("main_bak.ldx")).find("TOTALSTEPS 2"), std::string::npos);

    WriteAll(Path("img.hex"), "ABCDEFGHIJ");
    const Result dump = Cli({"hexdump", Path("img.hex")});
    EXPECT_EQ(dump.code, 0);
    EXPECT_EQ(dump.out.substr(0, 7), "0000   ");
    EXPECT_NE(dump.out.find("0008   49  4A"), std::string::npos);

    for (const char* command : {"send", "receive", "convert", "hexdump"}) {
        const Result help = Cli({command, "--help"});
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_NE(help.out.find("Usage:"), std::string::npos) << command;
    }
}

TEST_F(CliTest, SlowAControllerThatNeverGetsReady) {
    const Result r = Cli({"receive", "--port", "/dev/ptmx"}, 90000);
    // /dev/ptmx opens as a fresh pseudo-terminal nobody answers on.
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_NE(r.err.find("CNC opens received state not yet"), std::string::npos);
}

}  // namespace
}  // namespace taplink
