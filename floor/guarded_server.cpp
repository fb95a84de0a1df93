#include "guarded_server.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>

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
    if (const HeadRefusal* refusal = stream_.Feed(
            std::string_view(fresh.constData(), static_cast<std::size_t>(fresh.size()))))
        Refuse(*refusal);
}

void BodyGuard::Refuse(const HeadRefusal& refusal) {
    // The server hears no more of this connection; what still comes is
    // read and dropped until the client has the answer and goes.
    disconnect(socket_, &QIODevice::readyRead, nullptr, nullptr);
    connect(socket_, &QIODevice::readyRead, this, [this] { socket_->readAll(); });
    socket_->readAll();
    const QByteArray body =
        QJsonDocument(QJsonObject{{"error", QString::fromStdString(refusal.message)}})
            .toJson(QJsonDocument::Compact);
    QByteArray out = "HTTP/1.1 " + QByteArray::number(refusal.status) + ' ' +
                     QByteArray::fromStdString(refusal.reason) + "\r\n";
    for (const auto& [name, value] : SecurityHeaders())
        out += name + ": " + value + "\r\n";
    out += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
    socket_->write(out);
    QTimer::singleShot(kRefusedLingerMs, socket_, [socket = socket_] { socket->abort(); });
}

}  // namespace taplink
