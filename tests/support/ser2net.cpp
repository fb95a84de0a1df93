#include "ser2net.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace taplink::testing {
namespace {

// Whether something listens on the loopback port: read from the kernel's
// table, since connecting would make ser2net open the device.
bool Listening(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    char want[32];
    std::snprintf(want, sizeof want, "0100007F:%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == want && state == "0A") return true;
    }
    return false;
}

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    return a;
}

}  // namespace

int ListenOnLoopback(int* port, int receiveBuffer) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("no free loopback port");
    }
    *port = ntohs(a.sin_port);
    return fd;
}

int ConnectToLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = Loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

bool HaveSer2net() {
    return std::system("command -v ser2net >/dev/null 2>&1") == 0;
}

Ser2net::Ser2net(const std::string& device) {
    char dir[] = "/tmp/taplink-ser2net-XXXXXX";
    if (!::mkdtemp(dir)) throw std::runtime_error("no scratch folder for ser2net");
    dir_ = dir;
    // Ports nobody listens on now, the two held until both are found.
    const int raw = ListenOnLoopback(&rawPort_), telnet = ListenOnLoopback(&telnetPort_);
    ::close(raw);
    ::close(telnet);
    const std::string config = dir_ + "/ser2net.yaml";
    std::ofstream(config) << "connection: &raw\n"
                          << "  accepter: tcp,127.0.0.1," << rawPort_ << "\n"
                          << "  connector: serialdev," << device << ",9600n81,local\n"
                          << "connection: &telnet\n"
                          << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << telnetPort_ << "\n"
                          << "  connector: serialdev," << device << ",9600n81,local\n";
    const std::string pidFile = dir_ + "/ser2net.pid";
    const std::string log = dir_ + "/ser2net.log";
    pid_ = ::fork();
    if (pid_ == 0) {
        std::freopen(log.c_str(), "w", stdout);
        std::freopen(log.c_str(), "a", stderr);
        ::execlp("ser2net", "ser2net", "-n", "-d", "-l", "-l", "-u", "-P", pidFile.c_str(), "-c",
                 config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0) throw std::runtime_error("cannot start ser2net");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(Listening(rawPort_) && Listening(telnetPort_))) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("ser2net ended at start; see " + log);
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Kill();
            throw std::runtime_error("ser2net did not listen within 10 s; see " + log);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string Ser2net::Log() const {
    std::ifstream f(dir_ + "/ser2net.log");
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void Ser2net::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

Ser2net::~Ser2net() {
    Kill();
    std::system(("rm -rf '" + dir_ + "'").c_str());
}

}  // namespace taplink::testing
