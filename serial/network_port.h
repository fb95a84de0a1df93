// A serial device server on the network, as the serial control uses it: raw
// TCP (tcp://HOST:PORT), where the server keeps its own line settings, or
// Telnet with the COM port option (rfc2217://HOST:PORT), where the settings go
// to the server and its answers are checked. Accesses that wait for the
// server (connecting, each setting) wait for a bounded time, as a local
// port's ioctl does; nothing is delivered from inside them. They block the
// thread; a program serving many ports from one thread can have the
// connection run its event loop instead.
//
// The port set-up closes the port and opens it again at once. A server
// resets its line to its own defaults when its client leaves, and the
// controller sees that line change for as long as the reconnection takes, so
// a closing keeps the connection until the thread's event loop next turns:
// an opening of the same address before then takes it up again.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTcpSocket>
#include <deque>
#include <functional>
#include <string>

#include "ms_comm.h"
#include "telnet_client.h"

namespace taplink {

class NetworkPort : public QObject {
    Q_OBJECT
  public:
    static constexpr int kConnectTimeoutMs = 3000;
    // For the whole Telnet negotiation, and for each answer to a setting.
    static constexpr int kNegotiationTimeoutMs = 3000;
    static constexpr int kAnswerTimeoutMs = 2000;
    // Received data held for the reader; past it the connection is left
    // unread, so a flooding server is held back by TCP itself.
    static constexpr qsizetype kMaxHeld = 64 * 1024;
    // Dropping input reads at most this many bufferfuls: a server that
    // floods cannot hold the caller.
    static constexpr int kDropRounds = 16;
    // How long a closing waits after the last write before it tells the
    // server.
    static constexpr qint64 kLingerMs = 100;

    explicit NetworkPort(QObject* parent = nullptr);
    ~NetworkPort() override;

    // Bytes wait to be read.
    std::function<void()> onData;
    // A line or modem change the server reported, as a CommEvent code.
    std::function<void(short)> onEvent;
    // The connection failed while open; the port is already closed.
    std::function<void(const std::string&)> onLost;
    // Something the operator should know about this server.
    std::function<void(const std::string&)> onNotice;

    // Connects and, for rfc2217://, negotiates; or takes up the connection
    // that CloseSoon kept, when it is to the same address and still there.
    // Throws CommError.
    void Open(const std::string& device);
    // Hands queued bytes over (waits at most flushMs) and disconnects.
    void Close(int flushMs);
    // Closes as far as the caller can tell (the port reads as closed and
    // delivers nothing) after handing queued bytes over, but disconnects only
    // when the event loop next turns, unless Open takes the connection up
    // first. What arrives meanwhile is dropped, as a closed port drops it.
    void CloseSoon(int flushMs);
    bool IsOpen() const;
    // The server takes line settings (rfc2217:// and it agreed).
    bool TakesSettings() const;

    // Each sends the matching commands and checks the answers; a no-op when
    // the server keeps its own settings. Throw CommError.
    void ApplySettings(const std::string& settings);
    void ApplyHandshaking(long value);
    // Drops what was received; the server drops what it holds too.
    void DropInput();

    void Write(const Bytes& bytes);
    // Up to max bytes of what was received (everything when max is 0).
    Bytes Read(std::size_t max);
    // Waits at most ms for queued bytes to leave.
    void Flush(int ms);
    // Bytes written that the server has not taken yet (wire bytes, Telnet
    // escapes included). What the server holds for its line cannot be seen
    // from here.
    long Unsent() const;

    // Waiting for the connection runs the thread's event loop rather than
    // block it, so that other ports' work goes on while a host that is down
    // does not answer; the caller keeps its own handlers from running inside
    // it. Once the application quits, it blocks again.
    void SetWaitInEventLoop(bool on) { waitInLoop_ = on; }
    // Ends the wait under way, and makes later ones end at once, as unmet:
    // the program is stopping.
    void AbortWaits();

  private:
    enum class Wait { Done, TimedOut, Lost, Faulted, Abandoned };
    void OnReadyRead();
    void OnSocketLost();
    bool Connected() const;
    // Takes up the kept connection; whether it could be.
    bool Resume();
    // Takes what the socket holds, as far as there is room.
    void Take();
    // Drops what was received, and what the system holds for us now.
    void Discard();
    void NoticeDeclined();
    void Deliver();
    void ScheduleDelivery();
    Wait Await(const std::function<bool()>& done, int ms);
    // Waits for the connection being made; whether it was.
    bool WaitForConnection();
    // One COM port setting and its answer.
    void Set(telnet::ComPort command, const Bytes& value, const std::string& operation);
    void WriteWire(const Bytes& wire);
    bool TryWrite(const Bytes& wire);
    [[noreturn]] void Refuse(const std::string& reason);
    [[noreturn]] void Fail(const std::string& operation, const std::string& reason);
    void ReportLost(const std::string& reason);

    QTcpSocket socket_;
    std::string device_;
    bool telnet_ = false;
    telnet::Client client_;
    Bytes held_;
    std::deque<short> events_;
    std::vector<telnet::ComPortMessage> answers_;
    QElapsedTimer lastWrite_;
    bool blocking_ = false;        // inside an access: deliver nothing now
    bool deliveryQueued_ = false;  // a Deliver() is on its way
    bool failureReported_ = true;  // until opened, errors are the opening's own
    bool waitInLoop_ = false;
    bool connecting_ = false;  // data is not read before the connection is made
    bool aborted_ = false;
    bool kept_ = false;  // closed for the caller, the connection kept (CloseSoon)
    int keptFlushMs_ = 0;
    QEventLoop* waiting_ = nullptr;  // the wait under way, in the event loop
};

}  // namespace taplink
