#include "telnet_client.h"

#include <cstdio>
#include <utility>

namespace taplink::telnet {
namespace {

std::string Hex(std::uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

// Moves an option we offered (or the server asked for) along RFC 1143's
// rules, simplified for options that we always want: says whether to reply.
bool Agree(OptionState& state) {
    const bool reply = state == OptionState::No || state == OptionState::Refused;
    state = OptionState::Yes;
    return reply;
}

bool Decline(OptionState& state) {
    switch (state) {
        case OptionState::Yes: state = OptionState::No; return true;
        case OptionState::Asked: state = OptionState::Refused; return false;
        case OptionState::No:
        case OptionState::Refused: return false;
    }
    return false;
}

}  // namespace

Bytes Client::Greeting() {
    return {kIac, kWill, kOptBinary, kIac, kDo, kOptBinary, kIac, kWill, kOptComPort};
}

void Client::Greeted() {
    binaryOut_ = binaryIn_ = comPort_ = OptionState::Asked;
}

Bytes Client::Escape(const Bytes& data) {
    Bytes out;
    out.reserve(data.size() + data.size() / 64 + 1);
    for (const std::uint8_t b : data) {
        out.push_back(b);
        if (b == kIac) out.push_back(kIac);
    }
    return out;
}

Bytes Client::Command(ComPort command, const Bytes& value) {
    Bytes out{kIac, kSb, kOptComPort, static_cast<std::uint8_t>(command)};
    const Bytes escaped = Escape(value);
    out.insert(out.end(), escaped.begin(), escaped.end());
    out.insert(out.end(), {kIac, kSe});
    return out;
}

void Client::Feed(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count && !fault_; ++i) {
        const std::uint8_t b = bytes[i];
        switch (read_) {
            case Read::Data:
                if (b == kIac) {
                    read_ = Read::Command;
                } else {
                    data_.push_back(b);
                }
                break;
            case Read::Command:
                read_ = Read::Data;
                if (b == kIac) {
                    data_.push_back(kIac);
                } else if (b >= kWill) {
                    verb_ = b;
                    read_ = Read::Option;
                } else if (b == kSb) {
                    sub_.clear();
                    read_ = Read::Sub;
                } else if (b < kSe) {
                    SetFault("the device server sent an invalid Telnet command (FF " + Hex(b) +
                             ")");
                }
                // SE outside a subnegotiation and the one-byte commands (NOP,
                // data mark, go-ahead, ...) mean nothing on a serial link.
                break;
            case Read::Option:
                read_ = Read::Data;
                OnOption(verb_, b);
                break;
            case Read::Sub:
                if (b == kIac) {
                    read_ = Read::SubCommand;
                } else if (sub_.size() >= kMaxSubnegotiation) {
                    SetFault("the device server sent a Telnet subnegotiation longer than " +
                             std::to_string(kMaxSubnegotiation) + " bytes");
                } else {
                    sub_.push_back(b);
                }
                break;
            case Read::SubCommand:
                if (b == kSe) {
                    read_ = Read::Data;
                    OnSubnegotiation();
                } else if (b == kIac) {
                    read_ = Read::Sub;
                    if (sub_.size() >= kMaxSubnegotiation) {
                        SetFault("the device server sent a Telnet subnegotiation longer than " +
                                 std::to_string(kMaxSubnegotiation) + " bytes");
                    }
                    sub_.push_back(kIac);
                } else {
                    SetFault("the device server broke off a Telnet subnegotiation (FF " + Hex(b) +
                             ")");
                }
                break;
        }
    }
}

void Client::OnOption(std::uint8_t verb, std::uint8_t option) {
    const bool theirs = verb == kWill || verb == kWont;  // the server's side
    const bool yes = verb == kWill || verb == kDo;
    OptionState* state = nullptr;
    if (option == kOptBinary) state = theirs ? &binaryIn_ : &binaryOut_;
    if (option == kOptComPort && !theirs) state = &comPort_;
    if (option == kOptSuppressGoAhead) {
        // Harmless on a byte stream and many servers insist: agree, once.
        bool& agreed = theirs ? sgaIn_ : sgaOut_;
        if (yes != agreed) Reply(yes ? (theirs ? kDo : kWill) : (theirs ? kDont : kWont), option);
        agreed = yes;
        return;
    }
    if (!state) {
        // Anything else (echo, terminal type, ...) would change the data.
        if (yes) Reply(theirs ? kDont : kWont, option);
        return;
    }
    if (yes) {
        if (Agree(*state)) Reply(theirs ? kDo : kWill, option);
    } else if (Decline(*state)) {
        Reply(theirs ? kDont : kWont, option);
    }
}

void Client::OnSubnegotiation() {
    if (sub_.size() < 2 || sub_[0] != kOptComPort) return;  // not ours to read
    const std::uint8_t code = sub_[1];
    if (code < kServerOffset) return;  // a client command echoed: no meaning here
    ComPortMessage m{static_cast<ComPort>(code - kServerOffset),
                     Bytes(sub_.begin() + 2, sub_.end()), data_.size()};
    if (m.command == ComPort::Signature && m.value.empty()) {
        // The server asks who we are.
        const std::string name = "TapLink";
        const Bytes reply = Command(ComPort::Signature, Bytes(name.begin(), name.end()));
        replies_.insert(replies_.end(), reply.begin(), reply.end());
        return;
    }
    messages_.push_back(std::move(m));
}

void Client::Reply(std::uint8_t verb, std::uint8_t option) {
    replies_.insert(replies_.end(), {kIac, verb, option});
}

void Client::SetFault(std::string text) {
    fault_ = std::move(text);
    sub_.clear();
}

Bytes Client::TakeData() {
    return std::exchange(data_, {});
}

Bytes Client::TakeReplies() {
    return std::exchange(replies_, {});
}

std::vector<ComPortMessage> Client::TakeMessages() {
    return std::exchange(messages_, {});
}

bool Client::Settled() const {
    const auto settled = [](OptionState s) { return s != OptionState::Asked; };
    return settled(binaryOut_) && settled(binaryIn_) && settled(comPort_);
}

bool Client::BinaryRefused() const {
    return binaryOut_ != OptionState::Yes || binaryIn_ != OptionState::Yes;
}

Bytes BaudRateValue(std::uint32_t rate) {
    return {static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
            static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)};
}

std::optional<std::uint32_t> BaudRateFrom(const Bytes& value) {
    if (value.size() != 4) return std::nullopt;
    return std::uint32_t{value[0]} << 24 | std::uint32_t{value[1]} << 16 |
           std::uint32_t{value[2]} << 8 | value[3];
}

}  // namespace taplink::telnet
