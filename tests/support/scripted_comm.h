// A serial control for tests: records every property access in order,
// refuses the accesses a test names, and delivers input when told.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ms_comm.h"

namespace taplink::testing {

class ScriptedComm : public CMSComm {
  public:
    // Every access as "Name=value" for writes and "Name?" for reads.
    std::vector<std::string> log;
    // Each Output write, in order.
    std::vector<Bytes> output;
    // Accesses (as logged) that throw CommError instead of taking effect.
    std::set<std::string> refuse;
    bool portOpen = false;
    // Called with each Output write, after it is recorded.
    std::function<void(const Bytes&)> onOutput;
    // Remarks for the line trace, in order.
    std::vector<std::string> notes;
    // How many of the bytes written the line takes; the rest wait in the
    // output queue (the far end sent XOFF, or stopped reading) until a test
    // raises it.
    std::size_t lineTakes = SIZE_MAX;

    // Queues bytes as received and raises OnComm with CommEvent 2.
    void Deliver(const Bytes& bytes) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        RaiseEvent(kComEvReceive);
    }
    // Raises OnComm with another event code (a modem-line change, say).
    void RaiseEvent(short code) {
        event_ = code;
        FireOnComm();
    }
    // All bytes written so far, in one run.
    Bytes Written() const {
        Bytes all;
        for (const auto& chunk : output)
            all.insert(all.end(), chunk.begin(), chunk.end());
        return all;
    }

    void SetCommPort(short port) override { Record("CommPort=" + std::to_string(port)); }
    void SetHandshaking(long value) override { Record("Handshaking=" + std::to_string(value)); }
    void SetInBufferSize(short size) override { Record("InBufferSize=" + std::to_string(size)); }
    void SetInBufferCount(short count) override {
        Record("InBufferCount=" + std::to_string(count));
        if (count == 0) pending_.clear();
    }
    void SetInputLen(short len) override { Record("InputLen=" + std::to_string(len)); }
    void SetOutBufferSize(short size) override { Record("OutBufferSize=" + std::to_string(size)); }
    bool GetPortOpen() override {
        log.push_back("PortOpen?");
        return portOpen;
    }
    void SetPortOpen(bool open) override {
        Record(std::string("PortOpen=") + (open ? "1" : "0"));
        portOpen = open;
    }
    void SetRThreshold(short threshold) override {
        Record("RThreshold=" + std::to_string(threshold));
    }
    void SetSettings(const std::string& settings) override { Record("Settings=" + settings); }
    void SetOutput(const Bytes& bytes) override {
        if (!portOpen) throw CommError("write on a closed port");
        output.push_back(bytes);
        written_ += bytes.size();
        if (onOutput) onOutput(bytes);
    }
    Bytes GetInput() override { return std::exchange(pending_, {}); }
    long GetOutBufferCount() override {
        return static_cast<long>(written_ - std::min(written_, lineTakes));
    }
    short GetCommEvent() override { return event_; }
    void SetInputMode(long mode) override { Record("InputMode=" + std::to_string(mode)); }
    void Note(const std::string& text) override { notes.push_back(text); }

  private:
    void Record(const std::string& access) {
        log.push_back(access);
        if (refuse.count(access)) throw CommError("refused: " + access);
    }

    Bytes pending_;
    short event_ = 0;
    std::size_t written_ = 0;
};

}  // namespace taplink::testing
