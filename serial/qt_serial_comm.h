// CMSComm over QSerialPort: serial devices by path, pseudo-terminals included.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <functional>
#include <string>

#include "ms_comm.h"
#include "network_port.h"

namespace taplink {

class QtSerialComm : public QObject, public CMSComm {
    Q_OBJECT
  public:
    // How long closing waits for queued bytes to leave.
    static constexpr int kFlushTimeoutMs = 2000;

    // Maps the CommPort number (list position + 1) to a device path; an empty
    // path means there is no such port.
    using PortResolver = std::function<std::string(int port)>;

    explicit QtSerialComm(PortResolver resolver, QObject* parent = nullptr);
    ~QtSerialComm() override;

    void SetCommPort(short port) override;
    void SetHandshaking(long value) override;
    void SetInBufferSize(short size) override;
    void SetInBufferCount(short count) override;
    void SetInputLen(short len) override;
    void SetOutBufferSize(short size) override;
    bool GetPortOpen() override;
    void SetPortOpen(bool open) override;
    void SetRThreshold(short threshold) override;
    void SetSettings(const std::string& settings) override;
    void SetOutput(const Bytes& bytes) override;
    Bytes GetInput() override;
    long GetOutBufferCount() override;
    short GetCommEvent() override;
    void SetInputMode(long mode) override;

    // The device path of the open port (or of the last one tried).
    std::string DevicePath() const { return device_; }
    // Hands every queued byte to the device (waits at most ms).
    void Flush(int ms = kFlushTimeoutMs);
    // For a program serving many ports from one thread: a device server's
    // waits run the event loop instead of blocking it (see NetworkPort).
    void SetWaitInEventLoop(bool on) { net_.SetWaitInEventLoop(on); }
    void AbortWaits() { net_.AbortWaits(); }
    // Closes for good (no failure is reported after), waiting at most ms in
    // all for queued bytes to leave.
    void CloseWithin(int ms);

  private:
    void OnReadyRead();
    void OnLineEvent(short event);
    void OnErrorOccurred(QSerialPort::SerialPortError error);
    void ReportLost(const QString& reason);
    bool IsOpen() const;
    // The settings text and then the handshaking, as the set-up makes them.
    void ApplyLine(const std::string& settings);
    void ApplySettings(const std::string& settings);
    void ApplyHandshaking();
    [[noreturn]] void Fail(const std::string& operation, const QString& reason);

    PortResolver resolver_;
    QSerialPort port_;
    NetworkPort net_;
    bool network_ = false;  // the port is a serial device server
    std::string device_;
    short commPort_ = 1;
    long handshaking_ = 0;
    short inBufferSize_ = 1024;
    short inputLen_ = 0;
    short rThreshold_ = 0;
    short commEvent_ = 0;
    std::string settings_ = "9600,N,8,1";
    bool failureReported_ = false;
};

}  // namespace taplink
