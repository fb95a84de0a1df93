// A line trace: every byte in and out, with its direction and the time in
// milliseconds since the trace began, as hex lines an operator can send to
// whoever maintains the controller:
//
//   000012.345 > 11 21 00 25 30 31 0D 0A
//   000013.001 < 12
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "ms_comm.h"

namespace taplink {

// The trace is written in place, one whole record (a Record's lines, or a
// Note) per write, so that it can be watched while it grows and survives a
// killed program: writing it beside and renaming it at the end would lose it
// exactly when it is most wanted. A record that cannot be written whole
// (disk full, say) is cut off again, so the trace always ends on a whole
// line; the trace then stops, the failure is reported once, and whatever is
// traced goes on without it.
class LineTrace {
  public:
    // Opens (creates or empties) the trace file; ok() says whether it could.
    // A file without any write permission bit is refused, even for root.
    explicit LineTrace(const std::string& path);
    ~LineTrace();
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    // False once the trace could not be opened or stopped; failure() then
    // holds the system's reason.
    bool ok() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }
    // Called once, with the system's reason, when the trace stops. Without
    // one the reason goes to stderr, where every program of ours reports.
    void SetOnFailure(std::function<void(const std::string&)> onFailure) {
        onFailure_ = std::move(onFailure);
    }

    // Direction: '>' written by this program, '<' received.
    void Record(char direction, const Bytes& bytes);
    void Note(const std::string& text);

  private:
    void Write(const std::string& record);

    std::string path_;
    int fd_ = -1;
    off_t written_ = 0;  // bytes of whole records in the file
    std::string failure_;
    std::function<void(const std::string&)> onFailure_;
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
    long GetOutBufferCount() override { return inner_.GetOutBufferCount(); }
    short GetCommEvent() override { return inner_.GetCommEvent(); }
    void SetInputMode(long mode) override { inner_.SetInputMode(mode); }
    void Note(const std::string& text) override;

  private:
    CMSComm& inner_;
    std::shared_ptr<LineTrace> trace_;
    std::unique_ptr<CMSComm> owned_;
};

}  // namespace taplink
