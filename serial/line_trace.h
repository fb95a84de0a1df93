// A line trace: every byte in and out, with its direction and the time in
// milliseconds since the trace began, as hex lines an operator can send to
// whoever maintains the controller:
//
//   000012.345 > 11 21 00 25 30 31 0D 0A
//   000013.001 < 12
#pragma once

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "ms_comm.h"

namespace taplink {

class LineTrace {
  public:
    // Opens (creates or empties) the trace file; ok() says whether it could.
    explicit LineTrace(const std::string& path);
    bool ok() const { return static_cast<bool>(out_); }
    // Direction: '>' written by this program, '<' received.
    void Record(char direction, const Bytes& bytes);
    void Note(const std::string& text);

  private:
    std::ofstream out_;
    std::chrono::steady_clock::time_point start_;
};

// Parses a trace back into the bytes of one direction (for tests and tools).
Bytes TracedBytes(const std::string& traceText, char direction);

// A serial control that records everything through it in a trace.
class TracingComm : public CMSComm {
  public:
    TracingComm(CMSComm& inner, std::shared_ptr<LineTrace> trace);
    // The same, owning the control it traces.
    TracingComm(std::unique_ptr<CMSComm> inner, std::shared_ptr<LineTrace> trace)
        : TracingComm(*inner, std::move(trace)) {
        owned_ = std::move(inner);
    }

    void SetCommPort(short port) override { inner_.SetCommPort(port); }
    void SetHandshaking(long value) override { inner_.SetHandshaking(value); }
    void SetInBufferSize(short size) override { inner_.SetInBufferSize(size); }
    void SetInBufferCount(short count) override;
    void SetInputLen(short len) override { inner_.SetInputLen(len); }
    void SetOutBufferSize(short size) override { inner_.SetOutBufferSize(size); }
    bool GetPortOpen() override { return inner_.GetPortOpen(); }
    void SetPortOpen(bool open) override;
    void SetRThreshold(short threshold) override { inner_.SetRThreshold(threshold); }
    void SetSettings(const std::string& settings) override { inner_.SetSettings(settings); }
    void SetOutput(const Bytes& bytes) override;
    Bytes GetInput() override;
    short GetCommEvent() override { return inner_.GetCommEvent(); }
    void SetInputMode(long mode) override { inner_.SetInputMode(mode); }
    void Note(const std::string& text) override;

  private:
    CMSComm& inner_;
    std::shared_ptr<LineTrace> trace_;
    std::unique_ptr<CMSComm> owned_;
};

}  // namespace taplink
