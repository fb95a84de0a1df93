// taplink-floor's HTTP side: the JSON API over the journal, behind the
// sessions, on the Qt event loop.
//
// It answers every request itself rather than through QHttpServer's router:
// in Qt 6.4 the router's "not found" and its responders' answers skip the
// after-request hook, and every answer, a 404 included, must carry the
// security headers.
#pragma once

#include <QAbstractHttpServer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QHttpServerResponder>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>

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

// The most clients of the live events at once; more are answered 503.
inline constexpr int kMostListeners = 500;
// How often the journal is looked at for what changed, while anyone
// listens, and how often a listener hears at least a comment.
inline constexpr int kPollMs = 1000;
inline constexpr int kKeepAliveMs = 15000;
// The whole floor's strips are drawn again at most this often: one of their
// pixels is three minutes, and drawing them reads every row of the day.
inline constexpr qint64 kFloorStripsMs = 60 * 1000;

// A machine as the floor shows it: the config's and the journal's alike.
struct FloorMachine {
    QString name, state;
    // idle, listening, sending, receiving, lost, stopped, unavailable,
    // request or other: what the page colours it by.
    QString kind;
    QDateTime since = {};
    QString station = {};
    bool running = false;
    std::optional<JournalRow> last = {};
};

// The name with control characters shown by their code, for messages.
QString ShownName(const QString& name);

// The pages' own texts, in the language the floor was started in:
// PageText::tr("...").
struct PageText {
    Q_DECLARE_TR_FUNCTIONS(FloorPage)
};

// A strip's kind ("sending", "receiving", "listening", "lost", "stopped"),
// as the legend and the strip's tooltips say it.
QString KindWord(std::string_view kind);

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
    struct LoginTry {
        QHttpServerResponder::StatusCode status = QHttpServerResponder::StatusCode::Ok;
        QString error;
        qint64 waitS = 0;  // for Retry-After
        QByteArray token, csrf;
        QString user;
        Role role = Role::Viewer;
    };
    struct Listener {
        QHttpServerResponder responder;
        QPointer<QTcpSocket> socket;
    };

    Reply Answer(const QHttpServerRequest& request, QTcpSocket* socket);
    LoginTry TryLogin(const QString& name, const QByteArray& password, const QString& from);
    Reply Login(const QHttpServerRequest& request);
    Reply Logout(const QHttpServerRequest& request, const QByteArray& token);
    Reply MachinesReply();
    // Every machine of the config and of the journal, by name; empty with
    // *why set when the journal cannot be read. withLast: each one's last
    // transfer looked up.
    std::vector<FloorMachine> FloorMachines(bool withLast, QString* why);
    Reply TransfersReply(const QHttpServerRequest& request);
    // /api/machines/NAME/... and /api/transfers/ID/document (floor_documents.cpp);
    // nothing when the path is neither.
    std::optional<Reply> DocumentRoute(const QHttpServerRequest& request, const Session& session);
    Reply UploadReply(const QHttpServerRequest& request, const Session& session,
                      const MachineConfig& machine);
    // The upload's status, and its name in the outbox or why not.
    std::pair<QHttpServerResponder::StatusCode, QString> PutUpload(const Session& session,
                                                                   const MachineConfig& machine,
                                                                   const QString& name,
                                                                   const QByteArray& bytes);
    Reply RemoveReply(const QHttpServerRequest& request, const Session& session,
                      const MachineConfig& machine, const QString& name);
    Reply TransferDocument(const QString& id);
    // A row of the journal for what a user did: direction "upload", "remove"
    // or "login", the user named in its message.
    void Record(const QString& direction, const MachineConfig* machine, const QString& document,
                Outcome outcome, const JournalText& message, const QByteArray& bytes = {});
    QByteArray SessionCookie(const QByteArray& token, bool end) const;

    // The pages (floor_pages.cpp): every path outside /api/ and /static/.
    Reply Page(const QHttpServerRequest& request);
    Reply LoginPage(const QHttpServerRequest& request);
    Reply FloorPage(const Session& session);
    // ours: a machine of this config, with its folders; else another
    // station's, named in the journal.
    Reply MachinePage(const Session& session, const QByteArray& token, const MachineConfig& m,
                      bool ours);
    Reply UploadForm(const QHttpServerRequest& request, const Session& session,
                     const QByteArray& token, const MachineConfig& m);
    Reply HistoryPage(const QHttpServerRequest& request, const Session& session);
    Reply TransferPage(const Session& session, const QString& id);
    // The last day of each machine as SVG, by name.
    QHash<QString, QString> Strips(const std::vector<FloorMachine>& machines);

    // The live events (floor_events.cpp): a kept answer per listener.
    void Listen(const QHttpServerRequest& request, QTcpSocket* socket);
    void Poll();
    void Send(const QByteArray& event);
    qint64 NowMs() const { return clock_.elapsed(); }
    void Log(const QString& line) const;

    StationConfig config_;
    Journal* journal_;
    bool tls_ = false;
    QElapsedTimer clock_;
    Sessions sessions_;
    Throttle throttle_;
    // What an upload from a page came to, shown once on the next page; by
    // session token.
    QHash<QByteArray, std::pair<bool, QString>> notices_;
    std::vector<std::unique_ptr<Listener>> listeners_;
    QTimer poll_, keepAlive_;
    QHash<QString, QByteArray> machineEvents_;  // by name: the last one sent
    QHash<qint64, QString> outcomes_;           // by row: its outcome when last seen
    QHash<QString, JournalRow> lasts_;          // by machine: its last transfer
    bool polled_ = false;
    qint64 watchFrom_ = 0;  // the first row the next look reads, after the first
    // The whole floor's strips as last drawn, and until when they are kept.
    QHash<QString, QString> floorStrips_;
    qint64 floorStripsUntilMs_ = 0;
};

}  // namespace taplink
