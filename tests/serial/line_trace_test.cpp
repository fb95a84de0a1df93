#include "line_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "scripted_comm.h"

namespace taplink {
namespace {

TEST(LineTrace, RecordsBothDirectionsAndReadsBack) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("taplink-trace-" + std::to_string(::getpid())))
            .string();
    testing::ScriptedComm inner;
    {
        auto trace = std::make_shared<LineTrace>(path);
        ASSERT_TRUE(trace->ok());
        TracingComm comm(inner, trace);
        int events = 0;
        comm.SetOnComm([&] {
            ++events;
            comm.GetInput();
        });
        comm.SetPortOpen(true);
        Bytes many(40);
        for (std::size_t i = 0; i < many.size(); ++i)
            many[i] = static_cast<std::uint8_t>(i);
        comm.SetOutput(many);
        inner.Deliver({0x12, 0x00, 0xFF});
        EXPECT_EQ(events, 1);
        inner.Deliver({0x99});
        comm.SetInBufferCount(0);  // nothing waits: nothing more in the trace
    }
    std::ifstream f(path);
    const std::string text(std::istreambuf_iterator<char>(f), {});
    std::filesystem::remove(path);
    Bytes out(40);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(TracedBytes(text, '>'), out);
    EXPECT_EQ(TracedBytes(text, '<'), (Bytes{0x12, 0x00, 0xFF, 0x99}));
    EXPECT_NE(text.find("# port opened"), std::string::npos);
    // Sixteen bytes a line, each line with its time and direction.
    const std::size_t line = text.find(" > 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n");
    ASSERT_NE(line, std::string::npos);
    ASSERT_GE(line, 10u);
    EXPECT_EQ(text[line - 4], '.');  // seconds.milliseconds
    EXPECT_EQ(text[line - 11], '\n');
}

}  // namespace
}  // namespace taplink
