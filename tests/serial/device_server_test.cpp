// The control on real lines: the test's pseudo-terminal, opened directly and
// through Debian's ser2net in raw TCP and with the Telnet COM port option
// (behind a relay that counts the connections); and device servers that
// misbehave, played from a thread of the test.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <future>
#include <mutex>
#include <numeric>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "bytes_text.h"
#include "event_wait.h"
#include "pty_pair.h"
#include "qt_serial_comm.h"
#include "ser2net.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

using testing::ConnectToLoopback;
using testing::Hex;
using testing::ListenOnLoopback;
using testing::SetUpError;
using testing::Show;
using testing::WaitFor;

// Everything the control delivers: data, and the codes of other events.
struct Delivered {
    Bytes data;
    std::vector<short> events;
    std::vector<std::string> failures, notices;
    void Attach(QtSerialComm& comm) {
        comm.SetOnComm([this, &comm] {
            if (comm.GetCommEvent() != kComEvReceive) {
                events.push_back(comm.GetCommEvent());
                return;
            }
            const Bytes b = comm.GetInput();
            data.insert(data.end(), b.begin(), b.end());
        });
        comm.SetOnFailure([this](const std::string& what) { failures.push_back(what); });
        comm.SetOnNotice([this](const std::string& what) { notices.push_back(what); });
    }
};

// A TCP relay in front of a device server, as a router on the way is: it
// counts the connections made through it and can cut them, as a pulled
// cable does. Half-closes pass through, so a closing client is seen as the
// server would see it.
class Relay {
  public:
    explicit Relay(const std::string& server)  // SCHEME://127.0.0.1:PORT
        : scheme_(server.substr(0, server.find("://") + 3)),
          target_(std::stoi(server.substr(server.rfind(':') + 1))),
          listener_(ListenOnLoopback(&port_)),
          thread_([this] { Run(); }) {}
    ~Relay() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    std::string Port() const { return scheme_ + "127.0.0.1:" + std::to_string(port_); }
    int Accepts() const { return accepts_; }
    // Returns once every connection through the relay has ended.
    void Cut() {
        cut_ = true;
        while (cut_)
            std::this_thread::sleep_for(1ms);
    }

  private:
    struct Pair {
        int fd[2];  // client, server
        bool ended[2];
    };
    void Run() {
        std::vector<Pair> pairs;
        const auto close = [](Pair& p) {
            ::close(p.fd[0]);
            ::close(p.fd[1]);
            p.fd[0] = -1;
        };
        while (!stop_) {
            if (cut_) {
                for (Pair& p : pairs)
                    close(p);
                pairs.clear();
                cut_ = false;
            }
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            for (const Pair& p : pairs) {
                for (int side : {0, 1})
                    fds.push_back({p.ended[side] ? -1 : p.fd[side], POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 5) <= 0) continue;
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                Pair& p = pairs[i];
                for (int side : {0, 1}) {
                    if (p.fd[0] < 0 || !fds[1 + 2 * i + side].revents) continue;
                    std::uint8_t buf[4096];
                    const ssize_t n = ::recv(p.fd[side], buf, sizeof buf, 0);
                    if (n > 0) {
                        if (::send(p.fd[1 - side], buf, n, MSG_NOSIGNAL) != n) close(p);
                        continue;
                    }
                    if (n < 0 || p.ended[1 - side]) {  // reset, or over both ways
                        close(p);
                        continue;
                    }
                    p.ended[side] = true;
                    ::shutdown(p.fd[1 - side], SHUT_WR);
                }
            }
            std::erase_if(pairs, [](const Pair& p) { return p.fd[0] < 0; });
            if (fds[0].revents & POLLIN) Accept(pairs);
        }
        for (Pair& p : pairs)
            close(p);
    }
    void Accept(std::vector<Pair>& pairs) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        ++accepts_;
        const int server = ConnectToLoopback(target_);
        if (server < 0) {
            ::close(client);
            return;
        }
        pairs.push_back({{client, server}, {false, false}});
    }

    std::string scheme_;
    int target_;
    int port_ = 0;
    int listener_;
    std::atomic<int> accepts_{0};
    std::atomic<bool> stop_{false}, cut_{false};
    std::thread thread_;
};

enum class Via { Pty, Telnet, Raw };

