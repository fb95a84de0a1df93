#include "network_port.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include <sys/ioctl.h>
#include <sys/socket.h>
#ifdef __linux__
#include <linux/sockios.h>
#endif

#include "settings_text.h"

namespace taplink {
namespace {

using telnet::ComPort;

// Line and modem changes the COM port option reports, as CommEvent codes.
constexpr std::pair<std::uint8_t, short> kLineStateEvents[] = {{0x10, kComEventBreak},
                                                               {0x08, kComEventFrame},
                                                               {0x02, kComEventOverrun},
                                                               {0x04, kComEventRxParity}};
constexpr std::pair<std::uint8_t, short> kModemStateEvents[] = {
    {0x01, kComEvCts}, {0x02, kComEvDsr}, {0x08, kComEvCd}, {0x04, kComEvRing}};
// The line errors asked to be reported: overrun, parity, framing, break.
constexpr std::uint8_t kLineStateMask = 0x1E;

std::uint8_t ParityCode(Parity p) {
    switch (p) {
        case Parity::None: return 1;
        case Parity::Odd: return 2;
        case Parity::Even: return 3;
        case Parity::Mark: return 4;
        case Parity::Space: return 5;
    }
    return 1;
}

std::uint8_t StopCode(StopBits s) {
    switch (s) {
        case StopBits::One: return 1;
        case StopBits::Two: return 2;
        case StopBits::OneAndHalf: return 3;
    }
    return 1;
}

// What a server wrote as text before it hung up ("Port's device already in
// use"), for the message; nothing when it wrote anything else.
std::string Said(const Bytes& data) {
    std::string text;
    for (const std::uint8_t b : data) {
        if (b == '\r' || b == '\n') {
            if (!text.empty() && text.back() != ' ') text += ' ';
        } else if (b >= 0x20 && b < 0x7F) {
            text += static_cast<char>(b);
        } else {
            return {};
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.empty() || text.size() > 120) return {};
    return " (it said: \"" + text + "\")";
}

// A setting's value as an operator reads it.
std::string Describe(ComPort command, const Bytes& value) {
    if (command == ComPort::SetBaudRate) {
        const auto rate = telnet::BaudRateFrom(value);
        return rate ? std::to_string(*rate) + " bit/s" : "a malformed bit rate";
    }
    if (value.size() != 1) return "a malformed value";
    const int v = value[0];
    static const char* const parity[] = {"?",           "no parity",   "odd parity",
                                         "even parity", "mark parity", "space parity"};
    static const char* const stop[] = {"?", "1 stop bit", "2 stop bits", "1.5 stop bits"};
    static const char* const control[] = {"?", "no flow control", "XON/XOFF", "RTS/CTS"};
    switch (command) {
        case ComPort::SetDataSize: return std::to_string(v) + " data bits";
        case ComPort::SetParity:
            if (v >= 1 && v <= 5) return parity[v];
            break;
        case ComPort::SetStopSize:
            if (v >= 1 && v <= 3) return stop[v];
            break;
        case ComPort::SetControl:
            if (v >= 1 && v <= 3) return control[v];
            break;
        default: break;
    }
    return "value " + std::to_string(v);
}

}  // namespace

NetworkPort::NetworkPort(QObject* parent) : QObject(parent) {
    // Qt stops reading from the system once this much waits: with our own
    // bound on decoded data, memory stays bounded whatever the server sends.
    socket_.setReadBufferSize(kMaxHeld);
    connect(&socket_, &QTcpSocket::readyRead, this, &NetworkPort::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &NetworkPort::OnSocketLost);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &NetworkPort::OnSocketLost);
}

NetworkPort::~NetworkPort() {
    socket_.disconnect(this);
}

bool NetworkPort::Connected() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

bool NetworkPort::IsOpen() const {
    return Connected() && !kept_;
}

bool NetworkPort::TakesSettings() const {
    return telnet_ && client_.ComPortState() == telnet::OptionState::Yes;
}

void NetworkPort::Fail(const std::string& operation, const std::string& reason) {
    ThrowPortError(operation, device_, reason);
}

void NetworkPort::Refuse(const std::string& reason) {
    socket_.abort();
    Fail(TAPLINK_TEXT("Messages", "open"), reason);
}

void NetworkPort::Open(const std::string& device) {
    if (kept_) {
        if (device != device_) {
            Close(keptFlushMs_);
        } else if (Resume()) {
            return;
        } else {
            Close(0);  // gone meanwhile: nothing of ours is left to hand over
        }
    }
    device_ = device;
    telnet_ = IsRfc2217Port(device);
    const QUrl url(QString::fromStdString(device));
    if (!url.isValid() || url.host().isEmpty() || url.port() <= 0 || !url.path().isEmpty()) {
        Fail(TAPLINK_TEXT("Messages", "open"),
             telnet_ ? TAPLINK_TEXT("Messages", "a device server is given as rfc2217://HOST:PORT")
                     : TAPLINK_TEXT("Messages", "a device server is given as tcp://HOST:PORT"));
    }
    failureReported_ = true;  // until open, errors are the opening's own
    socket_.abort();
    held_.clear();
    events_.clear();
    answers_.clear();
    client_ = telnet::Client{};
    socket_.connectToHost(url.host(), static_cast<quint16>(url.port()));
    connecting_ = true;
    const bool connected = WaitForConnection();
    connecting_ = false;
    if (!connected) {
        const bool unanswered = socket_.error() == QAbstractSocket::SocketTimeoutError ||
                                socket_.state() == QAbstractSocket::ConnectingState ||
                                socket_.state() == QAbstractSocket::HostLookupState;
        const std::string why = unanswered ? "no answer from the device server within " +
                                                 std::to_string(kConnectTimeoutMs / 1000) + " s"
                                           : socket_.errorString().toStdString();
        socket_.abort();
        Fail(TAPLINK_TEXT("Messages", "open"), why);
    }
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (telnet_) {
        // A server that closes at once (its device busy, say) shows up in the
        // negotiation below, with what it said.
        TryWrite(telnet::Client::Greeting());
        client_.Greeted();
        const Wait w = Await([this] { return client_.Settled(); }, kNegotiationTimeoutMs);
        switch (w) {
            case Wait::Done: break;
            case Wait::Faulted: Refuse(*client_.Fault());
            case Wait::Lost:
                Refuse("the device server closed the connection during the Telnet negotiation" +
                       Said(held_));
            case Wait::Abandoned: Refuse(TAPLINK_TEXT("Messages", "the program is stopping"));
            case Wait::TimedOut:
                Refuse("the device server did not finish the Telnet negotiation within " +
                       std::to_string(kNegotiationTimeoutMs / 1000) +
                       " s (a raw TCP server is given as tcp://HOST:PORT)");
        }
        if (client_.BinaryRefused()) {
            Refuse(
                "the device server refused Telnet binary mode, so data could not pass "
                "unchanged");
        }
        if (TakesSettings()) {
            // Line errors are reported only when asked for; some servers never
            // answer this, and nothing depends on the answer.
            TryWrite(telnet::Client::Command(ComPort::SetLineStateMask, {kLineStateMask}));
        } else {
            NoticeDeclined();
        }
    }
    failureReported_ = false;
    if (!held_.empty() || !events_.empty()) ScheduleDelivery();
}

void NetworkPort::NoticeDeclined() {
    const std::string note = DeclinedSettingsNote(device_);
    QMetaObject::invokeMethod(
        this,
        [this, note] {
            if (onNotice) onNotice(note);
        },
        Qt::QueuedConnection);
}

bool NetworkPort::Resume() {
    kept_ = false;
    // A closed port receives nothing: what came since is not the caller's.
    // Reading it also finds a server that has hung up meanwhile.
    Discard();
    events_.clear();
    if (!Connected() || client_.Fault()) return false;
    failureReported_ = false;
    // Told at every opening, as a new connection tells it.
    if (telnet_ && !TakesSettings()) NoticeDeclined();
    return true;
}

void NetworkPort::CloseSoon(int flushMs) {
    if (!Connected()) {
        Close(0);
        return;
    }
    Flush(flushMs);
    kept_ = true;
    keptFlushMs_ = flushMs;
    failureReported_ = true;  // a closed port has no connection to lose
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (kept_) Close(keptFlushMs_);
        },
        Qt::QueuedConnection);
}

