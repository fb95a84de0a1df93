// Timing on a real line: TapLink's handlers with QSerialPort on a
// pseudo-terminal pair, the simulated controller on the other end in the
// same process, optionally pacing the line at a bit rate. Prints figures:
//   - pacing: a 2,000-byte program at the fastest slider position and at
//     5 ms a byte, with the smallest and the median gap between two bytes
//     as written and as they reached the controller;
//   - the worst stall of the event loop during transfers (a 5 ms probe);
//   - a 65,535-byte memory image received in chunks: display ready after
//     the last byte;
//   - a 32,767-byte R80 document both ways at 115,200 bit/s against the
//     line-rate bound.
#include <poll.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "console_services.h"
#include "controller_sim.h"
#include "frames.h"
#include "pty_master.h"
#include "qt_serial_comm.h"
#include "send_checks.h"
#include "transfer_handlers.h"

namespace taplink {
namespace {

using Clock = QElapsedTimer;

// The serial control with the time of every write kept.
class TimedComm : public CMSComm {
  public:
    TimedComm(CMSComm& inner, const QElapsedTimer& clock) : in_(inner), clock_(clock) {
        in_.SetOnComm([this] { FireOnComm(); });
    }
    std::vector<double> writes;  // ms, one per write

    void SetCommPort(short v) override { in_.SetCommPort(v); }
    void SetHandshaking(long v) override { in_.SetHandshaking(v); }
    void SetInBufferSize(short v) override { in_.SetInBufferSize(v); }
    void SetInBufferCount(short v) override { in_.SetInBufferCount(v); }
    void SetInputLen(short v) override { in_.SetInputLen(v); }
    void SetOutBufferSize(short v) override { in_.SetOutBufferSize(v); }
    bool GetPortOpen() override { return in_.GetPortOpen(); }
    void SetPortOpen(bool v) override { in_.SetPortOpen(v); }
    void SetRThreshold(short v) override { in_.SetRThreshold(v); }
    void SetSettings(const std::string& v) override { in_.SetSettings(v); }
    void SetOutput(const Bytes& b) override {
        writes.push_back(static_cast<double>(clock_.nsecsElapsed()) / 1e6);
        in_.SetOutput(b);
    }
    Bytes GetInput() override { return in_.GetInput(); }
    long GetOutBufferCount() override { return in_.GetOutBufferCount(); }
    short GetCommEvent() override { return in_.GetCommEvent(); }
    void SetInputMode(long v) override { in_.SetInputMode(v); }

  private:
    CMSComm& in_;
    const QElapsedTimer& clock_;
};

// The gaps between consecutive times: the smallest, the median, how many
// there are and how many fall under `delay`.
struct GapFigures {
    double smallest = 0, median = 0;
    std::size_t count = 0, under = 0;
};
GapFigures Gaps(const std::vector<double>& t, double delay) {
    std::vector<double> g;
    for (std::size_t i = 1; i < t.size(); ++i)
        g.push_back(t[i] - t[i - 1]);
    if (g.empty()) return {};
    std::sort(g.begin(), g.end());
    const auto under = std::lower_bound(g.begin(), g.end(), delay) - g.begin();
    return {g.front(), g[g.size() / 2], g.size(), static_cast<std::size_t>(under)};
}

// The controller on the master end, the line paced at `rate` bytes a second
// in both directions (0: as fast as the pseudo-terminal goes).
class PacedController : public QObject {
  public:
    PacedController(sim::PtyMaster pty, double rate) : pty_(pty), rate_(rate) {
        tick_.setTimerType(Qt::PreciseTimer);
        connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
        tick_.start(1);
        clock_.start();
        // Bytes are read and timed on a thread of their own, so that a busy
        // event loop does not move the times at which they arrived.
        reader_ = std::thread([this] { ReadLoop(); });
    }
    ~PacedController() override {
        stop_ = true;
        reader_.join();
    }
    void Play(const sim::Config& config) {
        sim_ = std::make_unique<sim::ControllerSim>(config);
        Queue(sim_->Start(Now()));
    }
    sim::ControllerSim& Sim() { return *sim_; }
    double lastByteOutMs = 0;   // when the last byte we wrote left
    double firstByteInMs = -1;  // when TapLink's first frame byte arrived
    double lastByteInMs = 0;
    std::size_t bytesOnLine = 0;
    std::vector<double> arrivals;  // unpaced line: when each of TapLink's bytes was read

    double Ms() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

