// taplink-sim: a simulated QRN controller on a pseudo-terminal pair (or a
// serial device), for trying TapLink without a machine tool.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "hex_display.h"
#include "line_trace.h"
#include "pty_master.h"
#include "sim_options.h"

namespace {

using namespace taplink;
using namespace taplink::sim;
using Clock = std::chrono::steady_clock;

const char* kUsage =
    "usage: taplink-sim [options]\n"
    "Plays a QRN controller. Without --device it makes a pseudo-terminal pair and prints\n"
    "the path for TapLink (taplink --port PATH).\n"
    "  --model r40|r80|memory    protocol (default r40)\n"
    "  --role input|output       input: take a document from TapLink's Send;\n"
    "                            output: answer TapLink's Receive (default input)\n"
    "  --file FILE               output: the document to send (text, or a memory image)\n"
    "  --out FILE                input: write what was received there (default: stdout)\n"
    "  --form auto|program|document  R40/R60 output framing (default auto)\n"
    "  --fault NAME[@N]          inject a fault (see below)\n"
    "  --send-proto HEX          TapLink's send protocol byte (default 11)\n"
    "  --recv-proto HEX          TapLink's receive protocol byte (default 12)\n"
    "  --quiet-after-last        R80 input: do not answer the last block\n"
    "  --delay MS                input: wait this long after TapLink opens the port (500)\n"
    "  --device PATH             use a serial device instead of a pseudo-terminal\n"
    "  --listen [HOST:]PORT      serve on TCP instead, as a serial device server does\n"
    "                            (HOST 127.0.0.1 unless given; PORT 0 picks a free one)\n"
    "  --trace FILE              write every byte in and out, with times, to FILE\n"
    "  --once                    exit after one transfer: 0 if it went well, 1 if not\n"
    "  --timeout SECONDS         with --once: give up (exit 1) when no transfer ended by then\n"
    "  --help\n"
    "Faults: ";

struct Options {
    Config config;
    std::string file;
    std::string out;
    std::string device;
    std::string listen;
    std::string trace;
    int delayMs = 500;
    int timeoutSeconds = 0;
    bool once = false;
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

void Report(const ControllerSim& sim, std::size_t& logged) {
    const auto& log = sim.Log();
    for (; logged < log.size(); ++logged)
        std::cerr << "controller: " << log[logged] << "\n";
}

void Deliver(const Options& o, const ControllerSim& sim) {
    const Bytes& doc = sim.Received();
    if (o.config.role != Role::Input || !sim.Ok()) return;
    if (!o.out.empty()) {
        std::ofstream f(o.out, std::ios::binary);
        f.write(reinterpret_cast<const char*>(doc.data()),
                static_cast<std::streamsize>(doc.size()));
        if (!f) std::cerr << "taplink-sim: cannot write " << o.out << "\n";
        return;
    }
    if (o.config.model == Model::Memory) {
        std::string display;
        for (std::size_t at = 0; at < doc.size(); at += 8) {
            AppendHexLine(display, doc.data() + at, std::min<std::size_t>(8, doc.size() - at), at);
        }
        std::cout << display << "\n";
    } else {
        std::cout.write(reinterpret_cast<const char*>(doc.data()),
                        static_cast<std::streamsize>(doc.size()));
    }
    std::cout.flush();
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.config.document.clear();
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << FaultNames() << "\n";
            return 0;
        } else if (a == "--once") {
            o.once = true;
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
            } else if (a == "--delay") {
                o.delayMs = std::atoi(v->c_str());
            } else {
                return Usage("unknown option " + a);
            }
        } else {
            return Usage(a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected " + a);
        }
    }
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
    if (!o.listen.empty()) {
        std::string host = "127.0.0.1";
        std::string port = o.listen;
        if (const auto colon = o.listen.rfind(':'); colon != std::string::npos) {
            host = o.listen.substr(0, colon);
            port = o.listen.substr(colon + 1);
        }
        int actual = 0;
        listener = ListenTcp(host, std::atoi(port.c_str()), &actual, &why);
        if (listener >= 0) {
            std::cout << "TapLink port: tcp://" << host << ":" << actual << std::endl;
        }
    } else if (o.device.empty()) {
        const PtyMaster pty = OpenPtyMaster(&why);
        fd = pty.fd;
        if (fd >= 0) std::cout << "TapLink port: " << pty.slavePath << std::endl;
    } else {
        fd = OpenSerialDevice(o.device, &why);
        if (fd >= 0) std::cout << "TapLink port: " << o.device << std::endl;
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

    const auto t0 = Clock::now();
    const auto now = [&] { return std::chrono::duration_cast<milliseconds>(Clock::now() - t0); };
    ControllerSim sim(o.config);
    std::size_t logged = 0;
    bool started = false;
    milliseconds startAt{-1};
    milliseconds doneAt{-1};
    Bytes pending;
    std::size_t sent = 0;
    for (;;) {
        if (listener >= 0 && fd < 0) {
            // TapLink connects anew at every Send and Receive.
            pollfd l{listener, POLLIN, 0};
            ::poll(&l, 1, 10);
            fd = AcceptClient(listener);
            if (fd >= 0 && trace) trace->Note("connected");
        }
        bool peerOpen = fd >= 0;
        Bytes in;
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            if (sent < pending.size()) p.events |= POLLOUT;
            ::poll(&p, 1, 10);
            if (o.device.empty() && listener < 0 && (p.revents & POLLHUP)) peerOpen = false;
            if (!peerOpen) ::usleep(20000);  // nobody on the other end: do not spin
            if (p.revents & POLLIN) {
                switch (ReadSome(fd, in)) {
                    case ReadResult::Failed:
                        if (listener < 0) {
                            std::cerr << "taplink-sim: read failed: " << std::strerror(errno)
                                      << "\n";
                            return 3;
                        }
                        [[fallthrough]];
                    case ReadResult::PeerClosed:
                        if (listener >= 0) {
                            ::close(fd);
                            fd = -1;
                            peerOpen = false;
                            if (trace) trace->Note("disconnected");
                        }
                        break;
                    default: break;
                }
            }
        }
        if (!in.empty() && trace) trace->Record('<', in);
        if (!started && peerOpen) {
            if (startAt.count() < 0)
                startAt = now() + milliseconds{o.config.role == Role::Input ? o.delayMs : 0};
            if (now() >= startAt) {
                started = true;
                const Bytes out = sim.Start(now());
                pending.insert(pending.end(), out.begin(), out.end());
            }
        }
        if (!in.empty()) {
            const Bytes out = sim.OnBytes(in, now());
            pending.insert(pending.end(), out.begin(), out.end());
        }
        if (fd >= 0 && sent < pending.size()) {
            const std::size_t n = WriteSome(fd, pending, sent);
            if (trace && n > 0) {
                trace->Record('>', Bytes(pending.begin() + static_cast<long>(sent),
                                         pending.begin() + static_cast<long>(sent + n)));
            }
            sent += n;
        }
        if (sent == pending.size()) {
            pending.clear();
            sent = 0;
        }
        Report(sim, logged);
        if (o.once && o.timeoutSeconds > 0 && !sim.Done() &&
            now() > milliseconds{1000LL * o.timeoutSeconds}) {
            std::cerr << "taplink-sim: no transfer ended within " << o.timeoutSeconds << " s ("
                      << sim.Status() << ")\n";
            return 1;
        }
        if (sim.Done() && doneAt.count() < 0) {
            doneAt = now();
            Deliver(o, sim);
        }
        // Give the last answers time to go out (and late repeats to come in).
        if (doneAt.count() >= 0 && pending.empty() && now() - doneAt > milliseconds{1000}) {
            if (o.once) return sim.Ok() ? 0 : 1;
            std::cerr << "controller: ready for the next transfer\n";
            sim = ControllerSim(o.config);
            logged = 0;
            started = false;
            startAt = milliseconds{-1};
            doneAt = milliseconds{-1};
        }
    }
}
