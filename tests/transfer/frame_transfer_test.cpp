// Send and receive with the "R40/R60" and "Memory" models, on a virtual
// clock: what goes on the line, when, and what the operator sees.
#include <gtest/gtest.h>

#include "frames.h"
#include "hex_display.h"
#include "transfer_rig.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = "%01\r\nN0000 G00  X10 \r\n\r\nN0010 M30";
const Bytes kProgramFrame = [] {
    const std::string cleaned = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
    return BuildProgramFrame(cleaned, 0x11);
}();

int Setups(const ScriptedComm& comm) {
    return static_cast<int>(std::count(comm.log.begin(), comm.log.end(), "InBufferSize=2048"));
}

TEST(FrameSend, WaitsForTheReadyByteThenPacesTheFrameByteByByte) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.win.speed = 3;  // 4 ms between bytes
    r.h.OnSend();
    EXPECT_FALSE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.TimerPeriod(kTimerNotReady), 120000ms);
    EXPECT_EQ(r.win.TimerPeriod(kTimerPeerReady), 50ms);
    r.win.Advance(1000ms);
    EXPECT_TRUE(r.comm.output.empty());

    r.comm.Deliver({0x41, 0x12, 0x42});  // the controller is ready
    EXPECT_EQ(r.g.g_nPeerReady, 1);
    EXPECT_FALSE(r.win.TimerRunning(kTimerNotReady));
    r.win.Advance(50ms);  // timer 9 finds it and Send runs again
    EXPECT_EQ(Setups(r.comm), 2);
    EXPECT_EQ(r.win.progressMax, 36);

    r.win.Advance(4ms * 35);
    EXPECT_EQ(r.comm.output.size(), 35u);
    EXPECT_TRUE(r.win.messages.empty());
    EXPECT_FALSE(r.win.controlsEnabled);
    r.win.Advance(4ms);
    ASSERT_EQ(r.comm.output.size(), 36u);
    for (const auto& w : r.comm.output)
        EXPECT_EQ(w.size(), 1u);  // one byte a write
    EXPECT_EQ(r.comm.Written(), kProgramFrame);
    EXPECT_EQ(r.win.progressSteps, 36);
    EXPECT_EQ(r.Texts(), std::vector<std::string>{"Data transmission be finished!"});
    EXPECT_EQ(r.win.messages[0].caption, "Notice!");
    EXPECT_EQ(r.win.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.progressPos, 0);
    EXPECT_EQ(r.g.g_nPeerReady, 0);
    r.win.Advance(1000ms);
    EXPECT_EQ(r.comm.output.size(), 36u);
}

TEST(FrameSend, AnEarlierReadyByteStartsAtOnceAndTheSliderSetsThePace) {
    TransferRig r;
    r.model = kModelMemory;
    r.win.editorText = "0000   41  42";
    r.win.speed = 500;  // 501 ms between bytes
    r.comm.portOpen = true;
    r.comm.Deliver({0x12});  // nothing armed: the controller is ready for later
    ASSERT_EQ(r.g.g_nPeerReady, 1);
    r.h.OnSend();
    EXPECT_FALSE(r.win.TimerRunning(kTimerPeerReady));
    EXPECT_EQ(r.win.progressMax, 5);
    r.win.Advance(500ms);
    EXPECT_TRUE(r.comm.output.empty());
    r.win.Advance(1ms);
    EXPECT_EQ(r.comm.output.size(), 1u);
    r.win.Advance(501ms * 4);
    EXPECT_EQ(r.comm.Written(), (Bytes{0x11, 0x02, 0x00, 0x41, 0x42}));
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kMemorySent);
    EXPECT_EQ(r.st.m_memImage, (Bytes{0x41, 0x42}));
}

struct RefusalCase {
    const char* name;
    int model;
    std::string text;
    Message message;
    bool disabledMeanwhile;
};

TEST(FrameSend, RefusalsLeaveTheWindowUsableAndTheLineQuiet) {
    const RefusalCase cases[] = {
        {"Empty", kModelR40, "", msg::kEmptyDocument, false},
        {"ProgramNumber", kModelR40, "%1\r\nN0000\r\n", msg::kProgramNumber, true},
        {"MemoryTooShort", kModelMemory, "0000   41", msg::kMemoryEmpty, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig r;
        r.model = c.model;
        r.win.editorText = c.text;
        r.g.g_nPeerReady = 1;
        r.h.OnSend();
        ASSERT_EQ(r.win.messages.size(), 1u);
        EXPECT_EQ(r.win.messages[0], c.message);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.win.enableCalls.size(), c.disabledMeanwhile ? 2u : 0u);
        EXPECT_TRUE(r.comm.output.empty());
        EXPECT_EQ(r.g.g_nPeerReady, c.disabledMeanwhile ? 0 : 1);
        EXPECT_FALSE(r.h.Busy());
    }
}

