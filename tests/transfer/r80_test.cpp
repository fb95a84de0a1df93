// The "R80" block protocol: the receiving and sending sides driven through
// the handlers, byte by byte, on a virtual clock; then whole transfers
// against the simulated controller with faults on the line.
#include <gtest/gtest.h>

#include "frames.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using sim::FaultKind;

Bytes B(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
Bytes Block(std::string_view payload, bool last) {
    return BuildBlockFrame(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size(),
                           last);
}
Bytes Header(std::uint32_t count, std::string_view number) {
    Bytes image(number.begin(), number.end());
    return BuildR80Header(image, count);
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct R80Rig : TransferRig {
    R80Rig() { model = kModelR80; }
    // The bytes written since the last call.
    Bytes Drain() {
        Bytes all = comm.Written();
        Bytes fresh(all.begin() + static_cast<long>(seen), all.end());
        seen = all.size();
        return fresh;
    }
    std::size_t seen = 0;
};

TEST(R80Receive, HeaderThenTwoBlocksWithStepTexts) {
    R80Rig r;
    r.h.OnReceive();
    EXPECT_EQ(r.Drain(), Bytes{kDc3});
    EXPECT_EQ(r.win.TimerPeriod(kTimerNoResponse), 60000ms);
    r.win.Advance(10ms);
    EXPECT_EQ(r.Drain(), (Bytes{kDc3, kDc3}));  // again every 5 ms

    r.comm.Deliver(Header(3, "%999"));
    EXPECT_EQ(r.Drain(), Bytes{kDc3});
    EXPECT_EQ(r.win.editorText, "%999\r\n");
    EXPECT_EQ(r.win.progressMax, 3);
    EXPECT_EQ(r.win.TimerPeriod(kTimerNoResponse), 5000ms);

    const std::string first = std::string("LD X1") + '\0' + "OUT Y1" + '\0';
    r.comm.Deliver(Block(first, false));
    EXPECT_EQ(r.Drain(), Bytes{kDc3});
    r.comm.Deliver(Block(std::string("END1") + '\0', true));
    EXPECT_TRUE(r.Drain().empty());
    EXPECT_EQ(r.st.m_strText, "%999\r\nLD X1\r\n0000    OUT Y1\r\n0001    END1\r\n0002    ");
    EXPECT_EQ(r.win.editorText, r.st.m_strText);
    EXPECT_EQ(r.win.progressSteps, 3);
    EXPECT_EQ(r.win.progressPos, 0);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.st.m_nRecvBusy, 0);
    EXPECT_EQ(std::string(r.st.m_szStepNo.data(), 4), "0000");
}

TEST(R80Receive, BlockEdgesOnTheLine) {
    struct Case {
        const char* name;
        Bytes chunk;       // after a header of count 3 and number %123
        Bytes answer;      // what the program writes next
        std::string text;  // the editor's text after it
    } const cases[] = {
        {"GoodSum", {0x05, 0x00, 0x02, 0x03, 0xAB}, {kDc3}, "%123\r\n\x02\x03"},
        {"BadSum", {0x06, 0x00, 0x02, 0x03, 0xAB}, {kDc4}, "%123\r\n"},
        {"AMarkerAmongTheSumBytesIsData", {0xAA, 0x00, 0x50, 0x5A, 0xAB}, {kDc3}, "%123\r\nPZ"},
        {"ThirdByteEndsTheBlock", {0x00, 0x00, 0xAB}, {}, "%123\r\n"},
        {"NoStepTextsWithoutNine",
         Cat({Block(std::string("G1") + '\0', false)}),
         {kDc3},
         "%123\r\nG1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        R80Rig r;
        r.h.OnReceive();
        r.comm.Deliver(Header(3, "%123"));
        r.Drain();
        r.comm.Deliver(c.chunk);
        EXPECT_EQ(r.Drain(), c.answer);
        EXPECT_EQ(r.st.m_strText, c.text);
    }
}

TEST(R80Receive, AHeaderAndTheNextBlockInOneChunk) {
    R80Rig r;
    r.h.OnReceive();
    r.Drain();
    r.comm.Deliver(Cat({Header(2, "%001"), Block(std::string("G00") + '\0', true)}));
    EXPECT_EQ(r.st.m_strText, "%001\r\nG00\r\n");
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
}

TEST(R80Receive, StepNumbersCarryAndABadBlockGetsTheSameNumbersAgain) {
    R80Rig r;
    r.h.OnReceive();
    r.comm.Deliver(Header(4, "%999"));
    r.st.m_szStepNo = {'9', '9', '9', '9'};
    const std::string lines = std::string("A") + '\0' + "B" + '\0';
    Bytes bad = Block(lines, false);
    bad[0] ^= 1;
    r.comm.Deliver(bad);
    EXPECT_EQ(std::string(r.st.m_szStepNo.data(), 4), "9999");
    r.comm.Deliver(Block(lines, false));
    EXPECT_EQ(r.st.m_strText, "%999\r\nA\r\n9999    B\r\n:000    ");
}

TEST(R80Receive, ARepeatedHeaderIsTakenAsAHeader) {
    R80Rig r;
    r.h.OnReceive();
    r.Drain();
    Bytes bad = Header(2, "%001");
    bad[0] ^= 1;
    r.comm.Deliver(bad);
    EXPECT_EQ(r.Drain(), Bytes{kDc4});
    r.comm.Deliver(Header(2, "%001"));
    EXPECT_EQ(r.Drain(), Bytes{kDc3});
    r.comm.Deliver(Block(std::string("G00") + '\0', true));
    EXPECT_EQ(r.st.m_strText, "%001\r\nG00\r\n");
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
}

TEST(R80Receive, AWrongProgramNumberEndsTheReceiveUsable) {
    R80Rig r;
    r.h.OnReceive();
    r.Drain();
    Bytes header = Header(2, "%001");
    // A header whose payload carries five number characters.
    const std::uint8_t payload[] = {0, 0, 0, 2, '%', '0', '0', '0', '1'};
    header = BuildBlockFrame(payload, sizeof payload, false);
    r.comm.Deliver(header);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kProcedureNumberWrong);
    EXPECT_TRUE(r.Drain().empty());
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.st.m_nRecvBusy, 0);
    EXPECT_FALSE(r.h.Busy());
    r.win.Advance(60000ms);
    EXPECT_EQ(r.win.messages.size(), 1u);  // nothing left running
}

