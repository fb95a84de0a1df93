#include "line_trace.h"

#include <cstdio>
#include <sstream>

namespace taplink {
namespace {

constexpr std::size_t kBytesPerLine = 16;

}  // namespace

LineTrace::LineTrace(const std::string& path)
    : out_(path, std::ios::binary | std::ios::trunc), start_(std::chrono::steady_clock::now()) {}

void LineTrace::Record(char direction, const Bytes& bytes) {
    if (!out_ || bytes.empty()) return;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%06lld.%03lld", static_cast<long long>(us / 1000000),
                  static_cast<long long>(us / 1000 % 1000));
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        out_ << stamp << ' ' << direction;
        for (std::size_t k = at; k < bytes.size() && k < at + kBytesPerLine; ++k) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", bytes[k]);
            out_ << hex;
        }
        out_ << '\n';
    }
    out_.flush();
}

void LineTrace::Note(const std::string& text) {
    if (!out_) return;
    out_ << "# " << text << '\n';
    out_.flush();
}

Bytes TracedBytes(const std::string& traceText, char direction) {
    Bytes bytes;
    std::istringstream lines(traceText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string stamp, dir;
        if (!(words >> stamp >> dir) || dir.size() != 1 || dir[0] != direction) continue;
        std::string hex;
        while (words >> hex)
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16)));
    }
    return bytes;
}

TracingComm::TracingComm(CMSComm& inner, std::shared_ptr<LineTrace> trace)
    : inner_(inner), trace_(std::move(trace)) {
    inner_.SetOnComm([this] { FireOnComm(); });
    inner_.SetOnFailure([this](const std::string& what) {
        trace_->Note("line failure: " + what);
        FireFailure(what);
    });
}

void TracingComm::SetInBufferCount(short count) {
    // What is dropped unread still crossed the line: read it into the trace.
    if (count == 0 && inner_.GetPortOpen()) {
        const Bytes dropped = inner_.GetInput();
        if (!dropped.empty()) {
            trace_->Record('<', dropped);
            trace_->Note("dropped unread by the port set-up");
        }
    }
    inner_.SetInBufferCount(count);
}

void TracingComm::SetPortOpen(bool open) {
    inner_.SetPortOpen(open);
    trace_->Note(open ? "port opened" : "port closed");
}

void TracingComm::SetOutput(const Bytes& bytes) {
    inner_.SetOutput(bytes);
    trace_->Record('>', bytes);
}

void TracingComm::Note(const std::string& text) {
    trace_->Note(text);
}

Bytes TracingComm::GetInput() {
    Bytes bytes = inner_.GetInput();
    trace_->Record('<', bytes);
    return bytes;
}

}  // namespace taplink
