#include "file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

namespace taplink {
namespace {

constexpr char kTempMark[] = ".taplink-tmp-";
constexpr std::size_t kTempSuffix = 6;
// The temporary's name beyond the file's own: '.', the mark, the suffix.
constexpr std::size_t kTempExtra = 1 + sizeof kTempMark - 1 + kTempSuffix;
constexpr int kMaxLinks = 40;  // as the kernel's own limit, then ELOOP

std::string Reason(int error = errno) {
    return std::strerror(error);
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

// "dir/" (empty for the current folder) and "name" of a path.
std::pair<std::string, std::string> Split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The temporary's name without its random suffix: ".NAME.taplink-tmp-". A
// NAME too long for that keeps as much of itself as fits with a hash of the
// whole of it, so that two long names that begin alike still have temporaries
// of their own. The cut never splits a UTF-8 character.
std::string TempPrefix(const std::string& name) {
    if (name.size() + kTempExtra <= NAME_MAX) return "." + name + kTempMark;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char c : name)
        hash = (hash ^ c) * 1099511628211ull;
    char mark[18];
    std::snprintf(mark, sizeof mark, "~%016llx", static_cast<unsigned long long>(hash));
    std::size_t keep = NAME_MAX - kTempExtra - (sizeof mark - 1);
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return "." + name.substr(0, keep) + mark + kTempMark;
}

// The file that a save really replaces: the path with its symbolic links
// followed, also to a target that does not exist yet, so that the link
// itself is never replaced by a plain file.
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

std::optional<std::string> Resolve(std::string path, Target* t) {
    for (int links = 0; links <= kMaxLinks; ++links) {
        if (::lstat(path.c_str(), &t->st) != 0) {
            if (errno != ENOENT) return Reason();
            t->path = path;
            return std::nullopt;
        }
        if (!S_ISLNK(t->st.st_mode)) {
            t->path = path;
            t->exists = true;
            return std::nullopt;
        }
        std::string to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
        if (n < 0) return Reason();
        to.resize(static_cast<std::size_t>(n));
        path = to.front() == '/' ? to : Split(path).first + to;
    }
    return Reason(ELOOP);
}

// Temporaries of this file left by a run that was killed: nobody else
// names a file so, and a save in progress of the same file is ruled out.
void RemoveStaleTemps(const std::string& dir, const std::string& prefix) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() == prefix.size() + kTempSuffix &&
            name.compare(0, prefix.size(), prefix) == 0)
            ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

// Creates the temporary with O_EXCL rather than mkstemp so that the kernel
// applies the umask (and a folder's default ACL) to a new file, as it would
// for a plain open.
int CreateTemp(const std::string& stem, mode_t mode, std::string* temp) {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 pick(
        std::random_device{}() ^ static_cast<unsigned>(::getpid()) ^
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<std::size_t> any(0, sizeof kChars - 2);
    for (int tries = 0; tries < 100; ++tries) {
        *temp = stem;
        for (std::size_t i = 0; i < kTempSuffix; ++i)
            *temp += kChars[any(pick)];
        const int fd = ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// The careful writer's fallback, for a file whose folder takes no new name:
// the space is claimed before the old contents are touched, so that a full
// disk refuses the save with the file as it was.
std::optional<std::string> OverwriteInPlace(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Reason();
    const auto fail = [fd] {
        const std::string why = Reason();
        ::close(fd);
        return why;
    };
    const auto size = static_cast<off_t>(bytes.size());
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        return fail();
    }
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, bytes) || ::ftruncate(fd, size) != 0 ||
        ::fsync(fd) != 0) {
        return fail();
    }
    if (::close(fd) != 0) return Reason();
    return std::nullopt;
}

// A device or a pipe cannot be replaced by a rename: it takes the bytes as
// they come.
std::optional<std::string> WriteInPlace(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return Reason();
    if (!WriteAll(fd, bytes)) {
        const std::string why = Reason();
        ::close(fd);
        return why;
    }
    if (::close(fd) != 0) return Reason();
    return std::nullopt;
}

}  // namespace

