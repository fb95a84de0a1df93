// taplink-sim: a simulated QRN controller on a pseudo-terminal pair (or a
// serial device), for trying TapLink without a machine tool.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line_trace.h"
#include "pty_master.h"
#include "sim_options.h"
#include "telnet_server.h"

namespace {

using namespace taplink;
using namespace taplink::sim;
using Clock = std::chrono::steady_clock;

// SIGUSR1: the operator presses the controller's input (or output) key.
volatile std::sig_atomic_t g_keyPressed = 0;
void PressKey(int) {
    g_keyPressed = 1;
}

const char* kUsage =
    "Usage: taplink-sim [options]\n"
    "Plays a QRN controller. Without --device it makes a pseudo-terminal pair and prints\n"
    "the path for TapLink (taplink --port PATH).\n"
    "  --model r40|r80|memory    protocol (default r40)\n"
    "  --role input|output|loop  input: take a document from TapLink's Send;\n"
    "                            output: answer TapLink's Receive; loop: input, then output\n"
    "                            with what was taken (default input)\n"
    "  --file FILE               output: the document to send (text, or a memory image)\n"
    "  --out FILE                input, loop: write what was received there (default:\n"
    "                            stdout)\n"
    "  --change N                loop: give it back with byte N (from 0, in the text or\n"
    "                            image) changed: a digit to the next (9 to 0), a letter to\n"
    "                            the next (Z to A, z to a), a space to _, any other byte to\n"
    "                            a space; a CR or LF passes it to the next byte that is\n"
    "                            neither; in an image the lowest bit flips\n"
    "  --drop N                  loop: give it back without byte N (CR, LF as for --change)\n"
    "  --form auto|program|document  R40/R60 output framing (default auto)\n"
    "  --fault NAME[@N]          inject a fault (see below)\n"
    "  --send-proto HEX          TapLink's send protocol byte (default 11)\n"
    "  --recv-proto HEX          TapLink's receive protocol byte (default 12)\n"
    "  --quiet-after-last        R80 input: do not answer the last block\n"
    "  --block-size N            R80 output: data bytes a block (default 256)\n"
    "  --delay MS                input, loop: wait this long after TapLink opens the port\n"
    "                            (500); on a pseudo-terminal, not before it is opened\n"
    "  --device PATH             use a serial device instead of a pseudo-terminal\n"
    "  --listen [HOST:]PORT      serve on TCP instead, as a serial device server does\n"
    "                            (HOST 127.0.0.1 unless given; PORT 0 picks a free one);\n"
    "                            one client at a time, a newer one replaces a silent one;\n"
    "                            a new client silent for --delay gets a fresh start\n"
    "  --rfc2217                 with --listen: speak Telnet with the COM port option\n"
    "                            (RFC 2217) to each client, as such a device server does\n"
    "  --rfc2217-fault NAME      with --rfc2217: refuse-comport (the link is plain Telnet),\n"
    "                            wrong-baud (half the bit rate asked), silent-settings (no\n"
    "                            answer to settings), notify (modem and line state reports\n"
    "                            before any data)\n"
    "  --rest MS                 after a transfer, from its last byte, wait this long before\n"
    "                            the next (1000: late repeats come in meanwhile)\n"
    "  --rate BITS               write no faster than a line at BITS bit/s would carry\n"
    "                            (10 bits a byte)\n"
    "  --trace FILE              write every byte in and out, with times, to FILE\n"
    "  --once                    exit after one transfer (a loop: after both): 0 if it went\n"
    "                            well, 1 if not\n"
    "  --timeout SECONDS         with --once: give up (exit 1) when no transfer ended by then\n"
    "  --background              once the port is ready, print its path alone and go on in\n"
    "                            the background, for port=$(taplink-sim ... --background);\n"
    "                            implies --once, and --timeout 600 unless given\n"
    "  -h, --help                print this and exit\n"
    "  -v, --version             print the version and exit\n"
    "Signal SIGUSR1: start afresh at once, as an operator pressing the controller's input\n"
    "(or output) key. In input, a controller says ready when it starts and after each\n"
    "transfer only: a document put out later waits for this.\n"
    "Faults: ";

struct Options {
    Config config;
    std::string file;
    std::string out;
    std::string device;
    std::string listen;
    std::string trace;
    int delayMs = 500;
    long rate = 0;            // bit/s the controller's line carries; 0: as fast as it goes
    int restMs = 1000;        // after a transfer, from its last byte, before the next
    int timeoutSeconds = -1;  // -1: not given
    bool once = false;
    bool background = false;
    bool rfc2217 = false;
    std::optional<TelnetFault> telnetFault;
};

int Usage(const std::string& why) {
    std::cerr << "taplink-sim: " << why << "\n" << kUsage << FaultNames() << "\n";
    return 2;
}

bool ParseHexByte(const std::string& s, std::uint8_t* out) {
    if (s.empty() || s.size() > 2) return false;
    unsigned v = 0;
    for (const char c : s) {
        v *= 16;
        if (c >= '0' && c <= '9')
            v += static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            v += static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            v += static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
    }
    *out = static_cast<std::uint8_t>(v);
    return true;
}

// 0 to 65535, digits only.
std::optional<int> ParsePort(const std::string& s) {
    int port = -1;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), port);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// A memory image as offset and eight hex bytes a line.
