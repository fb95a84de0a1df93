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

#include "request_head.h"

class QTcpSocket;

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
        if (socket) new BodyGuard(socket);
        return socket;
    }
};

}  // namespace taplink
