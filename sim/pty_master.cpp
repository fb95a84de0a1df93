#include "pty_master.h"

#include <algorithm>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace taplink::sim {
namespace {

void MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &tio);
}

// Settings no program opening a serial port keeps: 50 bit/s, and reads
// that wait for 42 bytes or 4.2 s.
void MarkUnopened(int master) {
    termios tio{};
    if (::tcgetattr(master, &tio) != 0) return;
    ::cfsetispeed(&tio, B50);
    ::cfsetospeed(&tio, B50);
    tio.c_cc[VMIN] = 42;
    tio.c_cc[VTIME] = 42;
    ::tcsetattr(master, TCSANOW, &tio);
}

}  // namespace

PtyPeer::PtyPeer(int master) : master_(master) {}

bool PtyPeer::SettingsChanged() const {
    termios tio{};
    if (::tcgetattr(master_, &tio) != 0) return false;
    return ::cfgetospeed(&tio) != B50 || tio.c_cc[VMIN] != 42 || tio.c_cc[VTIME] != 42;
}

bool PtyPeer::Update(short revents, bool bytesCame) {
    const bool hup = (revents & POLLHUP) != 0;
    switch (state_) {
        case State::NeverOpened:
            if (bytesCame || SettingsChanged()) {
                state_ = State::Open;
            } else if (hup) {
                state_ = State::HungUp;
            }
            break;
        case State::HungUp:
            if (bytesCame || !hup || SettingsChanged()) state_ = State::Open;
            break;
        case State::Open:
            if (hup) state_ = State::Closed;
            break;
        case State::Closed:
            if (bytesCame || !hup) state_ = State::Open;
            break;
    }
    return IsOpen();
}

PtyMaster OpenPtyMaster(std::string* why) {
    PtyMaster m;
    m.fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m.fd < 0 || ::grantpt(m.fd) != 0 || ::unlockpt(m.fd) != 0) {
        if (why) *why = std::string("no pseudo-terminal: ") + std::strerror(errno);
        if (m.fd >= 0) ::close(m.fd);
        m.fd = -1;
        return m;
    }
    const char* name = ::ptsname(m.fd);
    m.slavePath = name ? name : "";
    MakeRaw(m.fd);
    MarkUnopened(m.fd);
    return m;
}

int OpenSerialDevice(const std::string& path, std::string* why) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (why) *why = "cannot open " + path + ": " + std::strerror(errno);
        return -1;
    }
    MakeRaw(fd);
    return fd;
}

int ListenTcp(const std::string& host, int port, int* actualPort, std::string* why) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (why) *why = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        if (why) *why = "not an IPv4 address: " + host;
        ::close(fd);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 1) != 0) {
        if (why)
            *why = "cannot listen on " + host + ":" + std::to_string(port) + ": " +
                   std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    if (actualPort) *actualPort = ntohs(addr.sin_port);
    return fd;
}

int AcceptClient(int listener) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

ReadResult ReadSome(int fd, Bytes& into) {
    std::uint8_t buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
        into.insert(into.end(), buf, buf + n);
        return ReadResult::Data;
    }
    if (n == 0) return ReadResult::PeerClosed;
    if (errno == EAGAIN || errno == EINTR) return ReadResult::Nothing;
    if (errno == EIO) return ReadResult::PeerClosed;
    return ReadResult::Failed;
}

std::size_t WriteSome(int fd, const Bytes& bytes, std::size_t from, std::size_t most) {
    if (from >= bytes.size() || most == 0) return 0;
    const ssize_t n = ::write(fd, bytes.data() + from, std::min(most, bytes.size() - from));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace taplink::sim
