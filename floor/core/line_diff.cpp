#include "line_diff.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace taplink {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

using Match = std::pair<std::size_t, std::size_t>;  // a line of each that stay

// Myers' greedy forward search for the longest common subsequence of a and
// b, keeping each step's furthest points for the walk back. After maxEdits
// steps it stops at the point that got furthest, leaving the rest unmatched.
std::vector<Match> Myers(const std::vector<int>& a, const std::vector<int>& b, int maxEdits) {
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    const int most = std::min(n + m, maxEdits);
    // v[k + offset]: the furthest x on diagonal k = x - y.
    const int offset = most + 1;
    std::vector<int> v(2 * offset + 1, 0);
    std::vector<std::vector<int>> trace;  // v over [-d, d] after each step d
    int endD = -1, endK = 0;
    for (int d = 0; d <= most && endD < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            const bool down = k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]);
            int x = down ? v[offset + k + 1] : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y])
                ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m && endD < 0) endD = d, endK = k;
        }
        trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
    }
    if (endD < 0) {
        // Out of edits: the point nearest the end, by lines passed.
        endD = most;
        int best = -1;
        for (int k = -most; k <= most; k += 2) {
            const int x = trace[most][k + most];
            const int y = x - k;
            if (x <= n && y >= 0 && y <= m && x + y > best) best = x + y, endK = k;
        }
    }
    std::vector<Match> matches;
    int x = trace[endD][endK + endD];
    int y = x - endK;
    for (int d = endD; d >= 0; --d) {
        const int k = x - y;
        int startX = 0, startY = 0;
        if (d > 0) {
            const std::vector<int>& before = trace[d - 1];
            const auto at = [&](int kk) { return before[kk + d - 1]; };
            const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
            const int prevK = down ? k + 1 : k - 1;
            const int prevX = at(prevK);
            startX = down ? prevX : prevX + 1;
            startY = startX - k;
            while (x > startX && y > startY)
                matches.emplace_back(--x, --y);
            x = prevX;
            y = prevX - prevK;
        } else {
            while (x > 0 && y > 0)
                matches.emplace_back(--x, --y);
        }
    }
    std::reverse(matches.begin(), matches.end());
    return matches;
}

void Add(std::vector<DiffHunk>& out, LineChange change, std::size_t first, std::size_t otherFirst,
         std::string_view line) {
    if (out.empty() || out.back().change != change ||
        out.back().first + out.back().lines.size() != first) {
        out.push_back({change, first, otherFirst, {}});
    }
    out.back().lines.emplace_back(line);
}

}  // namespace

std::vector<DiffHunk> LineDiff(std::string_view oldText, std::string_view newText, int maxEdits) {
    const std::vector<std::string_view> a = Lines(oldText);
    const std::vector<std::string_view> b = Lines(newText);
    // The common head and tail cost nothing to find.
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    // Lines as numbers; a line that only one side has can be in no common
    // part, so only the lines both have are searched (a rewritten
    // document costs nothing this way).
    std::unordered_map<std::string_view, int> ids;
    std::vector<int> idA, idB;
    std::vector<char> inA, inB;
    const auto id = [&](std::string_view line) {
        return ids.try_emplace(line, static_cast<int>(ids.size())).first->second;
    };
    for (std::size_t i = head; i < a.size() - tail; ++i)
        idA.push_back(id(a[i]));
    for (std::size_t j = head; j < b.size() - tail; ++j)
        idB.push_back(id(b[j]));
    inA.assign(ids.size(), 0);
    inB.assign(ids.size(), 0);
    for (const int i : idA)
        inA[i] = 1;
    for (const int j : idB)
        inB[j] = 1;
    std::vector<int> keptA, keptB;  // the searched lines, and where they are
    std::vector<std::size_t> whereA, whereB;
    for (std::size_t i = 0; i < idA.size(); ++i) {
        if (inB[idA[i]]) keptA.push_back(idA[i]), whereA.push_back(head + i);
    }
    for (std::size_t j = 0; j < idB.size(); ++j) {
        if (inA[idB[j]]) keptB.push_back(idB[j]), whereB.push_back(head + j);
    }
    std::vector<Match> matches;
    for (std::size_t i = 0; i < head; ++i)
        matches.emplace_back(i, i);
    for (const auto& [i, j] : Myers(keptA, keptB, maxEdits))
        matches.emplace_back(whereA[i], whereB[j]);
    for (std::size_t t = tail; t > 0; --t)
        matches.emplace_back(a.size() - t, b.size() - t);
    matches.emplace_back(a.size(), b.size());  // the ends, which always meet

    std::vector<DiffHunk> out;
    std::size_t i = 0, j = 0;
    for (const auto& [mi, mj] : matches) {
        for (; i < mi; ++i)
            Add(out, LineChange::Removed, i, j, a[i]);
        for (; j < mj; ++j)
            Add(out, LineChange::Added, j, i, b[j]);
        if (i < a.size()) Add(out, LineChange::Equal, i++, j++, a[mi]);
    }
    return out;
}

}  // namespace taplink
