// The "R80" block protocol through the handlers, on a virtual clock: what
// goes on the line for what comes, however the controller's bytes are cut
// into events, and that every end leaves nothing running. Whole transfers
// against the simulated controller are in sim_transfer_test.
#include <gtest/gtest.h>

#include "bytes_text.h"
#include "r80_protocol.h"
#include "transfer_rig.h"
#include "wire.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

const std::string kDone = "Taking-over is finished!", kSent = "Sending is finished!",
                  kQuiet =
                      "The CNC nothing responds,Transmission fail is transferred please again!",
                  kWrong =
                      "Data transmission is wrong!Transfer the agreement checking inconformity!";

// Blocks as the simulated controller frames them ('|' for each 0 byte).
Bytes Blk(std::string_view payload, bool last = false) {
    return sim::wire::Block(B(payload), last);
}
Bytes Head(std::uint32_t count, std::string_view number) {
    return sim::wire::Block(sim::wire::HeaderPayload(count, B(number)), false);
}

// 598 bytes after the number line, then CR LF CR LF appended: 600 data bytes.
const std::string kText600 = "%001\r\n" + std::string(598, 'G');

struct R80Rig : TransferRig {
    R80Rig() : TransferRig(kModelR80) {}
    // The controller's DC3 pair came before Send: the header goes out at
    // once; returns it.
    Bytes SendAfterPair(const std::string& text) {
        win.editorText = text;
        comm.portOpen = true;
        comm.Deliver({0x13, 0x13});
        h.OnSend();
        win.Advance(1ms);
        return Drain();
    }
};

TEST(R80Receive, HeaderThenTwoBlocksWithStepTexts) {
    R80Rig r;
    r.h.OnReceive();
    // The request goes again every 5 ms until the header comes.
    r.Run("> 13 13; +10 > 13 13; < D3 00 00 00 00 03 25 39 39 39 AB > 13 13");
    EXPECT_EQ(r.win.editorText, "%999\r\n");
    EXPECT_EQ(r.win.progressMax, 3);
    // A bad block is asked for again, and gets the same step numbers again;
    // the numbers carry through every digit.
    Bytes bad = Blk("LD X1|OUT Y1|");
    bad[0] ^= 1;
    r.comm.Deliver(bad);
    r.comm.Deliver(Blk("LD X1|OUT Y1|"));
    r.st.m_szStepNo = {'9', '9', '9', '9'};
    r.Run("> 14 14 13 13; < 60 01 45 4E 44 31 00 58 00 AA >");
    EXPECT_EQ(r.st.m_strText,
              "%999\r\nLD X1\r\n0000    OUT Y1\r\n0001    END1\r\n9999    X\r\n:000    ");
    EXPECT_EQ(r.win.editorText, r.st.m_strText);
    EXPECT_EQ(r.win.progressSteps, 3);
    EXPECT_EQ(r.win.progressPos, 0);
    EXPECT_EQ(r.Texts(), Texts{kDone});
    EXPECT_TRUE(r.win.controlsEnabled);
    r.Run("+70000 > #1");
}

