// Send and receive with the "R40/R60" and "Memory" models, on a virtual
// clock: what goes on the line, when, and what the operator sees.
#include <gtest/gtest.h>

#include <optional>

#include "bytes_text.h"
#include "received_frames.h"
#include "transfer_rig.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using namespace msg;

const std::string kProgram = "%01\r\nN0000 G00  X10 \r\n\r\nN0010 M30";
// The cleaned program framed: 11, length 0x21, 31 bytes, checksum 0x0513.
const Bytes kProgramFrame =
    Cat({{0x11, 0x21, 0x00}, B("%01\r\nN0000 G00 X10\r\nN0010 M30\r\n"), {0x13, 0x05}});

// The frame goes out a byte a write, each after the slider's delay; a late
// tick (the window busy for a while) does not bring the next bytes closer
// together than that.
TEST(FrameSend, WaitsForTheReadyByteThenPacesTheFrameByteByByte) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.win.speed = 3;  // 4 ms between bytes
    std::vector<milliseconds> at;
    r.comm.onOutput = [&](const Bytes&) { at.push_back(r.win.Now()); };
    r.h.OnSend();
    EXPECT_FALSE(r.win.controlsEnabled);
    // The controller is ready: timer 9 finds it, and Send runs again.
    r.Run("+1000 >; < 41 12 42; +50");
    EXPECT_EQ(r.win.progressMax, 36);
    r.win.Advance(62ms);
    r.win.Stall(17ms);
    r.win.Advance(100ms);
    ASSERT_EQ(at.size(), 36u);  // one byte a write
    EXPECT_EQ(at[0], 1054ms);
    for (std::size_t i = 1; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], 4ms) << i;
    EXPECT_EQ(r.comm.Written(), kProgramFrame);
    EXPECT_EQ(r.win.progressSteps, 36);
    EXPECT_EQ(r.win.messages, (std::vector<Message>{{"Data transmission be finished!", "Notice!",
                                                     MessageIcon::Exclamation}}));
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.progressPos, 0);
    EXPECT_EQ(r.g.g_nPeerReady, 0);
}

// A send is finished when its last byte has left the port. A far end that
// holds the line (XOFF, CTS) or stops reading keeps the message back; a
// minute in which the line takes nothing ends the send as a failure, in the
// middle of a slow frame too. A lost line ends the pacing quietly.
TEST(SendEnd, FinishedOnlyOnceTheLastByteHasLeftThePort) {
    const std::string slow = "%01\r\n" + std::string(200, 'G') + "\r\n";  // 212 frame bytes
    const std::string image = "0000   41  42", r80 = "%001\r\nG00";
    // The line takes `takes` bytes, then holds them until `release`; the
    // message shows between `from` and `to`, once `written` bytes went to
    // the port. A line `lost` then ends the send without one.
    // clang-format off
    struct Case { const char* name; int model; std::string text; int speed; std::size_t takes; std::optional<milliseconds> release;
                  Message message; milliseconds from, to; std::size_t written; milliseconds lost{0}; };
    const Case cases[] = {
        {"R40Released", kModelR40, kProgram, 1, 20, 30s, kProgramSent, 30s, 30010ms, 36},
        {"R40NeverReleased", kModelR40, kProgram, 1, 20, {}, kStoppedTaking, 60040ms, 60060ms, 36},
        {"R40StopsMidFrame", kModelR40, slow, 500, 50, {}, kStoppedTaking, 85050ms, 86050ms, 170},
        {"MemoryReleased", kModelMemory, image, 1, 0, 1s, kMemorySent, 1s, 1010ms, 5},
        {"MemoryNeverTaken", kModelMemory, image, 1, 0, {}, kStoppedTaking, 60s, 60020ms, 5},
        // The header block goes out, the last block is held.
        {"R80Released", kModelR80, r80, 1, 11, 10s, kSendingFinished, 10s, 10010ms, 19},
        {"R80NeverReleased", kModelR80, r80, 1, 11, {}, kStoppedTaking, 60501ms, 60511ms, 19},
        {"R40LineLost", kModelR40, kProgram, 1, SIZE_MAX, {}, {}, -1ms, -1ms, 9, 20ms},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig r(c.model);
        r.win.editorText = c.text;
        r.win.speed = c.speed;
        r.comm.lineTakes = c.takes;
        if (c.release) r.win.After(*c.release, [&r] { r.comm.lineTakes = SIZE_MAX; });
        if (c.lost > 0ms) r.win.After(c.lost, [&r] { r.h.EndAfterFailure(); });
        milliseconds shown{-1};
        r.win.whileMessageOpen = [&](const Message&) { shown = r.win.Now(); };
        if (c.model == kModelR80) {
            r.comm.Deliver({0x13, 0x13});  // ready: the header goes out
            r.h.OnSend();
            r.Run("+1; < 13 13");  // the last block goes out
        } else {
            r.g.g_nPeerReady = 1;
            r.h.OnSend();
        }
        r.win.Advance(200s);
        EXPECT_EQ(r.win.messages, c.lost > 0ms ? std::vector<Message>{} : std::vector{c.message});
        EXPECT_GE(shown, c.from);
        EXPECT_LE(shown, c.to);
        EXPECT_EQ(r.comm.Written().size(), c.written);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.RunningTimer(), 0);
        EXPECT_EQ(r.win.progressPos, 0);
        EXPECT_EQ(r.g.g_nPeerReady + r.st.m_bSendHandshake + r.st.m_bSendActive, 0);
    }
}

