// The floor's listening sockets, with a guard on every connection that reads
// each request's head before QHttpServer does.
//
// Qt 6.4's QHttpServer reads a request's whole body into memory before it
// hands the request over, with no limit and no hook on the way: a client
// could make it hold any amount. The guard sees the same bytes first (it is
// connected to the socket's readyRead ahead of the server), and answers a
// body over the bound (or one without a length) at its head, without reading
// it, so that the server never gets it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <utility>

class QTcpSocket;

namespace taplink {

// The largest body a request may have: a document, at most.
inline constexpr qint64 kMostBodyBytes = 64 * 1024;
// The largest upload form from a page: a document, and the form's own
// fields and boundaries around it.
inline constexpr qint64 kMostFormBytes = kMostBodyBytes + 4 * 1024;
// The largest head: the request line and every header.
inline constexpr qint64 kMostHeadBytes = 16 * 1024;

// What every answer carries, whoever makes it.
QList<std::pair<QByteArray, QByteArray>> SecurityHeaders();

class BodyGuard : public QObject {
  public:
    explicit BodyGuard(QTcpSocket* socket);

  private:
    void Read();
    // Looks at one request's head; false when it was refused.
    bool Check(const QByteArray& head);
    void Refuse(int status, const QByteArray& reason, const QString& message);

    QTcpSocket* socket_;
    QByteArray head_;  // the head so far, while one is coming
    qint64 bodyLeft_ = 0;
    bool refused_ = false;
};

template <class Server>
class GuardedServer : public Server {
  public:
    using Server::Server;
    // QAbstractHttpServer takes every connection from here, and connects to
    // it after the guard.
    QTcpSocket* nextPendingConnection() override {
        QTcpSocket* socket = Server::nextPendingConnection();
        if (socket) new BodyGuard(socket);
        return socket;
    }
};

}  // namespace taplink
