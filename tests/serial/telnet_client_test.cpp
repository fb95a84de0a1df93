// Telnet with the COM port option from both ends, byte by byte and however
// the bytes were cut: what TapLink's client and the simulator's device
// server answer, what they pass on, and what ends the connection.
#include "telnet_client.h"

#include <gtest/gtest.h>

#include "bytes_text.h"
#include "telnet_server.h"

namespace taplink {
namespace {

using namespace telnet;
using namespace sim;
using testing::Hex;
using testing::Show;

// A server's answers to the greeting: binary both ways, the COM port option.
const std::string kAgree = "FF FD 00 FF FB 00 FF FD 2C ";

// What the server sends, as it arrives; the data for the protocol code,
// what is written back, and "code: value" of each COM port message.
// clang-format off
struct FeedCase { const char* name; std::vector<std::string> chunks; std::string data, replies = "", messages = "";
                  const char* fault = ""; OptionState comPort = OptionState::Yes; bool binary = true; };

TEST(TelnetClient, ReadsWhatTheServerSends) {
    const FeedCase cases[] = {
        {"agreement, then data with doubled FF", {kAgree, "41 FF FF 42 FF", "FF 0D"}, "41 FF 42 FF 0D"},
        {"ser2net's own greeting: echo refused, go-ahead agreed once",
         {"FF FB 03 FF FD 03 FF FB 01 FF FE 01 FF FD 00 FF FB 00 FF FD 2C FF FB 03"}, "", "FF FD 03 FF FB 03 FF FE 01"},
        {"answers and notifications, split anywhere, FF inside",
         {kAgree + "FF FA 2C 65 00 01", " C2 00 FF", " F0 FF FA 2C 6B 08 FF F0 FF FA", " 2C 67 FF FF FF F0 33"},
         "33", "", "1: 00 01 C2 00 | 7: 08 | 3: FF"},
        {"unknown options refused, repeated requests answered each time",
         {kAgree + "FF FB 63 FF FD 63 FF FB 63 FF FC 63 FF FE 63"}, "", "FF FE 63 FF FC 63 FF FE 63"},
        {"the server asks who we are", {kAgree + "FF FA 2C 64 FF F0"}, "", "FF FA 2C 00 54 61 70 4C 69 6E 6B FF F0"},
        {"one-byte commands, other options' subnegotiations and echoed client codes ignored",
         {kAgree + "FF F1 41 FF F9 FF F0 42 FF FA 18 01 FF F0 FF FA 2C 01 00 FF F0 43"}, "41 42 43"},
        {"COM port declined: data all the same", {"FF FD 00 FF FB 00 FF FE 2C 41"}, "41", "", "", "", OptionState::Refused},
        {"binary declined", {"FF FE 00 FF FB 00 FF FD 2C"}, "", "", "", "", OptionState::Yes, false},
        {"binary agreed, then withdrawn", {kAgree + "FF FC 00"}, "", "FF FE 00", "", "", OptionState::Yes, false},
        {"not settled while an offer waits for its answer", {"FF FD 00 FF FB 00"}, "", "", "", "", OptionState::Asked},
        {"invalid command, and nothing after it", {kAgree + "41 FF 01 42"}, "41", "", "", "invalid Telnet command (FF 01)"},
        {"broken subnegotiation", {kAgree + "FF FA 2C 65 FF 41"}, "", "", "", "broke off a Telnet subnegotiation (FF 41)"},
        {"endless subnegotiation", {kAgree + "FF FA 2C", Show(Bytes(300, 0x41))}, "", "", "", "subnegotiation longer than 256 bytes"},
    };
    // clang-format on
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
        EXPECT_EQ(client.Settled(), c.comPort != OptionState::Asked);
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
}

// The client's answers to the server's offers.
#define AGREE "FF FD 00 FF FB 00 FF FD 03 FF FB 2C "
#define SB(x) " FF FA 2C " x " FF F0 "

TEST(TelnetServer, AnswersTheClient) {
    using enum TelnetFault;
    // Feeds with '|' between the pieces fed on their own; `after`: "purge"
    // of the controller's output, "bad" to drop the client, "held" data.
    // clang-format off
    struct Case { const char* name; TelnetFault fault; std::string feeds; const char *reply, *data = "", *notes = "", *after = ""; };
    const Case cases[] = {
        {"offers agreed to", None, AGREE, ""},
        {"a change answered, a repeat not", None, AGREE "FF FB 00 FF FC 00 FF FC 00 FF FB 00 FF FE 03 FF FE 03",
         "FF FE 00 FF FD 00 FF FC 03"},
        {"unknown option refused once", None, "FF FB 63 FF FC 63 FF FD 63 FF FE 63", "FF FE 63 FF FC 63"},
        {"IAC IAC is data, commands are not", None, AGREE "41 FF | FF 42 FF F1 43 FF | F9 00 FF FB | 18 44", "FF FE 18",
         "41 FF 42 43 00 44"},
        {"subnegotiation split", None, AGREE "FF FA 2C 01 00 | 01 C2 | 00 FF | F0", SB("65 00 01 C2 00"), "",
         "client set 115200 bit/s;"},
        {"each setting", None, AGREE SB("02 07") SB("03 03") SB("04 02") SB("05 03") SB("05 09") SB("05 0C"),
         SB("66 07") SB("67 03") SB("68 02") SB("69 03") SB("69 09") SB("69 0C"), "",
         "client set 7 data bits;client set parity even;client set 2 stop bits;client set flow control hardware;"
         "client set DTR off;client set RTS off;"},
        {"0, out of range or unchanged: the current value", None,
         AGREE SB("01 00 00 00 00") SB("01 00 00 25 80") SB("02 00") SB("02 09") SB("03 00") SB("04 00") SB("05 00") SB("05 07") SB("05 0D"),
         SB("65 00 00 25 80") SB("65 00 00 25 80") SB("66 08") SB("66 08") SB("67 01") SB("68 01") SB("69 01") SB("69 08") SB("69 0E")},
        {"masks, IAC IAC inside", None, AGREE SB("0A FF FF") SB("0B 30"), SB("6E FF FF") SB("6F 30")},
        {"purge the client's data", None, AGREE "41" SB("0C 02") "42", SB("70 02"), "42"},
        {"purge the controller's", None, AGREE "41" SB("0C 01") "42", SB("70 01"), "41 42", "", "purge"},
        {"purge both", None, AGREE "41" SB("0C 03") "42", SB("70 03"), "42", "", "purge"},
        {"longest subnegotiation", None, AGREE "FF FA 2C " + Show(Bytes(64, 0)) + " FF F0", ""},
        {"overlong subnegotiation", None, AGREE "FF FA 2C 00 " + Show(Bytes(64, 0)), "", "", "", "bad"},
        {"client refuses the option", None, "FF FC 2C" SB("01 00 00 25 80"), ""},
        {"refuse-comport", RefuseComPort, "FF FB 2C" SB("01 00 00 25 80") "41", "FF FE 2C", "41"},
        {"wrong-baud", WrongBaud, AGREE SB("01 00 01 C2 00"), SB("65 00 00 E1 00"), "", "client set 57600 bit/s;"},
        {"silent-settings", SilentSettings, AGREE SB("01 00 01 C2 00") SB("05 02") SB("0A 08") SB("0C 03"), SB("70 03"), "",
         "client set 115200 bit/s;client set flow control xon/xoff;", "purge"},
        {"notify: data waits", Notify, "", "", "", "", "held"},
        {"notify: reports once agreed", Notify, AGREE, SB("6B 11") SB("6A 08")},
        {"notify: refused", Notify, "FF FC 2C", ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetServer server(c.fault);
        Bytes reply, data;
        std::string notes, after;
        std::istringstream feeds(c.feeds);
        for (std::string feed; std::getline(feeds, feed, '|');) {
            const TelnetServer::Input in = server.Feed(Hex(feed));
            reply.insert(reply.end(), in.reply.begin(), in.reply.end());
            data.insert(data.end(), in.data.begin(), in.data.end());
            for (const std::string& note : in.notes)
                notes += note + ";";
            if (in.purgeOutput) after += "purge";
            if (!in.bad.empty()) after += "bad";
        }
        if (server.HoldsData()) after += "held";
        EXPECT_EQ(reply, Hex(c.reply));
        EXPECT_EQ(data, Hex(c.data));
        EXPECT_EQ(notes, c.notes);
        EXPECT_EQ(after, c.after);
    }
}

TEST(TelnetServer, OffersAndEveryByteBothWays) {
    EXPECT_EQ(TelnetServer().Greeting(), Hex("FF FB 00 FF FD 00 FF FB 03 FF FD 2C"));
    EXPECT_EQ(TelnetServer(TelnetFault::RefuseComPort).Greeting(),
              Hex("FF FB 00 FF FD 00 FF FB 03"));
    TelnetServer server;
    for (int v = 0; v < 256; ++v) {
        const Bytes one{static_cast<std::uint8_t>(v)}, wire = v == 0xFF ? Hex("FF FF") : one;
        EXPECT_EQ(TelnetServer::Escape(one), wire) << v;
        EXPECT_EQ(server.Feed(wire).data, one) << v;
    }
}

}  // namespace
}  // namespace taplink
