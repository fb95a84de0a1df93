// taplink-floor's HTTP side: the JSON API over the journal, behind the
// sessions, on the Qt event loop.
//
// It answers every request itself rather than through QHttpServer's router:
// in Qt 6.4 the router's "not found" and its responders' answers skip the
// after-request hook, and every answer, a 404 included, must carry the
// security headers.
#pragma once

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHttpServerResponder>
#include <QSet>
#include <functional>

#include "guard.h"
#include "journal.h"
#include "station_config.h"

class QTcpSocket;

namespace taplink {

// The most rows one listing of the transfers gives, and how many unless asked.
inline constexpr int kMostRows = 1000;
inline constexpr int kDefaultRows = 100;

struct Reply {
    QHttpServerResponder::StatusCode status = QHttpServerResponder::StatusCode::Ok;
    QByteArray body;
    QByteArray type = "application/json";
    QList<std::pair<QByteArray, QByteArray>> headers = {};
};

class FloorServer : public QAbstractHttpServer {
  public:
    // journal stays the caller's, and outlives the server.
    FloorServer(const StationConfig& config, Journal* journal, QObject* parent = nullptr);

    // Listens as the config says, over TLS when it names a certificate.
    // The port listened on, or 0 with *why set.
    quint16 Listen(QString* why);

    std::function<void(const QString&)> log;

  protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

  private:
    Reply Answer(const QHttpServerRequest& request);
    Reply Login(const QHttpServerRequest& request);
    Reply Logout(const QHttpServerRequest& request, const QByteArray& token);
    Reply MachinesReply();
    Reply TransfersReply(const QHttpServerRequest& request);
    // /api/machines/NAME/... and /api/transfers/ID/document (floor_documents.cpp);
    // nothing when the path is neither.
    std::optional<Reply> DocumentRoute(const QHttpServerRequest& request, const Session& session);
    Reply UploadReply(const QHttpServerRequest& request, const Session& session,
                      const MachineConfig& machine);
    Reply RemoveReply(const QHttpServerRequest& request, const Session& session,
                      const MachineConfig& machine, const QString& name);
    Reply TransferDocument(const QString& id);
    // A row of the journal for what a user did: direction "upload", "remove"
    // or "login", the user named in its message.
    void Record(const QString& direction, const MachineConfig* machine, const QString& document,
                Outcome outcome, const QString& message, const QByteArray& bytes = {});
    QByteArray SessionCookie(const QByteArray& token, bool end) const;
    qint64 NowMs() const { return clock_.elapsed(); }
    void Log(const QString& line) const;

    StationConfig config_;
    Journal* journal_;
    bool tls_ = false;
    QElapsedTimer clock_;
    Sessions sessions_;
    Throttle throttle_;
};

}  // namespace taplink
