#include "qt_serial_comm.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "settings_text.h"

namespace taplink {
namespace {

QSerialPort::Parity ToQt(Parity p) {
    switch (p) {
        case Parity::Even: return QSerialPort::EvenParity;
        case Parity::Odd: return QSerialPort::OddParity;
        case Parity::Mark: return QSerialPort::MarkParity;
        case Parity::Space: return QSerialPort::SpaceParity;
        case Parity::None: break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits s) {
    switch (s) {
        case StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
        case StopBits::Two: return QSerialPort::TwoStop;
        case StopBits::One: break;
    }
    return QSerialPort::OneStop;
}

}  // namespace

QtSerialComm::QtSerialComm(PortResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialComm::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialComm::OnErrorOccurred);
    net_.onData = [this] { OnReadyRead(); };
    net_.onEvent = [this](short event) { OnLineEvent(event); };
    net_.onLost = [this](const std::string& what) { FireFailure(what); };
    net_.onNotice = [this](const std::string& what) { FireNotice(what); };
}

QtSerialComm::~QtSerialComm() {
    // Silence the error handlers: closing during destruction is not a failure.
    port_.disconnect(this);
    net_.onLost = nullptr;
    Flush();
    // A device server is left in good order: nothing it still holds for the
    // line is thrown away.
    if (network_) net_.Close(kFlushTimeoutMs);
}

void QtSerialComm::Flush(int ms) {
    // Written bytes still queued here go to the device before it closes:
    // nothing already handed over is lost.
    if (network_) {
        net_.Flush(ms);
        return;
    }
    QDeadlineTimer deadline(ms);
    while (port_.isOpen() && port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
}

void QtSerialComm::CloseWithin(int ms) {
    port_.disconnect(this);
    net_.onLost = nullptr;
    QElapsedTimer spent;
    spent.start();
    Flush(ms);
    if (port_.isOpen()) port_.close();
    if (network_) net_.Close(static_cast<int>(std::max<qint64>(ms - spent.elapsed(), 1)));
    network_ = false;
}

bool QtSerialComm::IsOpen() const {
    return network_ ? net_.IsOpen() : port_.isOpen();
}

void QtSerialComm::Fail(const std::string& operation, const QString& reason) {
    ThrowPortError(operation, device_.empty() ? "COM" + std::to_string(commPort_) : device_,
                   reason.toStdString());
}

void QtSerialComm::SetCommPort(short port) {
    if (IsOpen())
        Fail(TAPLINK_TEXT("Messages", "change the port number of"),
             TAPLINK_TEXT("Messages", "the port is already open"));
    if (port < 1) {
        throw CommError("Invalid port number " + std::to_string(port) + ".");
    }
    commPort_ = port;
}

void QtSerialComm::SetHandshaking(long value) {
    if (value < 0 || value > 3) {
        throw CommError("Invalid handshaking value " + std::to_string(value) + ".");
    }
    // As with the settings text, a value the device refuses is not kept.
    const long before = handshaking_;
    handshaking_ = value;
    if (!IsOpen()) return;
    try {
        ApplyHandshaking();
    } catch (const CommError&) {
        handshaking_ = before;
        throw;
    }
}

void QtSerialComm::SetInBufferSize(short size) {
    if (IsOpen())
        Fail(TAPLINK_TEXT("Messages", "resize the input buffer of"),
             TAPLINK_TEXT("Messages", "the port is already open"));
    inBufferSize_ = size;
}

void QtSerialComm::SetInBufferCount(short count) {
    if (!IsOpen())
        Fail(TAPLINK_TEXT("Messages", "empty the input buffer of"),
             TAPLINK_TEXT("Messages", "the port is not open"));
    if (count != 0) return;
    if (network_) {
        net_.DropInput();
        return;
    }
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

void QtSerialComm::SetInputLen(short len) {
    inputLen_ = len < 0 ? 0 : len;
}

void QtSerialComm::SetOutBufferSize(short /*size*/) {
    // QSerialPort's write buffer grows as needed; nothing to limit here.
    if (IsOpen())
        Fail(TAPLINK_TEXT("Messages", "resize the output buffer of"),
             TAPLINK_TEXT("Messages", "the port is already open"));
}

bool QtSerialComm::GetPortOpen() {
    return IsOpen();
}

void QtSerialComm::SetPortOpen(bool open) {
    if (!open) {
        Flush();
        if (port_.isOpen()) port_.close();
        if (network_) net_.CloseSoon(kFlushTimeoutMs);
        return;
    }
    if (IsOpen())
        Fail(TAPLINK_TEXT("Messages", "open"),
             TAPLINK_TEXT("Messages", "the port is already open"));
    device_ = resolver_ ? resolver_(commPort_) : std::string{};
    if (device_.empty()) {
        ThrowPortError(TAPLINK_TEXT("Messages", "open"), std::to_string(commPort_),
                       TAPLINK_TEXT("Messages",
                                    "no serial device is present at that position of the port "
                                    "list"));
    }
    network_ = IsNetworkPort(device_) || IsRfc2217Port(device_);
    // A connection kept from before goes when the port changes.
    if (!network_) net_.Close(kFlushTimeoutMs);
    if (network_) {
        net_.Open(device_);
        try {
            ApplyLine(settings_);
        } catch (const CommError&) {
            net_.Close(0);
            throw;
        }
        return;
    }
    port_.setPortName(QString::fromStdString(device_));
    port_.setReadBufferSize(inBufferSize_);
    if (!port_.open(QIODevice::ReadWrite))
        Fail(TAPLINK_TEXT("Messages", "open"), port_.errorString());
    failureReported_ = false;
    try {
        ApplyLine(settings_);
    } catch (const CommError&) {
        port_.close();
        throw;
    }
}

void QtSerialComm::SetRThreshold(short threshold) {
    rThreshold_ = threshold;
}

void QtSerialComm::SetSettings(const std::string& settings) {
    std::string why;
    if (!ParseSettingsText(settings, &why)) {
        throw CommError("Invalid settings \"" + settings + "\": " + why + ".");
    }
    // A text the device refuses is not kept: the next opening uses the last
    // one that worked.
    if (IsOpen()) {
        try {
            ApplyLine(settings);
        } catch (const CommError&) {
            // The parameters go one at a time: one refused part-way leaves the
            // earlier ones applied. Put the line back as it was, or close it
            // rather than leave it in a state nobody chose.
            try {
                ApplyLine(settings_);
            } catch (const CommError&) {
                if (network_) {
                    net_.Close(0);
                } else {
                    port_.close();
                }
            }
            throw;
        }
    }
    settings_ = settings;
}

void QtSerialComm::ApplyLine(const std::string& settings) {
    ApplySettings(settings);
    ApplyHandshaking();
}

void QtSerialComm::ApplySettings(const std::string& settings) {
    if (network_) {
        net_.ApplySettings(settings);
        return;
    }
    const auto p = ParseSettingsText(settings);
    if (!p) return;  // callers parse first
    const auto refused = [&](const char* what) {
        Fail(std::string("set ") + what + " \"" + settings + "\" on", port_.errorString());
    };
    if (!port_.setBaudRate(p->baudRate)) refused("the bit rate of");
    if (p->dataBits < 5) {
        Fail("set \"" + settings + "\" on",
             "4 data bits are not supported by this platform's serial ports");
    }
    if (!port_.setDataBits(static_cast<QSerialPort::DataBits>(p->dataBits))) {
        refused("the data bits of");
    }
    if (!port_.setParity(ToQt(p->parity))) refused("the parity of");
    if (!port_.setStopBits(ToQt(p->stopBits))) refused("the stop bits of");
}

void QtSerialComm::ApplyHandshaking() {
    if (network_) {
        net_.ApplyHandshaking(handshaking_);
        return;
    }
    const auto flow = handshaking_ == 1   ? QSerialPort::SoftwareControl
                      : handshaking_ >= 2 ? QSerialPort::HardwareControl
                                          : QSerialPort::NoFlowControl;
    if (!port_.setFlowControl(flow))
        Fail(TAPLINK_TEXT("Messages", "set the handshaking of"), port_.errorString());
    if (handshaking_ != 1 && handshaking_ != 3) return;
#ifdef Q_OS_UNIX
    // QSerialPort has no combined mode: add XON/XOFF to RTS/CTS ourselves.
    // And only XON resumes output held by XOFF: QSerialPort lets any byte
    // do it (IXANY), so a controller that says anything after its XOFF
    // would be sent to again while it cannot take it.
    termios tio{};
    if (::tcgetattr(port_.handle(), &tio) != 0) {
        Fail(TAPLINK_TEXT("Messages", "set the handshaking of"),
             QString::fromLocal8Bit(strerror(errno)));
    }
    tio.c_iflag |= IXON | IXOFF;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXANY);
    if (::tcsetattr(port_.handle(), TCSANOW, &tio) != 0) {
        Fail(TAPLINK_TEXT("Messages", "set the handshaking of"),
             QString::fromLocal8Bit(strerror(errno)));
    }
#else
    if (handshaking_ == 3) {
        Fail(TAPLINK_TEXT("Messages", "set the handshaking of"),
             TAPLINK_TEXT("Messages", "RTS/CTS together with XON/XOFF is not supported here"));
    }
#endif
}

void QtSerialComm::SetOutput(const Bytes& bytes) {
    if (!IsOpen())
        Fail(TAPLINK_TEXT("Messages", "write to"),
             TAPLINK_TEXT("Messages", "the port is not open"));
    if (network_) {
        net_.Write(bytes);
        return;
    }
    const char* data = reinterpret_cast<const char*>(bytes.data());
    auto size = static_cast<qint64>(bytes.size());
#ifdef Q_OS_UNIX
    // With nothing queued, the bytes go straight to the device: one system
    // call, where Qt's queue takes several and as many turns of the event
    // loop. A station writing a request byte every few milliseconds on many
    // lines spends most of its time there. What the device does not take at
    // once, or an error, goes through Qt's queue as before.
    if (port_.bytesToWrite() == 0) {
        const ssize_t n =
            ::write(static_cast<int>(port_.handle()), data, static_cast<size_t>(size));
        if (n > 0) {
            data += n;
            size -= n;
        }
        if (size == 0) return;
    }
#endif
    const qint64 written = port_.write(data, size);
    if (written != size) Fail(TAPLINK_TEXT("Messages", "write all data to"), port_.errorString());
    // Hand the bytes to the system now rather than at the next turn of the
    // event loop: a paced byte's time on the line is the time it was written.
    port_.flush();
}

Bytes QtSerialComm::GetInput() {
    if (!IsOpen())
        Fail(TAPLINK_TEXT("Messages", "read from"),
             TAPLINK_TEXT("Messages", "the port is not open"));
    if (network_) return net_.Read(static_cast<std::size_t>(inputLen_));
    const QByteArray data = inputLen_ > 0 ? port_.read(inputLen_) : port_.readAll();
    return Bytes(data.begin(), data.end());
}

long QtSerialComm::GetOutBufferCount() {
    if (!IsOpen())
        Fail(TAPLINK_TEXT("Messages", "read the output queue of"),
             TAPLINK_TEXT("Messages", "the port is not open"));
    if (network_) return net_.Unsent();
    long queued = static_cast<long>(port_.bytesToWrite());
#ifdef Q_OS_UNIX
    // What the driver holds is not on the line either: a UART's buffer, or
    // everything a far end holds back with XOFF or CTS.
    int driver = 0;
    if (::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &driver) != 0) {
        Fail(TAPLINK_TEXT("Messages", "read the output queue of"),
             QString::fromLocal8Bit(strerror(errno)));
    }
    queued += driver;
#endif
    return queued;
}

short QtSerialComm::GetCommEvent() {
    return commEvent_;
}

void QtSerialComm::SetInputMode(long mode) {
    if (mode != kInputModeText && mode != kInputModeBinary) {
        throw CommError("Invalid input mode " + std::to_string(mode) + ".");
    }
}

void QtSerialComm::OnReadyRead() {
    if (rThreshold_ <= 0) return;
    commEvent_ = kComEvReceive;
    FireOnComm();
}

void QtSerialComm::OnLineEvent(short event) {
    if (rThreshold_ <= 0) return;
    commEvent_ = event;
    FireOnComm();
}

namespace {

// Whether a device the system reported an error on is still there: no
// hang-up, no error, a valid descriptor.
bool StillThere(qintptr fd) {
#ifdef Q_OS_UNIX
    pollfd p{static_cast<int>(fd), POLLIN, 0};
    return fd >= 0 && ::poll(&p, 1, 0) >= 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

}  // namespace

void QtSerialComm::OnErrorOccurred(QSerialPort::SerialPortError error) {
    // A vanished device can raise read or write errors in a tight loop: close
    // once, report once.
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError) {
        return;
    }
    if (!port_.isOpen() || failureReported_) return;
    // A wake-up that finds nothing to read after all (another reader took
    // it) comes as an error too, named after whatever the last system call
    // left behind, and Qt may stop reading. A device that is still there
    // does not report a hang-up: reading goes on (a look into the empty
    // buffer turns it back on).
    if (error != QSerialPort::WriteError && StillThere(port_.handle())) {
        port_.clearError();
        char next;
        port_.peek(&next, 1);
        return;
    }
    ReportLost(port_.errorString());
    port_.close();
}

void QtSerialComm::ReportLost(const QString& reason) {
    failureReported_ = true;
    const std::string what = FillPattern(kLostConnection, {device_, reason.toStdString()});
    QMetaObject::invokeMethod(
        this, [this, what] { FireFailure(what); }, Qt::QueuedConnection);
}

}  // namespace taplink