namespace {

// What a file that is not a regular one is, for the reason of a refusal.
const char* KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Why a file cannot be read as a document, or nothing when it can.
std::optional<std::string> Unreadable(const struct stat& st, std::size_t limit) {
    if (S_ISDIR(st.st_mode)) return Reason(EISDIR);
    if (!S_ISREG(st.st_mode)) return std::string("it is ") + KindOf(st.st_mode) + ", not a file";
    if (static_cast<std::uintmax_t>(st.st_size) > limit) {
        return "it is " + std::to_string(st.st_size) +
               " bytes long, longer than any document can be (" + std::to_string(limit) +
               " bytes at most)";
    }
    return std::nullopt;
}

}  // namespace

FileRead ReadFileBytes(const std::string& path, std::size_t limit) {
    FileRead r;
    const auto refuse = [&r](std::string why, int code) {
        r.error = std::move(why);
        r.errorCode = code;
        return r;
    };
    // Looked at before it is opened: opening a device can do things.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return refuse(Reason(), errno);
    if (auto why = Unreadable(st, limit)) return refuse(*why, S_ISDIR(st.st_mode) ? EISDIR : 0);
    // Not blocking, and looked at again, in case a pipe took its place.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refuse(Reason(), errno);
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        return refuse(Reason(code), code);
    }
    if (auto why = Unreadable(st, limit)) {
        ::close(fd);
        return refuse(*why, 0);
    }
    r.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            r.bytes.clear();
            return refuse(Reason(code), code);
        }
        if (n == 0) break;
        r.bytes.append(buf, static_cast<std::size_t>(n));
        // A file that grows while it is read.
        if (r.bytes.size() > limit) {
            ::close(fd);
            st.st_size = static_cast<off_t>(r.bytes.size());
            r.bytes.clear();
            return refuse(*Unreadable(st, limit), 0);
        }
    }
    ::close(fd);
    r.ok = true;
    return r;
}

std::optional<std::string> WriteFileBytes(const std::string& path, const std::string& bytes) {
    Target t;
    if (auto why = Resolve(path, &t)) return why;
    if (t.exists) {
        if (S_ISDIR(t.st.st_mode)) return Reason(EISDIR);
        if (!S_ISREG(t.st.st_mode)) return WriteInPlace(t.path, bytes);
        // Root may write anything; a file without a single write bit was
        // made read-only by someone, and a save must not undo that.
        if ((t.st.st_mode & 0222) == 0) return Reason(EACCES);
        // The rename below needs only the folder's permission: ask for the
        // file's, as an in-place write would.
        if (::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0) return Reason();
    }

    const auto [dir, name] = Split(t.path);
    const std::string prefix = TempPrefix(name);
    RemoveStaleTemps(dir, prefix);

    // A folder that takes no new name, holding a file that may be written.
    const auto folderRefused = [&t] { return t.exists && (errno == EACCES || errno == EPERM); };
    std::string temp;
    const int fd = CreateTemp(dir + prefix, t.exists ? 0600 : 0666, &temp);
    if (fd < 0) return folderRefused() ? OverwriteInPlace(t.path, bytes) : Reason();
    const auto fail = [&](bool open) {
        const std::string why = Reason();
        if (open) ::close(fd);
        ::unlink(temp.c_str());
        return why;
    };
    if (t.exists) {
        // Owner first: a change of owner clears the set-id bits that the
        // mode then restores. Only root may give a file away; others save
        // it as their own, as an editor would.
        mode_t mode = t.st.st_mode & 07777;
        if (::fchown(fd, t.st.st_uid, t.st.st_gid) != 0) {
            if (errno != EPERM) return fail(true);
            mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);  // not onto the saver's own file
        }
        if (::fchmod(fd, mode) != 0) return fail(true);
    }
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) return fail(true);
    if (::close(fd) != 0) return fail(false);
    if (::rename(temp.c_str(), t.path.c_str()) != 0) {
        // A sticky folder (/tmp) lets only the file's owner replace it.
        const int code = errno;
        ::unlink(temp.c_str());
        errno = code;
        return folderRefused() ? OverwriteInPlace(t.path, bytes) : Reason(code);
    }

    // Makes the rename itself survive a power cut. The new contents are in
    // place whatever this says, so a failure here is not reported as a
    // failed save.
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return std::nullopt;
}

}  // namespace taplink
