// The client side of a Telnet connection to a serial device server that
// takes its line settings through the COM port control option (RFC 2217).
// Pure: bytes from the server go in, and out come the data bytes for the
// protocol code, the negotiation replies to write back, and the server's COM
// port messages. No sockets, no clocks; the caller times the answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ms_comm.h"

namespace taplink::telnet {

inline constexpr std::uint8_t kIac = 0xFF;
inline constexpr std::uint8_t kDont = 0xFE;
inline constexpr std::uint8_t kDo = 0xFD;
inline constexpr std::uint8_t kWont = 0xFC;
inline constexpr std::uint8_t kWill = 0xFB;
inline constexpr std::uint8_t kSb = 0xFA;
inline constexpr std::uint8_t kSe = 0xF0;

inline constexpr std::uint8_t kOptBinary = 0;
inline constexpr std::uint8_t kOptSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptComPort = 44;

// COM port option commands as the client sends them; the server's answer to
// each carries the same code plus kServerOffset.
enum class ComPort : std::uint8_t {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
};
inline constexpr std::uint8_t kServerOffset = 100;

// A subnegotiation longer than this is not a server we can talk to: the
// longest legitimate one (a signature) is far shorter.
inline constexpr std::size_t kMaxSubnegotiation = 256;

// A COM port message from the server: the command (without the offset) and
// its value bytes.
struct ComPortMessage {
    ComPort command;
    Bytes value;
    // Data bytes decoded before it since the last TakeData (its place in
    // the stream).
    std::size_t at = 0;
    bool operator==(const ComPortMessage& o) const {
        return command == o.command && value == o.value;
    }
};

// How far one side of an option has got.
enum class OptionState : std::uint8_t {
    No,       // off, nothing asked
    Asked,    // we asked, no answer yet
    Yes,      // agreed
    Refused,  // we asked and the server declined
};

class Client {
  public:
    // What the client writes first: its offers of binary mode both ways and
    // of the COM port option.
    static Bytes Greeting();
    // Data for the line as it goes on the connection (0xFF doubled).
    static Bytes Escape(const Bytes& data);
    // A COM port command with its value, escaped.
    static Bytes Command(ComPort command, const Bytes& value);

    // Call once the greeting is written.
    void Greeted();
    // Takes bytes from the server. Stops at the first protocol fault, which
    // Fault() then names; later bytes are ignored.
    void Feed(const std::uint8_t* bytes, std::size_t count);

    // Data bytes decoded since the last call.
    Bytes TakeData();
    // Negotiation replies to write to the server, escaped and in order.
    Bytes TakeReplies();
    // COM port messages received since the last call.
    std::vector<ComPortMessage> TakeMessages();

    // Binary mode both ways and the COM port option are each settled
    // (agreed or refused).
    bool Settled() const;
    OptionState ComPortState() const { return comPort_; }
    // Binary mode was refused either way: a frame cannot pass unchanged.
    bool BinaryRefused() const;
    const std::optional<std::string>& Fault() const { return fault_; }

  private:
    enum class Read : std::uint8_t {
        Data,        // plain data; 0xFF starts a command
        Command,     // after IAC
        Option,      // after IAC and one of WILL, WONT, DO, DONT
        Sub,         // inside a subnegotiation
        SubCommand,  // after IAC inside a subnegotiation
    };
    void OnOption(std::uint8_t verb, std::uint8_t option);
    void OnSubnegotiation();
    void Reply(std::uint8_t verb, std::uint8_t option);
    void SetFault(std::string text);

    Read read_ = Read::Data;
    std::uint8_t verb_ = 0;
    Bytes sub_;
    Bytes data_;
    Bytes replies_;
    std::vector<ComPortMessage> messages_;
    // Our side: binary sending and the COM port option; their side: binary.
    OptionState binaryOut_ = OptionState::No;
    OptionState binaryIn_ = OptionState::No;
    OptionState comPort_ = OptionState::No;
    bool sgaIn_ = false;
    bool sgaOut_ = false;
    std::optional<std::string> fault_;
};

// The answer the server should give to a setting, as value bytes.
Bytes BaudRateValue(std::uint32_t rate);
std::optional<std::uint32_t> BaudRateFrom(const Bytes& value);

}  // namespace taplink::telnet
