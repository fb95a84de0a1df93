// Who is logged in, and who has been guessing: the floor's sessions (a
// random token in a cookie, with its CSRF token) and its login throttle.
// Both take the time from the caller, in milliseconds.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

#include "users.h"

namespace taplink {

// A session ends after this long without a request.
inline constexpr qint64 kSessionIdleMs = 12LL * 60 * 60 * 1000;
// Failures in a row before a name or an address waits; the first wait, which
// doubles with every failure after it, up to the longest.
inline constexpr int kFreeFailures = 5;
inline constexpr qint64 kFirstWaitMs = 60 * 1000;
inline constexpr qint64 kLongestWaitMs = 24LL * 60 * 60 * 1000;

struct Session {
    QString user;
    Role role = Role::Viewer;
    QByteArray csrf;
    qint64 lastUsedMs = 0;
};

// Tokens are 32 random bytes from libsodium, base64url; only their hashes are
// kept, so that looking one up takes no longer for a near miss.
class Sessions {
  public:
    // The new session's token; its CSRF token into *csrf.
    QByteArray Open(const QString& user, Role role, qint64 nowMs, QByteArray* csrf);
    // The token's session, now used again; nothing for an unknown or idle one.
    std::optional<Session> Use(const QByteArray& token, qint64 nowMs);
    void Close(const QByteArray& token);
    // Whether the header's token is the session's, compared in constant time.
    static bool SameCsrf(const Session& s, const QByteArray& header);

  private:
    void ForgetIdle(qint64 nowMs);
    QHash<QByteArray, Session> byHash_;
    qint64 nextSweepMs_ = 0;
};

// Failures are counted for a user name and for an address alike.
class Throttle {
  public:
    // How long the key must still wait; 0 when it may try.
    qint64 WaitMs(const QString& key, qint64 nowMs) const;
    void Failed(const QString& key, qint64 nowMs);
    void Succeeded(const QString& key) { failures_.remove(key); }

  private:
    struct Failures {
        int count = 0;
        qint64 lastMs = 0, untilMs = 0;
    };
    QHash<QString, Failures> failures_;
};

QByteArray RandomToken();

}  // namespace taplink
