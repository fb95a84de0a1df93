#include "telnet_server.h"

#include <iterator>

namespace taplink::sim {

namespace {

constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                       kSe = 240;
constexpr std::uint8_t kBinary = 0, kSga = 3, kComPort = 44;

// COM-PORT-OPTION commands as the client numbers them; the server answers
// each with its number plus 100.
constexpr std::uint8_t kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4,
                       kSetControl = 5, kNotifyLineState = 6, kNotifyModemState = 7,
                       kSetLineStateMask = 10, kSetModemStateMask = 11, kPurgeData = 12;
constexpr std::uint8_t kServer = 100;

constexpr const char* kDataSizeTexts[] = {"5 data bits", "6 data bits", "7 data bits",
                                          "8 data bits"};
constexpr const char* kParityTexts[] = {"parity none", "parity odd", "parity even", "parity mark",
                                        "parity space"};
constexpr const char* kStopSizeTexts[] = {"1 stop bit", "2 stop bits", "1.5 stop bits"};

// SET-CONTROL's values in five groups, each with its own current value; a
// value without a text asks for its group's.
struct ControlValue {
    std::uint8_t group;
    const char* text;
};
constexpr ControlValue kControls[] = {
    {0, nullptr},
    {0, "flow control none"},
    {0, "flow control xon/xoff"},
    {0, "flow control hardware"},
    {1, nullptr},
    {1, "break on"},
    {1, "break off"},
    {2, nullptr},
    {2, "DTR on"},
    {2, "DTR off"},
    {3, nullptr},
    {3, "RTS on"},
    {3, "RTS off"},
    {4, nullptr},
    {4, "inbound flow control none"},
    {4, "inbound flow control xon/xoff"},
    {4, "inbound flow control hardware"},
    {0, "flow control dcd"},
    {4, "inbound flow control dtr"},
    {0, "flow control dsr"},
};

void AppendEscaped(Bytes& out, std::uint8_t byte) {
    out.push_back(byte);
    if (byte == kIac) out.push_back(kIac);
}

}  // namespace

TelnetServer::TelnetServer(TelnetFault fault)
    : fault_(fault), holding_(fault == TelnetFault::Notify) {
    us_[kBinary] = us_[kSga] = Q::WantYes;
    him_[kBinary] = Q::WantYes;
    if (fault_ != TelnetFault::RefuseComPort) him_[kComPort] = Q::WantYes;
}

Bytes TelnetServer::Greeting() const {
    Bytes out = {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSga};
    if (fault_ != TelnetFault::RefuseComPort) out.insert(out.end(), {kIac, kDo, kComPort});
    return out;
}

Bytes TelnetServer::Escape(const Bytes& data) {
    Bytes out;
    out.reserve(data.size());
    for (const std::uint8_t b : data)
        AppendEscaped(out, b);
    return out;
}

TelnetServer::Input TelnetServer::Feed(const Bytes& wire) {
    Input in;
    const auto keep = [&](std::uint8_t b) {
        if (sub_.size() == kMaxSubnegotiation) {
            in.bad =
                "a subnegotiation longer than " + std::to_string(kMaxSubnegotiation) + " bytes";
            state_ = State::Data;
            return false;
        }
        sub_.push_back(b);
        return true;
    };
    for (const std::uint8_t b : wire) {
        switch (state_) {
            case State::Data:
                if (b == kIac)
                    state_ = State::Iac;
                else
                    in.data.push_back(b);
                break;
            case State::Iac: Command(b, in); break;
            case State::Option:
                Negotiate(verb_, b, in);
                state_ = State::Data;
                break;
            case State::SubOption:
                subOption_ = b;
                sub_.clear();
                state_ = State::Sub;
                break;
            case State::Sub:
                if (b == kIac)
                    state_ = State::SubIac;
                else if (!keep(b))
                    return in;
                break;
            case State::SubIac:
                if (b == kIac) {
                    state_ = State::Sub;
                    if (!keep(b)) return in;
                } else if (b == kSe) {
                    state_ = State::Data;
                    Subnegotiate(in);
                } else {
                    Command(b, in);  // a command cuts the subnegotiation short
                }
                break;
        }
    }
    return in;
}

// The byte after an IAC outside a subnegotiation.
void TelnetServer::Command(std::uint8_t b, Input& in) {
    state_ = State::Data;
    if (b == kIac) {
        in.data.push_back(kIac);
    } else if (b >= kWill) {
        verb_ = b;
        state_ = State::Option;
    } else if (b == kSb) {
        state_ = State::SubOption;
    }
    // NOP, GA, AYT and the rest mean nothing to a serial line.
}

bool TelnetServer::Accepts(bool his, std::uint8_t option) const {
    if (option == kBinary || option == kSga) return true;
    return his && option == kComPort && fault_ != TelnetFault::RefuseComPort;
}

// RFC 1143: answer only what changes an option's state, so that two sides
// that disagree do not answer each other for ever.
void TelnetServer::Negotiate(std::uint8_t verb, std::uint8_t option, Input& in) {
    const bool his = verb == kWill || verb == kWont;
    const bool enable = verb == kWill || verb == kDo;
    Q& q = his ? him_[option] : us_[option];
    const Q was = q;
    const auto answer = [&](bool yes) {
        in.reply.insert(in.reply.end(),
                        {kIac, his ? (yes ? kDo : kDont) : (yes ? kWill : kWont), option});
    };
    if (enable && q == Q::No) {
        if (Accepts(his, option)) q = Q::Yes;
        answer(q == Q::Yes);
    } else if (enable && q == Q::WantYes) {
        q = Q::Yes;
    } else if (!enable && q != Q::No) {
        if (q == Q::Yes) answer(false);
        q = Q::No;
    }
    if (his && option == kComPort && q != was && holding_) {
        if (q == Q::Yes) {
            in.reply.insert(in.reply.end(),
                            {kIac, kSb, kComPort, kServer + kNotifyModemState, 0x11, kIac, kSe,
                             kIac, kSb, kComPort, kServer + kNotifyLineState, 0x08, kIac, kSe});
        }
        holding_ = false;
    }
}

void TelnetServer::Subnegotiate(Input& in) {
    if (subOption_ != kComPort || him_[kComPort] != Q::Yes || sub_.empty()) return;
    const std::uint8_t command = sub_[0];
    const Bytes value(sub_.begin() + 1, sub_.end());
    if (command == kSetBaud && value.size() == 4) {
        std::uint32_t asked = 0;
        for (const std::uint8_t b : value)
            asked = asked << 8 | b;
        if (asked != 0 && fault_ == TelnetFault::WrongBaud) asked = asked > 1 ? asked / 2 : 2;
        if (asked != 0 && asked != baud_) {
            baud_ = asked;
            in.notes.push_back("client set " + std::to_string(baud_) + " bit/s");
        }
        Answer(command,
               {static_cast<std::uint8_t>(baud_ >> 24), static_cast<std::uint8_t>(baud_ >> 16),
                static_cast<std::uint8_t>(baud_ >> 8), static_cast<std::uint8_t>(baud_)},
               in);
        return;
    }
    if (value.size() != 1) return;
    const std::uint8_t asked = value[0];
    switch (command) {
        case kSetDataSize: Setting(asked, 5, 8, dataSize_, kDataSizeTexts, in); break;
        case kSetParity: Setting(asked, 1, 5, parity_, kParityTexts, in); break;
        case kSetStopSize: Setting(asked, 1, 3, stopSize_, kStopSizeTexts, in); break;
        case kSetControl: Control(asked, in); break;
        case kSetLineStateMask:
            lineStateMask_ = asked;
            Answer(command, {lineStateMask_}, in);
            break;
        case kSetModemStateMask:
            modemStateMask_ = asked;
            Answer(command, {modemStateMask_}, in);
            break;
        case kPurgeData:
            if (asked < 1 || asked > 3) return;
            // 1: the server's receive buffer, what came from the serial line
            // for the client; 2: its transmit buffer, what the client sent
            // that has not reached the line yet.
            if (asked & 1) in.purgeOutput = true;
            if (asked & 2) in.data.clear();
            Answer(command, {asked}, in, false);
            break;
        default: break;  // signature, flow suspension, and reports only a server sends
    }
}

// A value outside [low, high] (0 among them) asks for the current one.
void TelnetServer::Setting(std::uint8_t asked, std::uint8_t low, std::uint8_t high,
                           std::uint8_t& held, const char* const* texts, Input& in) {
    if (asked >= low && asked <= high && asked != held) {
        held = asked;
        in.notes.push_back(std::string("client set ") + texts[asked - low]);
    }
    Answer(sub_[0], {held}, in);
}

void TelnetServer::Control(std::uint8_t asked, Input& in) {
    if (asked >= std::size(kControls)) return;
    const ControlValue& c = kControls[asked];
    std::uint8_t& held = control_[c.group];
    if (c.text && asked != held) {
        held = asked;
        in.notes.push_back(std::string("client set ") + c.text);
    }
    Answer(kSetControl, {held}, in);
}

void TelnetServer::Answer(std::uint8_t command, const Bytes& value, Input& in, bool isSetting) {
    if (isSetting && fault_ == TelnetFault::SilentSettings) return;
    in.reply.insert(in.reply.end(),
                    {kIac, kSb, kComPort, static_cast<std::uint8_t>(command + kServer)});
    for (const std::uint8_t b : value)
        AppendEscaped(in.reply, b);
    in.reply.insert(in.reply.end(), {kIac, kSe});
}

}  // namespace taplink::sim
