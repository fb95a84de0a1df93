// Names from the network: every way out of a folder, into the station's
// hidden files or into a log line is refused, with why; any other name in
// any script is taken.
#include "document_name.h"

#include <gtest/gtest.h>

#include <string>

namespace taplink {
namespace {

TEST(DocumentName, RefusesHostileNamesSayingWhyAndTakesTheRest) {
    const std::string dot = "the name starts with a dot, as the station's hidden files do";
    const std::string utf8 = "the name is not UTF-8 text";
    struct Case {
        std::string name, reason;  // reason empty: taken
    };
    const Case cases[] = {
        {"", "the name is empty"},
        {".", "the name . is a folder's"},
        {"..", "the name .. is a folder's"},
        {"../x", "the name holds a /, which separates folders"},
        {".hidden", dot},
        {"a/b", "the name holds a /, which separates folders"},
        {"a\\b", "the name holds a \\, which separates folders"},
        {"a\x01"
         "b",
         "the name holds a control character (U+0001)"},
        {"a\x7f", "the name holds a control character (U+007F)"},
        {"a\xc2\x85", "the name holds a control character (U+0085)"},
        {std::string(300, 'a'), "the name is 300 bytes long; a file's name is at most 255"},
        {std::string(255, 'a'), ""},
        {[] {
             std::string s;
             for (int i = 0; i < 128; ++i)
                 s += "é";
             return s;
         }(),
         "the name is 256 bytes long; a file's name is at most 255"},
        {"\xff.txt", utf8},
        {"a\xc0\xaf"
         "b",
         utf8},                       // '/' in an overlong form
        {"a\xed\xa0\x80", utf8},      // a surrogate
        {"a\xc2", utf8},              // cut short
        {"a\xf4\x90\x80\x80", utf8},  // past U+10FFFF
        {"程序 O1234.nc", ""},
        {"x..y.", ""},
        {"🔧 tool-change.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckDocumentName(c.name).value_or(""), c.reason);
    }
}

}  // namespace
}  // namespace taplink
