// Any bytes as what a client sends the floor, whole and in pieces cut where
// the first bytes say: the guard finds the same either way; a head it takes
// announces a body of plain digits within its bound and is not chunked, and
// a refusal is one of the guard's.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "request_head.h"

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::string_view(" \t\r\n\v\f").find(s.front()) != s.npos)
        s.remove_prefix(1);
    while (!s.empty() && std::string_view(" \t\r\n\v\f").find(s.back()) != s.npos)
        s.remove_suffix(1);
    return s;
}

// What a head taken must hold: no chunks, and every length plain digits.
bool Boundable(std::string_view head) {
    bool first = true;
    while (!head.empty()) {
        const std::size_t end = std::min(head.find('\n'), head.size());
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(std::min(end + 1, head.size()));
        if (std::exchange(first, false)) continue;
        const std::size_t colon = line.find(':');
        if (colon == line.npos) continue;
        const std::string name = Lower(Trim(line.substr(0, colon)));
        const std::string_view value = Trim(line.substr(colon + 1));
        if (name == "transfer-encoding") return false;
        if (name == "content-length" &&
            (value.empty() ||
             !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const auto verdict = taplink::CheckHead(all);
    if (const auto* length = std::get_if<std::int64_t>(&verdict)) {
        if (*length < 0 || *length > taplink::kMostFormBytes || !Boundable(all)) __builtin_trap();
        // More than a document only for a page's upload form.
        if (*length > taplink::kMostBodyBytes && !all.starts_with("POST /machines/"))
            __builtin_trap();
    } else {
        const int status = std::get<taplink::HeadRefusal>(verdict).status;
        if (status != 400 && status != 411 && status != 413) __builtin_trap();
    }

    taplink::RequestStream whole, cut;
    const taplink::HeadRefusal* once = whole.Feed(all);
    const taplink::HeadRefusal* pieces = nullptr;
    for (std::size_t at = 0, i = 0; at < size && !pieces; ++i) {
        const std::size_t piece = 1 + data[i % size] % 64;
        pieces = cut.Feed(all.substr(at, piece));
        at += piece;
    }
    if (whole.Heads() != cut.Heads() || !once != !pieces) __builtin_trap();
    if (once && (once->status != pieces->status || once->message.empty())) __builtin_trap();
    return 0;
}
