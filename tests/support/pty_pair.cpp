#include "pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace taplink::testing {

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal available");
    }
    const char* name = ::ptsname(master_);
    if (!name) throw std::runtime_error("no pseudo-terminal name");
    slavePath_ = name;
    // Raw from the start, so that nothing is echoed or translated before the
    // program under test opens its end.
    termios tio{};
    ::tcgetattr(master_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    CloseMaster();
}

void PtyPair::Write(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to pseudo-terminal failed");
        } else {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

Bytes PtyPair::Read(std::chrono::milliseconds within, std::size_t want,
                    const std::function<void()>& pump) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + within;
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        if (pump) pump();
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0) continue;
        std::uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) got.insert(got.end(), buf, buf + n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return got;
}

bool PtyPair::SlaveOpen() const {
    pollfd p{master_, 0, 0};
    ::poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

void PtyPair::CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace taplink::testing