TEST(FrameSend, TheWaitEndsAfter120SecondsWithoutAnyEvent) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.h.OnSend();
    r.win.Advance(119999ms);
    EXPECT_TRUE(r.win.messages.empty());
    r.win.Advance(1ms);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kNotReady);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_FALSE(r.win.TimerRunning(kTimerPeerReady));
}

TEST(FrameSend, AnEventWithoutTheReadyByteRestartsTheWaitInsteadOfEndingIt) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.h.OnSend();
    r.win.Advance(100000ms);
    r.comm.RaiseEvent(5);  // a modem-line change
    r.win.Advance(100000ms);
    r.comm.Deliver({0x41});  // a byte, but not the ready byte
    r.win.Advance(119999ms);
    EXPECT_TRUE(r.win.messages.empty());
    r.win.Advance(1ms);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kNotReady);
    EXPECT_TRUE(r.win.controlsEnabled);
}

Bytes ProgramFormFrame(const std::string& text) {
    Bytes f{0x11, static_cast<std::uint8_t>(text.size() + 2)};
    f.insert(f.end(), text.begin(), text.end());
    f.push_back('\r');
    f.push_back('\n');
    return f;
}

TEST(FrameReceive, RequestsThenCollectsAFrameInPieces) {
    TransferRig r;
    r.win.editorText = "old text";
    r.h.OnReceive();
    ASSERT_EQ(r.comm.output.size(), 20u);
    EXPECT_EQ(r.comm.Written(), Bytes(20, 0x12));
    EXPECT_FALSE(r.win.controlsEnabled);
    r.win.Advance(15ms);
    EXPECT_EQ(r.comm.output.size(), 23u);  // one more every 5 ms

    const std::string program = "%12\r\nN0000 G00\r\n";
    const Bytes frame = ProgramFormFrame(program);
    r.comm.Deliver(Bytes(frame.begin(), frame.begin() + 3));
    r.win.Advance(15ms);
    EXPECT_EQ(r.comm.output.size(), 23u);     // the first event ends the requests
    EXPECT_EQ(r.win.editorText, "old text");  // fewer than 5 characters: nothing yet
    r.comm.Deliver(Bytes(frame.begin() + 3, frame.end() - 1));
    EXPECT_EQ(r.win.editorText, "");
    EXPECT_EQ(r.win.progressMax, static_cast<int>(program.size() + 2));
    EXPECT_TRUE(r.win.messages.empty());
    r.comm.Deliver(Bytes(frame.end() - 1, frame.end()));
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
    EXPECT_EQ(r.st.m_strText, program);
    EXPECT_EQ(r.win.editorText, program);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.g.g_nRecvArmed, 0);
    EXPECT_EQ(r.win.progressPos, 0);

    r.comm.Deliver({0x12});  // afterwards only scanned for the ready byte
    EXPECT_EQ(r.g.g_nPeerReady, 1);
    EXPECT_EQ(r.st.m_strText, program);
}

TEST(FrameReceive, ZeroBytesNeverArriveAndAWrongStartEndsTheReceive) {
    TransferRig r;
    r.h.OnReceive();
    r.comm.Deliver({0x11, 0x07, 0x00, '%', '1', '2', '3', '4', 0x00, '\r', '\n'});
    EXPECT_EQ(r.st.m_strText, "%1234");

    TransferRig wrong;
    wrong.h.OnReceive();
    wrong.comm.Deliver({0x13, 0x07, '%', '1', '2'});
    ASSERT_EQ(wrong.win.messages.size(), 1u);
    EXPECT_EQ(wrong.win.messages[0], msg::kWrongStart);
    EXPECT_TRUE(wrong.win.controlsEnabled);
    EXPECT_EQ(wrong.g.g_nRecvArmed, 0);
}

