#include "guarded_server.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace taplink {
namespace {

// A client refused at its head is given this long to read the answer and
// stop sending before the connection is dropped.
constexpr int kRefusedLingerMs = 10000;

}  // namespace

QList<std::pair<QByteArray, QByteArray>> SecurityHeaders() {
    // No inline script or style anywhere: the pages load their own files.
    return {{"Content-Security-Policy",
             "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
             "object-src 'none'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
            {"X-Content-Type-Options", "nosniff"},
            {"X-Frame-Options", "DENY"},
            {"Referrer-Policy", "same-origin"},
            {"Cache-Control", "no-store"}};
}

BodyGuard::BodyGuard(QTcpSocket* socket) : QObject(socket), socket_(socket) {
    connect(socket_, &QIODevice::readyRead, this, &BodyGuard::Read);
}

// The server reads all there is at every readyRead, after this: what is
// there now is what came since the last time.
void BodyGuard::Read() {
    const QByteArray fresh = socket_->peek(socket_->bytesAvailable());
    qsizetype at = 0;
    while (at < fresh.size() && !refused_) {
        if (bodyLeft_ > 0) {
            const qint64 n = std::min<qint64>(bodyLeft_, fresh.size() - at);
            bodyLeft_ -= n;
            at += n;
            continue;
        }
        const qsizetype before = head_.size();
        head_ += fresh.mid(at, kMostHeadBytes + 4 - before);
        const qsizetype end = head_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (head_.size() > kMostHeadBytes) {
                Refuse(431, "Request Header Fields Too Large",
                       QStringLiteral("the request's head is over 16 KiB"));
            }
            return;
        }
        at += end + 4 - before;
        const QByteArray head = head_.left(end);
        head_.clear();
        if (!Check(head)) return;
    }
}

bool BodyGuard::Check(const QByteArray& head) {
    const QList<QByteArray> lines = head.split('\n');
    qint64 length = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon < 0) continue;
        const QByteArray name = lines[i].left(colon).trimmed().toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (name == "transfer-encoding") {
            Refuse(411, "Length Required",
                   QStringLiteral("send the body with its Content-Length, not in chunks"));
            return false;
        }
        if (name != "content-length") continue;
        bool ok = !value.isEmpty() && std::all_of(value.begin(), value.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; });
        const qint64 n = value.toLongLong(&ok);
        if (!ok || (length >= 0 && n != length)) {
            Refuse(400, "Bad Request", QStringLiteral("the Content-Length is not one number"));
            return false;
        }
        length = n;
    }
    // A page's upload form brings its document with a little more.
    const QList<QByteArray> request = lines.value(0).split(' ');
    const bool form = request.value(0) == "POST" && request.value(1).startsWith("/machines/") &&
                      request.value(1).endsWith("/upload");
    const qint64 most = form ? kMostFormBytes : kMostBodyBytes;
    if (length > most) {
        Refuse(413, "Payload Too Large",
               QStringLiteral("the body is %1 bytes: at most %2 are taken").arg(length).arg(most));
        return false;
    }
    bodyLeft_ = std::max<qint64>(length, 0);
    return true;
}

void BodyGuard::Refuse(int status, const QByteArray& reason, const QString& message) {
    refused_ = true;
    // The server hears no more of this connection; what still comes is
    // read and dropped until the client has the answer and goes.
    disconnect(socket_, &QIODevice::readyRead, nullptr, nullptr);
    connect(socket_, &QIODevice::readyRead, this, [this] { socket_->readAll(); });
    socket_->readAll();
    const QByteArray body =
        QJsonDocument(QJsonObject{{"error", message}}).toJson(QJsonDocument::Compact);
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    for (const auto& [name, value] : SecurityHeaders())
        out += name + ": " + value + "\r\n";
    out += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
    socket_->write(out);
    QTimer::singleShot(kRefusedLingerMs, socket_, [socket = socket_] { socket->abort(); });
}

}  // namespace taplink
