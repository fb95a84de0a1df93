#include "users.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace taplink {
namespace {

// OWASP's Argon2id floor (19 MiB, 2 passes): a login costs tens of
// milliseconds and the program stays small, one hash at a time on its loop.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u << 20;

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray Hash(const QByteArray& password) {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.constData(),
                          static_cast<unsigned long long>(password.size()), kOpsLimit,
                          kMemLimit) != 0) {
        return {};
    }
    return QByteArray(out);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

QString RoleText(Role r) {
    switch (r) {
        case Role::Viewer: return QStringLiteral("viewer");
        case Role::Operator: return QStringLiteral("operator");
        case Role::Admin: return QStringLiteral("admin");
    }
    return {};
}

std::optional<Role> RoleFromText(const QString& text) {
    for (Role r : {Role::Viewer, Role::Operator, Role::Admin}) {
        if (text == RoleText(r)) return r;
    }
    return std::nullopt;
}

bool GoodUserName(const QString& name) {
    static const QRegularExpression good(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    return good.match(name).hasMatch();
}

bool StartSodium() {
    return sodium_init() >= 0;
}

std::optional<std::vector<User>> ReadUsers(const QString& file, QString* why) {
    std::vector<User> users;
    QFile f(file);
    if (!f.exists()) return users;
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("%1: cannot be read: %2").arg(file, f.errorString());
        return std::nullopt;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        const auto role =
            fields.size() == 3 ? RoleFromText(QString::fromUtf8(fields[1])) : std::nullopt;
        if (!role || !GoodUserName(QString::fromUtf8(fields[0])) ||
            !fields[2].startsWith("$argon2id$")) {
            *why = QStringLiteral("%1:%2: not NAME ROLE ARGON2ID-HASH").arg(file).arg(i + 1);
            return std::nullopt;
        }
        users.push_back({QString::fromUtf8(fields[0]), *role, fields[2]});
    }
    return users;
}

std::optional<User> CheckPassword(const std::vector<User>& users, const QString& name,
                                  const QByteArray& password) {
    // Made once, with the same cost as every user's.
    static const QByteArray stand_in = Hash(QByteArrayLiteral("no one's password"));
    const User* user = nullptr;
    for (const User& u : users) {
        if (u.name == name) user = &u;
    }
    const QByteArray& hash = user ? user->hash : stand_in;
    const bool right =
        crypto_pwhash_str_verify(hash.constData(), password.constData(),
                                 static_cast<unsigned long long>(password.size())) == 0;
    if (!user || !right) return std::nullopt;
    return *user;
}

QString AddUser(const QString& file, const QString& name, Role role, const QByteArray& password,
                bool* known) {
    QString why;
    auto users = ReadUsers(file, &why);
    if (!users) return why;
    const QByteArray hash = Hash(password);
    if (hash.isEmpty()) return QStringLiteral("the password cannot be hashed (out of memory)");
    *known = false;
    for (User& u : *users) {
        if (u.name != name) continue;
        u = {name, role, hash};
        *known = true;
    }
    if (!*known) users->push_back({name, role, hash});

    QByteArray text = "# taplink-floor users: NAME ROLE HASH\n";
    for (const User& u : *users)
        text += u.name.toUtf8() + ' ' + RoleText(u.role).toUtf8() + ' ' + u.hash + '\n';
    // Written beside the file and renamed over it: a reader sees the old
    // users or the new, and the hashes are never readable by others.
    const QString aside = file + QStringLiteral(".new");
    const QByteArray asideName = QFile::encodeName(aside);
    ::unlink(asideName.constData());
    const int fd =
        ::open(asideName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return QStringLiteral("%1 cannot be written: %2").arg(aside, SystemError());
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const QString writeError = SystemError();
    ::close(fd);
    if (!written || ::rename(asideName.constData(), QFile::encodeName(file).constData()) != 0) {
        const QString error = written ? SystemError() : writeError;
        ::unlink(asideName.constData());
        return QStringLiteral("%1 cannot be written: %2").arg(file, error);
    }
    const int dir = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace taplink
