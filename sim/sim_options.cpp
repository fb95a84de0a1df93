#include "sim_options.h"

#include <charconv>

namespace taplink::sim {

std::optional<Model> ModelFromName(std::string_view n) {
    if (n == "r40" || n == "r60" || n == "r40/r60") return Model::R40;
    if (n == "r80") return Model::R80;
    if (n == "memory") return Model::Memory;
    return std::nullopt;
}

std::optional<Role> RoleFromName(std::string_view n) {
    if (n == "input") return Role::Input;
    if (n == "output") return Role::Output;
    if (n == "loop") return Role::Loop;
    return std::nullopt;
}

std::optional<Form> FormFromName(std::string_view n) {
    if (n == "auto") return Form::Auto;
    if (n == "program") return Form::Program;
    if (n == "document") return Form::Document;
    return std::nullopt;
}

namespace {

struct FaultName {
    const char* name;
    FaultKind kind;
};
constexpr FaultName kFaults[] = {
    {"none", FaultKind::None},
    {"silence", FaultKind::Silence},
    {"wrong-start", FaultKind::WrongStart},
    {"wrong-length", FaultKind::WrongLength},
    {"cut-short", FaultKind::CutShort},
    {"extra-bytes", FaultKind::ExtraBytes},
    {"bad-checksum", FaultKind::BadChecksum},
    {"drop-byte", FaultKind::DropByte},
    {"duplicate-byte", FaultKind::DuplicateByte},
    {"dc4", FaultKind::AnswerDc4},
    {"nak", FaultKind::AnswerNak},
    {"duplicate-dc3", FaultKind::DuplicateDc3},
    {"stale-dc3", FaultKind::StaleDc3},
    {"single-dc3", FaultKind::SingleDc3},
    {"extra-bytes-later", FaultKind::ExtraLater},
    {"two-blocks", FaultKind::TwoBlocks},
    {"stray-after-block", FaultKind::StrayAfterBlock},
    {"stray-after-last", FaultKind::StrayAfterLast},
    {"repeat-answer", FaultKind::RepeatAnswer},
    {"line-event", FaultKind::LineEvent},
};

}  // namespace

std::optional<Fault> FaultFromName(std::string_view n) {
    Fault f;
    const auto at = n.find('@');
    if (at != std::string_view::npos) {
        const auto digits = n.substr(at + 1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), f.at);
        if (ec != std::errc{} || end != digits.data() + digits.size() || f.at < 0) {
            return std::nullopt;
        }
        n = n.substr(0, at);
    }
    for (const auto& entry : kFaults) {
        if (n == entry.name) {
            f.kind = entry.kind;
            return f;
        }
    }
    return std::nullopt;
}

const char* FaultNames() {
    return "none, silence, wrong-start, wrong-length, cut-short, extra-bytes (after the frame, in "
           "the same write), extra-bytes-later (in a write of their own) (R40/R60, Memory); "
           "bad-checksum, drop-byte, duplicate-byte, two-blocks (this block and the next in one "
           "write), stray-after-block (CR LF after it), stray-after-last (0 0 after the last "
           "block) (R80 output); dc4, nak, duplicate-dc3, stale-dc3, single-dc3, repeat-answer "
           "(the DC3 pair written twice) (R80 input); silence also for R80; line-event (a "
           "modem-line change before the first byte; not carried by a pseudo-terminal or TCP) "
           "for all. Add @N for block N (0 is the header)";
}

std::optional<TelnetFault> TelnetFaultFromName(std::string_view n) {
    if (n == "none") return TelnetFault::None;
    if (n == "refuse-comport") return TelnetFault::RefuseComPort;
    if (n == "wrong-baud") return TelnetFault::WrongBaud;
    if (n == "silent-settings") return TelnetFault::SilentSettings;
    if (n == "notify") return TelnetFault::Notify;
    return std::nullopt;
}

Bytes SampleDocument(Model model) {
    std::string text;
    switch (model) {
        case Model::R40:
            text =
                "%12\r\nN0000 G92 X0 Z0\r\nN0010 G00 X20 Z2\r\nN0020 G01 Z-30 F100\r\n"
                "N0030 G00 X40 Z2\r\nN0040 M30\r\n";
            break;
        case Model::R80:
            text = "%123\r\nN10 G92 X0 Z0\r\nN20 G00 X20 Z2\r\nN30 G01 Z-30 F100\r\nN40 M30\r\n";
            break;
        case Model::Memory: {
            Bytes image;
            for (int i = 0; i < 64; ++i)
                image.push_back(static_cast<std::uint8_t>(i * 5 + 0x20));
            return image;
        }
    }
    return Bytes(text.begin(), text.end());
}

}  // namespace taplink::sim
