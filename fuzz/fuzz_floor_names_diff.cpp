// Any bytes as a name from the network, and split in two as documents to
// compare: a name taken holds no way out of its folder, and the difference
// turns the old document's lines into the new one's.
#include <cstdint>
#include <string>
#include <string_view>

#include "document_name.h"
#include "line_diff.h"

namespace {

// The lines of text, each ending in LF, as the difference reads them.
std::string Normalised(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        out.append(line).push_back('\n');
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    if (!taplink::CheckDocumentName(all)) {
        if (all.empty() || all.size() > taplink::kMaxNameBytes || all.front() == '.' ||
            all.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) {
            __builtin_trap();
        }
    }
    if (size == 0) return 0;
    const std::size_t split = 1 + data[0] * (size - 1) / 256;
    const std::string_view before = all.substr(1, split - 1);
    const std::string_view after = all.substr(split);
    // A small budget as well, so that the search's giving up is reached.
    for (const int edits : {taplink::kMaxDiffEdits, 3}) {
        std::string old, now;
        for (const taplink::DiffHunk& h : taplink::LineDiff(before, after, edits)) {
            if (h.lines.empty()) __builtin_trap();
            for (const std::string& line : h.lines) {
                if (h.change != taplink::LineChange::Added) old.append(line).push_back('\n');
                if (h.change != taplink::LineChange::Removed) now.append(line).push_back('\n');
            }
        }
        if (old != Normalised(before) || now != Normalised(after)) __builtin_trap();
    }
    return 0;
}
