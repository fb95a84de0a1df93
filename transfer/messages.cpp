#include "messages.h"

#include "ms_comm.h"

namespace taplink {

Message Composed(std::string pattern, std::vector<std::string> args, std::string caption,
                 MessageIcon icon, unsigned textArgs) {
    Message m{FillPattern(pattern, args), std::move(caption), icon, {}, {}};
    m.pattern = std::move(pattern);
    m.args = std::move(args);
    m.textArgs = textArgs;
    return m;
}

}  // namespace taplink

namespace taplink::msg {
namespace {

const std::string kApp(kAppName);
const std::string kNotice = TAPLINK_TEXT("Messages", "Notice!");

}  // namespace

const Message kSerialBackendMissing{TAPLINK_TEXT("Messages",
                                                 "Can not record into string driving control of "
                                                 "MSCOMM32.OCX!Examine if MSCOMM32.OCX fall in "
                                                 "the catalogue please!"),
                                    TAPLINK_TEXT("Messages", "Error!"), MessageIcon::Stop};

const Message kEmptyDocument{TAPLINK_TEXT("Messages", "Can not dispatch empty space document!"),
                             kNotice, MessageIcon::Stop};
const Message kProgramNumber{
    TAPLINK_TEXT(
        "Messages",
        "CNC Procedure must add the procedure number beginning that two figures are composed of "
        "from "
        "the number '%'，Examine that if procedure satisfy a request after transferring please!"),
    kNotice, MessageIcon::Exclamation};
const Message kProgramFrameTooLong{
    TAPLINK_TEXT(
        "Messages",
        "The procedure is too long for one frame: at most 65533 characters can be sent after blank "
        "lines and surplus spaces are removed!"),
    kNotice, MessageIcon::Exclamation};
const Message kR80DocumentNumber{
    TAPLINK_TEXT(
        "Messages",
        "The instruction document of R80 must use '%' with the document number that 3 significant "
        "digits are composed of begins!"),
    kNotice, MessageIcon::Exclamation};
const Message kR80ProgramRange{
    TAPLINK_TEXT("Messages", "The procedure number goes beyond the bounds!"), kNotice,
    MessageIcon::Exclamation};
const Message kR80TooLarge{
    TAPLINK_TEXT("Messages", "The document exceeds the memory of CNC upper limit!"), kNotice,
    MessageIcon::Exclamation};
const Message kR80LineAfterNumber{
    TAPLINK_TEXT("Messages", "The document number must change a line at the back!"), kNotice,
    MessageIcon::Exclamation};
const Message kR80LadderTooShort{TAPLINK_TEXT("Messages",
                                              "The PLC document must be composed of 4 document "
                                              "numbers and 8 head office numbers，And must "
                                              "be over with carriage return!"),
                                 kNotice, MessageIcon::Exclamation};
const Message kR80LadderLineAfterNumber{
    TAPLINK_TEXT("Messages",
                 "The document number must keep abrest of a carriage return at the back!"),
    kNotice, MessageIcon::Exclamation};
const Message kR80HeadOfficeDigits{
    TAPLINK_TEXT("Messages", "The head office number must be 8 figures!"), kNotice,
    MessageIcon::Exclamation};
const Message kR80HeadOfficeLineEnd{
    TAPLINK_TEXT(
        "Messages",
        "Head office number back-end must be carriage return，The head office number must be 8 "
        "figures!"),
    kNotice, MessageIcon::Exclamation};
const Message kMemoryEmpty{TAPLINK_TEXT("Messages", "Can not send empty space document!"), kNotice,
                           MessageIcon::Exclamation};
const Message kLoneCarriageReturn{
    TAPLINK_TEXT(
        "Messages",
        "A line ends in CR (carriage return) without LF (line feed): the controller takes lines "
        "that end in CR LF, or in LF alone, which is sent as CR LF!"),
    kNotice, MessageIcon::Exclamation};
const Message kMemoryFrameTooLong{
    TAPLINK_TEXT("Messages",
                 "The memory image is too long for one frame: at most 65535 bytes can be sent!"),
    kNotice, MessageIcon::Exclamation};

const Message kTakingOverFinished{TAPLINK_TEXT("Messages", "Taking-over is finished!"), kApp,
                                  MessageIcon::None};

Message WithoutEditor(Message m) {
    // The window's wording of a finished receive tells where the text went:
    // into its editor. A program without one files it.
    constexpr TextVariant kFiled =
        TAPLINK_TEXT_VARIANT("Messages", "Taking-over is finished!", "no editor");
    if (m.text == kFiled.text && m.variant.empty()) m.variant = kFiled.variant;
    return m;
}
const Message kWrongStart{
    TAPLINK_TEXT("Messages",
                 "Data transmission is wrong!Transfer the agreement checking inconformity!"),
    kApp, MessageIcon::None};

const Message kProgramSent{TAPLINK_TEXT("Messages", "Data transmission be finished!"), kNotice,
                           MessageIcon::Exclamation};
const Message kMemorySent{TAPLINK_TEXT("Messages", "Data transmission be finished!"), kApp,
                          MessageIcon::None};
constexpr std::string_view kNotReadyText = TAPLINK_TEXT(
    "Messages",
    "CNC opens received state not yet or transmission line has not finished meeting,Examine that "
    "please!");
const Message kNotReady{std::string(kNotReadyText), kApp, MessageIcon::None};

Message LineFailure(const std::string& what) {
    // The reason may be one of the serial control's own texts.
    if (const auto values = PatternValues(kLostConnection, what))
        return Composed(kLostConnection, *values, kApp, MessageIcon::Stop, 0b10);
    return {what, kApp, MessageIcon::Stop};
}

Message NotReady(bool receiving, long long seconds) {
    constexpr TextVariant kReceiving = TAPLINK_TEXT_VARIANT(
        "Messages",
        "CNC opens received state not yet or transmission line has not finished meeting,Examine "
        "that please!",
        "receive");
    constexpr TextVariant kSending = TAPLINK_TEXT_VARIANT(
        "Messages",
        "CNC opens received state not yet or transmission line has not finished meeting,Examine "
        "that please!",
        "send");
    static_assert(kReceiving.text == kNotReadyText && kSending.text == kNotReadyText);
    Message m = kNotReady;
    m.variant = receiving ? kReceiving.variant : kSending.variant;
    m.args = {std::to_string(seconds)};
    return m;
}
const Message kNoResponse{
    TAPLINK_TEXT("Messages",
                 "The CNC nothing responds,Transmission fail is transferred please again!"),
    kApp, MessageIcon::None};
const Message kStoppedTaking{
    TAPLINK_TEXT("Messages",
                 "The CNC stops taking the data,Transmission fail is transferred please again!"),
    kApp, MessageIcon::None};
const Message kSendingFinished{TAPLINK_TEXT("Messages", "Sending is finished!"), kApp,
                               MessageIcon::None};
const Message kProcedureNumberWrong{
    TAPLINK_TEXT("Messages", "The procedure number makes mistakes!"), kApp, MessageIcon::None};

}  // namespace taplink::msg
