#include "messages.h"

namespace taplink {

std::string FillPattern(std::string_view pattern, const std::vector<std::string>& args) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                text += args[n];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

Message Composed(std::string pattern, std::vector<std::string> args, std::string caption,
                 MessageIcon icon) {
    Message m{FillPattern(pattern, args), std::move(caption), icon, {}, {}};
    m.pattern = std::move(pattern);
    m.args = std::move(args);
    return m;
}

}  // namespace taplink

namespace taplink::msg {
namespace {

const std::string kApp(kAppName);
const std::string kNotice = TAPLINK_TEXT("Messages", "Notice!");

}  // namespace

const Message kSerialBackendMissing{
    "Can not record into string driving control of MSCOMM32.OCX!Examine if MSCOMM32.OCX fall in "
    "the catalogue please!",
    "Error!", MessageIcon::Stop};

const Message kEmptyDocument{"Can not dispatch empty space document!", kNotice, MessageIcon::Stop};
const Message kProgramNumber{
    "CNC Procedure must add the procedure number beginning that two figures are composed of from "
    "the number '%'，Examine that if procedure satisfy a request after transferring please!",
    kNotice, MessageIcon::Exclamation};
const Message kProgramFrameTooLong{
    "The procedure is too long for one frame: at most 65533 characters can be sent after blank "
    "lines and surplus spaces are removed!",
    kNotice, MessageIcon::Exclamation};
const Message kR80DocumentNumber{
    "The instruction document of R80 must use '%' with the document number that 3 significant "
    "digits are composed of begins!",
    kNotice, MessageIcon::Exclamation};
const Message kR80ProgramRange{"The procedure number goes beyond the bounds!", kNotice,
                               MessageIcon::Exclamation};
const Message kR80TooLarge{"The document exceeds the memory of CNC upper limit!", kNotice,
                           MessageIcon::Exclamation};
const Message kR80LineAfterNumber{"The document number must change a line at the back!", kNotice,
                                  MessageIcon::Exclamation};
const Message kR80LadderTooShort{
    "The PLC document must be composed of 4 document numbers and 8 head office numbers，And must "
    "be over with carriage return!",
    kNotice, MessageIcon::Exclamation};
const Message kR80LadderLineAfterNumber{
    "The document number must keep abrest of a carriage return at the back!", kNotice,
    MessageIcon::Exclamation};
const Message kR80HeadOfficeDigits{"The head office number must be 8 figures!", kNotice,
                                   MessageIcon::Exclamation};
const Message kR80HeadOfficeLineEnd{
    "Head office number back-end must be carriage return，The head office number must be 8 "
    "figures!",
    kNotice, MessageIcon::Exclamation};
const Message kMemoryEmpty{"Can not send empty space document!", kNotice, MessageIcon::Exclamation};
const Message kLoneCarriageReturn{
    "A line ends in CR (carriage return) without LF (line feed): the controller takes lines "
    "that end in CR LF, or in LF alone, which is sent as CR LF!",
    kNotice, MessageIcon::Exclamation};
const Message kMemoryFrameTooLong{
    "The memory image is too long for one frame: at most 65535 bytes can be sent!", kNotice,
    MessageIcon::Exclamation};

const Message kTakingOverFinished{"Taking-over is finished!", kApp, MessageIcon::None};
const Message kWrongStart{
    "Data transmission is wrong!Transfer the agreement checking inconformity!", kApp,
    MessageIcon::None};

const Message kProgramSent{"Data transmission be finished!", kNotice, MessageIcon::Exclamation};
const Message kMemorySent{"Data transmission be finished!", kApp, MessageIcon::None};
const Message kNotReady{
    "CNC opens received state not yet or transmission line has not finished meeting,Examine that "
    "please!",
    kApp, MessageIcon::None};
const Message kNoResponse{"The CNC nothing responds,Transmission fail is transferred please again!",
                          kApp, MessageIcon::None};
const Message kStoppedTaking{
    "The CNC stops taking the data,Transmission fail is transferred please again!", kApp,
    MessageIcon::None};
const Message kSendingFinished{"Sending is finished!", kApp, MessageIcon::None};
const Message kProcedureNumberWrong{"The procedure number makes mistakes!", kApp,
                                    MessageIcon::None};

}  // namespace taplink::msg
