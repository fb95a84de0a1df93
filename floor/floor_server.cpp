#include "floor_server.h"

#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QUrlQuery>
#include <algorithm>

#include "guarded_server.h"
#include "journal.h"

namespace taplink {
namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

const QByteArray kCookie = QByteArrayLiteral("floor_session");

Reply Json(const QJsonValue& v, Status status = Status::Ok) {
    const QByteArray body = v.isArray()
                                ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                                : QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
    return Reply{status, body};
}

Reply Error(Status status, const QString& message) {
    return Json(QJsonObject{{"error", message}}, status);
}

QJsonValue JsonTime(const QDateTime& t) {
    return t.isValid() ? QJsonValue(t.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QByteArray CookieToken(const QHttpServerRequest& request) {
    for (const QByteArray& part : request.value("Cookie").split(';')) {
        const QByteArray pair = part.trimmed();
        if (pair.startsWith(kCookie + '=')) return pair.mid(kCookie.size() + 1);
    }
    return {};
}

QJsonObject RowJson(const JournalRow& r) {
    const auto& e = r.end;
    return QJsonObject{
        {"id", r.id},
        {"started_at", JsonTime(r.start.start)},
        {"ended_at", e ? JsonTime(e->end) : QJsonValue()},
        {"machine", r.start.machine},
        {"port", r.start.port},
        {"model", r.start.model},
        {"direction", r.start.direction},
        {"document", r.start.documentName},
        {"outcome", QString::fromStdString(OutcomeText(e ? e->outcome : Outcome::Started))},
        {"message", e ? QJsonValue(e->message) : QJsonValue()},
        {"bytes", e ? QJsonValue(e->bytes) : QJsonValue()},
        {"sha256", e ? QJsonValue(QString::fromLatin1(e->sha256)) : QJsonValue()},
        {"host", r.host}};
}

}  // namespace

FloorServer::FloorServer(const StationConfig& config, Journal* journal, QObject* parent)
    : QAbstractHttpServer(parent), config_(config), journal_(journal) {
    clock_.start();
}

void FloorServer::Log(const QString& line) const {
    if (log) log(line);
}

quint16 FloorServer::Listen(QString* why) {
    const FloorConfig& f = config_.floor;
    QTcpServer* server = nullptr;
    if (!f.tlsCert.isEmpty()) {
        const auto certs = QSslCertificate::fromPath(f.tlsCert, QSsl::Pem);
        QFile keyFile(f.tlsKey);
        QSslKey key;
        if (keyFile.open(QIODevice::ReadOnly)) {
            const QByteArray pem = keyFile.readAll();
            for (auto algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Opaque}) {
                key = QSslKey(pem, algorithm, QSsl::Pem);
                if (!key.isNull()) break;
            }
        }
        if (certs.isEmpty()) {
            *why = QStringLiteral("%1: no PEM certificate can be read there").arg(f.tlsCert);
            return 0;
        }
        if (key.isNull()) {
            *why = QStringLiteral("%1: no PEM private key can be read there").arg(f.tlsKey);
            return 0;
        }
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(certs);
        tls.setPrivateKey(key);
        tls.setProtocol(QSsl::TlsV1_2OrLater);
        auto* ssl = new GuardedServer<QSslServer>(this);
        ssl->setSslConfiguration(tls);
        server = ssl;
        tls_ = true;
    } else {
        server = new GuardedServer<QTcpServer>(this);
    }
    if (!server->listen(QHostAddress(f.host), f.port)) {
        *why = QStringLiteral("cannot listen on %1:%2: %3")
                   .arg(f.host)
                   .arg(f.port)
                   .arg(server->errorString());
        delete server;
        return 0;
    }
    bind(server);
    return server->serverPort();
}

bool FloorServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (request.url().path() == QStringLiteral("/api/events") && request.method() == Method::Get) {
        const QByteArray token = CookieToken(request);
        if (!token.isEmpty() && sessions_.Use(token, NowMs())) {
            Listen(request, socket);
            return true;
        }
    }
    const Reply reply = Answer(request, socket);
    QHttpServerResponse response(reply.type, reply.body, reply.status);
    response.addHeaders(SecurityHeaders());
    response.addHeaders(reply.headers);
    response.write(makeResponder(request, socket));
    return true;
}

void FloorServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Not reached: every request is answered by handleRequest.
    handleRequest(request, socket);
}

