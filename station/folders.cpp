#include "folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace taplink {
namespace {

constexpr int kMaxAttempts = 1000;
constexpr qsizetype kLongestName = 255 - 4;  // NAME_MAX, less ".why"

std::string SystemReason() {
    return std::strerror(errno);
}

// A rename or a new name in a folder survives a power cut only once the
// folder itself is synced.
void SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A hidden file next to where the document goes, written and synced.
std::string WriteHidden(const QString& hidden, const std::string& bytes) {
    const QByteArray name = QFile::encodeName(hidden);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return SystemReason();
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        const std::string why = SystemReason();
        ::close(fd);
        ::unlink(name.constData());
        return why;
    }
    ::close(fd);
    return {};
}

}  // namespace

OutboxPick PickOutboxDocument(const QString& outbox, const QDateTime& now) {
    OutboxPick pick;
    QDateTime oldest;
    // Pipes, devices and broken links too: Send refuses them, with why, and
    // they leave the outbox rather than sit there unseen.
    const QFileInfoList files =
        QDir(outbox).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& f : files) {
        if (f.fileName().startsWith(QLatin1Char('.'))) continue;
        // A broken link has no time of its own: it has long settled.
        const QDateTime modified =
            f.exists() ? f.lastModified() : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
        const qint64 age = modified.msecsTo(now);
        if (age < kSettleMs) {
            const qint64 wait = kSettleMs - std::max<qint64>(age, 0);
            pick.settlesInMs = std::min(pick.settlesInMs.value_or(wait), wait);
            continue;
        }
        if (pick.path.isEmpty() || modified < oldest) {
            pick.path = f.absoluteFilePath();
            oldest = modified;
        }
    }
    return pick;
}

QString TimedName(const QString& stem, const QString& extension, const QDateTime& when,
                  int attempt) {
    QString tail = QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (attempt > 1) tail += QLatin1Char('-') + QString::number(attempt);
    if (!extension.isEmpty()) tail += QLatin1Char('.') + extension;
    // A long name gives up the end of its stem (whole characters), leaving
    // room for the ".why" beside a refused document.
    QString cut = stem;
    while (!cut.isEmpty() && QFile::encodeName(cut + tail).size() > kLongestName) {
        cut.chop(cut.size() > 1 && cut.back().isLowSurrogate() ? 2 : 1);
    }
    return cut + tail;
}

Placed MoveInto(const QString& file, const QString& folder, const QDateTime& when) {
    const QFileInfo info(file);
    const QByteArray from = QFile::encodeName(file);
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const QString to =
            QDir(folder).filePath(TimedName(info.completeBaseName(), info.suffix(), when, attempt));
        // Never over another file: a rename that would replace one fails.
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                        RENAME_NOREPLACE) == 0) {
            SyncFolder(folder);
            SyncFolder(info.absolutePath());
            return {to, {}};
        }
        if (errno != EEXIST) return {{}, SystemReason()};
    }
    return {{}, "too many files of that name and second"};
}

Placed WriteInto(const QString& folder, const QString& stem, const QString& extension,
                 const std::string& bytes, const QDateTime& when, bool asNamed) {
    const QString hidden = QDir(folder).filePath(QStringLiteral(".%1.part").arg(stem));
    if (std::string why = WriteHidden(hidden, bytes); !why.empty()) return {{}, why};
    const QByteArray from = QFile::encodeName(hidden);
    for (int attempt = asNamed ? 0 : 1; attempt <= kMaxAttempts; ++attempt) {
        const QString to = QDir(folder).filePath(
            attempt == 0 ? (extension.isEmpty() ? stem : stem + QLatin1Char('.') + extension)
                         : TimedName(stem, extension, when, attempt));
        // A link fails rather than replace a file; the hidden name goes after.
        if (::link(from.constData(), QFile::encodeName(to).constData()) == 0) {
            ::unlink(from.constData());
            SyncFolder(folder);
            return {to, {}};
        }
        if (errno != EEXIST) {
            const std::string why = SystemReason();
            ::unlink(from.constData());
            return {{}, why};
        }
    }
    ::unlink(from.constData());
    return {{}, "too many files of that name and second"};
}

std::string WriteWhole(const QString& path, const std::string& bytes) {
    const QFileInfo info(path);
    // ".NAME.part", NAME cut (whole characters) to fit.
    QString name = info.fileName();
    while (name.size() > 1 && QFile::encodeName(name).size() > kLongestName - 2)
        name.chop(name.back().isLowSurrogate() ? 2 : 1);
    const QString hidden = info.absoluteDir().filePath(QLatin1Char('.') + name + ".part");
    if (std::string why = WriteHidden(hidden, bytes); !why.empty()) return why;
    if (::rename(QFile::encodeName(hidden).constData(), QFile::encodeName(path).constData()) != 0) {
        const std::string why = SystemReason();
        ::unlink(QFile::encodeName(hidden).constData());
        return why;
    }
    SyncFolder(info.absolutePath());
    return {};
}

}  // namespace taplink