std::string HexLines(const Bytes& image) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t at = 0; at < image.size(); at += 8) {
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(digits[(at >> shift) & 15]);
        out.push_back(':');
        for (std::size_t k = at; k < image.size() && k < at + 8; ++k) {
            out += {' ', digits[image[k] >> 4], digits[image[k] & 15]};
        }
        out.push_back('\n');
    }
    return out;
}

void Report(const ControllerSim& sim, std::size_t& logged) {
    const auto& log = sim.Log();
    for (; logged < log.size(); ++logged)
        std::cerr << "controller: " << log[logged] << "\n";
}

void Deliver(const Options& o, const ControllerSim& sim) {
    const Bytes& doc = sim.Received();
    if (!o.out.empty()) {
        std::ofstream f(o.out, std::ios::binary);
        f.write(reinterpret_cast<const char*>(doc.data()),
                static_cast<std::streamsize>(doc.size()));
        if (!f) std::cerr << "taplink-sim: cannot write " << o.out << "\n";
        return;
    }
    if (o.config.model == Model::Memory) {
        std::cout << HexLines(doc);
    } else {
        std::cout.write(reinterpret_cast<const char*>(doc.data()),
                        static_cast<std::streamsize>(doc.size()));
    }
    std::cout.flush();
}

// The controller on its line: the pseudo-terminal, the device, or one TCP
// client at a time.
class Server {
  public:
    Server(const Options& o, int fd, int listener, std::unique_ptr<PtyPeer> peer, LineTrace* trace)
        : o_(o),
          fd_(fd),
          listener_(listener),
          peer_(std::move(peer)),
          trace_(trace),
          sim_(o.config) {}

