// Whole transfers against the controller simulator on a virtual line, for
// each model and direction, with what controllers and device servers do.
#include <gtest/gtest.h>

#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using sim::FaultKind;
using sim::Role;

Bytes B(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

const std::string kProgram = "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n";
const std::string kPlc = "%999\r\n00000002\r\n00000000LD      X0001\r\n00000001OUT     Y0001\r\n" +
                         std::string(300, 'A') + "\r\n";
const std::string kR80 = "%123\r\nN10 G00\r\n" + std::string(600, 'G') + "\r\nN20 M30\r\n";
// What a controller that stops after the first data block holds.
const std::string kR80Part = "%123\r\nN10 G00\r\n" + std::string(248, 'G');
const std::string kImage = "ABCDEFGH";
const std::string kImageDisplay = "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n";

struct SimCase {
    const char* name;
    int model;
    Role role;  // Input: TapLink sends `text`; Output: the controller does
    FaultKind fault;
    int at;
    std::string text;
    std::string result;  // Input: what the controller holds; Output: what the editor shows
    Message message;
    std::chrono::milliseconds wait;
};
// Test names, not bytes, in listings.
void PrintTo(const SimCase& c, std::ostream* os) {
    *os << c.name;
}

sim::Model SimModel(int model) {
    return model == kModelR80      ? sim::Model::R80
           : model == kModelMemory ? sim::Model::Memory
                                   : sim::Model::R40;
}

class SimTransfer : public ::testing::TestWithParam<SimCase> {};

TEST_P(SimTransfer, EndsWithTheDocumentOrItsMessage) {
    const auto& c = GetParam();
    TransferRig rig;
    rig.model = c.model;
    sim::Config config = SimConfig(SimModel(c.model), c.role);
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
    ASSERT_EQ(rig.win.messages.size(), 1u) << line.controller.Status();
    EXPECT_EQ(rig.win.messages[0], c.message);
    EXPECT_EQ(c.role == Role::Input ? line.controller.Received() : B(rig.win.editorText),
              B(c.result));
    EXPECT_TRUE(rig.win.controlsEnabled);
    EXPECT_EQ(rig.g.g_nRecvArmed, 0);
    for (int id = kTimerDc3; id <= kTimerCollect; ++id)
        EXPECT_FALSE(rig.win.TimerRunning(id)) << "timer " << id;
}

SimCase Send(const char* name, int model, FaultKind fault, int at, std::string text,
             std::string held, Message message, std::chrono::milliseconds wait) {
    return {name, model, Role::Input, fault, at, std::move(text), std::move(held), message, wait};
}
SimCase Receive(const char* name, int model, FaultKind fault, int at, std::string text,
                std::string editor, Message message, std::chrono::milliseconds wait) {
    return {name,    model, Role::Output, fault, at, std::move(text), std::move(editor),
            message, wait};
}

const std::string kR80Sent = "%123\r\nN10 G00\r\nN20 M30";
const std::string kR80Held = kR80Sent + "\r\n\r\n";
constexpr auto kNone = FaultKind::None;

INSTANTIATE_TEST_SUITE_P(
    Send, SimTransfer,
    ::testing::Values(
        Send("R40", kModelR40, kNone, 0, "%12\r\nN0000 G00  X10 \r\n\r\nN0010 M30", kProgram,
             msg::kProgramSent, 2000ms),
        Send("Memory", kModelMemory, kNone, 0, kImageDisplay, kImage, msg::kMemorySent, 2000ms),
        Send("Silence", kModelR40, FaultKind::Silence, 0, kProgram, "", msg::kNotReady, 120000ms),
        Send("LineEventBeforeTheReadyByte", kModelR40, FaultKind::LineEvent, 0, kProgram, kProgram,
             msg::kProgramSent, 2000ms),
        Send("R80RepeatedAnswerPair", kModelR80, FaultKind::RepeatAnswer, 0, kR80Sent, kR80Held,
             msg::kSendingFinished, 3000ms),
        Send("R80LineEventBeforeTheDc3Pair", kModelR80, FaultKind::LineEvent, 0, kR80Sent, kR80Held,
             msg::kSendingFinished, 3000ms),
        Send("R80Dc4AtTheHeader", kModelR80, FaultKind::AnswerDc4, 0, kR80, kR80 + "\r\n",
             msg::kSendingFinished, 3000ms),
        Send("R80Dc4AtBlock2", kModelR80, FaultKind::AnswerDc4, 2, kR80, kR80 + "\r\n",
             msg::kSendingFinished, 3000ms),
        Send("R80NakAtBlock3", kModelR80, FaultKind::AnswerNak, 3, kR80, kR80 + "\r\n",
             msg::kSendingFinished, 3000ms),
        Send("R80TwoDc3Pairs", kModelR80, FaultKind::DuplicateDc3, 1, kR80, kR80 + "\r\n",
             msg::kSendingFinished, 3000ms),
        Send("R80StaleDc3Pair", kModelR80, FaultKind::StaleDc3, 0, kR80, kR80 + "\r\n",
             msg::kSendingFinished, 3000ms),
        Send("R80SingleDc3", kModelR80, FaultKind::SingleDc3, 2, kR80,
             kR80Part + std::string(256, 'G'), msg::kNoResponse, 8000ms),
        Send("R80Silence", kModelR80, FaultKind::Silence, 2, kR80, kR80Part, msg::kNoResponse,
             8000ms)),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Receive, SimTransfer,
    ::testing::Values(
        Receive("ProgramForm", kModelR40, kNone, 0, kProgram, kProgram, msg::kTakingOverFinished,
                1000ms),
        Receive("DocumentForm", kModelR40, kNone, 0, kPlc, kPlc, msg::kTakingOverFinished, 1000ms),
        Receive("MemoryImage", kModelMemory, kNone, 0, kImage, kImageDisplay,
                msg::kTakingOverFinished, 1000ms),
        Receive("WrongStart", kModelR40, FaultKind::WrongStart, 0, kProgram, "", msg::kWrongStart,
                1000ms),
        Receive("MemoryWrongStart", kModelMemory, FaultKind::WrongStart, 0, kImage, "",
                msg::kWrongStart, 1000ms),
        Receive("Silence", kModelR40, FaultKind::Silence, 0, kProgram, "", msg::kNotReady, 61000ms),
        Receive("CutShortKeepsWhatCame", kModelR40, FaultKind::CutShort, 0, kProgram,
                kProgram.substr(0, 15), msg::kNoResponse, 61000ms),
        Receive("WrongLengthWaitsThenEnds", kModelR40, FaultKind::WrongLength, 0, kProgram,
                kProgram + "\r\n", msg::kNoResponse, 61000ms),
        Receive("ExtraBytesInTheSameWrite", kModelR40, FaultKind::ExtraBytes, 0, kProgram, kProgram,
                msg::kTakingOverFinished, 1000ms),
        Receive("ExtraBytesLater", kModelR40, FaultKind::ExtraLater, 0, kProgram, kProgram,
                msg::kTakingOverFinished, 1000ms),
        Receive("MemoryExtraBytesInTheSameWrite", kModelMemory, FaultKind::ExtraBytes, 0, kImage,
                kImageDisplay, msg::kTakingOverFinished, 1000ms),
        Receive("MemoryExtraBytesLater", kModelMemory, FaultKind::ExtraLater, 0, kImage,
                kImageDisplay, msg::kTakingOverFinished, 1000ms),
        Receive("LineEventBeforeTheFrame", kModelR40, FaultKind::LineEvent, 0, kProgram, kProgram,
                msg::kTakingOverFinished, 1000ms),
        Receive("R80Clean", kModelR80, kNone, 0, kR80, kR80, msg::kTakingOverFinished, 2000ms),
        Receive("R80HeaderAndBlockInOneWrite", kModelR80, FaultKind::TwoBlocks, 0, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80TwoDataBlocksInOneWrite", kModelR80, FaultKind::TwoBlocks, 1, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80LastTwoBlocksInOneWrite", kModelR80, FaultKind::TwoBlocks, 2, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80CrLfAfterABlock", kModelR80, FaultKind::StrayAfterBlock, 1, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80PaddingAfterTheLastBlock", kModelR80, FaultKind::StrayAfterLast, 0, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80LineEventBeforeTheHeader", kModelR80, FaultKind::LineEvent, 0, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80BadHeaderSum", kModelR80, FaultKind::BadChecksum, 0, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80BadSumAtBlock2", kModelR80, FaultKind::BadChecksum, 2, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80DroppedByte", kModelR80, FaultKind::DropByte, 1, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80DoubledByteInAFullBlock", kModelR80, FaultKind::DuplicateByte, 2, kR80, kR80,
                msg::kTakingOverFinished, 2000ms),
        Receive("R80SilenceKeepsWhatCame", kModelR80, FaultKind::Silence, 2, kR80, kR80Part,
                msg::kNoResponse, 8000ms)),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace taplink::testing