// However the controller's writes are cut into events, each block gets one
// answer (the pair at once, then one byte every 5 ms), only the last answer
// repeats, and an end leaves nothing running and all that came in the editor.
TEST(R80Receive, EveryChunkBoundaryAnswersOnceAndEndsClean) {
    const Bytes h2 = Head(2, "%001"), h3 = Head(3, "%001"), h4 = Head(4, "%001");
    const Bytes g1 = Blk("G1|"), g2last = Blk("G2|", true);
    Bytes bad = g1, badHead = h2;
    bad[0] ^= 1;
    badHead[0] ^= 1;
    // Blocks longer than ours: the sum of text fits 16 bits up to about 4 KB.
    const std::string p4096 = std::string(4000, '|') + std::string(96, 'G');
    std::string text4096 = "%001\r\n";
    for (int k = 0; k < 4000; ++k)
        text4096 += "\r\n";
    text4096 += std::string(96, 'G');
    // After Receive: the events; the answers to them, in order; what 10 ms
    // later brings; the message once every time-out has passed; the text.
    // clang-format off
    struct Case { const char* name; std::vector<Bytes> events; const char *written, *repeats; std::string message, text; };
    const Case cases[] = {
        {"HeaderAndLastBlock", {Cat({h2, g2last})}, "13 13", "", kDone, "%001\r\nG2\r\n"},
        {"HeaderAndBlock", {Cat({h3, g1})}, "13 13 13 13", "13 13", kQuiet, "%001\r\nG1\r\n"},
        {"BlockAndLastBlock", {h3, Cat({g1, g2last})}, "13 13 13 13", "", kDone, "%001\r\nG1\r\nG2\r\n"},
        {"BlockAndBadBlock", {h4, Cat({g1, bad})}, "13 13 13 13 14 14", "14 14", kQuiet, "%001\r\nG1\r\n"},
        {"BadBlockAndBlock", {h4, Cat({bad, g1})}, "13 13 14 14 13 13", "13 13", kQuiet, "%001\r\nG1\r\n"},
        {"LastBlockAndStrayBytes", {h2, Cat({g2last, {0x0D, 0x0A, 0x13, 0x13}})}, "13 13", "", kDone, "%001\r\nG2\r\n"},
        {"ARepeatedHeaderIsTakenAsAHeader", {badHead, h2, g2last}, "14 14 13 13", "", kDone, "%001\r\nG2\r\n"},
        {"CountAndMarkerDisagreeingRestartsFromTheHeader", {h3, Blk("G1|", true), Cat({h3, g1, g2last})},
         "13 13 15 15 13 13 13 13", "", kDone, "%001\r\nG1\r\nG2\r\n"},
        {"WrongNumberAndMore", {Cat({Blk("|||\x02%0001"), g1})}, "", "", "The procedure number makes mistakes!", ""},
        {"AMarkerAmongTheSumBytesIsData", {h3, {0xAA, 0x00, 0x50, 0x5A, 0xAB}}, "13 13 13 13", "13 13", kQuiet, "%001\r\nPZ"},
        // A marker before the third byte is data: the controller stops in
        // the middle of a block.
        {"StopInABlock", {h3, {0x00, 0x00, 0xAB}}, "13 13", "", kQuiet, "%001\r\n"},
        {"TheLongestBlockTaken", {h2, Blk(p4096, true)}, "13 13", "", kDone, text4096},
        // One byte more than a block may hold: not this protocol.
        {"ALongerBlock", {h2, Blk(p4096 + "G", true)}, "13 13", "", kWrong, "%001\r\n"},
        // The sum is compared whole: one past 16 bits never matches.
        {"ASumPastSixteenBits", {h2, Blk(std::string(300, '\xFF'), true)}, "13 13 14 14", "14 14", kQuiet, "%001\r\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        R80Rig r;
        r.h.OnReceive();
        r.Drain();
        for (const auto& e : c.events)
            r.comm.Deliver(e);
        r.Run(std::string("> ") + c.written + "; +10 > " + c.repeats);
        r.win.Advance(70s);
        EXPECT_LE(r.Drain().size(), *c.repeats ? 1000u : 0u);
        EXPECT_EQ(r.Texts(), Texts{c.message});
        EXPECT_EQ(r.win.paused, c.message == kQuiet ? 10ms : 0ms);  // before the port reopens
        EXPECT_EQ(r.st.m_strText, c.text);
        EXPECT_EQ(r.win.editorText, c.text);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.RunningTimer(), 0);
    }
}

