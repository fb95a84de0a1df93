// Read-back verify against the simulated controller: it takes the document,
// then gives back what it holds (changed or not) for a receive that never
// touches the editor.
#include "verify.h"

#include <gtest/gtest.h>

#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;

Bytes B(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

sim::Model SimModel(int model) {
    return model == kModelR80      ? sim::Model::R80
           : model == kModelMemory ? sim::Model::Memory
                                   : sim::Model::R40;
}

const std::string kImageDisplay =
    "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n0008   49  FF" +
    std::string(24, ' ') + " I .";

struct VerifyCase {
    const char* name;
    int model;
    std::string editor;                            // what is sent
    std::function<void(Bytes&)> change = nullptr;  // done to the controller's copy
    std::string message{};                         // "" when the copy is identical
    std::vector<VerifyResult::Difference> differences{};
};

TEST(Verify, ComparesTheControllersCopyWithWhatWasSent) {
    const VerifyCase cases[] = {
        {"R40 identical", kModelR40, "%12\r\nN0000 G00  X10 \r\n\r\nN0010 M30"},
        {"R40 digit changed",
         kModelR40,
         "%12\r\nN0000 G00 X10\r\nN0010 M30",
         [](Bytes& d) { d[16] = '2'; },
         "The controller's copy differs from what was sent, first at line 2 (1 line differs):\n"
         "sent:       N0000 G00 X10\ncontroller: N0000 G00 X20",
         {{2, "N0000 G00 X10", "N0000 G00 X20"}}},
        {"R80 identical", kModelR80, "%123\r\nN10 G00\r\n" + std::string(600, 'G') + "\r\nN20 M30"},
        {"R80 byte lost",
         kModelR80,
         "%123\r\nN10 G00\r\nN20 M30",
         [](Bytes& d) { d.erase(d.begin() + 8); },
         "The controller's copy differs from what was sent, first at line 2 (1 line differs):\n"
         "sent:       N10 G00\ncontroller: N1 G00",
         {{2, "N10 G00", "N1 G00"}}},
        {"Memory identical", kModelMemory, kImageDisplay},
        {"Memory byte changed, one more held",
         kModelMemory,
         kImageDisplay,
         [](Bytes& d) {
             d[9] = 0xFE;
             d.push_back(0x00);
         },
         "The controller's copy differs from what was sent, first at offset 0009 (9) (1 byte "
         "differs):\nsent:       FF\ncontroller: FE\nthe controller holds 11 bytes, 10 were sent.",
         {{8, "0008   49  FF                         I .",
           "0008   49  FE  00                     I . ."}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig rig;
        rig.model = c.model;
        rig.win.editorText = c.editor;
        SimLine input(rig, SimConfig(SimModel(c.model), sim::Role::Input));
        rig.h.OnSend();
        rig.win.Advance(3000ms);
        input.Start();
        rig.win.Advance(5000ms);
        ASSERT_EQ(rig.win.messages.size(), 1u);
        const std::string editor = rig.win.editorText;
        // What the controller took, given back by a second one (changed or not).
        EXPECT_EQ(input.controller.Received(),
                  ControllerForm(c.model, editor, rig.st.m_nDocKind).bytes);
        sim::Config out = SimConfig(SimModel(c.model), sim::Role::Output);
        const SentForm sent = ControllerForm(c.model, editor, rig.st.m_nDocKind);
        ASSERT_FALSE(sent.failure);
        out.document = sent.bytes;
        if (c.change) c.change(out.document);
        SimLine output(rig, out);
        VerifyRun run(rig.comm, rig.win, rig.g, rig.link, c.model, sent.bytes);
        std::optional<VerifyResult> result;
        bool ended = false;
        run.onEnd = [&](const VerifyResult* r) {
            ended = true;
            if (r) result = *r;
        };
        rig.comm.SetOnComm([&] { run.OnCommEvent(); });
        rig.win.onTimer = [&](int id) { run.OnTimer(id); };
        output.Start();
        rig.win.Advance(500ms);
        run.Start();
        rig.win.Advance(5000ms);
        ASSERT_TRUE(ended && result);
        EXPECT_EQ(result->identical, c.message.empty());
        EXPECT_EQ(result->message.text,
                  c.message.empty() ? "Verified: the controller holds exactly what was sent (" +
                                          std::to_string(sent.bytes.size()) + " bytes)."
                                    : c.message);
        EXPECT_EQ(result->differences, c.differences);
        // One message for the send, none of the receive's own; the editor
        // keeps the document.
        EXPECT_EQ(rig.win.messages.size(), 1u);
        EXPECT_EQ(rig.win.editorText, editor);
        EXPECT_TRUE(rig.win.controlsEnabled);
        for (int id = kTimerDc3; id <= kTimerCollect; ++id)
            EXPECT_FALSE(rig.win.TimerRunning(id)) << "timer " << id;
    }
}

// A controller that never answers: the receive's own message, no result.
TEST(Verify, AReceiveThatFailsEndsWithItsMessageAndNoComparison) {
    TransferRig rig;
    rig.win.editorText = "%12\r\nN0000 M30\r\n";
    VerifyRun run(rig.comm, rig.win, rig.g, rig.link, kModelR40, B("%12\r\nN0000 M30\r\n"));
    int ends = 0;
    run.onEnd = [&](const VerifyResult* r) { ends += r ? 10 : 1; };
    rig.comm.SetOnComm([&] { run.OnCommEvent(); });
    rig.win.onTimer = [&](int id) { run.OnTimer(id); };
    run.Start();
    rig.win.Advance(61000ms);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(rig.Texts(), std::vector<std::string>{msg::kNotReady.text});
    EXPECT_EQ(rig.win.editorText, "%12\r\nN0000 M30\r\n");
}

}  // namespace
}  // namespace taplink::testing
