// Every length a frame can announce, from the simulated controller in each
// way it frames a document: a receive ends "finished" with exactly what the
// controller sent, or as a failure; never "finished" with other bytes. Each
// text frame is cut in two where a program-form reading of its first bytes
// would end, as a slow line may cut it.
#include <gtest/gtest.h>
#include <malloc.h>

#include "received_frames.h"
#include "sim_line.h"

namespace taplink::testing {
namespace {

using namespace std::chrono_literals;

enum class End { Whole, Refused, Wrong };

// Frames of up to 64 KiB are made and dropped hundreds of thousands of times:
// kept on the heap rather than mapped and unmapped each time.
const bool kHeapKept = [] {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    return true;
}();

// The controller starts its output; TapLink presses Receive and waits for
// the receive to end.
End ReceiveFrom(int model, sim::Config config, const Bytes& expected) {
    TransferRig rig(model);
    SimLine line(rig, std::move(config));
    line.cut = [](const Bytes& w) { return w.size() > 2 ? w[1] + 2u : 0u; };
    line.Start();
    rig.h.OnReceive();
    rig.win.Advance(kQuietBeforeTake + 100ms);
    if (rig.h.Busy()) rig.win.Advance(kCollectTimeout + 1s);
    if (rig.h.Busy() || rig.win.messages.size() != 1) return End::Wrong;
    if (rig.win.messages[0] != msg::kTakingOverFinished) return End::Refused;
    const bool same =
        model == kModelMemory
            ? rig.st.m_memImage.size() == expected.size() + 3 &&
                  std::equal(expected.begin(), expected.end(), rig.st.m_memImage.begin() + 3)
            : std::equal(expected.begin(), expected.end(), rig.win.editorText.begin(),
                         rig.win.editorText.end());
    return same ? End::Whole : End::Wrong;
}

struct TextSweep {
    sim::Form form;
    char first;
};

// A text of every length up to the longest a 16-bit length announces (two
// closing characters are counted in it), beginning with the given
// character: a document form is always received whole; a program form only
// where its one length byte holds the length and its text begins as a
// program does; nothing is ever taken as finished with other text.
class FrameSweep : public ::testing::TestWithParam<TextSweep> {};

TEST_P(FrameSweep, EveryTextLengthIsReceivedWholeOrRefused) {
    const auto [form, first] = GetParam();
    Bytes pattern;
    for (int i = 0; pattern.size() < 0xFFFF; ++i) {
        const std::string line = "N" + std::to_string(i * 10) + " G01 X1.5 Y-2\r\n";
        pattern.insert(pattern.end(), line.begin(), line.end());
    }
    int whole = 0, refused = 0;
    std::vector<std::size_t> wrong;
    for (std::size_t length = 0; length <= 0xFFFD; ++length) {
        sim::Config config = SimConfig(kModelR40, sim::Role::Output);
        config.form = form;
        config.document.assign(pattern.begin(), pattern.begin() + static_cast<long>(length));
        if (length > 0) config.document[0] = static_cast<std::uint8_t>(first);
        const Bytes text = config.document;
        switch (ReceiveFrom(kModelR40, std::move(config), text)) {
            case End::Whole: ++whole; break;
            case End::Refused: ++refused; break;
            case End::Wrong: wrong.push_back(length); break;
        }
    }
    EXPECT_EQ(wrong, std::vector<std::size_t>{});
    EXPECT_EQ(whole, form == sim::Form::Document ? 0xFFFE : first != 'A' ? 253 : 0);
    EXPECT_EQ(whole + refused + static_cast<int>(wrong.size()), 0xFFFE);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrameSweep,
    ::testing::Values(TextSweep{sim::Form::Program, '%'}, TextSweep{sim::Form::Program, 'O'},
                      TextSweep{sim::Form::Program, 'A'}, TextSweep{sim::Form::Document, '%'},
                      TextSweep{sim::Form::Document, 'O'}, TextSweep{sim::Form::Document, 'A'}),
    [](const auto& info) {
        return std::string(info.param.form == sim::Form::Program ? "Program" : "Document") +
               (info.param.first == '%'   ? "Percent"
                : info.param.first == 'O' ? "O"
                                          : "Other");
    });

// Every image length: received whole, except the empty image, whose frame
// is only its three header bytes and never completes.
class MemorySweep : public ::testing::TestWithParam<int> {};

TEST_P(MemorySweep, EveryImageLengthIsReceivedWhole) {
    Bytes pattern(0xFFFF);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<std::uint8_t>(i * 37 + i / 256);
    std::vector<std::size_t> notWhole;
    // Two halves of the lengths, each about as much work.
    const std::size_t split = 46341;
    for (std::size_t length = GetParam() == 0 ? 0 : split;
         length <= (GetParam() == 0 ? split - 1 : 0xFFFF); ++length) {
        sim::Config config = SimConfig(kModelMemory, sim::Role::Output);
        config.document.assign(pattern.begin(), pattern.begin() + static_cast<long>(length));
        const Bytes image = config.document;
        const End end = ReceiveFrom(kModelMemory, std::move(config), image);
        if (end != End::Whole) notWhole.push_back(length);
        if (end == End::Wrong) ADD_FAILURE() << "image of " << length << " bytes taken wrong";
    }
    EXPECT_EQ(notWhole, GetParam() == 0 ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
}

INSTANTIATE_TEST_SUITE_P(Images, MemorySweep, ::testing::Values(0, 1));

}  // namespace
}  // namespace taplink::testing