// Whatever the controller sends, a transfer ends, and soon: only what moves
// it on restarts its waits, a block or the whole document is asked for again
// at most ten times, and a receive takes at most what the controller holds.
TEST(R80, AControllerThatNeverGetsThroughEndsTheTransfer) {
    const Bytes dc3{0x13, 0x13}, dc4{0x14, 0x14}, nak{0x15, 0x15}, h2 = Head(2, "%001");
    const Bytes block = Blk(std::string(255, 'G') + "|"), more = Blk("G1|");
    Bytes bad = block;
    bad[0] ^= 1;
    // The controller's reply to each write of TapLink's (n: replies so far);
    // the repeats of an answer, one byte each, get none.
    using Reply = std::function<Bytes(const Bytes& written, int n)>;
    const auto blocksAfter = [&](Bytes header) -> Reply {
        return [&, header](const Bytes& w, int n) {
            return w != dc3 ? Bytes{} : n ? block : header;
        };
    };
    const Reply badBlocks = [&](const Bytes& w, int n) {
        return w.size() != 2 ? Bytes{} : n ? bad : h2;
    };
    const Reply restarts = [&](const Bytes& w, int n) {
        return w == nak || (w == dc3 && !n) ? h2 : w == dc3 ? more : Bytes{};
    };
    const Reply headerOnly = [&](const Bytes& w, int n) {
        return w == dc3 && !n ? Head(3, "%001") : Bytes{};
    };
    const Reply never = [](const Bytes&, int) { return Bytes{}; };
    const Reply allButTheLast = [&](const Bytes&, int n) { return n < 3 ? dc3 : Bytes{}; };
    const Reply alwaysDc4 = [&](const Bytes&, int) { return dc4; };
    const Reply nakEachBlock = [&](const Bytes& w, int) { return w.size() == 11 ? dc3 : nak; };
    const Bytes junk{0x30, 0x13};
    // The controller's replies, and besides them `flood` every `every`; the
    // message, shown within this time of the start.
    // clang-format off
    struct Case { const char* name; bool send; Reply reply; Bytes flood; milliseconds every; std::string message; milliseconds within; };
    const Case cases[] = {
        // A count past what the controller holds (and past a signed int).
        {"EndlessValidBlocks", false, blocksAfter(Head(0x80000000, "%001")), {}, 0ms, kWrong, 10ms},
        {"BlocksPastTheControllersMemory", false, blocksAfter(Head(0x8000, "%001")), {}, 0ms, kWrong, 2s},
        {"BadBlocksForEver", false, badBlocks, {}, 0ms, kWrong, 100ms},
        {"RestartsForEver", false, restarts, {}, 0ms, kWrong, 100ms},
        {"OneByteEvery4s", false, headerOnly, {'G'}, 4s, kQuiet, 6s},
        // The first bytes end the request's minute, the rest restart nothing.
        {"NoBlockAfterReceive", false, never, {0x13, 0x13}, 1s, kQuiet, 6s},
        {"JunkAfterTheHeader", true, never, junk, 10ms, kQuiet, 6s},
        {"JunkAfterTheLastBlock", true, allButTheLast, junk, 10ms, kSent, 1s},
        {"Dc4ForEver", true, alwaysDc4, {}, 0ms, kWrong, 100ms},
        {"NakForEver", true, nakEachBlock, {}, 0ms, kWrong, 100ms},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        R80Rig r;
        int replies = 0;
        r.comm.onOutput = [&](const Bytes& w) {
            if (w.size() < 2) return;
            const Bytes b = c.reply(w, replies++);
            if (!b.empty()) r.win.After(1ms, [&r, b] { r.comm.Deliver(b); });
        };
        std::function<void()> flood = [&] {
            if (!r.h.Busy()) return;
            r.comm.Deliver(c.flood);
            r.win.After(c.every, flood);
        };
        if (!c.flood.empty()) r.win.After(c.every, flood);
        if (c.send) {
            r.SendAfterPair(kText600);
        } else {
            r.h.OnReceive();
        }
        while (r.h.Busy() && r.win.Now() < 600s)
            r.win.Advance(10ms);
        EXPECT_EQ(r.Texts(), Texts{c.message});
        EXPECT_LE(r.win.Now(), c.within + 10ms);
        EXPECT_TRUE(r.win.controlsEnabled);
        EXPECT_EQ(r.RunningTimer(), 0);
    }
}

// However small the blocks, the editor's refreshes together copy the text a
// few times, not once a block; the last refresh shows all of it.
TEST(R80Receive, RefreshesOfTheEditorCopyTheTextAFewTimes) {
    DialogState st;
    R80Engine engine(st);
    engine.StartReceive();
    std::size_t copied = 0;
    std::string shown;
    const auto deliver = [&](const Bytes& in) {
        for (const R80Action& a : engine.OnBytes(in)) {
            if (a.kind != R80Action::ShowText) continue;
            copied += st.m_strText.size();
            shown = st.m_strText;
        }
    };
    constexpr int kBlocks = 2000;
    deliver(Head(kBlocks + 1, "%001"));
    for (int k = 1; k <= kBlocks; ++k)
        deliver(Blk("N10 G01 X12.5|", k == kBlocks));
    EXPECT_FALSE(engine.Receiving());
    EXPECT_EQ(shown.size(), 6 + kBlocks * 15u);
    EXPECT_EQ(shown, st.m_strText);
    EXPECT_LE(copied, 10 * shown.size());
}

// The editor lags behind a receive; a line failure in the middle of it
// still leaves all that came there.
TEST(R80Receive, ALineFailureLeavesAllThatCameInTheEditor) {
    R80Rig r;
    r.h.OnReceive();
    r.comm.Deliver(Head(100, "%001"));
    std::string came = "%001\r\n";
    for (int k = 0; k < 20; ++k) {
        r.comm.Deliver(Blk("G1|"));
        came += "G1\r\n";
    }
    ASSERT_NE(r.win.editorText, came);
    r.h.EndAfterFailure();
    EXPECT_EQ(r.win.editorText, came);
    EXPECT_TRUE(r.win.controlsEnabled);
}