TEST(FrameSend, RefusalsLeaveTheWindowUsableAndTheLineQuiet) {
    // The frame's length is set as the progress bar's before the check.
    // clang-format off
    struct Case { const char* name; int model; std::string text; Message message; bool disabledMeanwhile; int progressMax; };
    const Case cases[] = {
        {"Empty", kModelR40, "", kEmptyDocument, false, 100},
        {"ProgramNumber", kModelR40, "%1\r\nN0000\r\n", kProgramNumber, true, 16},
        {"MemoryTooShort", kModelMemory, "0000   41", kMemoryEmpty, true, 100},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig r(c.model);
        r.win.editorText = c.text;
        r.g.g_nPeerReady = 1;
        r.h.OnSend();
        EXPECT_EQ(r.win.messages, std::vector<Message>{c.message});
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.win.enableCalls.size(), c.disabledMeanwhile ? 2u : 0u);
        EXPECT_TRUE(r.comm.output.empty());
        EXPECT_EQ(r.g.g_nPeerReady, c.disabledMeanwhile ? 0 : 1);
        EXPECT_EQ(r.win.progressMax, c.progressMax);
    }
}

// Only the ready byte moves a send on: a modem-line change or other bytes
// leave the wait's end where it was.
TEST(FrameSend, TheWaitEndsAfter120SecondsWhateverElseComes) {
    TransferRig r;
    r.win.editorText = kProgram;
    r.h.OnSend();
    r.Run("+100000 event; +10000 < 41 00; +9999 #0; +1 #1");
    EXPECT_EQ(r.win.messages, std::vector<Message>{kNotReady});
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_FALSE(r.win.TimerRunning(kTimerPeerReady));
}

TEST(FrameReceive, RequestsThenCollectsAFrameInPieces) {
    TransferRig r;
    r.win.editorText = "old text";
    r.h.OnReceive();
    // 20 requests at once, one more every 5 ms until the first event.
    r.Run("> 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12 12; +15 > 12 12 12");
    r.Run("< 11 12 25; +15 >");
    EXPECT_EQ(r.win.editorText, "old text");  // fewer than 5 characters: nothing yet
    r.comm.Deliver(B("12\r\nN0000 G00\r\n\r"));
    EXPECT_EQ(r.win.editorText, "");
    EXPECT_EQ(r.win.progressMax, 18);
    // Whole in the program form: taken once the line has been quiet.
    r.Run("< 0A; +999 #0; +1 #1");
    EXPECT_EQ(r.win.messages, std::vector<Message>{kTakingOverFinished});
    EXPECT_EQ(r.win.editorText, "%12\r\nN0000 G00\r\n");
    EXPECT_TRUE(r.win.controlsEnabled);
    EXPECT_EQ(r.win.progressPos, 0);

    r.comm.Deliver({0x12});  // afterwards only scanned for the ready byte
    EXPECT_EQ(r.g.g_nPeerReady, 1);
    EXPECT_EQ(r.win.editorText, "%12\r\nN0000 G00\r\n");
}

