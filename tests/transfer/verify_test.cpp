// Read-back verify against the simulated controller: it takes the document,
// then gives back what it holds (changed or not) for a receive that never
// touches the editor.
#include "verify.h"

#include <gtest/gtest.h>

#include "bytes_text.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;

const std::string kImageDisplay =
    "0000   41  42  43  44  45  46  47  48 A B C D E F G H\r\n0008   49  FF" +
    std::string(24, ' ') + " I .";

// A PLC text as a ladder document (.ldx) shows it, step fields included.
const std::string kLadder =
    "%999\r\n00000003\r\n00000000LD      X0001\r\n00000001END1    \r\n00000002END2    \r\n";
// Past step 9999 a receive numbers on from ':000'.
std::string ManySteps() {
    std::string text = "%999\r\n";
    for (int i = 0; i < 10001; ++i)
        text += "A\r\n";
    return text;
}

struct VerifyCase {
    const char* name;
    int model;
    std::string editor;  // what is sent
    int docKind = kDocNone;
    std::function<void(sim::Config&)> change = nullptr;  // done to the controller giving it back
    std::string message{};                               // "" when the copy is identical
    std::vector<VerifyResult::Difference> differences{};
};

TEST(Verify, ComparesTheControllersCopyWithWhatWasSent) {
    const VerifyCase cases[] = {
        {"R40 identical", kModelR40, "%12\r\nN0000 G00  X10 \r\n\r\nN0010 M30"},
        {"R40 digit changed",
         kModelR40,
         "%12\r\nN0000 G00 X10\r\nN0010 M30",
         kDocNone,
         [](sim::Config& c) { c.document[16] = '2'; },
         "The controller's copy differs from what was sent, first at line 2 (1 line differs):\n"
         "sent:       N0000 G00 X10\ncontroller: N0000 G00 X20",
         {{2, "N0000 G00 X10", "N0000 G00 X20"}}},
        // No answer: the receive's own message, and no comparison.
        {"R40 silent", kModelR40, "%12\r\nN0000 M30\r\n", kDocNone,
         [](sim::Config& c) { c.fault.kind = sim::FaultKind::Silence; }, msg::kNotReady.text},
        {"R80 identical", kModelR80, "%123\r\nN10 G00\r\n" + std::string(600, 'G') + "\r\nN20 M30"},
        {"R80 byte lost",
         kModelR80,
         "%123\r\nN10 G00\r\nN20 M30",
         kDocNone,
         [](sim::Config& c) { c.document.erase(c.document.begin() + 8); },
         "The controller's copy differs from what was sent, first at line 2 (1 line differs):\n"
         "sent:       N10 G00\ncontroller: N1 G00",
         {{2, "N10 G00", "N1 G00"}}},
        // A receive puts step fields of its own into a PLC text; the
        // controller holds none.
        {"R80 ladder identical", kModelR80, kLadder, kDocLadder},
        {"R80 ladder digit changed",
         kModelR80,
         kLadder,
         kDocLadder,
         [](sim::Config& c) { c.document[25] = '1'; },
         "The controller's copy differs from what was sent, first at line 3 (1 line differs):\n"
         "sent:       LD      X0001\ncontroller: LD      X1001",
         {{3, "LD      X0001", "LD      X1001"}}},
        {"R80 new-format ladder identical", kModelR80, "%999\r\nLD X1\r\nEND1\r\nEND2\r\n",
         kDocNewLadder},
        {"R80 new-format ladder of 10001 steps", kModelR80, ManySteps(), kDocNewLadder},
        {"Memory identical", kModelMemory, kImageDisplay},
        {"Memory byte changed, one more held",
         kModelMemory,
         kImageDisplay,
         kDocNone,
         [](sim::Config& c) {
             c.document[9] = 0xFE;
             c.document.push_back(0x00);
         },
         "The controller's copy differs from what was sent, first at offset 0009 (9) (1 byte "
         "differs):\nsent:       FF\ncontroller: FE\nthe controller holds 11 bytes, 10 were sent.",
         {{8, "0008   49  FF                         I .",
           "0008   49  FE  00                     I . ."}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig rig(c.model);
        rig.win.editorText = c.editor;
        rig.st.m_nDocKind = c.docKind;
        SimLine input(rig, SimConfig(c.model, sim::Role::Input));
        rig.h.OnSend();
        rig.win.Advance(3000ms);
        input.Start();
        rig.win.Advance(5000ms);
        ASSERT_EQ(rig.win.messages.size(), 1u);
        const std::string editor = rig.win.editorText;
        const SentForm sent = ControllerForm(c.model, editor, rig.st.m_nDocKind);
        ASSERT_FALSE(sent.failure);
        // What the controller took, given back by a second one (changed or not).
        const Bytes& held = input.controller.Received();
        EXPECT_EQ(held, sent.bytes);
        sim::Config out = SimConfig(c.model, sim::Role::Output);
        out.document = held;
        if (c.change) c.change(out);
        SimLine output(rig, out);
        VerifyRun run(rig.comm, rig.win, rig.g, rig.link, c.model, sent.bytes);
        std::vector<std::optional<VerifyResult>> ends;
        run.onEnd = [&](const VerifyResult* r) {
            ends.push_back(r ? std::optional(*r) : std::nullopt);
        };
        rig.comm.SetOnComm([&] { run.OnCommEvent(); });
        rig.win.onTimer = [&](int id) { run.OnTimer(id); };
        output.Start();
        rig.win.Advance(500ms);
        run.Start();
        rig.win.Advance(61s);
        ASSERT_EQ(ends.size(), 1u);
        const bool compared = ends[0].has_value();
        const VerifyResult result = ends[0].value_or(VerifyResult{});
        // The comparison's message, or a failed receive's own; never the
        // receive's success message. The editor keeps the document.
        EXPECT_EQ(compared ? result.message.text : rig.win.messages.back().text,
                  c.message.empty() ? "Verified: the controller holds exactly what was sent (" +
                                          std::to_string(held.size()) + " bytes)."
                                    : c.message);
        EXPECT_EQ(rig.win.messages.size(), compared ? 1u : 2u);
        EXPECT_EQ(result.identical, c.message.empty());
        EXPECT_EQ(result.differences, c.differences);
        if (compared) {
            EXPECT_EQ(result.held, out.document);  // as the controller holds it
        }
        EXPECT_EQ(rig.win.editorText, editor);
        EXPECT_TRUE(rig.win.controlsEnabled);
        EXPECT_EQ(rig.RunningTimer(), 0);
    }
}

}  // namespace
}  // namespace taplink::testing