// A minute without the controller ends a receive (asking every 5 ms) or the
// wait to send; a modem-line change is not the controller answering.
TEST(R80, AMinuteOfSilenceEndsAReceiveOrTheWaitToSend) {
    for (const bool send : {false, true}) {
        SCOPED_TRACE(send ? "send" : "receive");
        R80Rig r;
        r.win.editorText = "%001\r\nG00";
        send ? r.h.OnSend() : r.h.OnReceive();
        r.Run("+1000 event; +58999 #0");
        EXPECT_EQ(r.comm.Written().size(), send ? 0u : 12001u);  // a pair, then a byte a tick
        r.win.Advance(1ms);
        EXPECT_EQ(r.win.messages, std::vector{send ? msg::kNotReady : msg::kNoResponse});
        EXPECT_TRUE(r.win.controlsEnabled);
    }
}

TEST(R80Send, WaitsForTheDc3PairThenSendsBlocksAsAsked) {
    R80Rig r;
    r.win.editorText = kText600;
    r.h.OnSend();
    EXPECT_FALSE(r.win.controlsEnabled);
    // One DC3 is not a pair; after the second, timer 7 runs Send again.
    r.Run("< 13 +5 >; < 13 +1 > BA 00 00 00 00 04 25 30 30 31 AB");
    EXPECT_EQ(r.win.progressMax, 4);

    // Bytes that are no answer are not kept, however many come.
    for (int i = 0; i < 1024; ++i)
        r.comm.Deliver({0x30, 0x31, 0x30, 0x31});
    EXPECT_LE(r.st.m_recvBytes.size(), 1u);
    // The blocks as the simulated controller reads them: 256, 256, 88 bytes.
    const auto payloads = sim::wire::BlockPayloads(B(kText600 + "\r\n\r\n"));
    for (std::size_t k = 1; k <= 3; ++k) {
        r.Run("< 13 13 13 13");  // a repeated answer asks once
        EXPECT_EQ(r.Drain(), sim::wire::Block(payloads[k], k == 3)) << k;
    }
    r.Run("< 14 14");  // the last block again: 86 'G's and two line ends
    EXPECT_EQ(r.Drain(), Cat({{0xDA, 0x17}, Bytes(86, 'G'), {0, 0, 0xAA}}));  // 86 * 0x47
    r.Run("< 13 13 #1; +10000 #1");  // the controller has it all: done at once
    EXPECT_EQ(r.Texts(), Texts{kSent});
    EXPECT_TRUE(r.win.controlsEnabled);
}

// The send ends 500 ms after the last block. The controller's late answers,
// while "Sending is finished!" is open, are not a new handshake: the next
// Send waits for one.
TEST(R80Send, EndsBy500MsOfSilenceAfterTheLastBlockAndLateAnswersStartNothing) {
    R80Rig r;
    EXPECT_EQ(Show(r.SendAfterPair("%001\r\nG00")), "B8 00 00 00 00 02 25 30 30 31 AB");
    EXPECT_EQ(r.win.progressPos, 1);
    r.Run("event; < 13 13 > A7 00 47 30 30 00 00 AA");  // a line event is no answer
    r.win.whileMessageOpen = [&r](const Message&) { r.Run("< 14 14; < 13 13"); };
    r.Run("+499 #0; +1 #1");
    EXPECT_EQ(r.Texts(), Texts{kSent});
    r.win.whileMessageOpen = nullptr;
    r.Run(">");
    r.h.OnSend();
    r.Run("+1000 >");
}

// A send that ended in the middle of a restart leaves nothing behind: the
// next send answers a NAK pair as it should.
TEST(R80Send, EverySendStartsClean) {
    R80Rig r;
    const std::string header = Show(r.SendAfterPair(kText600));
    // A second NAK pair is ignored until a data block has gone out again;
    // 5 s without an answer end the send.
    r.Run("< 15 15 > " + header + "; < 15 15 >; +4999 #0; +1 #1");
    EXPECT_EQ(r.win.messages, std::vector<Message>{msg::kNoResponse});
    EXPECT_TRUE(r.win.controlsEnabled);
    r.Run("< 13 13");
    r.h.OnSend();
    r.Run("+1 > " + header + "; < 15 15 > " + header);
}

TEST(R80Send, ARefusedDocumentEndsTheSendWhenThePairComes) {
    R80Rig r;
    EXPECT_TRUE(r.SendAfterPair("%255\r\nG00").empty());
    EXPECT_EQ(r.win.messages, std::vector<Message>{msg::kR80ProgramRange});
    EXPECT_TRUE(r.win.controlsEnabled);
}

}  // namespace
}  // namespace taplink::testing
