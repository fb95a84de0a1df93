// The station in the language of its config: a refused document's .why, and
// the log line that says where it went, in plain English.
#include "station_fixture.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

TEST_F(StationTest, SaysWhyADocumentIsRefusedInTheConfigsLanguage) {
    const QString lathe = Sim({"--model", "r40", "--role", "input", "--out", Path("r40.held")});
    ASSERT_FALSE(lathe.isEmpty());
    config_ = "[station]\nlanguage = en\n";
    Machine("lathe", lathe, "r40");
    Drop("lathe", "empty.txt", "");
    StartStation();
    ASSERT_TRUE(WaitUntil([&] { return Files("lathe/out/refused").size() == 2; }, 30s)) << Log();
    const QStringList refused = Files("lathe/out/refused");
    EXPECT_EQ(ReadAll(Path("lathe/out/refused/" + refused[1])),
              "There is nothing to send: the document is empty. Open or type the program "
              "first.\n");
    EXPECT_EQ(Said("empty.txt refused, now refused/" + refused[0].toStdString() +
                   " (the .why beside it says why)"),
              1u)
        << Log();
    // The journal keeps the original text, whatever the language.
    EXPECT_EQ(Outcomes("lathe", "send"), "refused");
    const auto rows = Rows("lathe");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(rows[0].end);
    EXPECT_EQ(rows[0].end->message, "Can not dispatch empty space document!");
}

}  // namespace
}  // namespace taplink