  private:
    std::chrono::milliseconds Now() const { return std::chrono::milliseconds{clock_.elapsed()}; }
    void ReadLoop() {
        while (!stop_) {
            pollfd p{pty_.fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            Bytes in;
            if (sim::ReadSome(pty_.fd, in) != sim::ReadResult::Data) {
                // TapLink closes and reopens its port at every Send and Receive.
                std::this_thread::sleep_for(std::chrono::milliseconds{2});
                continue;
            }
            const double at = Ms();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                read_.push_back({at, std::move(in)});
            }
            QMetaObject::invokeMethod(
                this, [this] { Read(); }, Qt::QueuedConnection);
        }
    }
    void Read() {
        std::deque<std::pair<double, Bytes>> reads;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            reads.swap(read_);
        }
        for (const auto& [readAt, in] : reads) {
            // At line rate, each byte arrives one byte-time after the one before.
            if (rate_ == 0) arrivals.insert(arrivals.end(), in.size(), readAt);
            for (const std::uint8_t b : in) {
                const double at = std::max(readAt, arrivalMs_) + (rate_ > 0 ? 1000.0 / rate_ : 0);
                arrivalMs_ = at;
                arriving_.push_back({at, b});
            }
        }
        Tick();
    }
    void Tick() {
        const double now = Ms();
        Bytes ready;
        while (!arriving_.empty() && arriving_.front().first <= now) {
            ready.push_back(arriving_.front().second);
            arriving_.pop_front();
        }
        if (!ready.empty()) {
            if (firstByteInMs < 0) firstByteInMs = now;
            lastByteInMs = now;
            bytesOnLine += ready.size();
            if (sim_) Queue(sim_->OnBytes(ready, Now()));
        }
        // Out: as much as the line has carried by now.
        if (sent_ < pending_.size()) {
            std::size_t allowed = pending_.size();
            if (rate_ > 0) {
                outBudget_ += (now - lastTickMs_) * rate_ / 1000.0;
                allowed = std::min(pending_.size(), sent_ + static_cast<std::size_t>(outBudget_));
            }
            const std::size_t n =
                allowed > sent_
                    ? sim::WriteSome(
                          pty_.fd,
                          Bytes(pending_.begin(), pending_.begin() + static_cast<long>(allowed)),
                          sent_)
                    : 0;
            if (rate_ > 0) outBudget_ -= static_cast<double>(n);
            sent_ += n;
            bytesOnLine += n;
            if (n > 0 && sent_ == pending_.size()) lastByteOutMs = now;
        } else {
            outBudget_ = 0;
        }
        lastTickMs_ = now;
    }
    // The benchmark plays clean controllers: their writes go out in order.
    void Queue(const sim::Writes& writes) {
        if (sent_ == pending_.size()) {
            pending_.clear();
            sent_ = 0;
        }
        for (const sim::Write& w : writes)
            pending_.insert(pending_.end(), w.bytes.begin(), w.bytes.end());
        Tick();
    }

    sim::PtyMaster pty_;
    double rate_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::deque<std::pair<double, Bytes>> read_;
    QTimer tick_;
    Clock clock_;
    std::unique_ptr<sim::ControllerSim> sim_;
    std::deque<std::pair<double, std::uint8_t>> arriving_;
    double arrivalMs_ = 0;
    Bytes pending_;
    std::size_t sent_ = 0;
    double outBudget_ = 0;
    double lastTickMs_ = 0;
};

struct Run {
    double ms = 0;        // from start to the end message
    double worstGap = 0;  // the probe's worst stall
    std::string end;
    double lastOutMs = 0, firstInMs = 0, lastInMs = 0, endMs = 0;
    std::size_t onLine = 0;
    GapFigures writeGaps, arrivalGaps;
};

// One transfer: TapLink's side started by `start`, the controller by `play`.
Run Transfer(int model, double rate, const sim::Config& controller, const std::string& document,
             bool send, int speed = 1) {
    std::string why;
    const sim::PtyMaster pty = sim::OpenPtyMaster(&why);
    if (pty.fd < 0) {
        std::fprintf(stderr, "line_bench: %s\n", why.c_str());
        std::exit(1);
    }
    PacedController line(pty, rate);
    QtSerialComm serial([&pty](int) { return pty.slavePath; });
    QElapsedTimer writeClock;
    writeClock.start();
    TimedComm comm(serial, writeClock);
    DialogState st;
    Globals g;
    LinkSettings link;
    TransferHandlers* h = nullptr;
    ConsoleServices win([&](int id) { h->OnTimer(id); });
    win.quiet = true;
    win.speed = speed;
    win.document = document;
    TransferHandlers handlers(TransferContext{comm, win, st, g, link, [model] { return model; }});
    h = &handlers;
    comm.SetOnComm([&] { handlers.OnCommEvent(); });
    Run run;
    QEventLoop loop;
    win.onMessage = [&](const Message& m) {
        run.end = m.text;
        run.endMs = line.Ms();
    };
    win.onTransferEnded = [&] { loop.quit(); };

    // A probe: the worst gap between its ticks is the worst stall.
    QElapsedTimer probeClock;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    double lastProbe = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = static_cast<double>(probeClock.nsecsElapsed()) / 1e6;
        run.worstGap = std::max(run.worstGap, now - lastProbe);
        lastProbe = now;
    });

    const double t0 = line.Ms();
    if (send) {
        handlers.OnSend();
        line.Play(controller);
    } else {
        line.Play(controller);
        handlers.OnReceive();
    }
    probeClock.start();
    probe.start(5);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    run.ms = run.endMs - t0;
    run.lastOutMs = line.lastByteOutMs;
    run.firstInMs = line.firstByteInMs;
    run.lastInMs = line.lastByteInMs;
    run.onLine = line.bytesOnLine;
    run.writeGaps = Gaps(comm.writes, speed + 1);
    run.arrivalGaps = Gaps(line.arrivals, speed + 1);
    return run;
}