// The test's pseudo-terminal, and ser2net serving it where installed.
class LineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            pty_ = std::make_unique<testing::PtyPair>();
        } catch (const std::exception& e) {
            GTEST_SKIP() << "needs pseudo-terminals (" << e.what() << "); mount devpts to run";
        }
        if (testing::HaveSer2net()) server_ = std::make_unique<testing::Ser2net>(pty_->SlavePath());
    }
    std::vector<Via> Vias() const {
        return server_ ? std::vector{Via::Pty, Via::Telnet, Via::Raw} : std::vector{Via::Pty};
    }
    std::string Port(Via via) const {
        if (via == Via::Pty) return pty_->SlavePath();
        return via == Via::Raw ? server_->RawPort() : server_->Rfc2217Port();
    }
    std::unique_ptr<QtSerialComm> Comm(const std::string& port) {
        return std::make_unique<QtSerialComm>([port](int) { return port; });
    }
    std::unique_ptr<QtSerialComm> Comm(Via via) { return Comm(Port(via)); }
    // Waits, without running the event loop, until the server has let the
    // device go (it does once its client has).
    bool DeviceFree() const {
        QElapsedTimer t;
        t.start();
        while (pty_->SlaveOpen() && t.elapsed() < 3000)
            std::this_thread::sleep_for(1ms);
        return !pty_->SlaveOpen();
    }

    std::unique_ptr<testing::PtyPair> pty_;
    std::unique_ptr<testing::Ser2net> server_;
};

class Ser2netTest : public LineTest {
    void SetUp() override {
        LineTest::SetUp();
        if (!IsSkipped() && !server_) GTEST_SKIP() << "needs ser2net (scripts/deps installs it)";
    }
};

// A Send, then a Receive whose set-up drops what came meanwhile, on the
// server as here; through a server, on the one connection.
TEST_F(LineTest, EveryByteValuePassesBothWaysAndSetUpAgainDropsWhatWaits) {
    Bytes all(512);
    std::iota(all.begin(), all.end(), 0);  // each value twice, FF FF among them
    all.insert(all.end(), {0xFF, 0xFF, 0xFF, 0xFA, 0x2C, 0xFF, 0xF0});
    for (const Via via : Vias()) {
        SCOPED_TRACE(Port(via));
        std::optional<Relay> relay;
        if (via != Via::Pty) relay.emplace(Port(via));
        const std::string port = relay ? relay->Port() : Port(via);
        auto comm = Comm(port);
        Delivered got;
        got.Attach(*comm);
        ASSERT_EQ(SetUpError(*comm), "");
        EXPECT_EQ(comm->DevicePath(), port);
        // A raw port says nothing when the server has the device open.
        ASSERT_TRUE(WaitFor([&] { return pty_->SlaveOpen(); }));
        comm->SetOutput(all);
        EXPECT_EQ(pty_->Read(3000ms, all.size(), [] { QCoreApplication::processEvents(); }), all);
        bool waits = false;  // left unread
        comm->SetOnComm([&] { waits = waits || comm->GetCommEvent() == kComEvReceive; });
        pty_->Write({1, 2, 3});
        ASSERT_TRUE(WaitFor([&] { return waits; }));
        ASSERT_EQ(SetUpError(*comm), "");
        got.Attach(*comm);
        pty_->Write(all);
        EXPECT_TRUE(WaitFor([&] { return got.data.size() >= all.size(); }, 3000ms));
        EXPECT_EQ(got.data, all);
        EXPECT_TRUE(got.events.empty() && got.failures.empty() && got.notices.empty());
        if (relay) {
            EXPECT_EQ(relay->Accepts(), 1);
        }
        comm.reset();
        ASSERT_TRUE(WaitFor([&] { return !pty_->SlaveOpen(); }));
    }
}

TEST_F(LineTest, SettingsTheDeviceRefusesAreErrorsNamingPortAndReason) {
    // A pseudo-terminal takes neither 7 data bits nor parity; no platform
    // port takes 4 data bits.
    const std::string at = "\" on port " + pty_->SlavePath() + ".\nError: ";
    const std::pair<const char*, std::string> cases[] = {
        {"9600,N,4,1", "Failed to set \"9600,N,4,1" + at +
                           "4 data bits are not supported by this platform's serial ports"},
        {"9600,N,7,1", "Failed to set the data bits of \"9600,N,7,1" + at},
        {"9600,E,8,1", "Failed to set the parity of \"9600,E,8,1" + at}};
    auto comm = Comm(Via::Pty);
    for (const auto& [settings, error] : cases) {
        ASSERT_EQ(SetUpError(*comm, "19200,N,8,1"), "");
        EXPECT_EQ(SetUpError(*comm, settings).substr(0, error.size()), error);
        // The bit rate went through before the refusal; the line keeps the
        // settings that worked all the same, and the defaults work again.
        termios tio{};
        ASSERT_EQ(::tcgetattr(pty_->MasterFd(), &tio), 0);
        EXPECT_EQ(::cfgetospeed(&tio), speed_t{B19200}) << settings;
        EXPECT_EQ(SetUpError(*comm), "");
        EXPECT_TRUE(comm->GetPortOpen());
    }
}