TEST(R80Receive, CountAndLastMarkerDisagreeingRestartsFromTheHeader) {
    R80Rig r;
    r.h.OnReceive();
    r.comm.Deliver(Header(3, "%001"));
    r.Drain();
    r.comm.Deliver(Block(std::string("G1") + '\0', true));  // last, with one block left
    EXPECT_EQ(r.Drain(), Bytes{kNak});
    EXPECT_EQ(r.win.editorText, "");
    r.win.Advance(10ms);
    EXPECT_EQ(r.Drain(), (Bytes{kNak, kNak}));
    // The controller starts again, correctly this time.
    r.comm.Deliver(Header(3, "%001"));
    r.comm.Deliver(Block(std::string("G1") + '\0', false));
    r.comm.Deliver(Block(std::string("G2") + '\0', true));
    EXPECT_EQ(r.st.m_strText, "%001\r\nG1\r\nG2\r\n");
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
}

TEST(R80Receive, SilenceIsTimedOutBeforeAndInsideAnExchange) {
    R80Rig before;
    before.h.OnReceive();
    before.win.Advance(59999ms);
    EXPECT_TRUE(before.win.messages.empty());
    before.win.Advance(1ms);
    ASSERT_EQ(before.win.messages.size(), 1u);
    EXPECT_EQ(before.win.messages[0], msg::kNoResponse);
    EXPECT_TRUE(before.win.controlsEnabled);

    R80Rig inside;  // the controller stops in the middle of a block
    inside.h.OnReceive();
    inside.comm.Deliver(Header(3, "%001"));
    inside.comm.Deliver({0x10, 0x00, 'A'});
    inside.win.Advance(4999ms);
    EXPECT_TRUE(inside.win.messages.empty());
    inside.win.Advance(1ms);
    ASSERT_EQ(inside.win.messages.size(), 1u);
    EXPECT_EQ(inside.win.messages[0], msg::kNoResponse);
    EXPECT_TRUE(inside.win.controlsEnabled);
    EXPECT_EQ(inside.win.paused, 10ms);
}

// Sending.

std::string Text600() {
    std::string t = "%001\r\n";
    while (t.size() < 6 + 598)
        t += "G";
    return t;  // 598 bytes, then CR LF CR LF appended: 600 data bytes
}

TEST(R80Send, WaitsForTheDc3PairThenSendsBlocksAsAsked) {
    R80Rig r;
    r.win.editorText = Text600();
    r.h.OnSend();
    EXPECT_FALSE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.TimerPeriod(kTimerNotReady), 60000ms);
    r.comm.Deliver({kDc3});
    r.win.Advance(5ms);
    EXPECT_TRUE(r.Drain().empty());  // one DC3 is not a pair
    r.comm.Deliver({kDc3});
    r.win.Advance(1ms);  // timer 7 runs Send again
    const Bytes header = r.Drain();
    EXPECT_EQ(header, BuildR80Header(r.st.m_sendImage, 4));
    EXPECT_EQ(r.win.progressMax, 4);

    const Bytes& image = r.st.m_sendImage;
    ASSERT_EQ(image.size(), 605u);
    const std::size_t sizes[] = {256, 256, 88};
    std::size_t at = 5;
    for (int k = 0; k < 3; ++k) {
        r.comm.Deliver({kDc3, kDc3});
        const Bytes block = r.Drain();
        EXPECT_EQ(block, BuildBlockFrame(image.data() + at, sizes[k], k == 2)) << k;
        at += sizes[k];
    }
    r.comm.Deliver({kDc4, kDc4});  // the last block again, exactly
    EXPECT_EQ(r.Drain(), BuildBlockFrame(image.data() + 517, 88, true));
    EXPECT_TRUE(r.win.messages.empty());
    r.comm.Deliver({kDc3, kDc3});  // the controller has it all: done at once
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kSendingFinished);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.st.m_bSendHandshake, 0);
    r.win.Advance(10000ms);
    EXPECT_EQ(r.win.messages.size(), 1u);
}

