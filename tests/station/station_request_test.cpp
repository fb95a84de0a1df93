// Requests from the controller: what a request asks for, which library
// document answers it, and a station answering simulated controllers that
// output a request and then go into input.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <QDir>
#include <QTemporaryDir>
#include <deque>

#include "controller_sim.h"
#include "dialog_state.h"
#include "pty_pair.h"
#include "request.h"
#include "station_fixture.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

TEST(Request, TellsTheWantedProgramOrWhyNot) {
    // clang-format off
    struct Case { const char *name, *document; char word; int number; const char* why; };
    const Case cases[] = {
        {"as the editor numbers it", "%98\r\nN0000 P12\r\n", 'P', 12, ""},
        {"an R80's, no block number", "%098\r\n P012\r\n\r\n", 'P', 12, ""},
        {"among other words, another letter", "%98\nN0000 G04 L7 X1\n", 'L', 7, ""},
        {"blank lines before the block", "%98\r\n\r\n  \r\nP5\r\n", 'P', 5, ""},
        {"no block", "%98\r\n\r\n", 'P', -1, "it has no block after its program number"},
        {"no word", "%98\r\nN0000 G00\r\n", 'P', -1, "its first block N0000 G00 has no P"},
        {"no number", "%98\r\nN0000 P\r\n", 'P', -1, "the P of its first block N0000 P is no program number"},
        {"a fraction", "%98\r\nN0000 P1.5\r\n", 'P', -1, "is no program number"},
        {"five digits", "%98\r\nN0000 P12345\r\n", 'P', -1, "is no program number"},
        {"twice", "%98\r\nN0000 P1 P2\r\n", 'P', -1, "its first block N0000 P1 P2 has P twice"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Wanted w = WantedProgram(c.document, c.word);
        EXPECT_EQ(w.number.value_or(-1), c.number);
        EXPECT_TRUE(w.why.contains(c.why)) << w.why.toStdString();
    }
    for (const char* none : {"", "98\r\n", "%\r\n", "%98 P12\r\n", "%12345\r\n", "O98\r\n"})
        EXPECT_EQ(ProgramNumber(none), std::nullopt) << none;
    EXPECT_EQ(ProgramNumber("%098  \r\nN0000"), 98);
}

TEST(Request, FindsTheNewestLibraryDocumentOfTheNumberAsTheModelWritesIt) {
    QTemporaryDir dir;
    // Each file written `age` seconds ago.
    const auto put = [&](const QString& name, const std::string& bytes, int age) {
        const QString path = dir.filePath(name);
        EXPECT_EQ(WriteFileBytes(path.toStdString(), bytes), std::nullopt);
        const timeval at[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
        ::utimes(QFile::encodeName(path).constData(), at);
    };
    put("a.txt", "%12\r\nN0000 G00\r\n", 30);
    put("b.txt", "%12\r\nN0000 G01\r\n", 20);  // newer: it answers
    put("c.txt", "%012\r\nG00\r\n", 10);       // an R80's
    put("12.txt", "%13\r\n", 1);               // named 12, numbered 13
    put("7.txt", "G00\r\n", 5);                // named, no number inside
    put("077.txt", "", 5);
    put(".hidden", "%12\r\n", 0);
    put("999.ldx", "TOTALSTEPS", 5);
    put("999.ld2", "%999\r\n", 0);
    QDir(dir.path()).mkdir("%12");
    // clang-format off
    struct Case { int model, wanted; const char* found; };
    const Case cases[] = {
        {kModelR40, 12, "b.txt"}, {kModelR80, 12, "c.txt"}, {kModelR40, 13, "12.txt"},
        {kModelR40, 7, "7.txt"}, {kModelR80, 77, "077.txt"}, {kModelR80, 999, "999.ldx"},
        {kModelR40, 999, ""}, {kModelR40, 14, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.model << " " << c.wanted);
        const Found f = FindInLibrary(dir.path(), c.model, c.wanted);
        EXPECT_EQ(QFileInfo(f.path).fileName(), c.found);
        if (!*c.found) {
            EXPECT_EQ(f.why, c.wanted == 14
                                 ? "no program %14 in the library " + dir.path()
                                 : QStringLiteral("%999 is no program number of the R40/R60"));
        }
    }
    EXPECT_EQ(FindInLibrary(dir.filePath("none"), kModelR40, 12).why,
              "the library " + dir.filePath("none") + " is not there");
}

// A controller on a pseudo-terminal, played by the simulator in the test:
// it outputs what it is given, or takes what it is sent.
struct Controller {
    Controller(const char* n, sim::Model m, bool e) : name(n), model(m), early(e) {}
    const char* name;
    sim::Model model;
    bool early;  // into input while the machine rests, not once it listens
    testing::PtyPair pty;
    std::unique_ptr<sim::ControllerSim> sim;
    QElapsedTimer clock;
    bool input = false;
    void Play(sim::Role role, const std::string& document = {}) {
        sim::Config c;
        c.model = model;
        c.role = role;
        input = role == sim::Role::Input;
        c.document.assign(document.begin(), document.end());
        sim = std::make_unique<sim::ControllerSim>(c);
        // Into input once the station listens (asks for output): a ready said
        // while it opens its port anew is lost, on any line.
        if (input && !early)
            testing::WaitFor([&] { return std::ranges::count(pty.Read(1ms), Request()); }, 10s);
        pty.Read(1ms);  // what the station wrote to the controller before
        if (!clock.isValid()) clock.start();
        for (const sim::Write& w : sim->Start(std::chrono::milliseconds{clock.elapsed()}))
            pty.Write(w.bytes);
    }
    std::uint8_t Request() const { return model == sim::Model::R80 ? 0x13 : 0x12; }
    // What the station wrote goes to the simulator; whether it is done.
    bool Serve() {
        Bytes in = pty.Read(1ms);
        // The request bytes of a station that listens may cross the ready of
        // a controller put into input, which waits for a frame's first byte.
        if (sim && input && sim->Status().starts_with("waiting for the"))
            in.erase(in.begin(), std::find_if(in.begin(), in.end(),
                                              [&](std::uint8_t b) { return b != Request(); }));
        if (!sim || in.empty()) return sim && sim->Done();
        for (const sim::Write& w : sim->OnBytes(in, std::chrono::milliseconds{clock.elapsed()}))
            pty.Write(w.bytes);
        return sim->Done();
    }
    std::string Taken() const {
        return std::string(sim->Received().begin(), sim->Received().end());
    }
};

class RequestTest : public StationTest {
  protected:
    // Until the controller is done, with the station in that state.
    bool Exchange(std::deque<Controller>& lines, const std::function<QString(Controller&)>& state) {
        return WaitUntil(
            [&] {
                return std::all_of(lines.begin(), lines.end(), [&](Controller& c) {
                    return c.Serve() && State(c.name) == state(c);
                });
            },
            30s);
    }
};

// Two machines, an R40 and an R80, share one library: each controller
// outputs a request for program 12, then goes into input and takes the
// library's program 12 as its model writes it. Asked again, and once more
// while that copy waits, after the library has a newer one: the station
// listens while the copy waits, the copy is replaced, and the controller
// takes the newer one, once. A request for a program the library lacks, and
// one for a program the checks refuse, are kept in the inbox, with why. (A
// "Memory" controller holds an image, not programs: it makes no requests.)
TEST_F(RequestTest, AnswersFromTheLibraryWhatTheControllerAsksFor) {
    std::deque<Controller> lines;
    lines.emplace_back("lathe", sim::Model::R40, false);
    lines.emplace_back("mill", sim::Model::R80, true);
    for (Controller& c : lines) {
        Machine(c.name, QString::fromStdString(c.pty.SlavePath()),
                c.model == sim::Model::R80 ? "r80" : "r40",
                QStringLiteral("library = lib\nrequest = 98\nrest = %1").arg(c.early ? 1 : 0.2));
    }
    const std::string r40 = "%12\r\nN0000 G00 X10\r\nN0010 M30\r\n";
    const std::string r80 = "%012\r\nG00 X10\r\nM30\r\n";
    QDir().mkpath(Path("lib"));
    Put("lib/12.txt", r40);
    Put("lib/part.txt", r80);
    // A lone CR: refused by the checks of either model.
    Put("lib/13.txt", "%13\r\nN0000 G00 X10\r\n\r");
    Put("lib/013.txt", "%013\r\nG00 X10\r\n\r");
    const auto request = [](const Controller& c, int number) {
        return (c.model == sim::Model::R80 ? "%098\r\n P" : "%98\r\nN0000 P") +
               std::to_string(number) + "\r\n";
    };
    const auto asked = [&](const char* r40Copy, const char* r80Copy) {
        for (Controller& c : lines)
            c.Play(sim::Role::Output, request(c, 12));
        return Exchange(lines, [&](Controller& c) {
            return QStringLiteral("request for 12: waiting for the controller to take %1")
                .arg(c.model == sim::Model::R80 ? r80Copy : r40Copy);
        });
    };
    StartStation();
    for (const std::string& changed : {std::string(), std::string("G01 X20\r\n")}) {
        SCOPED_TRACE(changed);
        ASSERT_TRUE(asked("12.txt", "part.txt")) << Log();
        if (!changed.empty()) {
            QThread::msleep(1100);  // a newer modification time, to the second
            Put("lib/12.txt", r40 + changed);
            Put("lib/newest.txt", r80 + changed);
            ASSERT_TRUE(asked("12.txt", "newest.txt")) << Log();
        }
        for (Controller& c : lines) {
            // One copy waits, the newest.
            const QString out = QString(c.name) + "/out";
            ASSERT_EQ(Files(out).size(), 1);
            EXPECT_EQ(ReadAll(Path(out + "/" + Files(out)[0])),
                      (c.model == sim::Model::R80 ? r80 : r40) + changed);
            c.Play(sim::Role::Input);
        }
        ASSERT_TRUE(Exchange(lines, [](Controller&) {
            return QStringLiteral("listening for the controller to output");
        })) << Log();
        for (const Controller& c : lines) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.Taken(),
                      c.model == sim::Model::R80 ? r80 + changed + "\r\n" : r40 + changed);
        }
    }
    // The library keeps its own; the outboxes sent what they were given, once.
    EXPECT_EQ(QDir(Path("lib")).entryList(QDir::Files).size(), 5);
    EXPECT_EQ(ReadAll(Path("lib/part.txt")), r80);
    for (const Controller& c : lines) {
        EXPECT_EQ(Files(QString(c.name) + "/out/sent").size(), 2u);
        EXPECT_TRUE(Files(QString(c.name) + "/in").isEmpty());
    }
    // Not found, refused: nothing sent, the request kept with why.
    for (int number : {14, 13}) {
        for (Controller& c : lines)
            c.Play(sim::Role::Output, request(c, number));
        const auto why = [&](const Controller& c) {
            const bool r80 = c.model == sim::Model::R80;
            return number == 14
                       ? QStringLiteral("no program %1 in the library").arg(r80 ? "%014" : "%14")
                       : QStringLiteral("%1 is refused: ").arg(r80 ? "013.txt" : "13.txt");
        };
        ASSERT_TRUE(WaitUntil(
            [&] {
                return std::all_of(lines.begin(), lines.end(), [&](Controller& c) {
                    return c.Serve() && State(c.name).contains(why(c));
                });
            },
            30s))
            << Log();
    }
    for (const Controller& c : lines) {
        SCOPED_TRACE(c.name);
        const QStringList kept = Files(QString(c.name) + "/in");
        ASSERT_EQ(kept.size(), 2);
        EXPECT_TRUE(kept[0].startsWith(c.model == sim::Model::R80 ? "request-098_" : "request-98_"))
            << kept[0].toStdString();
        EXPECT_EQ(Outcomes(c.name, "request"), "done, done, done, refused, refused");
        EXPECT_EQ(Outcomes(c.name, "send"), "done, done");
    }
    EXPECT_NE(Log().find("request for 14 not answered: no program %14 in the library"),
              std::string::npos)
        << Log();
    Terminate();
}

}  // namespace
}  // namespace taplink