void NetworkPort::Close(int flushMs) {
    kept_ = false;
    Flush(flushMs);
    failureReported_ = true;  // our own closing is no lost connection
    if (Connected() && flushMs > 0) {
        // The server gets a moment to put bytes written just now on its line
        // before it learns that we are gone: servers close their device at
        // once, and some devices drop what they have not sent yet.
        const qint64 since = lastWrite_.isValid() ? lastWrite_.elapsed() : kLingerMs;
        if (since < kLingerMs) {
            QDeadlineTimer linger(kLingerMs - since);
            while (socket_.state() == QAbstractSocket::ConnectedState && !linger.hasExpired() &&
                   !aborted_) {
                socket_.readAll();
                socket_.waitForReadyRead(
                    static_cast<int>(std::max<qint64>(linger.remainingTime(), 1)));
            }
        }
        // Closing with bytes still unread makes the system reset the
        // connection, and a server that gets a reset may throw away what it
        // has not yet put on the line: the last bytes of a frame. End our
        // side instead, read what still comes, and let the server close.
        ::shutdown(static_cast<int>(socket_.socketDescriptor()), SHUT_WR);
        QDeadlineTimer deadline(flushMs);
        while (socket_.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired() &&
               !aborted_) {
            socket_.readAll();
            socket_.waitForReadyRead(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
        }
    }
    socket_.abort();
    held_.clear();
    events_.clear();
}

void NetworkPort::Flush(int ms) {
    QDeadlineTimer deadline(ms);
    while (Connected() && socket_.bytesToWrite() > 0) {
        if (aborted_ || !socket_.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    }
}

long NetworkPort::Unsent() const {
    long unsent = static_cast<long>(socket_.bytesToWrite());
#ifdef __linux__
    // The system's send queue: bytes the server has not acknowledged. A
    // server whose line is held stops reading, and the queue stays.
    int queued = 0;
    if (::ioctl(static_cast<int>(socket_.socketDescriptor()), SIOCOUTQ, &queued) == 0) {
        unsent += queued;
    }
#endif
    return unsent;
}

void NetworkPort::Write(const Bytes& bytes) {
    WriteWire(telnet_ ? telnet::Client::Escape(bytes) : bytes);
}

void NetworkPort::WriteWire(const Bytes& wire) {
    if (!TryWrite(wire))
        Fail(TAPLINK_TEXT("Messages", "write all data to"), socket_.errorString().toStdString());
}

bool NetworkPort::TryWrite(const Bytes& wire) {
    const auto size = static_cast<qint64>(wire.size());
    if (!Connected() || socket_.write(reinterpret_cast<const char*>(wire.data()), size) != size) {
        return false;
    }
    // Hand the bytes to the system now: a paced byte's time on the line is
    // the time it was written.
    socket_.flush();
    lastWrite_.start();
    return true;
}

Bytes NetworkPort::Read(std::size_t max) {
    Take();
    const std::size_t n = max == 0 ? held_.size() : std::min(max, held_.size());
    Bytes out(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
    // What the socket kept back while the buffer was full raises no new
    // readyRead: look at it now.
    Take();
    if (!held_.empty()) ScheduleDelivery();
    return out;
}

void NetworkPort::Take() {
    while (static_cast<qsizetype>(held_.size()) < kMaxHeld && socket_.bytesAvailable() > 0 &&
           !client_.Fault()) {
        const QByteArray chunk = socket_.read(kMaxHeld - static_cast<qsizetype>(held_.size()));
        if (chunk.isEmpty()) break;
        if (!telnet_) {
            held_.insert(held_.end(), chunk.begin(), chunk.end());
            continue;
        }
        client_.Feed(reinterpret_cast<const std::uint8_t*>(chunk.constData()),
                     static_cast<std::size_t>(chunk.size()));
        const std::size_t before = held_.size();
        std::size_t erased = 0;
        const Bytes data = client_.TakeData();
        held_.insert(held_.end(), data.begin(), data.end());
        const Bytes replies = client_.TakeReplies();
        if (!replies.empty()) {
            socket_.write(reinterpret_cast<const char*>(replies.data()),
                          static_cast<qint64>(replies.size()));
            socket_.flush();
        }
        for (auto& m : client_.TakeMessages()) {
            const auto& table =
                m.command == ComPort::NotifyLineState ? kLineStateEvents : kModemStateEvents;
            if (m.command == ComPort::NotifyLineState || m.command == ComPort::NotifyModemState) {
                for (const auto& [bit, event] : table) {
                    if (!m.value.empty() && (m.value[0] & bit)) events_.push_back(event);
                }
            } else {
                // What came before the answer to a purge was in the server's
                // buffers when it emptied them: it goes the same way.
                const std::size_t cut = before + m.at;
                if (m.command == ComPort::PurgeData && cut > erased) {
                    held_.erase(held_.begin(),
                                held_.begin() + static_cast<std::ptrdiff_t>(cut - erased));
                    erased = cut;
                }
                answers_.push_back(std::move(m));
            }
        }
        // Only the latest answers matter; a server repeating itself cannot
        // make this grow.
        if (answers_.size() > 16) answers_.erase(answers_.begin(), answers_.end() - 16);
    }
    if (client_.Fault() && !blocking_ && !failureReported_) {
        ReportLost(*client_.Fault());
        socket_.abort();
    }
}

void NetworkPort::OnReadyRead() {
    // What a server says as soon as it has accepted waits for the opening's
    // own reading, after the greeting.
    if (connecting_) return;
    Take();
    if (!held_.empty() || !events_.empty()) ScheduleDelivery();
}

void NetworkPort::ScheduleDelivery() {
    if (deliveryQueued_) return;
    deliveryQueued_ = true;
    QMetaObject::invokeMethod(this, &NetworkPort::Deliver, Qt::QueuedConnection);
}

void NetworkPort::Deliver() {
    deliveryQueued_ = false;
    if (blocking_ || !IsOpen()) return;
    while (!events_.empty()) {
        const short event = events_.front();
        events_.pop_front();
        if (onEvent) onEvent(event);
        if (!IsOpen()) return;
    }
    if (!held_.empty() && onData) onData();
}

NetworkPort::Wait NetworkPort::Await(const std::function<bool()>& done, int ms) {
    const bool outer = blocking_;
    blocking_ = true;
    QDeadlineTimer deadline(ms);
    Wait result = Wait::Done;
    for (;;) {
        Take();
        if (client_.Fault()) {
            result = Wait::Faulted;
            break;
        }
        if (done()) break;
        if (!Connected()) {
            result = Wait::Lost;
            break;
        }
        if (aborted_) {
            result = Wait::Abandoned;
            break;
        }
        if (deadline.hasExpired()) {
            result = Wait::TimedOut;
            break;
        }
        // With the buffer full no more is read; wait out the time rather than spin.
        if (!socket_.waitForReadyRead(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))) &&
            socket_.state() != QAbstractSocket::ConnectedState) {
            Take();
            result = done() ? Wait::Done : Wait::Lost;
            break;
        }
    }
    blocking_ = outer;
    if (!outer && (!held_.empty() || !events_.empty())) ScheduleDelivery();
    return result;
}

bool NetworkPort::WaitForConnection() {
    if (aborted_) return false;
    // Only the connection may run the event loop: a host that is down takes
    // the whole time, while a server that is up answers the rest at once.
    // Waits of one port inside another's would stretch the outer one's later
    // waits into false time-outs.
    if (waitInLoop_ && socket_.state() != QAbstractSocket::ConnectedState &&
        socket_.state() != QAbstractSocket::UnconnectedState) {
        enum class End { None, Connected, Over } end = End::None;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        const auto finish = [&](End why) {
            if (end == End::None) end = why;
            loop.quit();
        };
        connect(&timer, &QTimer::timeout, &loop, [&] { finish(End::Over); });
        connect(&socket_, &QTcpSocket::errorOccurred, &loop, [&] { finish(End::Over); });
        connect(&socket_, &QTcpSocket::connected, &loop, [&] { finish(End::Connected); });
        QDeadlineTimer deadline(kConnectTimeoutMs);
        waiting_ = &loop;
        timer.start(kConnectTimeoutMs);
        loop.exec();
        waiting_ = nullptr;
        if (end != End::None || aborted_) return end == End::Connected;
        // The application is quitting and ends every loop: wait as before.
        return socket_.waitForConnected(static_cast<int>(deadline.remainingTime()));
    }
    return socket_.waitForConnected(kConnectTimeoutMs);
}

void NetworkPort::AbortWaits() {
    aborted_ = true;
    if (waiting_) waiting_->quit();
}

void NetworkPort::Set(ComPort command, const Bytes& value, const std::string& operation) {
    answers_.clear();
    const telnet::ComPortMessage* answer = nullptr;
    // A server that has hung up already is found by the wait.
    TryWrite(telnet::Client::Command(command, value));
    const Wait w = Await(
        [&] {
            const auto it = std::find_if(answers_.begin(), answers_.end(),
                                         [&](const auto& m) { return m.command == command; });
            answer = it == answers_.end() ? nullptr : &*it;
            return answer != nullptr;
        },
        kAnswerTimeoutMs);
    switch (w) {
        case Wait::Done: break;
        case Wait::Faulted: {
            const std::string why = *client_.Fault();
            Close(0);
            Fail(operation, why);
        }
        case Wait::Lost: {
            const std::string said = Said(held_);
            Close(0);
            Fail(operation, "the device server closed the connection" + said);
        }
        case Wait::Abandoned: Fail(operation, TAPLINK_TEXT("Messages", "the program is stopping"));
        case Wait::TimedOut:
            Fail(operation, "the device server did not answer within " +
                                std::to_string(kAnswerTimeoutMs / 1000) + " s");
    }
    if (answer->value != value) {
        Fail(operation, "the device server answered " + Describe(command, answer->value) +
                            " instead of " + Describe(command, value));
    }
}

void NetworkPort::ApplySettings(const std::string& settings) {
    if (!TakesSettings()) return;
    const auto p = ParseSettingsText(settings);
    if (!p) return;  // callers parse first
    const auto what = [&](const char* part) {
        return std::string("set ") + part + " \"" + settings + "\" on";
    };
    Set(ComPort::SetBaudRate, telnet::BaudRateValue(static_cast<std::uint32_t>(p->baudRate)),
        what("the bit rate of"));
    if (p->dataBits < 5) {
        Fail("set \"" + settings + "\" on", "the COM port option has no setting for 4 data bits");
    }
    Set(ComPort::SetDataSize, {static_cast<std::uint8_t>(p->dataBits)}, what("the data bits of"));
    Set(ComPort::SetParity, {ParityCode(p->parity)}, what("the parity of"));
    Set(ComPort::SetStopSize, {StopCode(p->stopBits)}, what("the stop bits of"));
}

void NetworkPort::ApplyHandshaking(long value) {
    if (!TakesSettings()) return;
    if (value == 3) {
        Fail(TAPLINK_TEXT("Messages", "set the handshaking of"),
             TAPLINK_TEXT("Messages", "the COM port option cannot combine RTS/CTS with XON/XOFF"));
    }
    // 0 none, 1 XON/XOFF, 2 RTS/CTS map onto the option's 1, 2 and 3.
    Set(ComPort::SetControl, {static_cast<std::uint8_t>(value + 1)}, "set the handshaking of");
}

void NetworkPort::DropInput() {
    if (!IsOpen())
        Fail(TAPLINK_TEXT("Messages", "empty the input buffer of"),
             TAPLINK_TEXT("Messages", "the port is not open"));
    if (TakesSettings()) {
        held_.clear();
        Set(ComPort::PurgeData, {1}, "empty the input buffer of");
        return;
    }
    Discard();
    if (!Connected()) {
        Close(0);
        Fail(TAPLINK_TEXT("Messages", "empty the input buffer of"),
             TAPLINK_TEXT("Messages", "the device server closed the connection"));
    }
}

void NetworkPort::Discard() {
    const bool outer = blocking_;
    blocking_ = true;
    // Not only what Qt has read: what waits in the system too, as a purge
    // of a local port takes the driver's buffer with it.
    for (int round = 0; round < kDropRounds && !client_.Fault(); ++round) {
        Take();
        held_.clear();
        if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(0)) break;
    }
    held_.clear();
    blocking_ = outer;
}

void NetworkPort::OnSocketLost() {
    // During an access the access itself reports it.
    if (failureReported_ || blocking_) return;
    const std::string reason = socket_.error() == QAbstractSocket::RemoteHostClosedError ||
                                       socket_.error() == QAbstractSocket::UnknownSocketError
                                   ? "the device server closed the connection"
                                   : socket_.errorString().toStdString();
    ReportLost(reason);
    socket_.abort();
}

void NetworkPort::ReportLost(const std::string& reason) {
    failureReported_ = true;
    const std::string what = FillPattern(kLostConnection, {device_, reason});
    QMetaObject::invokeMethod(
        this,
        [this, what] {
            if (onLost) onLost(what);
        },
        Qt::QueuedConnection);
}

}  // namespace taplink