TEST(R80Send, EndsBy500MsOfSilenceAfterTheLastBlock) {
    R80Rig r;
    r.win.editorText = "%001\r\nG00";
    r.comm.portOpen = true;
    r.comm.Deliver({kDc3, kDc3});  // a pair before Send: it starts at once
    EXPECT_EQ(r.st.m_bSendHandshake, 1);
    EXPECT_EQ(r.st.m_recvBytes, (Bytes{kDc3, kDc3}));  // the pair stays
    r.h.OnSend();
    r.win.Advance(1ms);
    EXPECT_EQ(r.Drain(), (Bytes{0xB8, 0x00, 0x00, 0x00, 0x00, 0x02, 0x25, 0x30, 0x30, 0x31, 0xAB}));
    EXPECT_EQ(r.win.progressPos, 1);
    r.comm.Deliver({kDc3, kDc3});
    EXPECT_EQ(r.Drain(), (Bytes{0xA7, 0x00, 'G', '0', '0', 0, 0, 0xAA}));
    r.win.Advance(499ms);
    EXPECT_TRUE(r.win.messages.empty());
    r.win.Advance(1ms);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kSendingFinished);
}

TEST(R80Send, ANakPairStartsAgainFromTheHeaderAndChecksRefuse) {
    R80Rig r;
    r.win.editorText = Text600();
    r.comm.portOpen = true;
    r.comm.Deliver({kDc3, kDc3});
    r.h.OnSend();
    r.win.Advance(1ms);
    const Bytes header = r.Drain();
    r.comm.Deliver({kDc3, kDc3});
    r.Drain();
    r.comm.Deliver({kNak, kNak});
    EXPECT_EQ(r.Drain(), header);
    r.comm.Deliver({kNak, kNak});  // ignored until a data block has gone out again
    EXPECT_TRUE(r.Drain().empty());
    r.comm.Deliver({kDc3, kDc3});
    EXPECT_EQ(r.Drain(), BuildBlockFrame(r.st.m_sendImage.data() + 5, 256, false));

    R80Rig refused;
    refused.win.editorText = "%255\r\nG00";
    refused.comm.portOpen = true;
    refused.comm.Deliver({kDc3, kDc3});
    refused.h.OnSend();
    refused.win.Advance(1ms);
    ASSERT_EQ(refused.win.messages.size(), 1u);
    EXPECT_EQ(refused.win.messages[0], msg::kR80ProgramRange);
    EXPECT_TRUE(refused.Drain().empty());
    EXPECT_TRUE(refused.win.controlsEnabled);
    EXPECT_EQ(refused.st.m_bSendHandshake, 0);
}

TEST(R80Send, NoPairFor60SecondsOrNoAnswerFor5Seconds) {
    R80Rig r;
    r.win.editorText = "%001\r\nG00";
    r.h.OnSend();
    r.win.Advance(60000ms);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kNotReady);
    EXPECT_TRUE(r.win.controlsEnabled);

    R80Rig quiet;
    quiet.win.editorText = "%001\r\nG00";
    quiet.comm.portOpen = true;
    quiet.comm.Deliver({kDc3, kDc3});
    quiet.h.OnSend();  // the pair came before: the header goes out at once
    quiet.win.Advance(4999ms);
    ASSERT_TRUE(quiet.win.messages.empty()) << quiet.win.messages[0].text;
    quiet.win.Advance(1ms);
    ASSERT_EQ(quiet.win.messages.size(), 1u);
    EXPECT_EQ(quiet.win.messages[0], msg::kNoResponse);
    EXPECT_TRUE(quiet.win.controlsEnabled);
}

// Whole transfers against the simulated controller.

const std::string kPlcText = [] {
    std::string t = "%999\r\n00000300\r\n";
    for (int i = 0; i < 300; ++i)
        t += "00000000LD      X" + std::to_string(1000 + i) + "\r\n";
    return t;
}();