    // Returns the exit code with --once.
    int Run() {
        for (;;) {
            if (listener_ >= 0) Accept();
            Bytes in;
            bool peerOpen = Poll(in);
            if (!in.empty()) {
                // The trace holds what the controller saw, not Telnet's wrapping.
                if (o_.rfc2217) in = Unwrap(in);
                if (trace_ && !in.empty()) trace_->Record('<', in);
                // Telnet's own talk is not the client speaking to the controller.
                if (!in.empty()) spoke_ = true;
            }
            if (listener_ >= 0) peerOpen = fd_ >= 0;
            if (g_keyPressed) {
                g_keyPressed = 0;
                std::cerr << "controller: the operator pressed the key, starting afresh\n";
                Reset();
                startAt_ = Now();
            }
            // What the controller wrote went to a client that has gone (TapLink
            // itself reconnects between the ready byte and its frame): a new
            // client (or a pseudo-terminal opened again) that stays silent as
            // long as the delay gets a fresh start, as an operator gives a
            // controller whose sender vanished mid-transfer.
            if (started_ && fd_ >= 0 && (listener_ >= 0 || peer_) && startedFor_ != client_ &&
                !spoke_ && !sim_.Done() && Now() - acceptedAt_ >= milliseconds{o_.delayMs}) {
                std::cerr
                    << "controller: the client that saw the start has gone, starting afresh\n";
                Reset(/*keepTaken=*/true);
                startAt_ = Now();
            }
            if (!started_ && peerOpen) {
                if (startAt_.count() < 0)
                    startAt_ =
                        Now() + milliseconds{o_.config.role != Role::Output ? o_.delayMs : 0};
                if (Now() >= startAt_) {
                    started_ = true;
                    startedFor_ = client_;
                    Queue(sim_.Start(Now()));
                }
            }
            if (!in.empty()) Queue(sim_.OnBytes(in, Now()));
            Flush();
            Report(sim_, logged_);
            if (o_.once && o_.timeoutSeconds > 0 && !sim_.Done() &&
                Now() > milliseconds{1000LL * o_.timeoutSeconds}) {
                std::cerr << "taplink-sim: no transfer ended within " << o_.timeoutSeconds << " s ("
                          << sim_.Status() << ")\n";
                return 1;
            }
            // A loop has taken its document well before its transfer is done.
            if (sim_.Taken() && !delivered_) {
                delivered_ = true;
                Deliver(o_, sim_);
            }
            if (sim_.Done() && doneAt_.count() < 0) doneAt_ = Now();
            // Give the last answers time to go out (and late repeats to come in),
            // counted from when the last byte went.
            if (doneAt_.count() >= 0 && !pending_.empty()) doneAt_ = Now();
            if (doneAt_.count() >= 0 && queue_.empty() && pending_.empty() &&
                Now() - doneAt_ > milliseconds{o_.restMs}) {
                if (o_.once) return sim_.Ok() ? 0 : 1;
                std::cerr << "controller: ready for the next transfer\n";
                Reset();
            }
        }
    }

  private:
    struct Timed {
        milliseconds due;
        Write write;
    };