std::string Program(std::size_t bytes, int digits) {
    std::string t = digits == 2 ? "%12\r\n" : "%123\r\n";
    for (int n = 0; t.size() < bytes;) {
        char line[48];
        std::snprintf(line, sizeof line, "N%04d G01 X%d.5 Z-%d F100\r\n", n % 10000, n, n % 97);
        n += 10;
        t += line;
    }
    t.resize(bytes - 2);
    return t + "\r\n";
}

}  // namespace
}  // namespace taplink

int main(int argc, char** argv) {
    using namespace taplink;
    QCoreApplication app(argc, argv);

    for (const int speed : {1, 4}) {  // Pacing: 2 ms and 5 ms a byte.
        const std::string program = Program(speed == 1 ? 2000 : 600, 2);
        sim::Config c;
        c.model = sim::Model::R40;
        c.role = sim::Role::Input;
        const Run r = Transfer(kModelR40, 0, c, program, true, speed);
        const double delay = speed + 1;
        const double frame = static_cast<double>(program.size() + 5);
        const double spanMs = r.lastInMs - r.firstInMs;
        const double expected = (frame - 1) * delay;
        std::printf(
            "pacing: %.0f-byte frame at %.0f ms a byte: first to last byte %.3f s, expected "
            "%.3f s (%.1f%% off); gaps as written: smallest %.3f ms, median %.3f ms, %zu of %zu "
            "under the delay; as received: smallest %.3f ms, median %.3f ms, %zu of %zu under the "
            "delay; worst event-loop stall %.1f ms; %s\n",
            frame, delay, spanMs / 1000, expected / 1000, 100 * (spanMs - expected) / expected,
            r.writeGaps.smallest, r.writeGaps.median, r.writeGaps.under, r.writeGaps.count,
            r.arrivalGaps.smallest, r.arrivalGaps.median, r.arrivalGaps.under, r.arrivalGaps.count,
            r.worstGap, r.end.c_str());
    }
    {  // A large memory image received in chunks.
        Bytes image(65535);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 31);
        sim::Config c;
        c.model = sim::Model::Memory;
        c.role = sim::Role::Output;
        c.document = image;
        const Run r = Transfer(kModelMemory, 0, c, {}, false);
        std::printf(
            "memory receive: 65,535 bytes: display ready %.1f ms after the last byte "
            "left the controller; worst event-loop stall %.1f ms; %s\n",
            r.endMs - r.lastOutMs, r.worstGap, r.end.c_str());
    }
    for (const bool send : {true, false}) {  // R80 at 115,200 bit/s.
        constexpr double kRate = 11520.0;
        // The largest document the controller takes: an image of 32,767 bytes at most.
        std::string doc = Program(34000, 3);
        while (PrepareR80Image(doc, kDocText).failure)
            doc = Program(doc.size() - 50, 3);
        sim::Config c;
        c.model = sim::Model::R80;
        c.role = send ? sim::Role::Input : sim::Role::Output;
        c.document = Bytes(doc.begin(), doc.end());
        const Run r = Transfer(kModelR80, kRate, c, doc, send);
        const double bound = static_cast<double>(r.onLine) / kRate * 1000;
        std::printf(
            "r80 %s at 115200 bit/s: %zu bytes on the line in %.3f s, line-rate bound "
            "%.3f s, ratio %.2f; worst event-loop stall %.1f ms; %s\n",
            send ? "send" : "receive", r.onLine, r.ms / 1000, bound / 1000, r.ms / bound,
            r.worstGap, r.end.c_str());
    }
    return 0;
}
