// The serial line's settings as the window's lists give them, the port set-up
// sequence, and the trace of what crossed the line.
#include "link_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <regex>
#include <tuple>

#include "line_trace.h"
#include "scripted_comm.h"
#include "settings_text.h"
#include "small_disk.h"

namespace taplink {
namespace {

TEST(LinkSettings, EveryCombinationOfTheListsGivesItsSettingsText) {
    const char* const rates[] = {"2400", "4800", "9600"};
    for (int rate = 0; rate < 3; ++rate)
        for (int parity = 0; parity < 5; ++parity)
            for (int bits = 0; bits < 5; ++bits)
                for (int stop = 0; stop < 2; ++stop) {
                    LinkSettings s;
                    OnStopBitsChanged(s, stop, kInitialBitRatePos);
                    OnDataBitsChanged(s, bits, kInitialBitRatePos);
                    OnParityChanged(s, parity, kInitialBitRatePos);
                    OnBitRateChanged(s, rate);  // the others survive a rate change
                    const std::string expected = std::string(rates[rate]) + ',' + "EOMSN"[parity] +
                                                 ',' + "45678"[bits] + ',' + "12"[stop];
                    ASSERT_EQ(s.g_strSettings, expected);
                    EXPECT_TRUE(ParseSettingsText(s.g_strSettings).has_value()) << expected;
                }
}

// A list with no selection, or a position past its end, changes nothing.
TEST(LinkSettings, NoSelectionOrNoSuchEntryChangesNothing) {
    LinkSettings s;
    OnDataBitsChanged(s, -1, 3);
    OnParityChanged(s, 5, -1);
    OnStopBitsChanged(s, 2, -1);
    OnHandshakeChanged(s, 4);
    EXPECT_EQ(s.g_strSettings, "9600,N,8,1");
    EXPECT_EQ(s.g_nHandshaking, 0);
}

TEST(PortSetup, RunsTheSequenceInOrderClosingAnOpenPortFirst) {
    testing::ScriptedComm comm;
    LinkSettings s;
    OnPortChanged(s, 2);
    OnHandshakeChanged(s, 1);
    RunPortSetup(comm, s);
    std::vector<std::string> expected{"PortOpen?",     "InBufferSize=2048",   "OutBufferSize=512",
                                      "Handshaking=1", "CommPort=3",          "PortOpen?",
                                      "PortOpen=1",    "Settings=9600,N,8,1", "InputMode=1",
                                      "RThreshold=1",  "InputLen=0",          "InBufferCount=0"};
    EXPECT_EQ(comm.log, expected);
    comm.log.clear();
    RunPortSetup(comm, s);
    expected.insert(expected.begin() + 1, "PortOpen=0");
    EXPECT_EQ(comm.log, expected);
    EXPECT_TRUE(comm.portOpen);
}

TEST(SettingsText, ParsesWhatTheControlAcceptsAndNothingElse) {
    const std::pair<const char*, LineParameters> accepted[] = {
        {"9600,N,8,1", {9600, Parity::None, 8, StopBits::One}},
        {"2400,e,7,2", {2400, Parity::Even, 7, StopBits::Two}},
        {"115200,M,5,1.5", {115200, Parity::Mark, 5, StopBits::OneAndHalf}},
        {"4800,S,4,1", {4800, Parity::Space, 4, StopBits::One}},
        {"300,o,6,1", {300, Parity::Odd, 6, StopBits::One}},
    };
    for (const auto& [text, p] : accepted) {
        SCOPED_TRACE(text);
        const auto got = ParseSettingsText(text);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(std::tie(got->baudRate, got->parity, got->dataBits, got->stopBits),
                  std::tie(p.baudRate, p.parity, p.dataBits, p.stopBits));
    }
    for (const char* text : {"9600,N,9,1", "9600,N,3,1", "9600,X,8,1", "9600,NN,8,1", "9600,N,8",
                             "96O0,N,8,1", "0,N,8,1", "9600,N,8,3", ""}) {
        std::string why;
        EXPECT_FALSE(ParseSettingsText(text, &why).has_value()) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
}

TEST(LineTrace, RecordsBothDirectionsAndWhatTheSetUpDrops) {
    const auto path =
        std::filesystem::temp_directory_path() / ("taplink-trace-" + std::to_string(::getpid()));
    Bytes out(20);
    std::iota(out.begin(), out.end(), 0);
    testing::ScriptedComm inner;
    {
        TracingComm comm(inner, std::make_shared<LineTrace>(path.string()));
        int events = 0;
        comm.SetOnComm([&] {
            if (++events == 1) comm.GetInput();
        });
        comm.SetPortOpen(true);
        comm.SetOutput(out);
        inner.Deliver({0x12, 0x00, 0xFF});
        inner.Deliver({0x99});     // not read by the window
        comm.SetInBufferCount(0);  // but it crossed the line
        EXPECT_EQ(events, 2);
    }
    std::ifstream f(path);
    const std::string text(std::istreambuf_iterator<char>(f), {});
    std::filesystem::remove(path);
    EXPECT_EQ(TracedBytes(text, '>'), out);
    EXPECT_EQ(TracedBytes(text, '<'), (Bytes{0x12, 0x00, 0xFF, 0x99}));
    // Sixteen bytes a line, each with seconds.milliseconds and its direction.
    EXPECT_TRUE(std::regex_search(
        text, std::regex("^# port opened\n\\d{6}\\.\\d{3} > 00 01 02 03 04 05 06 07 08 09 0A 0B 0C "
                         "0D 0E 0F\n\\d{6}\\.\\d{3} > 10 11 12 13\n")))
        << text;
    EXPECT_NE(text.find("\n# dropped unread by the port set-up\n"), std::string::npos) << text;
}

TEST(LineTrace, FullDiskStopsItOnAWholeLineAndSaysSoOnce) {
    testing::SmallDisk disk("64k");
    if (!disk.ok()) GTEST_SKIP() << disk.why;
    std::vector<std::string> reports;
    {
        LineTrace trace(disk.Path("trace"));
        trace.SetOnFailure([&](const std::string& why) { reports.push_back(why); });
        for (int i = 0; i < 2000; ++i)
            trace.Record('>', Bytes(16, 0xA5));  // 122,000 bytes
        trace.Note("after the disk filled");
        EXPECT_FALSE(trace.ok());
    }
    EXPECT_EQ(reports, std::vector<std::string>{"No space left on device"});
    std::ifstream f(disk.Path("trace"));
    const std::string text(std::istreambuf_iterator<char>(f), {});
    // Lines of 61 characters, each with its sixteen bytes.
    EXPECT_GT(text.size(), 60'000u);
    EXPECT_EQ(TracedBytes(text, '>'), Bytes(text.size() / 61 * 16, 0xA5));
    EXPECT_EQ(text.size() % 61, 0u);
}

}  // namespace
}  // namespace taplink
