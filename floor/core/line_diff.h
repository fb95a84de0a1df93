// Two documents compared line by line, as the page of a transfer shows what
// changed since the document sent to or received from that machine before.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace taplink {

enum class LineChange { Equal, Removed, Added };

// A run of lines of one kind. first is the 0-based line of the run in the
// document it comes from: the old one for Equal and Removed, the new one
// for Added; otherFirst is where the run stands in the other document.
struct DiffHunk {
    LineChange change = LineChange::Equal;
    std::size_t first = 0;
    std::size_t otherFirst = 0;
    std::vector<std::string> lines;
    bool operator==(const DiffHunk&) const = default;
};

// Beyond this many removed and added lines the comparison gives up looking
// for the fewest: what is left after the common part found so far shows as
// removed, then added. Two 64 KiB documents at their worst then take a
// fraction of a second and a few megabytes (the search keeps about
// kMaxDiffEdits squared numbers).
inline constexpr int kMaxDiffEdits = 1000;

// The old document's lines turned into the new one's with the fewest lines
// removed and added (within kMaxDiffEdits), in order: Equal runs, and
// between them Removed before Added. Lines end in LF or CR LF, which compare
// equal (the controller gets CR LF either way); a last line without its end
// is a line. Two empty documents give no hunk.
std::vector<DiffHunk> LineDiff(std::string_view oldText, std::string_view newText,
                               int maxEdits = kMaxDiffEdits);

}  // namespace taplink