// Bytes the far end holds back (XOFF) or leaves unread are counted as not
// yet on the line, and none is lost: once it takes them the count is 0.
TEST_F(LineTest, BytesHeldBackAreCountedUntilTheyLeave) {
    // clang-format off
    struct Case { const char* name; bool tcp, xoff; std::size_t size; };
    const Case cases[] = {{"pseudo-terminal, XOFF", false, true, 300},
                          {"pseudo-terminal, unread", false, false, 64 * 1024},
                          {"device server, unread", true, false, 256 * 1024}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data(c.size);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i * 7);
        // A device server whose receive window is small: what it does not
        // read stays with us.
        int tcpPort = 0;
        const int listener = ListenOnLoopback(&tcpPort, 4096);
        const std::string port =
            c.tcp ? "tcp://127.0.0.1:" + std::to_string(tcpPort) : pty_->SlavePath();
        QtSerialComm comm([&port](int) { return port; });
        ASSERT_EQ(SetUpError(comm, "9600,N,8,1", c.xoff ? 1 : 0), "");
        const int server = c.tcp ? ::accept(listener, nullptr, nullptr) : -1;
        const auto farEnd = [&](std::chrono::milliseconds within, std::size_t want) {
            const auto pump = [] { QCoreApplication::processEvents(); };
            if (!c.tcp) return pty_->Read(within, want, pump);
            Bytes got(want);
            std::size_t n = 0;
            QElapsedTimer t;
            for (t.start(); n < want && t.elapsed() < within.count();) {
                pump();
                pollfd p{server, POLLIN, 0};
                if (::poll(&p, 1, 5) <= 0) continue;
                const ssize_t r = ::recv(server, got.data() + n, want - n, MSG_DONTWAIT);
                if (r > 0) n += static_cast<std::size_t>(r);
            }
            got.resize(n);
            return got;
        };
        if (c.xoff) {
            // The byte after XOFF arrives once XOFF has been taken; only XON
            // lets the line go again.
            pty_->Write({0x13, 0x41});
            ASSERT_TRUE(WaitFor([&] { return comm.GetInput() == Bytes{0x41}; }));
        }
        comm.SetOutput(data);
        EXPECT_EQ(farEnd(200ms, c.xoff ? 1 : 0), Bytes{});
        const long held = comm.GetOutBufferCount();
        EXPECT_GT(held, 0);
        EXPECT_LE(held, static_cast<long>(c.size));
        if (c.xoff) {
            EXPECT_EQ(held, static_cast<long>(c.size));
            pty_->Write({0x11});
        }
        EXPECT_EQ(farEnd(5000ms, c.size), data);
        EXPECT_TRUE(WaitFor([&] { return comm.GetOutBufferCount() == 0; }));
        if (server >= 0) ::close(server);
        ::close(listener);
    }
}

