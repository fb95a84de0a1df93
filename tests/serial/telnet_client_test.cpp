// The Telnet client's reading of a device server, byte by byte: what reaches
// the protocol code, what is answered, and what ends the connection.
#include "telnet_client.h"

#include <gtest/gtest.h>

#include "bytes_text.h"

namespace taplink::telnet {
namespace {

using taplink::testing::Hex;
using taplink::testing::Show;

// A server's answers to the greeting: binary both ways, the COM port option.
const std::string kAgree = "FF FD 00 FF FB 00 FF FD 2C ";

struct FeedCase {
    const char* name;
    std::vector<std::string> chunks;  // from the server, as it arrives
    std::string data, replies;        // for the protocol code; written back
    std::string messages;             // "code: value" of each COM port message
    const char* fault;
    OptionState comPort;
    bool binary;
};
FeedCase C(const char* name, std::vector<std::string> chunks, std::string data,
           std::string replies = "", std::string messages = "", const char* fault = "",
           OptionState comPort = OptionState::Yes, bool binary = true) {
    return {name, std::move(chunks), data, replies, messages, fault, comPort, binary};
}

TEST(TelnetClient, ReadsWhatTheServerSends) {
    std::string k300;
    for (int i = 0; i < 300; ++i)
        k300 += " 41";
    const FeedCase cases[] = {
        C("agreement, then data with doubled FF", {kAgree, "41 FF FF 42 FF", "FF 0D"},
          "41 FF 42 FF 0D"),
        C("ser2net's own greeting: echo refused, go-ahead agreed once",
          {"FF FB 03 FF FD 03 FF FB 01 FF FE 01 FF FD 00 FF FB 00 FF FD 2C FF FB 03"}, "",
          "FF FD 03 FF FB 03 FF FE 01"),
        C("answers and notifications, split anywhere, FF inside",
          {kAgree + "FF FA 2C 65 00 01", " C2 00 FF", " F0 FF FA 2C 6B 08 FF F0 FF FA",
           " 2C 67 FF FF FF F0 33"},
          "33", "", "1: 00 01 C2 00 | 7: 08 | 3: FF"),
        C("unknown options refused, repeated requests answered each time",
          {kAgree + "FF FB 63 FF FD 63 FF FB 63 FF FC 63 FF FE 63"}, "",
          "FF FE 63 FF FC 63 FF FE 63"),
        C("the server asks who we are", {kAgree + "FF FA 2C 64 FF F0"}, "",
          "FF FA 2C 00 54 61 70 4C 69 6E 6B FF F0"),
        C("one-byte commands, other options' subnegotiations and echoed client codes ignored",
          {kAgree + "FF F1 41 FF F9 FF F0 42 FF FA 18 01 FF F0 FF FA 2C 01 00 FF F0 43"},
          "41 42 43"),
        C("COM port declined: data all the same", {"FF FD 00 FF FB 00 FF FE 2C 41"}, "41", "", "",
          "", OptionState::Refused),
        C("binary declined", {"FF FE 00 FF FB 00 FF FD 2C"}, "", "", "", "", OptionState::Yes,
          false),
        C("binary agreed, then withdrawn", {kAgree + "FF FC 00"}, "", "FF FE 00", "", "",
          OptionState::Yes, false),
        C("invalid command, and nothing after it", {kAgree + "41 FF 01 42"}, "41", "", "",
          "invalid Telnet command (FF 01)"),
        C("broken subnegotiation", {kAgree + "FF FA 2C 65 FF 41"}, "", "", "",
          "broke off a Telnet subnegotiation (FF 41)"),
        C("endless subnegotiation", {kAgree + "FF FA 2C", k300}, "", "", "",
          "subnegotiation longer than 256 bytes"),
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Client client;
        client.Greeted();
        Bytes data;
        std::string messages;
        for (const auto& chunk : c.chunks) {
            const Bytes b = Hex(chunk);
            client.Feed(b.data(), b.size());
            const Bytes d = client.TakeData();
            data.insert(data.end(), d.begin(), d.end());
            for (const auto& m : client.TakeMessages()) {
                if (!messages.empty()) messages += " | ";
                messages += std::to_string(static_cast<int>(m.command)) + ": " + Show(m.value);
            }
        }
        EXPECT_EQ(Show(data), c.data);
        EXPECT_EQ(Show(client.TakeReplies()), c.replies);
        EXPECT_EQ(messages, c.messages);
        if (*c.fault) {
            ASSERT_TRUE(client.Fault());
            EXPECT_NE(client.Fault()->find(c.fault), std::string::npos) << *client.Fault();
            continue;
        }
        EXPECT_FALSE(client.Fault()) << *client.Fault();
        EXPECT_TRUE(client.Settled());
        EXPECT_EQ(client.ComPortState(), c.comPort);
        EXPECT_EQ(client.BinaryRefused(), !c.binary);
    }
}

TEST(TelnetClient, WritesDataAndCommandsEscaped) {
    EXPECT_EQ(Show(Client::Greeting()), "FF FB 00 FF FD 00 FF FB 2C");
    EXPECT_EQ(Show(Client::Escape(Hex("00 FF 41 FF FF"))), "00 FF FF 41 FF FF FF FF");
    EXPECT_EQ(Show(Client::Command(ComPort::SetBaudRate, BaudRateValue(115200))),
              "FF FA 2C 01 00 01 C2 00 FF F0");
    EXPECT_EQ(Show(Client::Command(ComPort::SetBaudRate, BaudRateValue(0xFF00FFFF))),
              "FF FA 2C 01 FF FF 00 FF FF FF FF FF F0");
    EXPECT_EQ(BaudRateFrom(Hex("00 00 25 80")), 9600u);
    EXPECT_EQ(BaudRateFrom(Hex("25 80")), std::nullopt);
    // Not settled until every offer has its answer.
    Client client;
    client.Greeted();
    const Bytes part = Hex("FF FD 00 FF FB 00");
    client.Feed(part.data(), part.size());
    EXPECT_FALSE(client.Settled());
}

}  // namespace
}  // namespace taplink::telnet
