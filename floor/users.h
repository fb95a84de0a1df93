// The floor's users: a name, a role and an Argon2id hash of the password
// (libsodium's string form), one a line, in a file only its owner reads.
//
//   # taplink-floor users: NAME ROLE HASH
//   setter operator $argon2id$v=19$m=19456,t=2,p=1$...
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace taplink {

// Each role can do what the one before it can.
enum class Role { Viewer, Operator, Admin };
QString RoleText(Role);
std::optional<Role> RoleFromText(const QString&);

struct User {
    QString name;
    Role role = Role::Viewer;
    QByteArray hash;
};

// Letters, digits, '.', '_' and '-', 1 to 64 of them: a name that can stand
// in the file, in the journal and in a log line as it is.
bool GoodUserName(const QString& name);

// Must run once before anything below (sodium_init); false if it cannot.
bool StartSodium();

// The users of the file; a file that is not there has none. Nothing, with
// *why set ("FILE:LINE: ..."), when it cannot be read or a line is not a user.
std::optional<std::vector<User>> ReadUsers(const QString& file, QString* why);

// The user whose password this is, or nothing. An unknown name costs as long
// as a known one, so that the time of the answer does not tell names apart.
std::optional<User> CheckPassword(const std::vector<User>& users, const QString& name,
                                  const QByteArray& password);

// Adds the user, or gives a known one a new role and password. The file is
// replaced whole (written aside, synced, renamed over), with mode 0600.
// Returns "" or why it could not.
QString AddUser(const QString& file, const QString& name, Role role, const QByteArray& password,
                bool* known);

}  // namespace taplink
