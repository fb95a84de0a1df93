#include "file_args.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace taplink {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at s[i], or 0 when there is none.
std::size_t Utf8Length(const std::string& s, std::size_t i, char32_t* code) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = at(i);
    std::size_t n = 0;
    char32_t c = 0, least = 0;
    if (b < 0x80) {
        *code = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        n = 2, c = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, c = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, c = b & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) return 0;
        c = c << 6 | (at(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and what lies past Unicode are no UTF-8.
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *code = c;
    return n;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The place a name stands for: its folder with links followed, and the name.
std::string Place(const std::string& path) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string r = real;
        std::free(real);
        return r;
    }
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real) return path;
    std::string r = std::string(real) + "/" + name;
    std::free(real);
    return r;
}

// Standard output as a file descriptor behind a buffer that keeps the
// reason of the first failed write, and drops what comes after it.
class StdoutBuffer : public std::streambuf {
  public:
    StdoutBuffer() { setp(buf_, buf_ + sizeof buf_); }
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (Drain() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Drain(); }

  private:
    int Drain() {
        const char* p = pbase();
        while (error_ == 0 && p < pptr()) {
            const ssize_t n = ::write(STDOUT_FILENO, p, static_cast<std::size_t>(pptr() - p));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error_ = errno;
            if (n > 0) p += n;
        }
        setp(buf_, buf_ + sizeof buf_);
        return error_ == 0 ? 0 : -1;
    }

    char buf_[1 << 16];
    int error_ = 0;
};

StdoutBuffer* g_stdout = nullptr;
bool g_stdoutFailureSaid = false;

// Why standard output failed, or 0 when it has not (so far).
int StdoutError() {
    std::cout.flush();
    if (g_stdout && g_stdout->error() != 0) return g_stdout->error();
    // What the C library wrote for others (a parser's help text).
    if (std::fflush(stdout) != 0) return errno != 0 ? errno : EIO;
    if (std::ferror(stdout)) return EIO;
    return 0;
}

bool SayStdoutFailure() {
    const int error = StdoutError();
    if (error == 0 || g_stdoutFailureSaid) return error != 0;
    g_stdoutFailureSaid = true;
    std::cerr << "taplink-cli: cannot write to standard output: " << std::strerror(error) << "\n";
    return true;
}

}  // namespace

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        const std::string bytes = argv[i];
        std::string utf8;
        QString arg;
        for (std::size_t k = 0; k < bytes.size();) {
            char32_t c = 0;
            const std::size_t n = Utf8Length(bytes, k, &c);
            if (n == 0) {
                arg += QString::fromUtf8(utf8);
                utf8.clear();
                arg += QChar(
                    static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[k])));
                ++k;
                continue;
            }
            utf8.append(bytes, k, n);
            k += n;
        }
        args << arg + QString::fromUtf8(utf8);
    }
    return args;
}

std::string PathOf(const QString& argument) {
    std::string out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const char16_t u = argument[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < argument.size() &&
            argument[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, argument[i + 1].unicode()));
            ++i;
        } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            out += static_cast<char>(u - kEscapeBase);
        } else if (QChar::isSurrogate(u)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return Place(a) == Place(b);
}

std::string PartPath(const std::string& path) {
    constexpr std::string_view kPart = ".part";
    const auto slash = path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t end = path.size();
    if (end - start + kPart.size() > NAME_MAX) end = start + NAME_MAX - kPart.size();
    while (end > start && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80)
        --end;
    return path.substr(0, end) + std::string(kPart);
}

std::string KeepReceived(const std::string& bytes, const std::string& extension, std::string* why) {
    QStringList folders;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) folders << data + QStringLiteral("/taplink/kept");
    folders << QDir::tempPath();
    const std::string stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    *why = "no folder to keep it in";
    for (const QString& folder : folders) {
        if (!QDir().mkpath(folder)) {
            *why = "the folder " + folder.toStdString() + " cannot be made";
            continue;
        }
        for (int attempt = 1; attempt < 1000; ++attempt) {
            const std::string path = QFile::encodeName(folder).toStdString() + "/received_" +
                                     stamp + (attempt > 1 ? "-" + std::to_string(attempt) : "") +
                                     "." + extension;
            // Never over another file.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 && errno == EEXIST) continue;
            if (fd < 0) {
                *why = path + ": " + std::strerror(errno);
                break;
            }
            std::size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) break;
                done += static_cast<std::size_t>(n);
            }
            const bool whole = done == bytes.size() && ::fsync(fd) == 0;
            const int error = errno;
            if (::close(fd) == 0 && whole) return path;
            *why = path + ": " + std::strerror(whole ? errno : error);
            ::unlink(path.c_str());
            break;
        }
    }
    return {};
}

void GuardStdout() {
    static StdoutBuffer buffer;
    g_stdout = &buffer;
    std::cout.rdbuf(&buffer);
    // A parser that prints its help and calls exit() is checked too.
    std::atexit([] {
        if (!g_stdoutFailureSaid && SayStdoutFailure()) ::_exit(1);
    });
}

bool WriteStdout(const char* data, std::size_t size) {
    std::cout.write(data, static_cast<std::streamsize>(size));
    return !SayStdoutFailure();
}

}  // namespace taplink
