// The line difference: the fewest lines removed and added for the usual
// edits, and a correct (if longer) difference within bounds at the worst.
#include "line_diff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace taplink {
namespace {

// "=0/0[a,b]": the change, first/otherFirst and the lines of each hunk.
std::string Show(const std::vector<DiffHunk>& hunks) {
    std::string s;
    for (const DiffHunk& h : hunks) {
        if (!s.empty()) s += ' ';
        s += h.change == LineChange::Equal ? '=' : h.change == LineChange::Removed ? '-' : '+';
        s += std::to_string(h.first) + '/' + std::to_string(h.otherFirst) + '[';
        for (std::size_t i = 0; i < h.lines.size(); ++i)
            s += (i ? "," : "") + h.lines[i];
        s += ']';
    }
    return s;
}

// The old and the new document, each as its lines ending in LF.
std::pair<std::string, std::string> Sides(const std::vector<DiffHunk>& hunks) {
    std::string before, after;
    for (const DiffHunk& h : hunks) {
        for (const std::string& line : h.lines) {
            if (h.change != LineChange::Added) before += line + '\n';
            if (h.change != LineChange::Removed) after += line + '\n';
        }
    }
    return {before, after};
}

TEST(LineDiff, FindsTheFewestChanges) {
    struct Case {
        const char *name, *before, *after, *diff;
    };
    const Case cases[] = {
        {"both empty", "", "", ""},
        {"identical but for line ends", "a\nb\n", "a\r\nb", "=0/0[a,b]"},
        {"from nothing", "", "a\nb\n", "+0/0[a,b]"},
        {"to nothing", "a\nb\n", "", "-0/0[a,b]"},
        {"all different", "a\nb\n", "c\nd\n", "-0/0[a,b] +0/2[c,d]"},
        {"an insertion in the middle", "a\nb\nc\n", "a\nb\nX\nc\n", "=0/0[a,b] +2/2[X] =2/3[c]"},
        {"a line changed", "a\nb\nc\n", "a\nB\nc\n", "=0/0[a] -1/1[b] +1/2[B] =2/2[c]"},
        {"a line moved", "a\nb\nc\n", "b\nc\na\n", "-0/0[a] =1/0[b,c] +2/3[a]"},
        {"empty lines count", "a\n\nb\n", "a\nb\n\n", "=0/0[a] -1/1[] =2/1[b] +2/3[]"},
        {"between a common head and tail", "x\na\nb\nc\ny\n", "x\nb\nq\nc\na\ny\n",
         "=0/0[x] -1/1[a] =2/1[b] +2/3[q] =3/3[c] +4/4[a] =4/5[y]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Show(LineDiff(c.before, c.after)), c.diff);
    }
}

// Two 64 KiB documents of short lines from two letters, shuffled: far more
// changes than the search looks for. The difference still turns one into
// the other.
TEST(LineDiff, StaysBoundedAtTheWorstAndStillCorrect) {
    std::mt19937 random(24);
    std::string before, after;
    while (before.size() < (64 << 10))
        before += (random() & 1) ? "A\n" : "B\n";
    while (after.size() < (64 << 10))
        after += (random() & 1) ? "A\n" : "B\n";
    const std::vector<DiffHunk> hunks = LineDiff(before, after);
    EXPECT_EQ(Sides(hunks), std::make_pair(before, after));
    // With one edit allowed, a difference that needs three is still right.
    EXPECT_EQ(Sides(LineDiff("a\nb\nc\n", "c\nb\na\n", 1)),
              std::make_pair(std::string("a\nb\nc\n"), std::string("c\nb\na\n")));
}

}  // namespace
}  // namespace taplink