Reply FloorServer::Answer(const QHttpServerRequest& request, QTcpSocket*) {
    const QString path = request.url().path();
    const Method method = request.method();
    const auto only = [&](Method allowed, auto&& answer) -> Reply {
        if (method == allowed) return answer();
        Reply r = Error(Status::MethodNotAllowed,
                        QStringLiteral("%1 takes only %2")
                            .arg(path, allowed == Method::Get ? QStringLiteral("GET")
                                                              : QStringLiteral("POST")));
        r.headers.append(
            std::pair<QByteArray, QByteArray>("Allow", allowed == Method::Get ? "GET" : "POST"));
        return r;
    };
    // The guard refuses larger bodies before they are read; this is the
    // second line, for a body that came some other way.
    if (request.body().size() > kMostFormBytes)
        return Error(Status::PayloadTooLarge, QStringLiteral("the body is over 68 KiB"));
    if (path == QStringLiteral("/api/login"))
        return only(Method::Post, [&] { return Login(request); });
    if (!path.startsWith(QStringLiteral("/api/"))) return Page(request);

    const QByteArray token = CookieToken(request);
    const auto session = token.isEmpty() ? std::nullopt : sessions_.Use(token, NowMs());
    if (!session) return Error(Status::Unauthorized, QStringLiteral("log in first"));
    if (method != Method::Get && !Sessions::SameCsrf(*session, request.value("X-CSRF-Token"))) {
        return Error(Status::Forbidden,
                     QStringLiteral("the X-CSRF-Token header is missing or not this session's"));
    }
    if (path == QStringLiteral("/api/logout"))
        return only(Method::Post, [&] { return Logout(request, token); });
    if (path == QStringLiteral("/api/machines"))
        return only(Method::Get, [&] { return MachinesReply(); });
    if (path == QStringLiteral("/api/transfers"))
        return only(Method::Get, [&] { return TransfersReply(request); });
    if (auto reply = DocumentRoute(request, *session)) return *reply;
    return Error(Status::NotFound, QStringLiteral("%1 is not here").arg(path));
}

QByteArray FloorServer::SessionCookie(const QByteArray& token, bool end) const {
    QByteArray cookie = kCookie + '=' + token + "; Path=/; HttpOnly; SameSite=Strict";
    if (tls_) cookie += "; Secure";
    if (end) cookie += "; Max-Age=0";
    return cookie;
}

Reply FloorServer::Login(const QHttpServerRequest& request) {
    // Only a script of the page's own origin can send JSON: a form on
    // another site cannot log a browser in under someone else's name.
    if (!request.value("Content-Type").startsWith("application/json"))
        return Error(Status::UnsupportedMediaType, QStringLiteral("send the login as JSON"));
    const QJsonObject o = QJsonDocument::fromJson(request.body()).object();
    if (!o.value("user").isString() || !o.value("password").isString()) {
        return Error(Status::BadRequest,
                     QStringLiteral("a login is {\"user\": NAME, \"password\": PASSWORD}"));
    }
    const LoginTry tried =
        TryLogin(o.value("user").toString(), o.value("password").toString().toUtf8(),
                 request.remoteAddress().toString());
    if (!tried.error.isEmpty()) {
        Reply r = Error(tried.status, tried.error);
        if (tried.waitS > 0) {
            r.headers.append(
                std::pair<QByteArray, QByteArray>("Retry-After", QByteArray::number(tried.waitS)));
        }
        return r;
    }
    Reply r = Json(QJsonObject{{"csrf", QString::fromLatin1(tried.csrf)},
                               {"user", tried.user},
                               {"role", RoleText(tried.role)}});
    r.headers.append(
        std::pair<QByteArray, QByteArray>("Set-Cookie", SessionCookie(tried.token, false)));
    return r;
}

