// The simulator's reading of the line, byte by byte: its frames and blocks,
// and what the controller writes for what TapLink writes.
#include <gtest/gtest.h>

#include <sstream>

#include "bytes_text.h"
#include "controller_sim.h"
#include "sim_options.h"
#include "wire.h"

namespace taplink::sim {
namespace {

using std::chrono::milliseconds;
using testing::B;
using testing::Hex;

// Writes as "11 02 | +20ms 45 | line".
std::string Show(const Writes& writes) {
    std::string s;
    for (const Write& w : writes) {
        if (!s.empty()) s += " | ";
        if (w.after.count() > 0) s += "+" + std::to_string(w.after.count()) + "ms ";
        s += (w.event != LineEvent::None ? "line" : "") + testing::Show(w.bytes);
    }
    return s;
}

#define FRAME_R40                                                              \
    "11 21 00 25 30 31 0D 0A 4E 30 30 30 30 20 47 30 30 20 58 31 30 0D 0A 4E " \
    "30 30 31 30 20 4D 33 30 0D 0A 13 05"
#define HEADER "B8 00 00 00 00 02 25 30 30 31 AB"
#define LAST "F7 00 47 31 00 4D 32 00 AA"
// A loop takes "%9\r\nZ \r\n" from TapLink and gives it back as the row edits it.
#define SHORT_LOOP "0 start -> 12; 5 11 0A 00 25 39 0D 0A 5A 20 0D 0A D8 00 ->; 50 12 ->"
#define SHORT_BACK(text) SHORT_LOOP " 11 0A 25 " text " 0D 0A 0D 0A"
const char* const kShort = "%9\r\nZ \r\n";
const char* const kProgram = "%01\r\nN0000 G00 X10\r\nN0010 M30\r\n";
const char* const kR80Text = "%001\r\nG1\r\nM2\r\n";

// What the exchanges below, byte by byte, do not reach: a big count, a short
// program number blank-filled (never its CR LF), several full blocks.
TEST(Wire, HeadersAndLongDocuments) {
    EXPECT_EQ(wire::HeaderPayload(0x01020304, B("%1")), Hex("01 02 03 04 25 31 20 20"));
    EXPECT_EQ(wire::BlockPayloads(B("%1\r\nG1"))[0], Hex("00 00 00 02 25 31 20 20"));
    EXPECT_EQ(wire::BlockPayloads(B("%001\r\n" + std::string(600, 'G'))).size(), 4u);
}

// A script of "MS IN -> OUT" steps split by ';'; IN "start" is the
// operator starting the controller.
struct ExchangeCase {
    const char* name;
    const char* setup;     // model role fault[@N] [change|drop N]
    const char* document;  // Output: what the controller holds; Input, Loop: what it took
    const char* script;
    const char* status = nullptr;  // Input, Loop: how a failed document ends; nullptr: taken whole
};
void PrintTo(const ExchangeCase& c, std::ostream* os) {
    *os << c.name;
}

class Exchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(Exchange, TheControllerWritesTheseBytes) {
    const auto& c = GetParam();
    std::istringstream setup(c.setup);
    std::string model, role, fault, edit;
    Config config;
    setup >> model >> role >> fault >> edit >> config.editAt;
    config.model = *ModelFromName(model);
    config.role = *RoleFromName(role);
    config.fault = *FaultFromName(fault);
    config.edit = edit == "change" ? Edit::Change : edit == "drop" ? Edit::Drop : Edit::None;
    if (config.role == Role::Output) config.document = B(c.document);
    ControllerSim sim(config);
    std::istringstream script(c.script);
    for (std::string step; std::getline(script, step, ';');) {
        SCOPED_TRACE(step);
        const auto arrow = step.find("->");
        std::istringstream head(step.substr(0, arrow));
        int ms = 0;
        std::string in;
        head >> ms >> std::ws;
        std::getline(head, in);
        const milliseconds now{ms};
        const Writes out = in.starts_with("start") ? sim.Start(now) : sim.OnBytes(Hex(in), now);
        EXPECT_EQ(out.empty() ? "" : " " + Show(out), step.substr(arrow + 2));
    }
    if (config.role == Role::Output) return;
    EXPECT_TRUE(sim.Done());
    EXPECT_EQ(sim.Ok(), !c.status) << sim.Status();
    EXPECT_TRUE(!c.status || sim.Status() == c.status) << sim.Status();
    EXPECT_EQ(sim.Received(), B(c.document));
}

const ExchangeCase kExchanges[] = {
    {"LineEventFirst", "r40 input line-event", kProgram,
     "0 start -> line | 12; 5 " FRAME_R40 " ->"},
    {"MemoryInputSplit", "memory input none", "AB", "0 start -> 12; 5 11 02 ->; 6 00 41 42 ->"},
    {"ProgramForm", "r40 output none", "%1234",
     "0 start ->; 5 00 ->; 6 12 -> 11 07 25 31 32 33 34 0D 0A"},
    {"DocumentForm", "r40 output none", "AB", "0 start ->; 5 12 -> 11 04 00 41 42 0D 0A; 10 12 ->"},
    {"ExtraBytesInTheSameWrite", "r40 output extra-bytes", "%1234",
     "0 start ->; 5 12 -> 11 07 25 31 32 33 34 0D 0A 45 58 54"},
    {"ExtraBytesLater", "memory output extra-bytes-later", "AB",
     "0 start ->; 5 12 -> 11 02 00 41 42 | +20ms 45 58 54"},
    {"R80InputRepeatsItsAnswer", "r80 input repeat-answer@0", kR80Text,
     "0 start -> 13 13; 5 " HEADER " -> 13 13 | +3ms 13 13; 30 " LAST " -> 13 13"},
    {"R80InputBadSum", "r80 input none", kR80Text,
     "0 start -> 13 13; 5 B9 00 00 00 00 02 25 30 30 31 AB -> 14 14;"
     "30 " HEADER " -> 13 13; 40 " LAST " -> 13 13"},
    // A sender acts on pairs only, and not on repeats that crossed its block.
    {"R80OutputPairsOnly", "r80 output none", kR80Text,
     "0 start ->; 5 13 ->; 6 14 13 ->; 7 13 -> " HEADER "; 9 13 13 ->;"
     "30 14 14 -> " HEADER "; 50 13 13 -> " LAST},
    {"TwoBlocksInOneWrite", "r80 output two-blocks@0", kR80Text,
     "0 start ->; 5 13 13 -> " HEADER " " LAST "; 30 13 13 ->"},
    {"StrayAfterABlock", "r80 output stray-after-block@0", kR80Text,
     "0 start ->; 5 13 13 -> " HEADER " 0D 0A; 30 13 13 -> " LAST},
    {"StrayAfterTheLast", "r80 output stray-after-last", kR80Text,
     "0 start ->; 5 13 13 -> " HEADER "; 30 13 13 -> " LAST " 00 00"},
    // What a loop took goes back as its output, edited if asked;
    // started again, it gives back again rather than take anew.
    {"R80Loop", "r80 loop none", kR80Text,
     "0 start -> 13 13; 5 " HEADER " -> 13 13; 30 " LAST " -> 13 13;"
     "50 13 13 -> " HEADER "; 60 start ->; 80 13 13 -> " HEADER "; 99 13 13 -> " LAST},
    {"ChangeADigit", "r40 loop none change 1", kShort, SHORT_BACK("30 0D 0A 5A 20")},
    {"ChangeACrMeansTheLetterAfter", "r40 loop none change 2", kShort,
     SHORT_BACK("39 0D 0A 41 20")},
    {"ChangeASpace", "r40 loop none change 5", kShort, SHORT_BACK("39 0D 0A 5A 5F")},
    {"ChangeAnImageByte", "memory loop none change 1", "AB",
     "0 start -> 12; 5 11 02 00 41 42 ->; 50 12 -> 11 02 00 41 43"},
    {"DropALetter", "r80 loop none drop 6", kR80Text,
     "0 start -> 13 13; 5 " HEADER " -> 13 13; 30 " LAST " -> 13 13;"
     "50 13 13 -> " HEADER "; 80 13 13 -> B0 00 31 00 4D 32 00 AA"},
    // Where an edit falls is known once the document has come: past its
    // end (here CR LF, then nothing), nothing goes back.
    {"AnEditPastTheEndEndsTheTransfer", "r40 loop none drop 6", kShort, SHORT_LOOP,
     "offset 6 is past the end of the 8-byte document: not given back"},
};

INSTANTIATE_TEST_SUITE_P(Wire, Exchange, ::testing::ValuesIn(kExchanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever TapLink writes, the controller holds no more than one frame or
// block, and ends a flood with a status that says so.
TEST(Flood, EndsTheTransferAndIsNotHeld) {
    const struct {
        const char* name;
        Model model;
        const char* first;
        const char* status;
        bool ok;
    } cases[] = {
        {"R80 bytes without a block end", Model::R80, "41", "no block end within 259 bytes", false},
        {"R40 longest frame, then more", Model::R40, "11 FF FF", "checksum", false},
        {"Memory longest frame, then more", Model::Memory, "11 FF FF", "65535 bytes", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Config config;
        config.model = c.model;
        ControllerSim sim(config);
        sim.Start(milliseconds{0});
        sim.OnBytes(Hex(c.first), milliseconds{1});
        const Bytes chunk(1000, 0x41);
        for (int k = 0; k < 2000; ++k)
            sim.OnBytes(chunk, milliseconds{2 + k});
        EXPECT_TRUE(sim.Done());
        EXPECT_EQ(sim.Ok(), c.ok);
        EXPECT_NE(sim.Status().find(c.status), std::string::npos) << sim.Status();
        EXPECT_LE(sim.Received().size(), 0xFFFFu);
        EXPECT_LT(sim.Log().size(), 10u);
    }
}

}  // namespace
}  // namespace taplink::sim
