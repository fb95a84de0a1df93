// Whole transfers against the controller simulator on a virtual line, for
// each model and direction, with what controllers and device servers do.
// How the handlers meet each cut of the bytes is in frame_transfer_test and
// r80_test; here the simulator's faults end to end.
#include <gtest/gtest.h>

#include "bytes_text.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using namespace msg;
using enum sim::FaultKind;
using sim::Role;

const std::string kProgram = "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n";
const std::string kPlc = "%999\r\n00000002\r\n00000000LD      X0001\r\n00000001OUT     Y0001\r\n" +
                         std::string(300, 'A') + "\r\n";
const std::string kR80 = "%123\r\nN10 G00\r\n" + std::string(600, 'G') + "\r\nN20 M30\r\n";
// What a controller that took all of kR80 holds; what one that stops after
// the first data block holds.
const std::string kR80Whole = kR80 + "\r\n",
                  kR80Part = "%123\r\nN10 G00\r\n" + std::string(248, 'G');
const std::string kR80Sent = "%123\r\nN10 G00\r\nN20 M30", kR80Held = kR80Sent + "\r\n\r\n";
const std::string kImage = "ABCDEFGH";
const std::string kImageDisplay = "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n";

struct SimCase {
    const char* name;
    int model;
    sim::FaultKind fault;
    int at;
    std::string text;
    std::string result;  // Input: what the controller holds; Output: what the editor shows
    Message message;
    std::chrono::milliseconds wait;
    Role role = Role::Input;  // Input: TapLink sends `text`; Output: the controller does
};
// Test names, not bytes, in listings.
void PrintTo(const SimCase& c, std::ostream* os) {
    *os << c.name;
}
using S = SimCase;
// A receive: the controller's output.
SimCase R(SimCase c) {
    c.role = Role::Output;
    return c;
}

class SimTransfer : public ::testing::TestWithParam<SimCase> {};

TEST_P(SimTransfer, EndsWithTheDocumentOrItsMessage) {
    const auto& c = GetParam();
    TransferRig rig(c.model);
    sim::Config config = SimConfig(c.model, c.role);
    config.fault = {c.fault, c.at};
    if (c.role == Role::Output) config.document = B(c.text);
    SimLine line(rig, config);
    if (c.role == Role::Input) {
        rig.win.editorText = c.text;
        rig.h.OnSend();
        rig.win.Advance(3000ms);  // the operator takes a while
        line.Start();
    } else {
        line.Start();
        rig.win.Advance(500ms);
        rig.h.OnReceive();
    }
    rig.win.Advance(c.wait);
    EXPECT_EQ(rig.win.messages, std::vector{c.message}) << line.controller.Status();
    EXPECT_EQ(c.role == Role::Input ? line.controller.Received() : B(rig.win.editorText),
              B(c.result));
    EXPECT_TRUE(rig.win.controlsEnabled);
    EXPECT_EQ(rig.g.g_nRecvArmed, 0);
    EXPECT_EQ(rig.RunningTimer(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Send, SimTransfer,
    ::testing::Values(
        S{"R40", kModelR40, None, 0, "%12\r\nN0000 G00  X10 \r\n\r\nN0010 M30", kProgram,
          kProgramSent, 2s},
        S{"Memory", kModelMemory, None, 0, kImageDisplay, kImage, kMemorySent, 2s},
        S{"R80RepeatedAnswerPair", kModelR80, RepeatAnswer, 0, kR80Sent, kR80Held, kSendingFinished,
          3s},
        S{"R80LineEventBeforeTheDc3Pair", kModelR80, LineEvent, 0, kR80Sent, kR80Held,
          kSendingFinished, 3s},
        S{"R80Dc4AtTheHeader", kModelR80, AnswerDc4, 0, kR80, kR80Whole, kSendingFinished, 3s},
        S{"R80Dc4AtBlock2", kModelR80, AnswerDc4, 2, kR80, kR80Whole, kSendingFinished, 3s},
        S{"R80NakAtBlock3", kModelR80, AnswerNak, 3, kR80, kR80Whole, kSendingFinished, 3s},
        S{"R80TwoDc3Pairs", kModelR80, DuplicateDc3, 1, kR80, kR80Whole, kSendingFinished, 3s},
        S{"R80StaleDc3Pair", kModelR80, StaleDc3, 0, kR80, kR80Whole, kSendingFinished, 3s},
        S{"R80SingleDc3", kModelR80, SingleDc3, 2, kR80, kR80Part + std::string(256, 'G'),
          kNoResponse, 8s},
        S{"R80Silence", kModelR80, Silence, 2, kR80, kR80Part, kNoResponse, 8s}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Receive, SimTransfer,
    ::testing::Values(
        R({"WrongStart", kModelR40, WrongStart, 0, kProgram, "", kWrongStart, 1s}),
        R({"CutShortKeepsWhatCame", kModelR40, CutShort, 0, kProgram, kProgram.substr(0, 15),
           kNoResponse, 61s}),
        R({"WrongLengthWaitsThenEnds", kModelR40, WrongLength, 0, kProgram, kProgram + "\r\n",
           kNoResponse, 61s}),
        R({"DocumentFormAndMoreLater", kModelR40, ExtraLater, 0, kPlc, kPlc, kTakingOverFinished,
           2s}),
        R({"R80Clean", kModelR80, None, 0, kR80, kR80, kTakingOverFinished, 2s}),
        R({"R80TwoDataBlocksInOneWrite", kModelR80, TwoBlocks, 1, kR80, kR80, kTakingOverFinished,
           2s}),
        R({"R80CrLfAfterABlock", kModelR80, StrayAfterBlock, 1, kR80, kR80, kTakingOverFinished,
           2s}),
        R({"R80BadSumAtBlock2", kModelR80, BadChecksum, 2, kR80, kR80, kTakingOverFinished, 2s}),
        R({"R80DroppedByte", kModelR80, DropByte, 1, kR80, kR80, kTakingOverFinished, 2s}),
        R({"R80DoubledByteInAFullBlock", kModelR80, DuplicateByte, 2, kR80, kR80,
           kTakingOverFinished, 2s}),
        R({"R80SilenceKeepsWhatCame", kModelR80, Silence, 2, kR80, kR80Part, kNoResponse, 8s})),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace taplink::testing