    milliseconds Now() const {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - t0_);
    }

    // keepTaken: a loop that holds what it took gives that back, rather than
    // taking a document again.
    void Reset(bool keepTaken = false) {
        if (!keepTaken || !sim_.Taken()) {
            sim_ = ControllerSim(o_.config);
            logged_ = 0;
            delivered_ = false;
        }
        started_ = false;
        spoke_ = false;
        startAt_ = milliseconds{-1};
        doneAt_ = milliseconds{-1};
        queue_.clear();
        ForgetUnsentData();
    }

    // What the controller wrote and the client has not had yet. A Telnet
    // answer going out stays whole, and so does a doubled 0xFF.
    void ForgetUnsentData() {
        if (!pendingData_) return;
        std::size_t keep = sent_;
        if (telnet_) {
            keep = 0;
            while (keep < sent_)
                keep += pending_[keep] == 0xFF ? 2 : 1;
        }
        pending_.resize(keep);
        if (sent_ >= pending_.size()) {
            pending_.clear();
            sent_ = 0;
        }
    }

    // The client's bytes without their Telnet: answers go back, settings
    // are told, and only data reaches the controller.
    Bytes Unwrap(const Bytes& wire) {
        if (!telnet_) return {};
        TelnetServer::Input got = telnet_->Feed(wire);
        for (const std::string& note : got.notes)
            std::cerr << "taplink-sim: " << note << "\n";
        if (!got.bad.empty()) {
            std::cerr << "taplink-sim: dropped a bad client: " << got.bad << "\n";
            Drop("dropped a bad client");
            return {};
        }
        if (got.purgeOutput) ForgetUnsentData();
        control_.insert(control_.end(), got.reply.begin(), got.reply.end());
        return std::move(got.data);
    }

    void Drop(const char* why) {
        ::close(fd_);
        fd_ = -1;
        // What the client left unread was for it, not for the next one.
        pending_.clear();
        sent_ = 0;
        control_.clear();
        telnet_.reset();
        if (trace_) trace_->Note(why);
    }

    // TapLink connects anew at every Send and Receive, and the controller
    // keeps its state between connections as a device server's line does.
    // A client that has said nothing yet gives way to a newer one, so that
    // one which connected and idles cannot keep the controller from the next.
    void Accept() {
        pollfd l{listener_, POLLIN, 0};
        ::poll(&l, 1, fd_ < 0 ? 10 : 0);
        if (!(l.revents & POLLIN)) return;
        if (fd_ >= 0) {
            if (spoke_ || sim_.Done()) return;
            Drop("replaced by a newer client");
        }
        fd_ = AcceptClient(listener_);
        if (fd_ < 0) return;
        ++client_;
        spoke_ = false;
        if (o_.rfc2217) {
            telnet_.emplace(o_.telnetFault.value_or(TelnetFault::None));
            control_ = telnet_->Greeting();
        }
        acceptedAt_ = Now();
        if (trace_) trace_->Note("connected");
    }

    // Reads what came; returns whether the far end has the line open.
    bool Poll(Bytes& in) {
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        // A paced line is looked at every millisecond rather than whenever
        // the descriptor would take more.
        const bool paced = o_.rate > 0 && sent_ < pending_.size();
        if (sent_ < pending_.size() && !paced) p.events |= POLLOUT;
        ::poll(&p, 1, paced ? 1 : peer_ && !peer_->IsOpen() ? 5 : 10);
        if (p.revents & POLLIN) {
            switch (ReadSome(fd_, in)) {
                case ReadResult::Failed:
                    if (listener_ < 0) {
                        std::cerr << "taplink-sim: read failed: " << std::strerror(errno) << "\n";
                        std::exit(3);
                    }
                    [[fallthrough]];
                case ReadResult::PeerClosed:
                    if (listener_ >= 0) Drop("disconnected");
                    break;
                case ReadResult::Data:
                case ReadResult::Nothing: break;
            }
        }
        if (!peer_) return fd_ >= 0;
        const bool open = peer_->Update(p.revents, !in.empty());
        if (open && !peerWasOpen_) {
            ++client_;
            spoke_ = !in.empty();
            acceptedAt_ = Now();
        }
        peerWasOpen_ = open;
        // Nobody on the other end: do not spin on the hang-up.
        if (!open && (p.revents & POLLHUP)) ::usleep(20000);
        return open;
    }

    void Queue(const Writes& writes) {
        milliseconds due = Now();
        for (const Write& w : writes) {
            due += w.after;
            queue_.push_back({due, w});
        }
    }

    void Flush() {
        // Telnet's answers go between the controller's writes, never inside one.
        if (sent_ == pending_.size() && !control_.empty()) {
            pending_ = std::move(control_);
            control_.clear();
            sent_ = 0;
            pendingData_ = false;
        }
        while (!queue_.empty() && queue_.front().due <= Now() && sent_ == pending_.size() &&
               !(telnet_ && telnet_->HoldsData())) {
            const Write w = std::move(queue_.front().write);
            queue_.pop_front();
            switch (w.event) {
                case LineEvent::None:
                    if (trace_ && telnet_) trace_->Record('>', w.bytes);
                    pending_ = telnet_ ? TelnetServer::Escape(w.bytes) : w.bytes;
                    sent_ = 0;
                    pendingData_ = true;
                    break;
                case LineEvent::ModemLines:
                    // Neither a pseudo-terminal nor TCP carries modem lines.
                    std::cerr << "controller: modem-line change (not carried on this line)\n";
                    if (trace_) trace_->Note("modem-line change");
                    break;
            }
        }
        if (fd_ < 0 || sent_ >= pending_.size()) return;
        std::size_t most = SIZE_MAX;
        if (o_.rate > 0 && pendingData_) {
            // The bytes a line at this rate has carried since it began.
            const auto now = Clock::now();
            if (!pacing_) {
                pacing_ = true;
                paceStart_ = now;
                paceSent_ = 0;
            }
            const double seconds = std::chrono::duration<double>(now - paceStart_).count();
            const auto carried = static_cast<std::size_t>(seconds * o_.rate / 10.0) + 1;
            most = carried > paceSent_ ? carried - paceSent_ : 0;
        }
        const std::size_t n = WriteSome(fd_, pending_, sent_, most);
        paceSent_ += n;
        if (trace_ && n > 0 && !telnet_) {
            trace_->Record('>', Bytes(pending_.begin() + static_cast<long>(sent_),
                                      pending_.begin() + static_cast<long>(sent_ + n)));
        }
        sent_ += n;
        if (sent_ == pending_.size()) {
            pending_.clear();
            sent_ = 0;
            if (queue_.empty()) pacing_ = false;  // the line falls idle
        }
    }

    const Options& o_;
    int fd_;
    int listener_;
    std::unique_ptr<PtyPeer> peer_;
    LineTrace* trace_;
    const Clock::time_point t0_ = Clock::now();
    ControllerSim sim_;
    std::size_t logged_ = 0;
    bool delivered_ = false;  // what the controller took has gone to --out
    bool started_ = false;
    bool spoke_ = false;  // the current client has written something
    int client_ = 0;      // the clients accepted (TCP), or the openings of the pseudo-terminal
    bool peerWasOpen_ = false;
    int startedFor_ = 0;  // the client current when the controller started
    milliseconds acceptedAt_{0};
    milliseconds startAt_{-1};
    milliseconds doneAt_{-1};
    std::deque<Timed> queue_;  // writes not yet due, or waiting for the line
    bool pacing_ = false;      // --rate: a paced write is going out
    Clock::time_point paceStart_;
    std::size_t paceSent_ = 0;
    Bytes pending_;  // the write going out (as Telnet data with --rfc2217)
    std::size_t sent_ = 0;
    bool pendingData_ = true;             // pending_ is the controller's, not Telnet's
    std::optional<TelnetServer> telnet_;  // --rfc2217: the current client's Telnet
    Bytes control_;                       // Telnet's answers waiting for the line
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << FaultNames() << "\n";
            return 0;
        } else if (a == "--version" || a == "-v") {
            std::cout << "taplink-sim " << TAPLINK_VERSION << "\n";
            return 0;
        } else if (a == "--once") {
            o.once = true;
        } else if (a == "--background") {
            o.background = true;
            o.once = true;
        } else if (a == "--rfc2217") {
            o.rfc2217 = true;
        } else if (a == "--quiet-after-last") {
            o.config.answerLastBlock = false;
        } else if (const std::string* v = (a.rfind("--", 0) == 0) ? value() : nullptr) {
            if (a == "--model") {
                const auto m = ModelFromName(*v);
                if (!m) return Usage("unknown model " + *v);
                o.config.model = *m;
            } else if (a == "--role") {
                const auto r = RoleFromName(*v);
                if (!r) return Usage("unknown role " + *v);
                o.config.role = *r;
            } else if (a == "--form") {
                const auto f = FormFromName(*v);
                if (!f) return Usage("unknown form " + *v);
                o.config.form = *f;
            } else if (a == "--fault") {
                const auto f = FaultFromName(*v);
                if (!f) return Usage("unknown fault " + *v);
                o.config.fault = *f;
            } else if (a == "--rfc2217-fault") {
                o.telnetFault = TelnetFaultFromName(*v);
                if (!o.telnetFault) return Usage("unknown rfc2217 fault " + *v);
            } else if (a == "--send-proto") {
                if (!ParseHexByte(*v, &o.config.frameStart)) return Usage("bad byte " + *v);
            } else if (a == "--recv-proto") {
                if (!ParseHexByte(*v, &o.config.ready)) return Usage("bad byte " + *v);
            } else if (a == "--file") {
                o.file = *v;
            } else if (a == "--out") {
                o.out = *v;
            } else if (a == "--device") {
                o.device = *v;
            } else if (a == "--listen") {
                o.listen = *v;
            } else if (a == "--trace") {
                o.trace = *v;
            } else if (a == "--timeout") {
                o.timeoutSeconds = std::atoi(v->c_str());
            } else if (a == "--rest") {
                o.restMs = std::atoi(v->c_str());
                if (o.restMs < 0) return Usage("--rest takes milliseconds, 0 or more");
            } else if (a == "--rate") {
                o.rate = std::atol(v->c_str());
                if (o.rate <= 0) return Usage("--rate takes a bit rate above 0");
            } else if (a == "--change" || a == "--drop") {
                const auto [end, ec] =
                    std::from_chars(v->data(), v->data() + v->size(), o.config.editAt);
                if (v->empty() || ec != std::errc{} || end != v->data() + v->size())
                    return Usage("bad offset " + *v);
                if (o.config.edit != Edit::None) return Usage("--change and --drop: one of them");
                o.config.edit = a == "--change" ? Edit::Change : Edit::Drop;
            } else if (a == "--block-size") {
                const auto [end, ec] =
                    std::from_chars(v->data(), v->data() + v->size(), o.config.blockSize);
                if (v->empty() || ec != std::errc{} || end != v->data() + v->size() ||
                    o.config.blockSize == 0 || o.config.blockSize > kMaxDocument)
                    return Usage("--block-size takes 1 to " + std::to_string(kMaxDocument));
            } else if (a == "--delay") {
                o.delayMs = std::atoi(v->c_str());
            } else {
                return Usage("unknown option " + a);
            }
        } else {
            return Usage(a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected " + a);
        }
    }
    // A controller nobody can see must not wait for ever.
    if (o.background && o.timeoutSeconds < 0) o.timeoutSeconds = 600;
    if (o.rfc2217 && o.listen.empty()) return Usage("--rfc2217 needs --listen");
    if (o.telnetFault && !o.rfc2217) return Usage("--rfc2217-fault needs --rfc2217");
    if (o.config.edit != Edit::None && o.config.role != Role::Loop)
        return Usage("--change and --drop need --role loop");
    if (!o.file.empty()) {
        std::ifstream f(o.file, std::ios::binary);
        if (!f) {
            std::cerr << "taplink-sim: cannot read " << o.file << "\n";
            return 2;
        }
        o.config.document.assign(std::istreambuf_iterator<char>(f), {});
    } else {
        o.config.document = SampleDocument(o.config.model);
    }

    std::string why;
    int fd = -1;        // the line: pty master, device, or the connected client
    int listener = -1;  // --listen: where clients connect
    std::unique_ptr<PtyPeer> peer;
    std::string portName;
    if (!o.listen.empty()) {
        std::string host = "127.0.0.1";
        std::string portText = o.listen;
        if (const auto colon = o.listen.rfind(':'); colon != std::string::npos) {
            host = o.listen.substr(0, colon);
            portText = o.listen.substr(colon + 1);
        }
        const auto port = ParsePort(portText);
        if (!port) return Usage("invalid port " + portText + " (0 to 65535)");
        int actual = 0;
        listener = ListenTcp(host, *port, &actual, &why);
        if (listener >= 0) {
            portName = (o.rfc2217 ? "rfc2217://" : "tcp://") + host + ":" + std::to_string(actual);
        }
    } else if (o.device.empty()) {
        const PtyMaster pty = OpenPtyMaster(&why);
        fd = pty.fd;
        if (fd >= 0) {
            peer = std::make_unique<PtyPeer>(fd);
            portName = pty.slavePath;
        }
    } else {
        fd = OpenSerialDevice(o.device, &why);
        if (fd >= 0) portName = o.device;
    }
    if (fd < 0 && listener < 0) {
        std::cerr << "taplink-sim: " << why << "\n";
        return 3;
    }
    std::unique_ptr<LineTrace> trace;
    if (!o.trace.empty()) {
        trace = std::make_unique<LineTrace>(o.trace);
        if (!trace->ok()) {
            std::cerr << "taplink-sim: cannot write the trace " << o.trace << "\n";
            return 2;
        }
    }
    // The port is printed only once it can be opened, so whatever reads the
    // line may use the port at once.
    if (o.background) {
        // For port=$(...): the shell reads until standard output closes, so
        // the controller that goes on keeps none of it.
        std::cout.flush();
        const pid_t child = ::fork();
        if (child < 0) {
            std::cerr << "taplink-sim: cannot go on in the background: " << std::strerror(errno)
                      << "\n";
            return 3;
        }
        if (child > 0) {
            std::cout << portName << std::endl;
            return 0;
        }
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    } else {
        std::cout << "TapLink port: " << portName << std::endl;
    }
    std::signal(SIGUSR1, PressKey);
    return Server(o, fd, listener, std::move(peer), trace.get()).Run();
}
