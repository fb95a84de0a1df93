// Whole transfers against the controller simulator on a virtual line, for
// each model and direction, with the controller's faults.
#include <gtest/gtest.h>

#include "frames.h"
#include "hex_display.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using sim::FaultKind;

Bytes B(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

const std::string kProgram = "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n";

struct SendCase {
    const char* name;
    int model;
    sim::Model simModel;
    std::string editor;
    Bytes received;  // what the controller holds afterwards
    Message done;
};

TEST(SimSend, TheControllerTakesTheDocumentByteExact) {
    std::string display;
    const Bytes image = {0x00, 0x11, 0x13, 0xFF, 0x41, 0x42, 0x0D, 0x0A, 0x7E, 0x80};
    FinishDump(BuildMemoryFrame(image), display);
    const SendCase cases[] = {
        {"R40", kModelR40, sim::Model::R40, "%12\r\nN0000 G00  X10 \r\n\r\nN0010 M30", B(kProgram),
         msg::kProgramSent},
        {"Memory", kModelMemory, sim::Model::Memory, display, image, msg::kMemorySent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig rig;
        rig.model = c.model;
        rig.win.editorText = c.editor;
        SimLine line(rig, SimConfig(c.simModel, sim::Role::Input));
        rig.h.OnSend();
        rig.win.Advance(3000ms);  // the operator takes a while
        line.Start();
        rig.win.Advance(2000ms);
        EXPECT_TRUE(line.controller.Ok()) << line.controller.Status();
        EXPECT_EQ(line.controller.Received(), c.received);
        ASSERT_EQ(rig.win.messages.size(), 1u);
        EXPECT_EQ(rig.win.messages[0], c.done);
        EXPECT_TRUE(rig.win.controlsEnabled);
    }
}

struct ReceiveCase {
    const char* name;
    int model;
    sim::Model simModel;
    Bytes document;
    sim::Form form;
    FaultKind fault;
    std::string editor;  // what the editor shows at the end
    Message message;
    std::chrono::milliseconds wait;
};
// Test names, not bytes, in listings.
void PrintTo(const ReceiveCase& c, std::ostream* os) {
    *os << c.name;
}

class SimReceiveTest : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(SimReceiveTest, TheEditorGetsWhatTheControllerSent) {
    const auto& c = GetParam();
    TransferRig rig;
    rig.model = c.model;
    sim::Config config = SimConfig(c.simModel, sim::Role::Output);
    config.document = c.document;
    config.form = c.form;
    config.fault.kind = c.fault;
    SimLine line(rig, config);
    line.Start();
    rig.win.Advance(500ms);
    rig.h.OnReceive();
    rig.win.Advance(c.wait);
    ASSERT_EQ(rig.win.messages.size(), 1u);
    EXPECT_EQ(rig.win.messages[0], c.message);
    EXPECT_EQ(rig.win.editorText, c.editor);
    EXPECT_TRUE(rig.win.controlsEnabled);
    EXPECT_EQ(rig.g.g_nRecvArmed, 0);
}

std::string DisplayOf(const Bytes& image) {
    std::string d;
    FinishDump(BuildMemoryFrame(image), d);
    return d;
}

const Bytes kImage = [] {
    Bytes b(300);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 13);
    return b;
}();
const std::string kPlc = "%999\r\n00000002\r\n00000000LD      X0001\r\n00000001OUT     Y0001\r\n" +
                         std::string(300, 'A') + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SimReceiveTest,
    ::testing::Values(
        ReceiveCase{"ProgramForm", kModelR40, sim::Model::R40, B(kProgram), sim::Form::Auto,
                    FaultKind::None, kProgram, msg::kTakingOverFinished, 1000ms},
        ReceiveCase{"DocumentForm", kModelR40, sim::Model::R40, B(kPlc), sim::Form::Auto,
                    FaultKind::None, kPlc, msg::kTakingOverFinished, 1000ms},
        ReceiveCase{"MemoryImage", kModelMemory, sim::Model::Memory, kImage, sim::Form::Auto,
                    FaultKind::None, DisplayOf(kImage), msg::kTakingOverFinished, 1000ms},
        ReceiveCase{"WrongStart", kModelR40, sim::Model::R40, B(kProgram), sim::Form::Auto,
                    FaultKind::WrongStart, "", msg::kWrongStart, 1000ms},
        ReceiveCase{"MemoryWrongStart", kModelMemory, sim::Model::Memory, kImage, sim::Form::Auto,
                    FaultKind::WrongStart, "", msg::kWrongStart, 1000ms},
        ReceiveCase{"Silence", kModelR40, sim::Model::R40, B(kProgram), sim::Form::Auto,
                    FaultKind::Silence, "", msg::kNotReady, 61000ms},
        ReceiveCase{"CutShortKeepsWhatCame", kModelR40, sim::Model::R40, B(kProgram),
                    sim::Form::Auto, FaultKind::CutShort, kProgram.substr(0, 15), msg::kNoResponse,
                    61000ms},
        ReceiveCase{"WrongLengthWaitsThenEnds", kModelR40, sim::Model::R40, B(kProgram),
                    sim::Form::Auto, FaultKind::WrongLength, kProgram + "\r\n", msg::kNoResponse,
                    61000ms},
        ReceiveCase{"ExtraBytesInTheSameEventNeverComplete", kModelMemory, sim::Model::Memory,
                    kImage, sim::Form::Auto, FaultKind::ExtraBytes,
                    [] {
                        Bytes withExtra = BuildMemoryFrame(kImage);
                        withExtra.insert(withExtra.end(), {'E', 'X', 'T'});
                        std::string d;
                        FinishDump(withExtra, d);
                        return d;
                    }(),
                    msg::kNoResponse, 61000ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimSend, ASilentControllerEndsTheWaitAndAWrongOneIsReported) {
    TransferRig rig;
    rig.win.editorText = kProgram;
    sim::Config config = SimConfig(sim::Model::R40, sim::Role::Input);
    config.fault.kind = FaultKind::Silence;
    SimLine line(rig, config);
    line.Start();
    rig.h.OnSend();
    rig.win.Advance(120000ms);
    ASSERT_EQ(rig.win.messages.size(), 1u);
    EXPECT_EQ(rig.win.messages[0], msg::kNotReady);
    EXPECT_TRUE(line.toController.empty());
}

}  // namespace
}  // namespace taplink::testing