// How a receive ends, for what the controller sends and when: a frame is
// taken once the line has been quiet after it, with a short trailer left
// out; more than that is unreadable. A controller that stops mid-frame is
// given 60 s from its last byte, and what came stays in the editor, as it
// does when the line is lost (later bytes are not taken as data). Zero bytes
// before the frame are no answer. Every well-formed frame is in frame_sweep_test.
TEST(FrameReceive, EachEndLeavesTheWindowUsableAndNothingRunning) {
    using Events = std::vector<std::pair<milliseconds, Bytes>>;
    const Bytes program = B("\x11\x07|%1234\r\n"), padded = B("\x11\x07|%1234\r\n\r\n\x1A");
    const Bytes memory{0x11, 0x02, 0x00, 0x41, 0x42}, extra{0x0D, 0x0A, 0x1A};
    const Bytes partial = B("\x11(%12\r\nN1"), flood(100000, 0x11), lost;  // lost: no bytes
    const std::string ab = "0000   41  42                         A B";
    // No message for a lost line; `notes`: extra bytes said in the trace.
    // clang-format off
    struct Case { const char* name; int model; Events events; Message message; std::string editor; std::size_t notes; };
    const Case cases[] = {
        {"DocumentFormAndATrailer", kModelR40, {{0ms, padded}, {1000ms, flood}}, kTakingOverFinished, "%1234", 1},
        // What came is kept, as far as the longest frame reaches.
        {"DocumentFormThenAFlood", kModelR40, {{0ms, program}, {999ms, flood}}, kWrongStart,
         "%1234\r\n" + std::string(kMaxCollected - program.size(), '\x11'), 0},
        {"ProgramFormWithMore", kModelR40, {{0ms, B("\x11\x07%1234\r\n\x1A")}}, kWrongStart, "%1234\r\n\x1A", 0},
        {"ZerosBeforeTheFrame", kModelR40, {{0ms, {0, 0}}, {50s, {0}}, {50s, program}}, kNotReady, "", 0},
        {"MemoryAndATrailer", kModelMemory, {{0ms, Cat({memory, extra})}, {1000ms, flood}}, kTakingOverFinished, ab, 1},
        {"MemoryStopsMidFrame", kModelMemory, {{0ms, B("\x11\x14|ABCDEFGHIJK")}, {59999ms, {'2'}}}, kNoResponse,
         "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n0008   49  4A  4B  32                 I J K 2", 0},
        {"LineLostMidFrame", kModelR40, {{0ms, partial}, {0ms, lost}, {0ms, {0x12}}}, {}, "%12\r\nN1", 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig r(c.model);
        r.h.OnReceive();
        for (const auto& [after, bytes] : c.events) {
            r.win.Advance(after);
            bytes.empty() ? r.h.EndAfterFailure() : r.comm.Deliver(bytes);
        }
        r.win.Advance(130s);
        EXPECT_EQ(r.win.messages,
                  c.message.text.empty() ? std::vector<Message>{} : std::vector{c.message});
        EXPECT_EQ(r.win.editorText, c.editor);
        EXPECT_EQ(r.comm.notes.size(), c.notes);
        EXPECT_LE(r.st.m_strRecvText.size() + r.st.m_memImage.size(), kMaxCollected);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.g.g_nRecvArmed, 0);
        EXPECT_EQ(r.RunningTimer(), 0);
    }
}

TEST(FrameReceive, MemoryBuildsTheDisplayAsItArrives) {
    TransferRig r(kModelMemory);
    r.win.editorText = "old";
    r.h.OnReceive();
    EXPECT_EQ(r.win.editorText, "");  // blank at once
    // No request before the first tick; a line event is no answer.
    r.Run("event; >; +5 > 12; event; +5 > 12");
    r.comm.Deliver(B("\x11\x0D|012345678"));
    EXPECT_EQ(r.st.m_strText.size(), 55u);  // the first full line is ready
    EXPECT_EQ(r.win.editorText, "");        // shown only at the end
    r.comm.Deliver({'9', ':', ';', '<'});
    r.win.Advance(kQuietBeforeTake);
    EXPECT_EQ(r.win.editorText,
              "0000   30  31  32  33  34  35  36  37 0 1 2 3 4 5 6 7\r\n"
              "0008   38  39  3A  3B  3C             8 9 : ; <");
    EXPECT_EQ(r.st.m_memImage.size(), 16u);  // the header stays with the image
    EXPECT_EQ(r.win.messages, std::vector<Message>{kTakingOverFinished});
}

}  // namespace
}  // namespace taplink::testing
