#include "line_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <regex>

#include "scripted_comm.h"
#include "small_disk.h"

namespace taplink {
namespace {

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