// An unplugged adapter, a rebooted server, a connection cut on the way: one
// report, and the port closed. A cut connection is made again by the next
// set-up, also when the cut came while nobody was looking.
TEST_F(LineTest, AFarEndThatGoesAwayIsOnePortFailure) {
    enum How { Unplugged, Killed, Cut, CutUnseen };
    // The killed server and the pseudo-terminal's closed end are for good.
    const std::pair<How, Via> cases[] = {{Cut, Via::Telnet},       {Cut, Via::Raw},
                                         {CutUnseen, Via::Telnet}, {CutUnseen, Via::Raw},
                                         {Killed, Via::Telnet},    {Unplugged, Via::Pty}};
    for (const auto& [how, via] : cases) {
        if (via != Via::Pty && !server_) continue;
        SCOPED_TRACE(std::to_string(how) + " " + Port(via));
        std::optional<Relay> relay;
        if (how == Cut || how == CutUnseen) relay.emplace(Port(via));
        const std::string port = relay ? relay->Port() : Port(via);
        auto comm = Comm(port);
        Delivered got;
        got.Attach(*comm);
        ASSERT_EQ(SetUpError(*comm), "");
        ASSERT_TRUE(WaitFor([&] { return pty_->SlaveOpen(); }));
        if (how == Unplugged) pty_->CloseMaster();
        if (how == Killed) server_->Kill();
        if (relay) {
            relay->Cut();
            ASSERT_TRUE(DeviceFree());
        }
        if (how != CutUnseen) {
            ASSERT_TRUE(WaitFor([&] { return !got.failures.empty(); }, 2000ms));
            EXPECT_FALSE(comm->GetPortOpen());
            WaitFor([] { return false; }, 300ms);
            ASSERT_EQ(got.failures.size(), 1u);
            const std::string lost = "Lost the connection to port " + port + ".\nError: ";
            EXPECT_EQ(got.failures[0].rfind(lost, 0), 0u) << got.failures[0];
            if (how == Unplugged) continue;
            EXPECT_EQ(got.failures[0], lost + "the device server closed the connection");
        }
        if (how == Killed) {
            EXPECT_NE(SetUpError(*comm).find("Connection refused"), std::string::npos);
            continue;
        }
        // After an unseen cut the event loop has not run since: the set-up
        // itself finds the connection gone.
        ASSERT_EQ(SetUpError(*comm), "");
        ASSERT_TRUE(WaitFor([&] { return pty_->SlaveOpen(); }));
        pty_->Write({7});
        EXPECT_TRUE(WaitFor([&] { return !got.data.empty(); }));
        EXPECT_EQ(got.data, Bytes{7});
        EXPECT_EQ(got.failures.size(), how == Cut ? 1u : 0u);
        EXPECT_EQ(relay->Accepts(), 2);
        comm.reset();
        ASSERT_TRUE(DeviceFree());
    }
}

// The settings chosen here are the line's, as the pseudo-terminal shows them,
// each set on the connection kept from the transfer before; through a raw TCP
// port the line keeps the server's own.
TEST_F(Ser2netTest, TheChosenSettingsReachTheLine) {
    // The flags are of CSIZE | PARENB | CSTOPB | CRTSCTS, and of IXON.
    // clang-format off
    struct Case { const char* settings; int handshaking; Via via; speed_t speed; tcflag_t cflag, iflag; };
    // clang-format on
    const Case cases[] = {
        {"115200,N,8,2", 2, Via::Raw, B9600, CS8, 0},
        {"115200,N,8,1", 0, Via::Telnet, B115200, CS8, 0},
        {"2400,N,8,2", 2, Via::Telnet, B2400, CS8 | CSTOPB | CRTSCTS, 0},
        {"4800,N,8,1", 1, Via::Telnet, B4800, CS8, IXON},
        {"9600,N,8,1", 0, Via::Telnet, B9600, CS8, 0},
    };
    Relay raw(Port(Via::Raw)), telnet(Port(Via::Telnet));
    std::unique_ptr<QtSerialComm> comm;
    Via on = Via::Pty;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        if (c.via != on) {
            if (comm) {
                // The other accepter gets the device once the client has gone.
                comm.reset();
                ASSERT_TRUE(DeviceFree());
            }
            comm = Comm(c.via == Via::Raw ? raw.Port() : telnet.Port());
            on = c.via;
        }
        ASSERT_EQ(SetUpError(*comm, c.settings, c.handshaking), "") << server_->Log();
        termios tio{};
        const auto speed = [&] { return ::tcgetattr(pty_->MasterFd(), &tio), ::cfgetospeed(&tio); };
        ASSERT_TRUE(WaitFor([&] { return speed() == c.speed; }, 2000ms)) << speed();
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), c.cflag);
        EXPECT_EQ(tio.c_iflag & IXON, c.iflag);
    }
    EXPECT_EQ(raw.Accepts(), 1);
    EXPECT_EQ(telnet.Accepts(), 1);
    comm.reset();
    ASSERT_TRUE(DeviceFree());
    // Settings the option cannot carry are refused before anything is sent.
    comm = Comm(Via::Telnet);
    EXPECT_NE(SetUpError(*comm, "9600,N,8,1", 3).find("cannot combine RTS/CTS with XON/XOFF"),
              std::string::npos);
    EXPECT_NE(SetUpError(*comm, "9600,N,4,1").find("no setting for 4 data bits"),
              std::string::npos);
}