FloorServer::LoginTry FloorServer::TryLogin(const QString& name, const QByteArray& password,
                                            const QString& from) {
    LoginTry out;
    const QString byAddress = QStringLiteral("address ") + from;
    const bool named = GoodUserName(name);
    // A name no user can have is counted against the address alone.
    const QString byName = named ? QStringLiteral("user ") + name : byAddress;
    const qint64 wait =
        std::max(throttle_.WaitMs(byName, NowMs()), throttle_.WaitMs(byAddress, NowMs()));
    if (wait > 0) {
        Log(QStringLiteral("login of %1 from %2 refused: too many wrong passwords")
                .arg(named ? name : QStringLiteral("(a bad name)"), from));
        Record(QStringLiteral("login"), nullptr, {}, Outcome::Refused,
               QStringLiteral("%1 from %2: too many wrong passwords")
                   .arg(named ? name : QStringLiteral("(a bad name)"), from));
        out.status = Status::TooManyRequests;
        out.waitS = (wait + 999) / 1000;
        out.error = QStringLiteral("too many wrong passwords: try again in %1 s").arg(out.waitS);
        return out;
    }
    QString why;
    const auto users = ReadUsers(config_.floor.users, &why);
    if (!users) {
        Log(why);
        out.status = Status::InternalServerError;
        out.error = QStringLiteral("the users cannot be read");
        return out;
    }
    const auto user = named ? CheckPassword(*users, name, password) : std::nullopt;
    if (!user) {
        throttle_.Failed(byName, NowMs());
        if (byName != byAddress) throttle_.Failed(byAddress, NowMs());
        Log(QStringLiteral("login of %1 from %2 refused: wrong name or password")
                .arg(named ? name : QStringLiteral("(a bad name)"), from));
        Record(QStringLiteral("login"), nullptr, {}, Outcome::Refused,
               QStringLiteral("%1 from %2: wrong name or password")
                   .arg(named ? name : QStringLiteral("(a bad name)"), from));
        out.status = Status::Unauthorized;
        out.error = QStringLiteral("wrong user name or password");
        return out;
    }
    throttle_.Succeeded(byName);
    throttle_.Succeeded(byAddress);
    out.token = sessions_.Open(user->name, user->role, NowMs(), &out.csrf);
    out.user = user->name;
    out.role = user->role;
    Log(QStringLiteral("%1 (%2) logged in from %3").arg(user->name, RoleText(user->role), from));
    Record(
        QStringLiteral("login"), nullptr, {}, Outcome::Done,
        QStringLiteral("%1 (%2) from %3: logged in").arg(user->name, RoleText(user->role), from));
    return out;
}

Reply FloorServer::Logout(const QHttpServerRequest& request, const QByteArray& token) {
    const auto session = sessions_.Use(token, NowMs());
    sessions_.Close(token);
    if (session) {
        Log(QStringLiteral("%1 logged out from %2")
                .arg(session->user, request.remoteAddress().toString()));
    }
    Reply r = Json(QJsonObject{{"logged_out", true}});
    r.headers.append(std::pair<QByteArray, QByteArray>("Set-Cookie", SessionCookie("", true)));
    return r;
}

Reply FloorServer::MachinesReply() {
    QString why;
    const auto machines = FloorMachines(false, &why);
    if (!why.isEmpty()) return Error(Status::ServiceUnavailable, why);
    QJsonArray out;
    for (const FloorMachine& m : machines) {
        out.append(QJsonObject{{"name", m.name},
                               {"state", m.state},
                               {"kind", m.kind},
                               {"since", JsonTime(m.since)},
                               {"station", m.station.isEmpty() ? QJsonValue() : m.station},
                               {"running", m.running}});
    }
    return Json(out);
}

Reply FloorServer::TransfersReply(const QHttpServerRequest& request) {
    JournalFilter filter;
    filter.limit = kDefaultRows;
    QStringList seen;
    for (const auto& item : request.query().queryItems(QUrl::FullyDecoded)) {
        const QString& key = item.first;
        const QString& value = item.second;
        const auto bad = [&](const QString& what) {
            return Error(Status::BadRequest, QStringLiteral("%1=%2: %3").arg(key, value, what));
        };
        if (seen.contains(key)) return bad(QStringLiteral("given twice"));
        seen << key;
        if (key == QStringLiteral("machine")) {
            filter.machine = value;
        } else if (key == QStringLiteral("outcome")) {
            filter.outcome = OutcomeFromText(value.toStdString());
            if (!filter.outcome) return bad(QStringLiteral("no such outcome, as done or refused"));
        } else if (key == QStringLiteral("since")) {
            const QDateTime since = QDateTime::fromString(value, Qt::ISODateWithMs);
            if (!since.isValid() || since.timeSpec() == Qt::LocalTime)
                return bad(QStringLiteral("not a time with its zone, as 2026-12-01T06:00:00Z"));
            filter.since = since.toUTC();
        } else if (key == QStringLiteral("limit")) {
            bool ok = false;
            filter.limit = value.toInt(&ok);
            if (!ok || filter.limit < 1 || filter.limit > kMostRows)
                return bad(QStringLiteral("not 1 to %1").arg(kMostRows));
        } else {
            return bad(QStringLiteral("not a filter: they are machine, outcome, since, limit"));
        }
    }
    const auto rows = journal_->Rows(filter);
    if (!journal_->LastError().isEmpty())
        return Error(Status::ServiceUnavailable, journal_->LastError());
    QJsonArray out;
    for (const JournalRow& r : rows)
        out.append(RowJson(r));
    return Json(out);
}

}  // namespace taplink
