// taplink-cli against taplink-sim, both as programs, on a pseudo-terminal
// pair and on TCP loopback: documents byte for byte, traces compared with
// what the simulator saw, and the exit code of each failure. The protocol
// cases are proven on a virtual line (sim_transfer_test, r80_test); here one
// transfer for each model, each transport and each failing end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <regex>

#include "controller_sim.h"
#include "event_wait.h"
#include "file_io.h"
#include "line_trace.h"
#include "postgres_server.h"
#include "pty_pair.h"
#include "ser2net.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

struct Result {
    int code = -1;  // -1 when the program did not end by itself
    std::string out, err;
};

// A program run to its end, its standard output into outFile if one is given,
// its standard error on a terminal if one is given (what came there is err).
// None needs a display: packaging scripts and SSH sessions have none.
Result RunProgram(const char* program, const QStringList& args, const QString& outFile = {},
                  testing::PtyPair* terminal = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    p.setProcessEnvironment(env);
    if (!outFile.isEmpty()) p.setStandardOutputFile(outFile);
    if (terminal) p.setStandardErrorFile(QString::fromStdString(terminal->SlavePath()));
    p.start(QString::fromUtf8(program), args);
    std::string onTerminal;
    if (terminal) {
        // Read as the program writes, so that it never waits for room.
        const auto read = [&] {
            const Bytes b = terminal->Read(std::chrono::milliseconds{10});
            onTerminal.append(b.begin(), b.end());
        };
        EXPECT_TRUE(testing::WaitFor(
            [&] {
                read();
                return p.state() == QProcess::NotRunning || p.waitForFinished(1);
            },
            std::chrono::seconds{90}));
        read();
    } else {
        EXPECT_TRUE(p.waitForFinished(90000)) << args.join(' ').toStdString();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(),
            terminal ? onTerminal : p.readAllStandardError().toStdString()};
}