// The last bytes of a frame are on their way when the transfer ends and the
// port closes, often with the controller's bytes still unread.
TEST_F(Ser2netTest, ClosingRightAfterAWriteLosesNothing) {
    Bytes frame(4096);
    std::iota(frame.begin(), frame.end(), 0);
    for (const Via via : {Via::Telnet, Via::Raw}) {
        SCOPED_TRACE(Port(via));
        for (int round = 0; round < 5; ++round) {
            auto comm = Comm(via);
            ASSERT_EQ(SetUpError(*comm), "");
            ASSERT_TRUE(WaitFor([&] { return pty_->SlaveOpen(); }));
            pty_->Write({0x13, 0x13});  // left unread
            WaitFor([] { return false; }, 20ms);
            // Read while it closes: a pseudo-terminal drops what its last
            // closer left unread, which a serial line does not.
            auto arrived = std::async(std::launch::async,
                                      [&] { return pty_->Read(3000ms, frame.size()).size(); });
            comm->SetOutput(frame);
            comm.reset();
            EXPECT_EQ(arrived.get(), frame.size()) << "round " << round;
            ASSERT_TRUE(WaitFor([&] { return !pty_->SlaveOpen(); }));
        }
    }
}

// Someone else on the device: the server says so and hangs up.
TEST_F(Ser2netTest, ADeviceInUseIsSaidSo) {
    auto other = Comm(Via::Raw);
    ASSERT_EQ(SetUpError(*other), "");
    ASSERT_TRUE(WaitFor([&] { return pty_->SlaveOpen(); }));
    const std::string error = SetUpError(*Comm(Via::Telnet));
    EXPECT_NE(error.find(Port(Via::Telnet) + ".\nError: the device server closed the connection"),
              std::string::npos)
        << error;
    // What it said, when its reset did not overtake the words.
    const auto said = error.find("(it said: ");
    if (said != std::string::npos) {
        EXPECT_EQ(error.substr(said), "(it said: \"Port's device already in use\")");
    }
}

// How often part is in b.
std::size_t Count(const Bytes& b, const Bytes& part) {
    std::size_t n = 0;
    for (auto at = b.begin(); (at = std::search(at, b.end(), part.begin(), part.end())) != b.end();
         at += static_cast<std::ptrdiff_t>(part.size())) {
        ++n;
    }
    return n;
}

// A device server played from a thread, keeping everything the client wrote.
// Its script is rules "WHEN > SAY" split by '|': each time the client's bytes
// include WHEN it says SAY. Once each rule has been used it waits, hangs up
// or floods the client with data.
enum Then { Waits, HangsUp, Floods };
class PlayedServer {
  public:
    explicit PlayedServer(const std::string& script, Then then = Waits) : then_(then) {
        std::istringstream rules(script);
        for (std::string rule; std::getline(rules, rule, '|');) {
            const auto says = rule.find('>');
            rules_.emplace_back(Hex(rule.substr(0, says)), Hex(rule.substr(says + 1)));
        }
        listener_ = ListenOnLoopback(&port_);
        thread_ = std::thread([this] { Run(); });
    }
    ~PlayedServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);  // ends a wait for a client that never came
        thread_.join();
        ::close(listener_);
    }
    std::string Port() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    Bytes Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    void Run() {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        std::vector<std::size_t> said(rules_.size());  // how often each rule was used
        for (bool close = false; !stop_ && !close;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0) {
                std::uint8_t buf[4096];
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                std::lock_guard<std::mutex> lock(mutex_);
                received_.insert(received_.end(), buf, buf + n);
            }
            const bool done = std::count(said.begin(), said.end(), 0) == 0;  // since the last turn
            close = done && then_ == HangsUp;
            Bytes out;
            for (std::size_t i = 0; i < rules_.size(); ++i) {
                for (; said[i] < Count(Received(), rules_[i].first); ++said[i])
                    out.insert(out.end(), rules_[i].second.begin(), rules_[i].second.end());
            }
            if (done && then_ == Floods) out.resize(8192, 0x41);
            // A client that stops reading makes the rest of a flood go nowhere.
            if (!out.empty()) ::send(fd, out.data(), out.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        }
        ::close(fd);
    }

    std::vector<std::pair<Bytes, Bytes>> rules_;
    Then then_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Bytes received_;
};

#define GREETING "FF FB 00 FF FD 00 FF FB 2C"  // the client's offers
#define AGREE " FF FD 00 FF FB 00 FF FD 2C "   // a server's agreement to them
#define SB(x) " FF FA 2C " x " FF F0 "

