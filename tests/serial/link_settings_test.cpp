#include "link_settings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "scripted_comm.h"
#include "settings_text.h"

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

}  // namespace
}  // namespace taplink