TEST(FrameReceive, NoAnswerFor60SecondsEndsAndDisarms) {
    TransferRig r;
    r.h.OnReceive();
    r.win.Advance(60000ms);
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kNotReady);
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.g.g_nRecvArmed, 0);
    const auto written = r.comm.output.size();
    r.win.Advance(1000ms);
    EXPECT_EQ(r.comm.output.size(), written);  // no more requests
    r.comm.Deliver({0x12});                    // a late ready byte is seen as one, not as data
    EXPECT_EQ(r.g.g_nPeerReady, 1);
    EXPECT_TRUE(r.st.m_strRecvText.empty());
}

TEST(FrameReceive, AControllerThatStopsMidFrameIsTimedOutKeepingWhatCame) {
    for (const int model : {kModelR40, kModelMemory}) {
        SCOPED_TRACE(model);
        TransferRig r;
        r.model = model;
        r.h.OnReceive();
        if (model == kModelR40) {
            r.comm.Deliver({0x11, 40, '%', '1', '2', '\r', '\n', 'N', '1'});
        } else {
            Bytes f{0x11, 20, 0};
            for (int i = 0; i < 11; ++i)
                f.push_back(static_cast<std::uint8_t>('A' + i));
            r.comm.Deliver(f);
        }
        r.win.Advance(59999ms);
        EXPECT_TRUE(r.win.messages.empty());
        r.comm.Deliver({'2'});  // a byte restarts the wait
        r.win.Advance(59999ms);
        EXPECT_TRUE(r.win.messages.empty());
        r.win.Advance(1ms);
        ASSERT_EQ(r.win.messages.size(), 1u);
        EXPECT_EQ(r.win.messages[0], msg::kNoResponse);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.g.g_nRecvArmed, 0);
        if (model == kModelR40) {
            EXPECT_EQ(r.win.editorText, "%12\r\nN12");
        } else {
            std::string display;
            const Bytes got{0x11, 20,  0,   'A', 'B', 'C', 'D', 'E',
                            'F',  'G', 'H', 'I', 'J', 'K', '2'};
            FinishDump(got, display);
            EXPECT_EQ(r.win.editorText, display);
        }
    }
}

TEST(FrameReceive, MemoryBuildsTheDisplayAsItArrives) {
    TransferRig r;
    r.model = kModelMemory;
    r.win.editorText = "old";
    r.h.OnReceive();
    EXPECT_TRUE(r.comm.output.empty());  // no request before the first tick
    EXPECT_EQ(r.win.editorText, "");     // blank at once
    r.win.Advance(5ms);
    EXPECT_EQ(r.comm.Written(), Bytes{0x12});

    Bytes image(13);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(0x30 + i);
    const Bytes frame = BuildMemoryFrame(image);
    r.comm.Deliver(Bytes(frame.begin(), frame.begin() + 12));
    EXPECT_EQ(r.st.m_strText.size(), 55u);  // the first full line is ready
    EXPECT_EQ(r.win.editorText, "");        // shown only at the end
    r.comm.Deliver(Bytes(frame.begin() + 12, frame.end()));
    std::string display;
    FinishDump(frame, display);
    EXPECT_EQ(r.win.editorText, display);
    EXPECT_EQ(r.st.m_memImage, frame);  // the header stays with the image
    ASSERT_EQ(r.win.messages.size(), 1u);
    EXPECT_EQ(r.win.messages[0], msg::kTakingOverFinished);
}

TEST(FrameTransfer, ALostLineKeepsWhatWasReceived) {
    TransferRig r;
    r.h.OnReceive();
    r.comm.Deliver({0x11, 40, '%', '1', '2', '\r', '\n', 'N', '1'});
    r.h.EndAfterFailure();
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.editorText, "%12\r\nN1");
    EXPECT_EQ(r.g.g_nRecvArmed, 0);
    r.comm.Deliver({0x12});  // after it, bytes are not taken as data
    EXPECT_EQ(r.win.editorText, "%12\r\nN1");
}

TEST(FrameTransfer, ALostLineEndsTheTransferWithTheWindowUsable) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.g.g_nPeerReady = 1;
    r.h.OnSend();
    r.win.Advance(20ms);
    ASSERT_FALSE(r.win.controlsEnabled);
    r.h.EndAfterFailure();
    EXPECT_TRUE(r.win.controlsEnabled);
    const auto written = r.comm.output.size();
    r.win.Advance(10000ms);
    EXPECT_EQ(r.comm.output.size(), written);
    EXPECT_TRUE(r.win.messages.empty());
}

}  // namespace
}  // namespace taplink::testing