// Servers that cannot be used: the opening fails in bounded time with the
// reason, and nothing but the negotiation went to the line.
TEST(BadDeviceServer, TheOpeningFailsWithTheReasonAndWritesNothing) {
    // clang-format off
    struct Case { const char *name, *script; Then then; const char* error; };
    // clang-format on
    const Case cases[] = {
        {"floods data and never negotiates", "", Floods,
         "did not finish the Telnet negotiation within 3 s"},
        {"sends an invalid command", GREETING ">41 FF 07", Waits, "invalid Telnet command (FF 07)"},
        {"never ends a subnegotiation", GREETING ">FF FA 2C 65", Floods,
         "subnegotiation longer than 256 bytes"},
        {"offers only options of its own", GREETING ">FF FB 63 FF FD 63 FF FB 01", Waits,
         "did not finish the Telnet negotiation"},
        {"closes in the middle", GREETING ">FF FD 00 42 75 73 79 0D 0A", HangsUp,
         "closed the connection during the Telnet negotiation (it said: \"Busy\")"},
        {"refuses binary mode", GREETING ">FF FE 00 FF FB 00 FF FD 2C", Waits,
         "refused Telnet binary mode"},
        {"answers a different bit rate",
         GREETING ">" AGREE "|" SB("01 00 00 25 80") ">" SB("65 00 00 12 C0"), Waits,
         "Failed to set the bit rate of \"9600,N,8,1\" on port rfc2217://127.0.0.1:"},
        {"never answers a setting", GREETING ">" AGREE, Waits,
         "Error: the device server did not answer within 2 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlayedServer server(c.script, c.then);
        QtSerialComm comm([&](int) { return server.Port(); });
        Delivered got;
        got.Attach(comm);
        QElapsedTimer t;
        t.start();
        const std::string error = SetUpError(comm);
        EXPECT_LT(t.elapsed(), 5000);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_FALSE(comm.GetPortOpen());
        // Only the offers, replies to the server's own, and settings: no data.
        const std::string sent = Show(server.Received());
        EXPECT_TRUE(std::regex_match(sent, std::regex(GREETING "( FF F[B-E] ..)*( FF FA .*)?")))
            << sent;
        WaitFor([] { return false; }, 50ms);
        EXPECT_TRUE(got.failures.empty() && got.data.empty());
    }
}

// A server that keeps its own settings is used as it is, with a notice; one
// that takes them reports line and modem changes as the control's events.
TEST(PlayedDeviceServer, DeclinedSettingsAndLineChanges) {
    for (const bool declines : {true, false}) {
        SCOPED_TRACE(declines ? "declines" : "agrees");
        // The willing one answers the settings; once set up (the purge came)
        // it says that CTS changed and is on, then a framing error, then data.
        PlayedServer server(
            declines ? GREETING ">FF FD 00 FF FB 00 FF FE 2C 41"
                     : GREETING ">" AGREE "|" SB("01 00 00 25 80") ">" SB("65 00 00 25 80") "|"
                           SB("02 08") ">" SB("66 08") "|" SB("03 01") ">" SB("67 01") "|"
                           SB("04 01") ">" SB("68 01") "|" SB("05 03") ">" SB("69 03") "|"
                           SB("0C 01") ">" SB("70 01") SB("6B 11") SB("6A 08") "42 FF FF");
        QtSerialComm comm([&](int) { return server.Port(); });
        Delivered got;
        got.Attach(comm);
        ASSERT_EQ(SetUpError(comm, "9600,N,8,1", 2), "");
        comm.SetOutput({0xFF, 0x43});
        ASSERT_TRUE(WaitFor([&] { return Count(server.Received(), Hex("FF FF 43")) > 0; }));
        if (declines) {
            WaitFor([&] { return !got.notices.empty(); }, 1000ms);
            EXPECT_EQ(got.notices,
                      std::vector<std::string>{
                          "The device server at " + server.Port() +
                          " declined the Telnet COM port option (RFC 2217): bit rate, parity, data "
                          "bits, stop bits and handshaking are set on the server; the values "
                          "chosen here are not sent to it."});
            EXPECT_EQ(Show(server.Received()).find("FF FA"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(WaitFor([&] { return !got.data.empty(); }));
        EXPECT_EQ(got.events, (std::vector<short>{kComEvCts, kComEventFrame}));
        EXPECT_EQ(got.data, (Bytes{0x42, 0xFF}));
        EXPECT_TRUE(got.notices.empty() && got.failures.empty());
        // Bit rate, data bits, parity, stop bits, then RTS/CTS, in that order.
        EXPECT_GT(Count(server.Received(),
                        Hex(SB("01 00 00 25 80") SB("02 08") SB("03 01") SB("04 01") SB("05 03"))),
                  0u);
    }
}

}  // namespace
}  // namespace taplink
