// Memory under a flood: each program is started on a pseudo-terminal, the
// other end writes bytes at it as fast as the line takes them for a while,
// and the program's peak resident memory is printed. Run under a display
// for the window (xvfb-run). Usage: flood_bench [SECONDS] (default 10).
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The peak resident set of a running process, in MiB (VmHWM).
double PeakMiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return -1;
}

int OpenMaster(std::string* slave) {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) return -1;
    *slave = ptsname(fd);
    return fd;
}

// Writes the pattern at fd for `seconds`, draining whatever comes back and
// watching the process's peak memory (*peak, MiB); returns the bytes written.
std::size_t Flood(int fd, const std::vector<unsigned char>& pattern, int seconds, qint64 pid,
                  double* peak) {
    QElapsedTimer t;
    t.start();
    std::size_t written = 0;
    std::vector<unsigned char> sink(65536);
    *peak = 0;
    qint64 sampled = -1000;
    while (t.elapsed() < seconds * 1000) {
        if (t.elapsed() - sampled >= 100) {
            sampled = t.elapsed();
            *peak = std::max(*peak, PeakMiB(pid));
        }
        pollfd p{fd, POLLOUT | POLLIN, 0};
        poll(&p, 1, 10);
        if (p.revents & POLLIN) (void)!read(fd, sink.data(), sink.size());
        if (p.revents & POLLOUT) {
            const ssize_t n = write(fd, pattern.data(), pattern.size());
            if (n > 0) written += static_cast<std::size_t>(n);
        }
    }
    return written;
}

void Run(const char* name, const QString& program, QStringList args,
         const std::vector<unsigned char>& pattern, int seconds) {
    std::string slave;
    const int fd = OpenMaster(&slave);
    if (fd < 0) {
        std::printf("%s: no pseudo-terminal\n", name);
        return;
    }
    args.replaceInStrings("PORT", QString::fromStdString(slave));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    p.waitForStarted();
    usleep(500000);  // let it open the line
    double peak = 0;
    const std::size_t bytes = Flood(fd, pattern, seconds, p.processId(), &peak);
    const bool alive = !p.waitForFinished(0);
    p.kill();
    p.waitForFinished(3000);
    close(fd);
    if (alive) {
        std::printf("%s: %.1f MiB written in %d s, peak resident %.1f MiB\n", name,
                    static_cast<double>(bytes) / (1 << 20), seconds, peak);
    } else {
        std::printf("%s: ended by itself, %.1f MiB taken, peak resident %.1f MiB\n", name,
                    static_cast<double>(bytes) / (1 << 20), peak);
    }
}

// The simulator makes its own pseudo-terminal and prints the end for
// TapLink: the flood goes in there, as a TapLink gone wrong would send it.
void RunSim(const QString& program, const std::vector<unsigned char>& pattern, int seconds) {
    QProcess p;
    p.start(program, {"--model", "r40", "--role", "input", "--delay", "0"});
    p.waitForStarted();
    if (!p.waitForReadyRead(5000)) return;
    const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
    const std::string path = line.mid(line.indexOf('/')).toStdString();
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        std::printf("taplink-sim: cannot open %s\n", path.c_str());
        return;
    }
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    double peak = 0;
    const std::size_t bytes = Flood(fd, pattern, seconds, p.processId(), &peak);
    std::printf("taplink-sim r40 input: %.1f MiB written in %d s, peak resident %.1f MiB%s\n",
                static_cast<double>(bytes) / (1 << 20), seconds, peak,
                p.state() == QProcess::Running ? "" : " (ended)");
    p.kill();
    p.waitForFinished(3000);
    close(fd);
}

std::vector<unsigned char> Noise() {
    std::vector<unsigned char> v(4096);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<unsigned char>(0x30 + i % 7);  // no pairs, no ready byte
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const QString dir = QCoreApplication::applicationDirPath() + "/..";
    const QString cli = dir + "/bin/taplink-cli";
    const auto noise = Noise();
    const QString doc = QStringLiteral("/tmp/taplink-flood-doc.txt");
    std::ofstream(doc.toStdString()) << "%123\r\nG00 X1\r\n";
    std::vector<unsigned char> r40(4096, 'A');
    r40[0] = 0x11;
    r40[1] = 0xFF;
    r40[2] = 0xFF;  // a document frame announcing 65,535 bytes, then more
    Run("taplink-cli send r40 (waiting for the ready byte)", cli,
        {"send", doc, "--model", "r40", "--port", "PORT"}, noise, seconds);
    Run("taplink-cli send r80 (waiting for the pair)", cli,
        {"send", doc, "--model", "r80", "--port", "PORT"}, noise, seconds);
    Run("taplink-cli receive r40 (a frame and more)", cli,
        {"receive", "--model", "r40", "--port", "PORT", "-o", "/dev/null"}, r40, seconds);
    RunSim(dir + "/bin/taplink-sim", r40, seconds);
    Run("taplink (window, r80, idle)", dir + "/bin/taplink", {"--port", "PORT", "--model", "r80"},
        noise, seconds);
    return 0;
}
