#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace taplink {
namespace {

std::string Reason() {
    return std::strerror(errno);
}

// Writes all of the bytes to fd; false with errno set on failure.
bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FileRead ReadFileBytes(const std::string& path) {
    FileRead r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.error = Reason();
        return r;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.error = Reason();
            ::close(fd);
            return r;
        }
        if (n == 0) break;
        r.bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    r.ok = true;
    return r;
}

std::optional<std::string> WriteFileBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return Reason();
    if (!WriteAll(fd, bytes)) {
        const std::string why = Reason();
        ::close(fd);
        return why;
    }
    if (::close(fd) != 0) return Reason();
    return std::nullopt;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Reason();
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const auto fail = [&] {
        const std::string why = Reason();
        ::close(fd);
        ::unlink(temp.c_str());
        return why;
    };
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) return fail();
    if (::close(fd) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        return why;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        return why;
    }
    return std::nullopt;
}

}  // namespace taplink