class CliTest : public ::testing::Test {
  protected:
    // What a command keeps for want of a better place goes into the test's
    // folder, not the user's.
    CliTest() { qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path())); }
    // Starts the simulator; returns the port it serves.
    std::string StartSim(QStringList args) {
        args += {"--once", "--timeout", "30", "--trace", Path("sim.trace")};
        sim_.start(QStringLiteral(TAPLINK_SIM_PATH), args);
        // A sanitized program on a loaded machine takes seconds to start.
        if (!sim_.waitForReadyRead(30000)) return {};
        const QString line = QString::fromLocal8Bit(sim_.readLine()).trimmed();
        return line.startsWith("TapLink port: ") ? line.mid(14).toStdString() : std::string{};
    }
    // Transfers go into the test's own journal.
    Result Cli(QStringList args, const QString& outFile = {},
               testing::PtyPair* terminal = nullptr) {
        if (QStringList{"send", "receive", "verify", "journal"}.contains(args.value(0)) &&
            !args.contains("--journal"))
            args += {"--journal", Path("journal.sqlite")};
        return RunProgram(TAPLINK_CLI_PATH, args, outFile, terminal);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    static std::string ReadAll(const QString& path) {
        return ReadFileBytes(path.toStdString()).bytes;
    }
    static void WriteAll(const QString& path, const std::string& bytes) {
        ASSERT_EQ(WriteFileBytes(path.toStdString(), bytes), std::nullopt);
    }
    // The journal's rows, newest first, as "outcome" or "outcome bytes sha256".
    QStringList Journal(bool detail = false) {
        const Result r = Cli({"journal", "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        QStringList rows;
        for (const auto v : QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array()) {
            const QJsonObject o = v.toObject();
            rows << o["outcome"].toString() + (detail
                                                   ? " " + QString::number(o["bytes"].toInteger()) +
                                                         " " + o["sha256"].toString().left(12)
                                                   : QString());
        }
        return rows;
    }

    QTemporaryDir dir_;
    QProcess sim_;  // killed, if still running, before dir_ goes
};

// How the simulated controller is reached: its pseudo-terminal, its own TCP
// port (raw, or speaking as an RFC 2217 server), or ser2net on its
// pseudo-terminal (raw, or with the COM port option).
enum class Via { Pty, Tcp, SimRfc2217, Ser2netRaw, Ser2netRfc2217 };

struct TransferCase {
    const char* name;
    QString model;
    Via via;
    bool send;
    std::string document;       // what moves
    std::string expected;       // what arrives
    QStringList simFault = {};  // what the controller, or its server, does wrong
    int code = 0;               // the exit code
    const char* error = "";     // in what the command says
    QString output = "got";     // receive: where the document goes, in the test's folder
    QString kept = "got.part";  // where a document that did not go there is kept
    bool terminal = false;      // standard error is a terminal: the progress bar
};
// Test names, not bytes, in listings.
void PrintTo(const TransferCase& c, std::ostream* os) {
    *os << c.name;
}

class CliTransferTest : public CliTest, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(CliTransferTest, MovesTheDocumentAndTracesEveryByte) {
    const auto& c = GetParam();
    WriteAll(Path("doc"), c.document);
    QStringList simArgs = c.simFault + QStringList{"--model", c.model, "--delay", "200", "--role"};
    simArgs += c.send ? QStringList{"input", "--out", Path("held")}
                      : QStringList{"output", "--file", Path("doc")};
    if (c.via == Via::Tcp || c.via == Via::SimRfc2217) simArgs += {"--listen", "0"};
    if (c.via == Via::SimRfc2217) simArgs << "--rfc2217";
    std::string port = StartSim(simArgs);
    ASSERT_FALSE(port.empty());
    std::unique_ptr<testing::Ser2net> server;
    if (c.via == Via::Ser2netRaw || c.via == Via::Ser2netRfc2217) {
        if (!testing::HaveSer2net()) GTEST_SKIP() << "needs ser2net (scripts/deps installs it)";
        server = std::make_unique<testing::Ser2net>(port);
        port = c.via == Via::Ser2netRaw ? server->RawPort() : server->Rfc2217Port();
    }

    const QString output = c.output.startsWith('/') ? c.output : Path(c.output);
    std::unique_ptr<testing::PtyPair> terminal;
    if (c.terminal) terminal = std::make_unique<testing::PtyPair>();
    QElapsedTimer took;
    took.start();
    const Result r = Cli(QStringList{c.send ? "send" : "receive", "--model", c.model, "--port",
                                     QString::fromStdString(port), "--trace", Path("cli.trace")} +
                             (c.send ? QStringList{Path("doc")} : QStringList{"-o", output}),
                         {}, terminal.get());
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    if (c.terminal) {
        // Ten drawings a second at most, whatever the pace; the last one whole,
        // with the rate and the time left.
        std::size_t drawings = 0;
        for (std::size_t at = 0; (at = r.err.find("\r[", at)) != std::string::npos; ++at)
            ++drawings;
        EXPECT_LE(drawings, static_cast<std::size_t>(took.elapsed() / 100 + 2)) << r.err.size();
        EXPECT_TRUE(std::regex_search(
            r.err, std::regex("100% 303/303 bytes, [0-9]+ bytes/s, 0:00 left *\r?\n")))
            << r.err;
    } else {
        // Off a terminal: the outcome, and no progress.
        EXPECT_FALSE(std::regex_search(r.err, std::regex("[0-9]+/[0-9]+"))) << r.err;
    }
    // One row, ended with what the command said; its size is the document's.
    const QStringList rows = Journal(true);
    ASSERT_EQ(rows.size(), 1);
    if (c.code != 0) {
        EXPECT_TRUE(rows[0].startsWith(c.code == 6   ? "wrong data "
                                       : c.code == 4 ? "no response "
                                                     : "done "))
            << rows[0].toStdString();
        // What came is kept beside the output, or where the command says,
        // never in the output, and never beside a device.
        EXPECT_FALSE(QFileInfo(output).isFile());
        EXPECT_EQ(QFileInfo::exists(output + ".part"), c.kept == c.output + ".part");
        const auto at = r.err.find(" are kept in ");
        ASSERT_NE(at, std::string::npos) << r.err;
        const QString kept = QString::fromStdString(r.err.substr(at + 13)).trimmed();
        EXPECT_TRUE(kept.startsWith(Path(c.kept))) << kept.toStdString();
        EXPECT_EQ(ReadAll(kept), c.expected);
        return;
    }
    EXPECT_EQ(rows[0].section(' ', 0, -2).toStdString(),
              "done " + std::to_string(c.expected.size()));
    EXPECT_TRUE(sim_.waitForFinished(35000)) << "the simulator did not finish";
    EXPECT_EQ(sim_.exitCode(), 0) << sim_.readAllStandardError().toStdString();
    EXPECT_EQ(ReadAll(Path(c.send ? "held" : "got")), c.expected);

    // What one side wrote is what the other saw, byte for byte.
    const std::string cliTrace = ReadAll(Path("cli.trace"));
    EXPECT_EQ(TracedBytes(cliTrace, '>'), TracedBytes(ReadAll(Path("sim.trace")), '<'));
    EXPECT_FALSE(TracedBytes(cliTrace, '>').empty());
}

// Bytes from first on, each step from the one before.
std::string Ramp(int count, int first, int step) {
    std::string b;
    for (int i = 0; i < count; ++i)
        b.push_back(static_cast<char>(first + i * step));
    return b;
}
const std::string kImage = Ramp(300, 0, 7);
const std::string kLong = "%123\r\n" + std::string(700, 'G') + "\r\n";
// Every byte value, FF next to itself and to Telnet's command bytes.
const std::string kEveryByte = Ramp(512, 255, -1) + "\xFF\xFF\xFA\x2C\xFF\xF0";
const std::string kR40 = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
const QString kLongest = QString(251, 'n') + ".txt";  // the longest name a file can have

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, CliTransferTest, ::testing::Values(
    TransferCase{"SendR40Pty", "r40", Via::Pty, true, "%01\r\nN0000 G00  X10 \r\n\r\nN0010 M30", kR40},
    TransferCase{"SendR40WithLinuxLineEnds", "r40", Via::Pty, true, "%01\nN0000 G00 X10\nN0010 M30\n", kR40},
    TransferCase{"ReceiveMemoryPty", "memory", Via::Pty, false, kImage, kImage},
    TransferCase{"SendMemoryOnATerminal", "memory", Via::Pty, true, kImage, kImage, {}, 0, "", "got", "got.part", true},
    TransferCase{"SendR80TcpThroughANak", "r80", Via::Tcp, true, kLong, kLong + "\r\n", {"--fault", "nak@2"}},
    // Each model both ways through a real device server.
    TransferCase{"SendR40Rfc2217", "r40", Via::Ser2netRfc2217, true, kR40, kR40},
    TransferCase{"ReceiveR40Rfc2217", "r40", Via::Ser2netRfc2217, false, kR40, kR40},
    TransferCase{"SendR80Rfc2217", "r80", Via::Ser2netRfc2217, true, kLong, kLong + "\r\n"},
    TransferCase{"ReceiveR80Rfc2217", "r80", Via::Ser2netRfc2217, false, kLong, kLong},
    TransferCase{"SendMemoryRfc2217", "memory", Via::Ser2netRfc2217, true, kEveryByte, kEveryByte},
    TransferCase{"ReceiveMemoryRfc2217", "memory", Via::Ser2netRfc2217, false, kEveryByte, kEveryByte},
    TransferCase{"SendMemorySer2netRaw", "memory", Via::Ser2netRaw, true, kEveryByte, kEveryByte},
    TransferCase{"ReceiveR80Ser2netRaw", "r80", Via::Ser2netRaw, false, kLong, kLong},
    TransferCase{"ReceiveMemorySimRfc2217", "memory", Via::SimRfc2217, false, kEveryByte, kEveryByte},
    TransferCase{"SendR40ToAServerKeepingItsSettings", "r40", Via::SimRfc2217, true, kR40, kR40,
                 {"--rfc2217-fault", "refuse-comport"}, 0, "declined the Telnet COM port option"},
    TransferCase{"ReceiveNonsense", "r40", Via::Pty, false, kLong, std::string("\x13\xC6\x02", 3) + kLong + "\r\n",
                 {"--fault", "wrong-start"}, 6, "Data transmission is wrong!"},
    TransferCase{"ReceiveFromSilence", "r80", Via::Tcp, false, kLong, "%123\r\n" + std::string(256, 'G'),
                 {"--fault", "silence@2"}, 4, "The CNC nothing responds"},
    TransferCase{"ReceiveFromSilenceIntoTheLongestName", "r80", Via::Tcp, false, kLong,
                 "%123\r\n" + std::string(256, 'G'), {"--fault", "silence@2"}, 4, "", kLongest,
                 QString(250, 'n') + ".part"},
    // Never a /dev/null.part: kept where the message says.
    TransferCase{"ReceiveFromSilenceIntoADevice", "r80", Via::Tcp, false, kLong,
                 "%123\r\n" + std::string(256, 'G'), {"--fault", "silence@2"}, 4, "", "/dev/null",
                 "taplink/kept/received_"},
    TransferCase{"ReceiveIntoAMissingFolder", "r40", Via::Pty, false, kR40, kR40, {}, 1,
                 "Cannot write the file", "none/got", "taplink/kept/received_"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Send, then read the controller's copy back: identical, or where it
// differs, side by side on standard output.
TEST_F(CliTest, VerifyReadsTheControllersCopyBack) {
    // clang-format off
    const struct { const char* model; QString file; std::string document; QStringList controller; int code; std::string out; } cases[] = {
        {"r40", "doc", "%01\r\nN0000 G00  X10\r\n\r\nN0010 M30", {"--change", "9"}, 7,
         "line    sent          | controller\n2       N0000 G00 X10 | N0001 G00 X10\n"},
        {"r80", "doc", "%123\r\nN10 G00\r\nN20 M30\r\n", {}, 0, ""},
        {"memory", "doc", "ABCDEFGH", {"--drop", "7"}, 7,
         "sent                                                  | controller\n"
         "0000   41  42  43  44  45  46  47  48 A B C D E F G H | 0000   41  42  43  44  45  46  47     A B C D E F G\n"},
        // PLC texts come back with step fields that the controller does not hold.
        {"r80", "prog.ld2", "LD X1\r\nEND1\r\nEND2\r\n", {}, 0, ""},
        {"r80", "main.ldx", "TOTALSTEPS 00000002\r\n00000000LD      X0001\r\n00000001END1\r\nEND_PLC_ORGANIZATION",
         {"--change", "25"}, 7, "line    sent          | controller\n3       LD      X0001 | LD      X1001\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        // A new-format ladder document is read through its text companion.
        WriteAll(Path(c.file) + (c.file.endsWith(".ld2") ? ".txt" : ""), c.document);
        const std::string port = StartSim(QStringList{"--model", c.model, "--role", "loop",
                                                      "--delay", "200", "--out", Path("held")} +
                                          c.controller);
        ASSERT_FALSE(port.empty());
        const QStringList line{"--model", c.model, "--port", QString::fromStdString(port)};
        const Result sent = Cli(QStringList{"send", Path(c.file)} + line);
        ASSERT_EQ(sent.code, 0) << sent.err;
        const Result verified = Cli(QStringList{"verify", Path(c.file)} + line);
        EXPECT_EQ(verified.code, c.code) << verified.err;
        EXPECT_EQ(verified.out, c.out);
        EXPECT_TRUE(sim_.waitForFinished(30000));
        sim_.close();
    }
    // The verify rows hold the controller's copy: the R40 and .ldx ones
    // differ from what was sent in one byte, so in their hashes too.
    EXPECT_EQ(Journal(true),
              (QStringList{"verified different 37 71c207555018", "done 37 89ad833ae6d8",
                           "verified identical 37 670cdae7573a", "done 37 670cdae7573a",
                           "verified different 7 e9a92a2ed0d5", "done 8 9ac2197d9258",
                           "verified identical 26 dcd6fdadf0f6", "done 26 dcd6fdadf0f6",
                           "verified different 31 0a1b8f198b4c", "done 31 d35e727e61f3"}));
}

// Each failure has its exit code and says why; a file is never left half
// written, nor a document made its own output.
TEST_F(CliTest, EachCommandAnswersWithItsExitCode) {
    const std::string plc =
        "x TOTALSTEPS 2\r\n00000000END1    \r\n00000001END2    \r\nEND_PLC_ORGANIZATION y";
    WriteAll(Path("main.ldx"), plc);
    WriteAll(Path("kept.ldx"), plc);
    QDir(dir_.path()).mkdir("kept_bak.ldx");  // its backup cannot be made
    WriteAll(Path("edit.txt"),
             "%999\r\n00000003\r\n00000000LD X1\r\n00000001END1\r\n00000002END2\r\n");
    WriteAll(Path("img.hex"), "ABCDEFGHIJ");
    WriteAll(Path("empty.txt"), "");
    WriteAll(Path("prog.txt"), "%12\r\nN0000 M30\r\n");
    WriteAll(Path("ro.trace"), "kept");
    QFile::setPermissions(Path("ro.trace"), QFile::ReadOwner);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.txt")).constData(), 0644), 0);
    WriteAll(Path("huge.txt"), "");
    QFile::resize(Path("huge.txt"), (8 << 20) + 1);  // sparse
    const QStringList ptmx{"--port", "/dev/ptmx"};
    // clang-format off
    struct Case { const char* name; QStringList args; int code; std::string out, err; QString outFile = {}; };
    const Case cases[] = {
        {"an empty document", {"send", Path("empty.txt"), "--port", "/dev/ptmx"}, 2, "", "Can not dispatch empty space document!"},
        {"no such port", {"send", Path("prog.txt"), "--port", "/dev/taplink-no-such-port"}, 5, "",
         "Failed to open port /dev/taplink-no-such-port.\nError: "},
        {"nobody listening", {"receive", "--port", "tcp://127.0.0.1:1"}, 5, "", "127.0.0.1:1"},
        {"no file to send", {"send", "--port", "/dev/null"}, 1, "", "send takes one FILE"},
        // /dev/ptmx opens as a fresh pseudo-terminal nobody answers on.
        {"nobody answering", {"receive", "--port", "/dev/ptmx"}, 3, "", "CNC opens received state not yet"},
        {"a PLC program", {"convert", Path("main.ldx")}, 0, "%999\r\n00000002\r\n00000000END1    \r\n00000001END2    \r\n", ""},
        // What convert gives, convert takes back; then the backup holds the old one.
        {"a PLC text", {"convert", Path("main.ldx"), "-o", Path("main.txt")}, 0, "", ""},
        {"written back", {"convert", Path("main.txt"), "--into", Path("main.ldx")}, 0, "", ""},
        {"its own backup", {"convert", Path("main_bak.ldx"), "--into", Path("main.ldx")}, 1, "", "is the backup of"},
        // What the merge writes, and its backup, are in file_commands_test.
        {"an edit merged", {"convert", Path("edit.txt"), "--into", Path("main.ldx")}, 0, "", ""},
        {"a hex dump", {"hexdump", Path("img.hex")}, 0,
         "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n0008   49  4A                         I J\r\n", ""},
        {"no backup", {"convert", Path("edit.txt"), "--into", Path("kept.ldx")}, 1, "", "Is a directory"},
        {"its own output", {"convert", Path("kept.ldx"), "-o", Path("kept.ldx")}, 1, "", "is both what is converted"},
        {"a full disk", {"hexdump", Path("img.hex")}, 1, "", "No space left on device", "/dev/full"},
        {"a journal to a full disk", {"journal"}, 1, "", "standard output: No space left on device", "/dev/full"},
        {"its rows to a full disk", {"journal", "--json"}, 1, "", "standard output: No space left on device", "/dev/full"},
        {"its machines to a full disk", {"journal", "--machines"}, 1, "", "standard output: No space left on device", "/dev/full"},
        // Refused before a byte is read, or a byte goes on the line.
        {"a pipe", QStringList{"send", Path("pipe.txt")} + ptmx, 1, "", "it is a named pipe (FIFO), not a file"},
        {"a huge file", QStringList{"send", Path("huge.txt"), "--model", "r80"} + ptmx, 1, "", "8388609 bytes long"},
        {"an endless image", {"hexdump", "/dev/zero"}, 1, "", "it is a character device"},
        {"a trace over the document", QStringList{"send", Path("prog.txt"), "--trace", Path("prog.txt")} + ptmx, 1, "", "would be written over"},
        {"a trace over the output", QStringList{"receive", "-o", Path("img.hex"), "--trace", Path("img.hex")} + ptmx, 1, "", "would be written over"},
        {"a trace over the journal", QStringList{"receive", "--trace", Path("journal.sqlite")} + ptmx, 1, "", "would be written over"},
        {"a read-only trace", QStringList{"receive", "--trace", Path("ro.trace")} + ptmx, 1, "", "(the file is read-only)"},
        {"no journal server", {"journal", "--journal", "postgresql://taplink@/taplink?host=" + Path("no-server")}, 8, "",
         "Cannot open the journal PostgreSQL"},
        {"no document kept", {"journal", "--get", "1", "-o", "-"}, 8, "", "transfer 1: it keeps no document"},
        {"no such transfer", {"journal", "--get", "99", "-o", Path("o99")}, 8, "", "there is no transfer 99"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Cli(c.args, c.outFile);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    EXPECT_NE(ReadAll(Path("main.ldx")).find("TOTALSTEPS 3\r\n00000000LD      X0001"),
              std::string::npos);
    EXPECT_EQ(ReadAll(Path("kept.ldx")), plc);
    EXPECT_EQ(ReadAll(Path("prog.txt")), "%12\r\nN0000 M30\r\n");
    EXPECT_EQ(ReadAll(Path("img.hex")), "ABCDEFGHIJ");
    EXPECT_EQ(ReadAll(Path("ro.trace")), "kept");
    // A row for each transfer that began, newest first; none for bad arguments.
    EXPECT_EQ(Journal(), (QStringList{"not ready", "port failure", "port failure", "refused"}));
}

// A name is taken byte for byte, UTF-8 or not (an ISO 8859-1 e acute here):
// written, and read again.
TEST_F(CliTest, NamesAreTakenByteForByte) {
    WriteAll(Path("main.ldx"), "x TOTALSTEPS 2\r\n00000000END1\r\nEND_PLC_ORGANIZATION");
    const Result r = RunProgram(
        "/bin/sh",
        {"-c",
         R"(cd "$1" && n=$(printf 'lat\351.txt') && "$0" convert main.ldx -o "$n" && "$0" hexdump "$n")",
         TAPLINK_CLI_PATH, dir_.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string name = dir_.path().toStdString() + "/lat\xE9.txt";
    std::ifstream f(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}),
              "%999\r\n00000002\r\n00000000END1\r\n");
    ::unlink(name.c_str());  // a name Qt cannot list, so cannot remove
    EXPECT_EQ(r.out.rfind("0000   25  39  39  39  0D  0A  30  30", 0), 0u) << r.out;
}

// Killed at any moment, a transfer leaves a started row that the next
// program to open the journal marks interrupted, never a half row. The
// moments are states of the transfer, not times: a loaded machine starts a
// sanitized program in seconds rather than milliseconds.
TEST_F(CliTest, AKilledTransferLeavesAnInterruptedRow) {
    enum Moment { AtStart, AtTheFirstRequest, AfterTenRequests, InTheFrame };
    for (const Moment moment : {AtStart, AtTheFirstRequest, AfterTenRequests, InTheFrame}) {
        SCOPED_TRACE(moment);
        // A line of its own (/dev/ptmx would share one lock file with the
        // other tests' receives), played by the test.
        testing::PtyPair line;
        QProcess cli;
        cli.start(QStringLiteral(TAPLINK_CLI_PATH),
                  {"receive", "--port", QString::fromStdString(line.SlavePath()), "--journal",
                   Path("journal.sqlite")});
        ASSERT_TRUE(cli.waitForStarted());
        // The row is written before the first byte; the receive then asks
        // every 5 ms until the controller answers.
        if (moment != AtStart) {
            const std::size_t requests = moment == AfterTenRequests ? 10 : 1;
            // Read on through the moments when the port set-up has the line closed.
            Bytes asked;
            testing::WaitFor(
                [&] {
                    const Bytes more = line.Read(std::chrono::milliseconds{5}, requests);
                    asked.insert(asked.end(), more.begin(), more.end());
                    return asked.size() >= requests;
                },
                std::chrono::seconds{60});
            ASSERT_GE(asked.size(), requests);
            EXPECT_EQ(asked, Bytes(asked.size(), 0x12));
        }
        // The start of a frame of 16 bytes: nothing the receive can end on.
        if (moment == InTheFrame) line.Write({0x11, 0x10, '%', '0', '1', '\r', '\n'});
        cli.kill();  // SIGKILL
        cli.waitForFinished();
    }
    const QStringList rows = Journal();
    // The kill at the start may come before the row.
    EXPECT_TRUE(rows.size() == 3 || rows.size() == 4) << rows.join(", ").toStdString();
    for (const QString& row : rows)
        EXPECT_EQ(row, "interrupted");
}

// A controller that holds the line with XOFF part-way through the frame: the
// send is not finished, and the program does not close its port, until
// every byte has left; then the controller has the whole frame.
TEST_F(CliTest, ASendHeldByXoffFinishesOnlyOnceItsLastByteIsOut) {
    testing::PtyPair line;
    const std::string text = "%01\r\n" + std::string(289, 'G') + "\r\n";  // a 301-byte frame
    WriteAll(Path("doc"), text);
    QProcess cli;
    cli.start(QStringLiteral(TAPLINK_CLI_PATH),
              {"send", Path("doc"), "--port", QString::fromStdString(line.SlavePath()),
               "--handshake", "xonxoff", "--journal", Path("journal.sqlite")});
    ASSERT_TRUE(cli.waitForStarted());
    // Takes what arrives until there are upTo bytes or the time is up, also
    // while the program has its end closed (it reopens the line once the
    // controller is ready); the program's output and state come in meanwhile.
    Bytes got;
    const auto take = [&](std::chrono::milliseconds within, std::size_t upTo) {
        QElapsedTimer t;
        for (t.start(); got.size() < upTo && t.elapsed() < within.count();) {
            const Bytes part =
                line.Read(20ms, upTo - got.size(), [] { QCoreApplication::processEvents(); });
            got.insert(got.end(), part.begin(), part.end());
            if (part.empty()) QThread::msleep(1);  // a closed end answers at once
        }
    };
    // Ready until the frame begins (what comes before the program opened the
    // line is dropped), XOFF after 100 bytes; long after the pacing's 0.6 s,
    // what was on its way has come.
    QElapsedTimer waited;
    for (waited.start(); got.empty() && waited.elapsed() < 10000;) {
        line.Write({0x12});
        take(100ms, 1);
    }
    take(5000ms, 100);
    line.Write({0x13});
    take(1500ms, SIZE_MAX);
    EXPECT_LT(got.size(), 301u);
    EXPECT_EQ(cli.state(), QProcess::Running);
    std::string said = cli.readAllStandardError().toStdString();
    EXPECT_EQ(said.find("finished"), std::string::npos) << said;
    line.Write({0x11});  // XON
    take(5000ms, 301);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    said += cli.readAllStandardError().toStdString();
    EXPECT_NE(said.find("Data transmission be finished!"), std::string::npos) << said;
    sim::ControllerSim controller({});  // it reads the frame
    controller.Start(0ms);
    controller.OnBytes(got, 0ms);
    EXPECT_TRUE(controller.Taken()) << controller.Status();
    EXPECT_EQ(controller.Received(), Bytes(text.begin(), text.end()));
}

// PostgreSQL stopped while a send waits for the controller: the program
// tries the end again for a few seconds, connecting anew, so that a server
// back by then has it at once; one still away has it from the next program
// to open the journal, as late, and never as interrupted.
TEST_F(CliTest, ASendWhoseJournalStopsMeanwhileIsNeverInterrupted) {
    testing::PostgresServer* server = nullptr;
    TAPLINK_SHARED_POSTGRES(server);
    const std::string text = "%01\r\nN0000 M30\r\n";
    WriteAll(Path("doc"), text);
    // clang-format off
    struct Case { const char* name; bool backWithinItsTries; const char* said; QString message; };
    const Case cases[] = {
        {"back within its tries", true, "", "Data transmission be finished!"},
        {"back after it ended", false, "could not record the end of transfer 1 (done); it is kept on this computer",
         QStringLiteral("Data transmission be finished!\nRecorded late: the journal could not be written when the transfer ended.")},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString journal = QString::fromStdString(server->CreateDatabase());
        testing::PtyPair line;
        QProcess cli;
        cli.start(QStringLiteral(TAPLINK_CLI_PATH),
                  {"send", Path("doc"), "--port", QString::fromStdString(line.SlavePath()),
                   "--journal", journal});
        const auto rows = [&] {
            const Result r = Cli({"journal", "--json", "--journal", journal});
            return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
        };
        ASSERT_TRUE(testing::WaitFor([&] { return rows().size() == 1; }, 30s));
        server->Stop();
        Bytes got;
        QElapsedTimer waited;
        for (waited.start(); got.size() < text.size() + 5 && waited.elapsed() < 20000;) {
            if (got.empty()) line.Write({0x12});
            const Bytes part = line.Read(50ms, text.size() + 5 - got.size());
            got.insert(got.end(), part.begin(), part.end());
        }
        ASSERT_EQ(got.size(), text.size() + 5);
        if (c.backWithinItsTries) server->Start();
        ASSERT_TRUE(cli.waitForFinished(20000));
        if (!c.backWithinItsTries) server->Start();
        EXPECT_EQ(cli.exitCode(), 0);
        const std::string said = cli.readAllStandardError().toStdString();
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        const QJsonArray written = rows();
        ASSERT_EQ(written.size(), 1);
        EXPECT_EQ((written[0]["outcome"].toString() + "|" + written[0]["message"].toString())
                      .toStdString(),
                  ("done|" + c.message).toStdString());
    }
}

// Every program answers --help and --version alike, on standard output and
// without a display; the window program says in one line why it cannot open
// otherwise.
TEST(EveryProgram, AnswersHelpAndVersionAlike) {
    const std::pair<const char*, std::string> programs[] = {
        {TAPLINK_APP_PATH, "taplink"},
        {TAPLINK_CLI_PATH, "taplink-cli"},
        {TAPLINK_SIM_PATH, "taplink-sim"},
        {TAPLINK_STATION_PATH, "taplink-station"}};
    for (const auto& [path, name] : programs) {
        for (const char* option : {"--help", "-h", "--version", "-v"}) {
            SCOPED_TRACE(name + " " + option);
            const Result r = RunProgram(path, {option});
            EXPECT_EQ(r.code, 0) << r.err;
            EXPECT_EQ(r.err, "");
            if (std::string_view(option).find('v') != std::string_view::npos) {
                EXPECT_EQ(r.out, name + " 6.4.0\n");
            } else {
                EXPECT_TRUE(std::regex_search(r.out, std::regex("^Usage: \\S*" + name + " ")))
                    << r.out;
            }
        }
        if (name == "taplink-sim") continue;
        // A language is one of the catalogues', or the program says which.
        SCOPED_TRACE(name + " --language");
        const Result bad = RunProgram(path, {"--language", "zh", "--help"});
        EXPECT_NE(bad.code, 0);
        EXPECT_NE(bad.err.find("unknown language \"zh\" (use original, en, zh_CN or system)"),
                  std::string::npos)
            << bad.err;
        // Each program carries its catalogues: its help in the language asked for.
        const Result chinese = RunProgram(path, {"--language=zh_CN", "--help"});
        EXPECT_EQ(chinese.code, 0) << chinese.err;
        EXPECT_NE(chinese.out.find("用法："), std::string::npos) << chinese.out;
    }
    // A command's help gives every default, whatever the wrapping.
    const std::string help = std::regex_replace(
        RunProgram(TAPLINK_CLI_PATH, {"send", "--help"}).out, std::regex("\\s+"), " ");
    for (const char* shown : {"(default: r40)", "(default: 9600,N,8,1)", "(default: none)",
                              "(default: 11)", "(default: 12)", "(default: 1)"}) {
        EXPECT_NE(help.find(shown), std::string::npos) << shown << " in " << help;
    }
    const Result window = RunProgram(TAPLINK_APP_PATH, {});
    EXPECT_EQ(window.code, 1);
    EXPECT_EQ(window.err.rfind("taplink: no display to open the window on", 0), 0u) << window.err;
}

}  // namespace
}  // namespace taplink
