// What the floor's guard makes of the bytes a client sends, ahead of the
// HTTP server: each request's head found and judged by the body it
// announces, and that body counted past unread, holding at most one head.
// Standard library only, so that it fuzzes without Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace taplink {

// The largest body a request may have: a document, at most.
inline constexpr std::int64_t kMostBodyBytes = 64 * 1024;
// The largest upload form from a page: a document, and the form's own
// fields and boundaries around it.
inline constexpr std::int64_t kMostFormBytes = kMostBodyBytes + 4 * 1024;
// The largest head: the request line and every header.
inline constexpr std::size_t kMostHeadBytes = 16 * 1024;

struct HeadRefusal {
    int status = 400;
    std::string reason;   // the status line's words
    std::string message;  // for the client
};

// One head, without its blank line: the length of the body it announces
// (0 without one; a page's upload form may bring kMostFormBytes, any other
// body kMostBodyBytes), or why the request is refused. A body without a
// Content-Length, or with one that is not plain decimal digits (or two that
// differ), cannot be bounded here and is refused.
std::variant<std::int64_t, HeadRefusal> CheckHead(std::string_view head);

// One connection's bytes, in the pieces they come in.
class RequestStream {
  public:
    // The bytes since the last call: the refusal, once one is found (and at
    // every call after), else nothing.
    const HeadRefusal* Feed(std::string_view fresh);
    // The heads passed so far.
    int Heads() const { return heads_; }

  private:
    std::string head_;  // the head so far, while one is coming
    std::int64_t bodyLeft_ = 0;
    int heads_ = 0;
    std::optional<HeadRefusal> refused_;
};

}  // namespace taplink
