// The serial device server's side of Telnet with the COM port control
// option (RFC 2217), read from the RFCs alone so that it checks TapLink's
// client rather than agreeing with it: bytes from the client in, the
// controller's data and the answers out, no I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ms_comm.h"

namespace taplink::sim {

// What a device server can get wrong, for testing the client against it.
enum class TelnetFault {
    None,
    RefuseComPort,   // DONT COM-PORT-OPTION: the link is plain Telnet
    WrongBaud,       // every bit rate asked for answered as half of it
    SilentSettings,  // no answer to any SET- command
    Notify,          // a modem-state and a line-state report before any data
};

// The longest subnegotiation taken (command and value, IAC IAC counted once).
inline constexpr std::size_t kMaxSubnegotiation = 64;

class TelnetServer {
  public:
    explicit TelnetServer(TelnetFault fault = TelnetFault::None);

    // The offers that go to a client the moment it connects.
    Bytes Greeting() const;

    struct Input {
        Bytes data;   // for the controller
        Bytes reply;  // for the client, ahead of any more of the controller's data
        // The client had the controller's output not yet sent thrown away.
        bool purgeOutput = false;
        std::vector<std::string> notes;  // settings the client changed
        std::string bad;                 // not empty: drop the client, for this reason
    };
    // The next bytes from the client, however the stream was cut.
    Input Feed(const Bytes& wire);

    // The controller's bytes as they go to the client.
    static Bytes Escape(const Bytes& data);

    // The Notify fault keeps the controller's data back until its reports
    // have gone (or the client has refused the option).
    bool HoldsData() const { return holding_; }

  private:
    // RFC 1143's states, less those for withdrawing an option: the server
    // never changes its mind.
    enum class Q : std::uint8_t { No, Yes, WantYes };
    enum class State : std::uint8_t { Data, Iac, Option, SubOption, Sub, SubIac };

    void Command(std::uint8_t byte, Input& in);
    void Negotiate(std::uint8_t verb, std::uint8_t option, Input& in);
    bool Accepts(bool his, std::uint8_t option) const;
    void Subnegotiate(Input& in);
    void Setting(std::uint8_t asked, std::uint8_t low, std::uint8_t high, std::uint8_t& held,
                 const char* const* texts, Input& in);
    void Control(std::uint8_t asked, Input& in);
    void Answer(std::uint8_t command, const Bytes& value, Input& in, bool isSetting = true);

    TelnetFault fault_;
    std::array<Q, 256> us_{};   // options on the server's side
    std::array<Q, 256> him_{};  // options on the client's side
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::uint8_t subOption_ = 0;
    Bytes sub_;
    bool holding_;

    // The line as the client set it, in RFC 2217's numbers.
    std::uint32_t baud_ = 9600;
    std::uint8_t dataSize_ = 8;
    std::uint8_t parity_ = 1;                               // none
    std::uint8_t stopSize_ = 1;                             // one bit
    std::array<std::uint8_t, 5> control_{1, 6, 8, 11, 14};  // flow none, no break, DTR, RTS on
    std::uint8_t lineStateMask_ = 0;
    std::uint8_t modemStateMask_ = 255;
};

}  // namespace taplink::sim
