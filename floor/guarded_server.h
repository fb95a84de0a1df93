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
#include <QTcpSocket>
#include <utility>

#include "request_head.h"

namespace taplink {

// What every answer carries, whoever makes it.
QList<std::pair<QByteArray, QByteArray>> SecurityHeaders();

class BodyGuard : public QObject {
  public:
    explicit BodyGuard(QTcpSocket* socket);

  private:
    void Read();
    void Refuse(const HeadRefusal& refusal);

    QTcpSocket* socket_;
    RequestStream stream_;
};

template <class Server>
class GuardedServer : public Server {
  public:
    using Server::Server;
    // QAbstractHttpServer takes every connection from here, and connects to
    // it after the guard.
    QTcpSocket* nextPendingConnection() override {
        QTcpSocket* socket = Server::nextPendingConnection();
        if (!socket) return nullptr;
        new BodyGuard(socket);
        // An answer goes out in more than one write (its head, its body):
        // with Nagle's algorithm the last waits for the client's delayed
        // acknowledgement, 40 ms, on every kept connection.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return socket;
    }
};

}  // namespace taplink
