// The serial control as the rest of the program sees it: the properties that
// the window sets and reads, and the one OnComm event. The production
// implementation drives QSerialPort (qt_serial_comm.h); tests use a scripted
// control that records every property access.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "translatable.h"

namespace taplink {

using Bytes = std::vector<std::uint8_t>;

// Raised by any property access that the port refuses (a missing or busy
// device, a setting the device cannot take, a write on a closed port). It ends
// the running handler; the window's event dispatch shows what() in a
// stop-icon message box and the window stays usable.
class CommError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    CommError(const std::string& pattern, std::vector<std::string> args, unsigned textArgs = 0)
        : std::runtime_error(FillPattern(pattern, args)),
          pattern(pattern),
          args(std::move(args)),
          textArgs(textArgs) {}

    // How what() was made, for a translation; empty for a text of its own.
    std::string pattern;
    std::vector<std::string> args;
    unsigned textArgs = 0;  // bit k: args[k] is a marked text, translated too
};

// The one form of a refused access: what was tried, on which port, and why.
// The operation and the reason are looked up in the catalogues as well.
[[noreturn]] inline void ThrowPortError(const std::string& operation, const std::string& port,
                                        const std::string& reason) {
    throw CommError(TAPLINK_TEXT("Messages", "Failed to %1 port %2.\nError: %3"),
                    {operation, port, reason}, 0b101);
}

// A port given as tcp://HOST:PORT is a serial device server (raw TCP, or
// ser2net): the line settings are made on the server, not by this program.
inline bool IsNetworkPort(const std::string& device) {
    return device.rfind("tcp://", 0) == 0;
}
// What the serial control reports when the line goes: FillPattern(it, {port, reason}).
inline constexpr const char* kLostConnection =
    TAPLINK_TEXT("Messages", "Lost the connection to port %1.\nError: %2");

inline constexpr const char* kNetworkPortNote = TAPLINK_TEXT(
    "Messages",
    "Bit rate, parity, data bits, stop bits and handshaking are set on the serial device server "
    "for a tcp:// port; the values chosen here are not sent to it.");

// A port given as rfc2217://HOST:PORT is a device server that takes the line
// settings through the Telnet COM port option, as a local port takes them.
inline bool IsRfc2217Port(const std::string& device) {
    return device.rfind("rfc2217://", 0) == 0;
}
// What the operator is told when such a server declines the option.
inline std::string DeclinedSettingsNote(const std::string& device) {
    return "The device server at " + device +
           " declined the Telnet COM port option (RFC 2217): bit rate, parity, data bits, stop "
           "bits and handshaking are set on the server; the values chosen here are not sent to "
           "it.";
}

// CommEvent values besides data, for line and modem changes a port reports.
constexpr short kComEvCts = 3;
constexpr short kComEvDsr = 4;
constexpr short kComEvCd = 5;
constexpr short kComEvRing = 6;
constexpr short kComEventBreak = 1001;
constexpr short kComEventFrame = 1004;
constexpr short kComEventOverrun = 1006;
constexpr short kComEventRxParity = 1009;

// CommEvent values the program looks at.
constexpr short kComEvReceive = 2;

// InputMode values.
constexpr long kInputModeText = 0;
constexpr long kInputModeBinary = 1;

class CMSComm {
  public:
    virtual ~CMSComm() = default;

    virtual void SetCommPort(short port) = 0;
    virtual void SetHandshaking(long value) = 0;
    virtual void SetInBufferSize(short size) = 0;
    virtual void SetInBufferCount(short count) = 0;
    virtual void SetInputLen(short len) = 0;
    virtual void SetOutBufferSize(short size) = 0;
    virtual bool GetPortOpen() = 0;
    virtual void SetPortOpen(bool open) = 0;
    virtual void SetRThreshold(short threshold) = 0;
    virtual void SetSettings(const std::string& settings) = 0;
    // Queues the bytes for transmission, in order after earlier writes.
    virtual void SetOutput(const Bytes& bytes) = 0;
    // Every byte received since the last read (up to InputLen when it is not 0).
    virtual Bytes GetInput() = 0;
    // Bytes written and not yet on the line: the control's own queue and the
    // system's. A far end that holds the line (XOFF, CTS low) or stops
    // reading leaves it where it is; 0 means the last byte written has left.
    virtual long GetOutBufferCount() = 0;
    // The code of the event being delivered.
    virtual short GetCommEvent() = 0;
    virtual void SetInputMode(long mode) = 0;
    // A remark about the line for whoever reads its trace (bytes ignored,
    // say). Controls without a trace drop it.
    virtual void Note(const std::string& text) { (void)text; }

    // The OnComm event, delivered on the thread that owns the control.
    void SetOnComm(std::function<void()> handler) { onComm_ = std::move(handler); }
    // A line failure while the port is open (adapter unplugged, peer gone):
    // the control has already closed the port; the text names port and reason.
    // Delivered once per failure, never from inside a property access.
    void SetOnFailure(std::function<void(const std::string&)> handler) {
        onFailure_ = std::move(handler);
    }
    // Something about the port the operator should know but that is no
    // failure (a device server that keeps its own settings, say). Delivered
    // once per opening, never from inside a property access.
    void SetOnNotice(std::function<void(const std::string&)> handler) {
        onNotice_ = std::move(handler);
    }

  protected:
    void FireOnComm() {
        if (onComm_) onComm_();
    }
    void FireFailure(const std::string& what) {
        if (onFailure_) onFailure_(what);
    }
    void FireNotice(const std::string& what) {
        if (onNotice_) onNotice_(what);
    }

  private:
    std::function<void()> onComm_;
    std::function<void(const std::string&)> onFailure_;
    std::function<void(const std::string&)> onNotice_;
};

}  // namespace taplink
