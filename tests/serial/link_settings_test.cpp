#include "link_settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "scripted_comm.h"
#include "settings_text.h"

namespace taplink {
namespace {

// One operator action on the lists, with the bit-rate list's selection.
struct Choice {
    enum List { BitRate, Parity, DataBits, StopBits } list;
    int pos;
};

struct SettingsCase {
    const char* name;
    std::vector<Choice> choices;
    const char* settings;
};
// Test names, not bytes, in listings.
void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(LinkSettingsTest, ChoicesBuildTheSettingsText) {
    LinkSettings s;
    int bitRatePos = kInitialBitRatePos;
    for (const Choice& c : GetParam().choices) {
        switch (c.list) {
            case Choice::BitRate:
                bitRatePos = c.pos;
                OnBitRateChanged(s, c.pos);
                break;
            case Choice::Parity: OnParityChanged(s, c.pos, bitRatePos); break;
            case Choice::DataBits: OnDataBitsChanged(s, c.pos, bitRatePos); break;
            case Choice::StopBits: OnStopBitsChanged(s, c.pos, bitRatePos); break;
        }
    }
    EXPECT_EQ(s.g_strSettings, GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkSettingsTest,
    ::testing::Values(
        SettingsCase{"StartUp", {}, "9600,N,8,1"},
        SettingsCase{"Rate4800Then7BitsThen2Stop",
                     {{Choice::BitRate, 1}, {Choice::DataBits, 3}, {Choice::StopBits, 1}},
                     "4800,N,7,2"},
        SettingsCase{"SevenBitsSurviveALaterRateChange",
                     {{Choice::DataBits, 3}, {Choice::BitRate, 0}},
                     "2400,N,7,1"},
        SettingsCase{"RateChangeNeverLeavesLowerCaseN", {{Choice::BitRate, 0}}, "2400,N,8,1"},
        SettingsCase{"EvenParity", {{Choice::Parity, 0}}, "9600,E,8,1"},
        SettingsCase{
            "OddParityThenRate", {{Choice::Parity, 1}, {Choice::BitRate, 1}}, "4800,O,8,1"},
        SettingsCase{
            "GradeIsMarkBlankIsSpace", {{Choice::Parity, 2}, {Choice::Parity, 3}}, "9600,S,8,1"},
        SettingsCase{"NoSelectionChangesNothing",
                     {{Choice::DataBits, -1}, {Choice::Parity, 7}, {Choice::BitRate, -1}},
                     "9600,N,8,1"},
        SettingsCase{"FourDataBits", {{Choice::DataBits, 0}}, "9600,N,4,1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkSettings, EveryCombinationIsTenCharactersWithCommasAt4_6_8AndParses) {
    for (int rate = 0; rate < 3; ++rate)
        for (int parity = 0; parity < 5; ++parity)
            for (int bits = 0; bits < 5; ++bits)
                for (int stop = 0; stop < 2; ++stop) {
                    LinkSettings s;
                    OnStopBitsChanged(s, stop, kInitialBitRatePos);
                    OnDataBitsChanged(s, bits, kInitialBitRatePos);
                    OnParityChanged(s, parity, kInitialBitRatePos);
                    OnBitRateChanged(s, rate);
                    SCOPED_TRACE(s.g_strSettings);
                    ASSERT_EQ(s.g_strSettings.size(), 10u);
                    EXPECT_EQ(s.g_strSettings[4], ',');
                    EXPECT_EQ(s.g_strSettings[6], ',');
                    EXPECT_EQ(s.g_strSettings[8], ',');
                    EXPECT_EQ(s.g_strSettings[5], kParityLetters[parity]);
                    EXPECT_TRUE(ParseSettingsText(s.g_strSettings).has_value());
                }
}

TEST(LinkSettings, PortAndHandshakeFollowTheListPosition) {
    LinkSettings s;
    OnPortChanged(s, 11);
    EXPECT_EQ(s.g_nCommPort, 12);
    OnHandshakeChanged(s, 3);
    EXPECT_EQ(s.g_nHandshaking, 3);
    OnHandshakeChanged(s, 4);  // no such entry
    EXPECT_EQ(s.g_nHandshaking, 3);
    EXPECT_EQ(s.g_strSettings, "9600,N,8,1");  // neither touches the text
}

TEST(PortSetup, RunsTheSequenceInOrderOnAClosedPort) {
    testing::ScriptedComm comm;
    LinkSettings s;
    OnPortChanged(s, 2);
    OnHandshakeChanged(s, 1);
    RunPortSetup(comm, s);
    const std::vector<std::string> expected{
        "PortOpen?",   "InBufferSize=2048", "OutBufferSize=512", "Handshaking=1",
        "CommPort=3",  "PortOpen?",         "PortOpen=1",        "Settings=9600,N,8,1",
        "InputMode=1", "RThreshold=1",      "InputLen=0",        "InBufferCount=0"};
    EXPECT_EQ(comm.log, expected);
}

TEST(PortSetup, ClosesAnOpenPortFirst) {
    testing::ScriptedComm comm;
    comm.portOpen = true;
    RunPortSetup(comm, LinkSettings{});
    ASSERT_GE(comm.log.size(), 3u);
    EXPECT_EQ(comm.log[0], "PortOpen?");
    EXPECT_EQ(comm.log[1], "PortOpen=0");
    EXPECT_EQ(comm.log[2], "InBufferSize=2048");
    EXPECT_TRUE(comm.portOpen);
}

TEST(PortSetup, ARefusedSettingEndsTheSequenceThereWithThePortOpen) {
    testing::ScriptedComm comm;
    comm.refuse.insert("Settings=9600,N,8,1");
    EXPECT_THROW(RunPortSetup(comm, LinkSettings{}), CommError);
    EXPECT_EQ(comm.log.back(), "Settings=9600,N,8,1");
    EXPECT_TRUE(comm.portOpen);
}

struct ParseCase {
    const char* text;
    bool ok;
    int rate;
    Parity parity;
    int bits;
    StopBits stop;
};

TEST(SettingsText, ParsesWhatTheControlAcceptsAndNothingElse) {
    const ParseCase cases[] = {
        {"9600,N,8,1", true, 9600, Parity::None, 8, StopBits::One},
        {"2400,e,7,2", true, 2400, Parity::Even, 7, StopBits::Two},
        {"115200,M,5,1.5", true, 115200, Parity::Mark, 5, StopBits::OneAndHalf},
        {"4800,S,4,1", true, 4800, Parity::Space, 4, StopBits::One},
        {"9600,N,9,1", false, 0, Parity::None, 0, StopBits::One},
        {"9600,X,8,1", false, 0, Parity::None, 0, StopBits::One},
        {"9600,N,8", false, 0, Parity::None, 0, StopBits::One},
        {"96O0,N,8,1", false, 0, Parity::None, 0, StopBits::One},
        {"0,N,8,1", false, 0, Parity::None, 0, StopBits::One},
        {"9600,N,8,3", false, 0, Parity::None, 0, StopBits::One},
        {"", false, 0, Parity::None, 0, StopBits::One},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string why;
        const auto p = ParseSettingsText(c.text, &why);
        ASSERT_EQ(p.has_value(), c.ok);
        if (!c.ok) {
            EXPECT_FALSE(why.empty());
            continue;
        }
        EXPECT_EQ(p->baudRate, c.rate);
        EXPECT_EQ(p->parity, c.parity);
        EXPECT_EQ(p->dataBits, c.bits);
        EXPECT_EQ(p->stopBits, c.stop);
    }
}

}  // namespace
}  // namespace taplink