struct SimCase {
    const char* name;
    sim::Role role;
    FaultKind fault;
    int at;
    Message end;
};
// Test names, not bytes, in listings.
void PrintTo(const SimCase& c, std::ostream* os) {
    *os << c.name;
}

class R80SimTest : public ::testing::TestWithParam<SimCase> {};

TEST_P(R80SimTest, TransfersThroughFaults) {
    const auto& c = GetParam();
    R80Rig r;
    sim::Config config = SimConfig(sim::Model::R80, c.role);
    config.fault.kind = c.fault;
    config.fault.at = c.at;
    const std::string program = [] {
        std::string t = "%123\r\n";
        for (int i = 0; i < 120; ++i)
            t += "N" + std::to_string(1000 + i) + " G01 X1.5 Y2\r\n";
        return t;
    }();
    config.document = B(program);
    SimLine line(r, config);
    if (c.role == sim::Role::Input) {
        r.win.editorText = program;
        line.Start();
        r.win.Advance(100ms);
        r.h.OnSend();
    } else {
        line.Start();
        r.h.OnReceive();
    }
    r.win.Advance(30000ms);
    ASSERT_FALSE(r.win.messages.empty());
    EXPECT_EQ(r.win.messages.back(), c.end);
    EXPECT_EQ(r.win.messages.size(), 1u);
    EXPECT_TRUE(r.win.controlsEnabled);
    if (c.end == msg::kNoResponse) return;
    if (c.role == sim::Role::Input) {
        EXPECT_EQ(line.controller.Received(), B(program + "\r\n")) << line.controller.Status();
    } else {
        EXPECT_EQ(r.st.m_strText, program);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, R80SimTest,
    ::testing::Values(
        SimCase{"SendClean", sim::Role::Input, FaultKind::None, 0, msg::kSendingFinished},
        SimCase{"SendDc4AtHeader", sim::Role::Input, FaultKind::AnswerDc4, 0,
                msg::kSendingFinished},
        SimCase{"SendDc4AtBlock2", sim::Role::Input, FaultKind::AnswerDc4, 2,
                msg::kSendingFinished},
        SimCase{"SendNakAtBlock3", sim::Role::Input, FaultKind::AnswerNak, 3,
                msg::kSendingFinished},
        SimCase{"SendDuplicateDc3", sim::Role::Input, FaultKind::DuplicateDc3, 1,
                msg::kSendingFinished},
        SimCase{"SendStaleDc3", sim::Role::Input, FaultKind::StaleDc3, 0, msg::kSendingFinished},
        SimCase{"SendSingleDc3", sim::Role::Input, FaultKind::SingleDc3, 2, msg::kNoResponse},
        SimCase{"SendSilence", sim::Role::Input, FaultKind::Silence, 2, msg::kNoResponse},
        SimCase{"ReceiveClean", sim::Role::Output, FaultKind::None, 0, msg::kTakingOverFinished},
        SimCase{"ReceiveBadHeaderSum", sim::Role::Output, FaultKind::BadChecksum, 0,
                msg::kTakingOverFinished},
        SimCase{"ReceiveBadSumAtBlock2", sim::Role::Output, FaultKind::BadChecksum, 2,
                msg::kTakingOverFinished},
        SimCase{"ReceiveDroppedByte", sim::Role::Output, FaultKind::DropByte, 1,
                msg::kTakingOverFinished},
        SimCase{"ReceiveDuplicatedByte", sim::Role::Output, FaultKind::DuplicateByte, 3,
                msg::kTakingOverFinished},
        SimCase{"ReceiveSilence", sim::Role::Output, FaultKind::Silence, 2, msg::kNoResponse}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(R80Sim, ALadderDocumentGoesOutWithoutItsStepFieldsAndComesBackWithNew) {
    R80Rig r;
    r.st.m_nDocKind = kDocLadder;
    r.win.editorText = kPlcText;
    SimLine line(r, SimConfig(sim::Model::R80, sim::Role::Input));
    line.Start();
    r.h.OnSend();
    r.win.Advance(20000ms);
    ASSERT_TRUE(line.controller.Ok()) << line.controller.Status();
    const Bytes held = line.controller.Received();
    EXPECT_EQ(std::string(held.begin(), held.begin() + 24), "%999\r\n00000300\r\nLD      ");

    R80Rig back;
    sim::Config out = SimConfig(sim::Model::R80, sim::Role::Output);
    out.document = held;
    SimLine line2(back, out);
    line2.Start();
    back.h.OnReceive();
    back.win.Advance(20000ms);
    const std::string& text = back.st.m_strText;
    EXPECT_EQ(text.substr(0, 36), "%999\r\n00000300\r\n0000    LD      X100");
    EXPECT_NE(text.find("0299    LD      X1299\r\n0300    "), std::string::npos);
}

}  // namespace
}  // namespace taplink::testing
