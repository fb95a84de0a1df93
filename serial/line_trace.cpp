#include "line_trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

namespace taplink {
namespace {

constexpr std::size_t kBytesPerLine = 16;

}  // namespace

LineTrace::LineTrace(const std::string& path)
    : path_(path),
      fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666)),
      start_(std::chrono::steady_clock::now()) {
    if (fd_ < 0) {
        failure_ = std::strerror(errno);
        return;
    }
    // Emptied only once it is known to be a file that may be written: root
    // could write over a file someone made read-only on purpose.
    struct stat st {};
    const bool readOnly = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
    if (readOnly || (S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0)) {
        failure_ = readOnly ? std::string(std::strerror(EACCES)) + " (the file is read-only)"
                            : std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
    }
}

LineTrace::~LineTrace() {
    if (fd_ >= 0) ::close(fd_);
}

void LineTrace::Write(const std::string& record) {
    if (fd_ < 0) return;
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t n = ::write(fd_, record.data() + done, record.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failure_ = std::strerror(errno);
            // What part of the record went out would read as a broken line.
            if (::ftruncate(fd_, written_) != 0) {
                failure_ +=
                    std::string(" (its last line may be cut: ") + std::strerror(errno) + ")";
            }
            ::close(fd_);
            fd_ = -1;
            if (onFailure_) {
                onFailure_(failure_);
            } else {
                std::cerr << "taplink: the trace " << path_ << " stopped: " << failure_ << "\n";
            }
            return;
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += static_cast<off_t>(record.size());
}

void LineTrace::Record(char direction, const Bytes& bytes) {
    if (fd_ < 0 || bytes.empty()) return;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%06lld.%03lld", static_cast<long long>(us / 1000000),
                  static_cast<long long>(us / 1000 % 1000));
    std::string record;
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        record += stamp;
        record += ' ';
        record += direction;
        for (std::size_t k = at; k < bytes.size() && k < at + kBytesPerLine; ++k) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", bytes[k]);
            record += hex;
        }
        record += '\n';
    }
    Write(record);
}

void LineTrace::Note(const std::string& text) {
    Write("# " + text + '\n');
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
    inner_.SetOnComm([this] {
        if (const short event = inner_.GetCommEvent(); event != kComEvReceive) {
            trace_->Note("line event " + std::to_string(event));
        }
        FireOnComm();
    });
    inner_.SetOnFailure([this](const std::string& what) {
        trace_->Note("line failure: " + what);
        FireFailure(what);
    });
    inner_.SetOnNotice([this](const std::string& what) {
        trace_->Note(what);
        FireNotice(what);
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
