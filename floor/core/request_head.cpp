#include "request_head.h"

#include <algorithm>

namespace taplink {
namespace {

std::string_view Trimmed(std::string_view s) {
    constexpr std::string_view space = " \t\r\n\v\f";
    const std::size_t first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

bool SameName(std::string_view name, std::string_view lower) {
    return name.size() == lower.size() &&
           std::equal(name.begin(), name.end(), lower.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

HeadRefusal NotOneNumber() {
    return {400, "Bad Request", "the Content-Length is not one number"};
}

}  // namespace

std::variant<std::int64_t, HeadRefusal> CheckHead(std::string_view head) {
    std::int64_t length = -1;
    // The request line first; a header without a colon says nothing here.
    std::size_t at = head.find('\n');
    while (at != std::string_view::npos) {
        const std::size_t next = head.find('\n', at + 1);
        const std::string_view line = head.substr(at + 1, next - (at + 1));
        at = next;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = Trimmed(line.substr(0, colon));
        const std::string_view value = Trimmed(line.substr(colon + 1));
        if (SameName(name, "transfer-encoding"))
            return HeadRefusal{411, "Length Required",
                               "send the body with its Content-Length, not in chunks"};
        if (!SameName(name, "content-length")) continue;
        // Digits only: a sign, a space or a base would be read otherwise by
        // the server behind.
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return NotOneNumber();
        std::int64_t n = 0;
        for (const char c : value)
            n = n * 10 + (c - '0');
        if (length >= 0 && n != length) return NotOneNumber();
        length = n;
    }
    // A page's upload form brings its document with a little more.
    const std::string_view request = head.substr(0, head.find('\n'));
    const std::size_t space = request.find(' ');
    const std::string_view target =
        space == std::string_view::npos
            ? std::string_view()
            : request.substr(space + 1, request.find(' ', space + 1) - (space + 1));
    const bool form = request.substr(0, space) == "POST" && target.starts_with("/machines/") &&
                      target.ends_with("/upload");
    const std::int64_t most = form ? kMostFormBytes : kMostBodyBytes;
    if (length > most) {
        return HeadRefusal{413, "Payload Too Large",
                           "the body is " + std::to_string(length) + " bytes: at most " +
                               std::to_string(most) + " are taken"};
    }
    return std::max<std::int64_t>(length, 0);
}

const HeadRefusal* RequestStream::Feed(std::string_view fresh) {
    while (!fresh.empty() && !refused_) {
        if (bodyLeft_ > 0) {
            const auto n = std::min<std::size_t>(static_cast<std::size_t>(bodyLeft_), fresh.size());
            bodyLeft_ -= static_cast<std::int64_t>(n);
            fresh.remove_prefix(n);
            continue;
        }
        const std::size_t before = head_.size();
        head_.append(fresh.substr(0, kMostHeadBytes + 4 - before));
        // The end may have begun in the piece before.
        const std::size_t end = head_.find("\r\n\r\n", before < 3 ? 0 : before - 3);
        if (end == std::string::npos) {
            if (head_.size() > kMostHeadBytes)
                refused_ = HeadRefusal{431, "Request Header Fields Too Large",
                                       "the request's head is over 16 KiB"};
            break;
        }
        fresh.remove_prefix(end + 4 - before);
        auto verdict = CheckHead(std::string_view(head_).substr(0, end));
        head_.clear();
        if (auto* refusal = std::get_if<HeadRefusal>(&verdict)) {
            refused_ = std::move(*refusal);
            break;
        }
        bodyLeft_ = std::get<std::int64_t>(verdict);
        ++heads_;
    }
    return refused_ ? &*refused_ : nullptr;
}

}  // namespace taplink
