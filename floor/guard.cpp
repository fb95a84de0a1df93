#include "guard.h"

#include <sodium.h>

#include <algorithm>

namespace taplink {
namespace {

// A sweep of the idle sessions at most this often, rather than one a request.
constexpr qint64 kSweepEveryMs = 60 * 1000;
// Keys that no longer wait are forgotten once there are this many, so that
// guessing from many addresses or names cannot fill the memory.
constexpr qsizetype kMostKeys = 10000;

QByteArray KeyOf(const QByteArray& token) {
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.constData()),
                       static_cast<unsigned long long>(token.size()), nullptr, 0);
    return QByteArray(reinterpret_cast<const char*>(hash), sizeof hash);
}

}  // namespace

QByteArray RandomToken() {
    QByteArray bytes(32, '\0');
    randombytes_buf(bytes.data(), static_cast<size_t>(bytes.size()));
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray Sessions::Open(const QString& user, Role role, qint64 nowMs, QByteArray* csrf) {
    ForgetIdle(nowMs);
    const QByteArray token = RandomToken();
    *csrf = RandomToken();
    byHash_.insert(KeyOf(token), Session{user, role, *csrf, nowMs});
    return token;
}

std::optional<Session> Sessions::Use(const QByteArray& token, qint64 nowMs) {
    ForgetIdle(nowMs);
    const auto it = byHash_.find(KeyOf(token));
    if (it == byHash_.end()) return std::nullopt;
    if (nowMs - it->lastUsedMs > kSessionIdleMs) {
        byHash_.erase(it);
        return std::nullopt;
    }
    it->lastUsedMs = nowMs;
    return *it;
}

void Sessions::Close(const QByteArray& token) {
    byHash_.remove(KeyOf(token));
}

bool Sessions::SameCsrf(const Session& s, const QByteArray& header) {
    return header.size() == s.csrf.size() && sodium_memcmp(header.constData(), s.csrf.constData(),
                                                           static_cast<size_t>(header.size())) == 0;
}

void Sessions::ForgetIdle(qint64 nowMs) {
    if (nowMs < nextSweepMs_) return;
    nextSweepMs_ = nowMs + kSweepEveryMs;
    byHash_.removeIf(
        [&](const auto& it) { return nowMs - it.value().lastUsedMs > kSessionIdleMs; });
}

qint64 Throttle::WaitMs(const QString& key, qint64 nowMs) const {
    const auto it = failures_.constFind(key);
    return it == failures_.constEnd() ? 0 : std::max<qint64>(0, it->untilMs - nowMs);
}

void Throttle::Failed(const QString& key, qint64 nowMs) {
    if (!failures_.contains(key) && failures_.size() >= kMostKeys) {
        failures_.removeIf([&](const auto& it) { return it.value().untilMs <= nowMs; });
    }
    Failures& f = failures_[key];
    // A day without a failure starts the count again.
    if (nowMs - f.lastMs > kLongestWaitMs) f.count = 0;
    ++f.count;
    f.lastMs = nowMs;
    if (f.count < kFreeFailures) return;
    const int doublings = std::min(f.count - kFreeFailures, 30);
    f.untilMs = nowMs + std::min(kFirstWaitMs << doublings, kLongestWaitMs);
}

}  // namespace taplink
