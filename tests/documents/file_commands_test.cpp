// Documents on disk: the ladder document's conversion and merge, Open and
// Save over the window services, and the writer every save goes through
// (awkward targets, a writer killed in the middle, a full disk), on real
// files in a scratch folder.
#include "file_commands.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>

#include "fake_window_services.h"
#include "file_io.h"
#include "ladder.h"
#include "small_disk.h"
#include "transfer_rig.h"

namespace taplink {
namespace {

namespace fs = std::filesystem;
using Result = std::variant<std::string, Message>;

TEST(LadderConversion, LinesAsTheLadderSoftwareWritesThem) {
    // Each text line after "%999" and head office number 2, and its converted line.
    const std::pair<std::string, std::string> cases[] = {
        {"00000010LD X12.3", "00000010LD      X0012.3"},
        {"00000000AND R5 D7", "00000000AND     R0005 D0007"},
        {"00000000MOV DZ", "00000000MOV     DZ"},
        {"00000000MOV DC5", "00000000MOV     DC0005"},
        {"00000000OUT R12345", "00000000OUT     R12345"},
        {"00000000AND   X1    Y2", "00000000AND     X0001 Y0002"},
        {"00000000TMR 1 T2", "00000000TMR     0001 T0002"},
        {"00000000SUB 1 2 R3", "00000000SUB     0001 2 R0003"},
        {"00000000SUB 27\r\n00000001LD X1", "00000000SUB     0027\r\n00000001LD      X0001"},
        {"00000000ABCDEFGHIJ X1", "00000000ABCDEFGHX0001"},  // the columns are fixed
        {"00000000LD X", "00000000LD      X0000"},
        {"00000000CODB 1 4 R0 R1 10,20,30,40",
         "00000000CODB    0001 0004 R0000 R0001 , 10,20,30,40"},
        {"00000000CODB 1 4 R0 R1 ,10,20", "00000000CODB    0001 0004 R0000 R0001 ,10,20"},
        {"00000000OODB 1", "00000000CODB    0001"},
        // CODB lines in a row; when they are short, the comma's column falls
        // into the next one, whose own columns then see the inserted text.
        {"00000000CODB 12 345 R10 R11 1,2,3\r\n00000001CODB 1 4 R0 R1 , 5, 6",
         "00000000CODB    0012 0345 R0010 R0011 , 1,2,3\r\n"
         "00000001CODB    0001 0004 R0000 R0001 , 5, 6"},
        {"00000000CODB 1 2\r\n00000001CODB 1 2",
         "00000000CODB    0001 2\r\n00000001CODB  ,  0001 2"},
        {"00000000CODB DZ\r\n00000001CODB 1 4 R0 R1 7,8",
         "00000000CODB    DZ\r\n00000001CODB    00, 00001 4 R0000 R000, 1 7,8"},
        {"00000000CODB 1 12345 R0 R1 7,8", "00000000CODB    0001 12345 R0000 R0001, 7,8"},
        {"00000000CODB 1 A4 R0 R1 7,8", "00000000CODB    0001 A0004 R0000 R0001 7,8"},
        {"00000000CODB 1 4 R0 R1 ,", "00000000CODB    0001 0004 R0000 R0001 ,"},
        {"00000000LD X1\r\n", "00000000LD      X0001\r\n"},  // nothing read past the end
        {"0001", "0001"},                                    // a line too short for its step field
    };
    for (const auto& [line, converted] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n" + line + "\r\n", "2"),
                  "2\r\n" + converted + "\r\n");
    }
    // A CODB without a table: its comma goes between CR and LF.
    EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n00000000CODB 1 4 R0 R1\r\n", "2"),
              "2\r\n00000000CODB    0001 0004 R0000 R0001\r, \n");
    // A CODB on the last line without a line end, or ending before its table.
    EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n00000000CODB 1 4 R0 R1 10,20", "2"),
              "2\r\n00000000CODB    0001 0004 R0000 R0001 , 10,20");
    EXPECT_EQ(ConvertToLadderSection("%999\r\n00000002\r\n00000000CODB 1 4", "2"),
              "2\r\n00000000CODB    0001 0004");
}

const std::string kLadderFile = "HEAD\x01 stuff\r\nTOTALSTEPS 3\r\n00000000LD      X0001\r\n" +
                                std::string("END_PLC_ORGANIZATION\r\ntail\0bytes", 32);

TEST(LadderDocument, TheSectionBetweenTheMarkersWithEightDigitsOfSteps) {
    EXPECT_EQ(LoadLadderSection(kLadderFile), Result("00000003\r\n00000000LD      X0001\r\n"));
    for (const char* kept : {"123456789\r\n", "12a\r\n", "\r\n", "12"}) {
        EXPECT_EQ(LoadLadderSection("TOTALSTEPS " + std::string(kept) + "END_PLC_ORGANIZATION"),
                  Result(kept));
    }
    for (const char* damaged : {"TOTALSTEPS 3\r\n", "END_PLC_ORGANIZATION",
                                "END_PLC_ORGANIZATION TOTALSTEPS 1\r\n", "TOTALSTEPSEND_PLC"}) {
        EXPECT_EQ(LoadLadderSection(damaged), Result(msg::kLadderDamaged)) << damaged;
    }
}

TEST(LadderDocument, SavingChecksTheTextThenReplacesOnlyTheSection) {
    // What a good text makes of the file is seen through Save, below.
    const std::string good =
        "%999\r\n00000123\r\n00000000LD X1\r\n00000001END1\r\n00000002END2\r\n";
    const std::pair<const char*, const Message*> refusals[] = {
        {"%123\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {" %999\r\n00000001\r\nEND1 END2", &msg::kPlcMustBegin999},
        {"%999\r\n00000001\r\n00000000END1\r\n", &msg::kPlcNeedsEnd1End2},
        {"%999END1END2", &msg::kPlcLayoutWrong},
        {"%9999\r\n00000001\r\nEND1 END2", &msg::kPlcLineEndAfterNumber},
        {"%999\r\n000000123\r\nEND1 END2", &msg::kPlcLineEndAfterNumber},
        {"%999\r\n00000000\r\n00000000END1\r\n00000001END2\r\n", &msg::kPlcHeadOfficeZero},
    };
    for (const auto& [text, message] : refusals) {
        EXPECT_EQ(MergeIntoLadder(kLadderFile, text), Result(*message)) << text;
    }
    // Files that Open calls damaged are refused on Save too, never a crash.
    for (const char* damaged :
         {"END_PLC_ORGANIZATION\r\nTOTALSTEPS", "TOTALSTEPSEND_PLC_ORGANIZATION"}) {
        EXPECT_EQ(MergeIntoLadder(damaged, good), Result(msg::kLadderDamaged)) << damaged;
    }
    // The backup is named from the file name's own extension.
    EXPECT_EQ(LadderBackupPath("plc.ldx.d/main.ldx"), "plc.ldx.d/main_bak.ldx");
    EXPECT_EQ(LadderBackupPath("MAIN.LDX"), "MAIN_bak.LDX");
    EXPECT_EQ(LadderBackupPath("a.b/main"), "a.b/main_bak");
    // A name too long for "_bak" gives up the end of its stem, whole characters.
    std::string e250;
    for (int i = 0; i < 125; ++i)
        e250 += "\xC3\xA9";
    EXPECT_EQ(LadderBackupPath("d/" + e250 + ".ldx"), "d/" + e250.substr(0, 246) + "_bak.ldx");
}

// The window, its state and the file commands for one model.
struct Rig {
    explicit Rig(int model) : files(win, st, [model] { return model; }) {}
    testing::FakeWindowServices win;
    DialogState st;
    FileCommands files;
};

// A file dialog as "open"/"save", its default extension and its filter.
std::string Shown(const WindowServices::FileDialog& d) {
    return (d.save ? "save " : "open ") + d.defaultExtension + " " + d.filter;
}

// A scratch folder of the test's own (each test runs in its own process).
class Scratch : public ::testing::Test {
  protected:
    Scratch() {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~Scratch() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) {
        EXPECT_FALSE(WriteFileBytes(Path(name), bytes).has_value());
        return Path(name);
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(Path(name)).bytes; }

    const fs::path dir_ =
        fs::temp_directory_path() / ("taplink-files-" + std::to_string(::getpid()));
};
using FileCommandsTest = Scratch;

TEST_F(FileCommandsTest, TextOpensAndSavesByteExactAndFailuresNameFileAndReason) {
    Rig r(kModelR40);
    const std::string bytes = std::string("%12\nN0000 G00\0X1\r\n\xD6\xD0", 20);
    r.win.fileAnswers = {Write("prog.txt", bytes), Path("copy.txt"), Path("PROG.TXT"),
                         Path("no-such-folder/prog.txt"), Path("missing.txt")};
    r.files.OnOpenFile();
    EXPECT_EQ(r.win.saveQueries, 0);  // the editor was empty
    EXPECT_EQ(r.win.editorText, bytes);
    EXPECT_TRUE(r.files.OnSaveFile());
    EXPECT_TRUE(r.files.OnSaveFile());  // upper-case TXT is a text file too
    EXPECT_EQ(Read("copy.txt"), bytes);
    EXPECT_EQ(Read("PROG.TXT"), bytes);
    EXPECT_EQ(Shown(r.win.fileDialogs[0]), "open txt G指令文件(*.txt)|*.txt|所有文件(*)|*||");
    EXPECT_EQ(Shown(r.win.fileDialogs[1]), "save txt Text File(*.txt)|*.txt||");

    EXPECT_FALSE(r.files.OnSaveFile());
    r.files.OnOpenFile();  // the save query answers "no"
    EXPECT_EQ(r.win.editorText, bytes);
    ASSERT_EQ(r.win.messages.size(), 2u);
    EXPECT_EQ(r.win.messages[0],
              (Message{"Cannot write the file " + Path("no-such-folder/prog.txt") +
                           ".\nError: No such file or directory",
                       "TAPLINK", MessageIcon::Stop}));
    EXPECT_EQ(r.win.messages[1].text, "Cannot read the file " + Path("missing.txt") +
                                          ".\nError: No such file or directory");
}

TEST_F(FileCommandsTest, NothingIsDroppedUntilANewDocumentIsLoaded) {
    // The answer to the save query (1 yes, 2 no), the file dialogs' answers.
    // clang-format off
    struct Case { const char* name; int answer; std::vector<std::optional<std::string>> files; std::string editorAfter; };
    // clang-format on
    const Case cases[] = {
        {"NoThenCancel", 2, {std::nullopt}, "%12\r\nN0000"},
        {"YesThenCancelledSave", 1, {std::nullopt}, "%12\r\nN0000"},
        {"YesSavedThenCancel", 1, {Path("kept.txt"), std::nullopt}, "%12\r\nN0000"},
        {"NoThenLoad", 2, {Write("next.txt", "%34\r\n")}, "%34\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(kModelR40);
        r.win.editorText = "%12\r\nN0000";
        r.win.saveQueryAnswer = c.answer;
        r.win.fileAnswers = c.files;
        r.files.OnOpenFile();
        EXPECT_EQ(r.win.saveQueries, 1);
        EXPECT_EQ(r.win.editorText, c.editorAfter);
        EXPECT_EQ(r.st.m_strText, c.editorAfter);
        EXPECT_EQ(r.win.fileDialogs.size(), c.files.size());
    }
    EXPECT_EQ(Read("kept.txt"), "%12\r\nN0000");
}

TEST_F(FileCommandsTest, R80OpensTextLadderAndNewFormatDocuments) {
    Write("plc.ld2.txt", "LD X0001\r\nEND1\r\n");
    Write("plc.ldx", "x TOTALSTEPS 2\r\n00000000END1\r\n00000001END2\r\nEND_PLC_ORGANIZATION y");
    Write("bad.ldx", "x TOTALSTEPS 2\r\n");
    Write("prog.txt", "%123\r\nG00\r\n");
    Write("PLC2.LDX", "x TOTALSTEPS 1\r\n00000000END1\r\nEND_PLC_ORGANIZATION");
    Write("box", "%123\r\n");
    fs::create_directories(Path("dir.ldx"));
    // The editor's text ("": unchanged), and the message if any.
    // clang-format off
    struct Case { std::string file; int kind; std::string editor; std::optional<Message> message{}; };
    // clang-format on
    const Case cases[] = {
        {"plc.ld2", kDocNewLadder, "%999\r\nLD X0001\r\nEND1\r\n"},
        {"plc.ldx", kDocLadder, "%999\r\n00000002\r\n00000000END1\r\n00000001END2\r\n"},
        {"prog.txt", kDocText, "%123\r\nG00\r\n"},
        {"other.ld2", kDocNone, "", msg::kPlcDocumentMissing},
        {"bad.ldx", kDocNone, "", msg::kLadderDamaged},
        // Not the "not found" of a missing document: a read failure says why.
        {"dir.ldx", kDocNone, "",
         Message{"Cannot read the file " + Path("dir.ldx") + ".\nError: Is a directory", "TAPLINK",
                 MessageIcon::Stop}},
        // One rule for Open and Save: the extension, in any case.
        {"PLC2.LDX", kDocLadder, "%999\r\n00000001\r\n00000000END1\r\n"},
        {"box", kDocText, "%123\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Rig r(kModelR80);
        r.win.fileAnswers = {Path(c.file)};
        r.files.OnOpenFile();
        EXPECT_EQ(Shown(r.win.fileDialogs[0]),
                  "open ldx G指令文件(*.txt)|*.txt|PLC文件(*.ldx)|*.ldx|新PLC文件(*.ld2)|*.ld2|"
                  "所有文件(*)|*||");
        EXPECT_EQ(r.st.m_nDocKind, c.kind);
        EXPECT_EQ(r.win.editorText, c.editor);
        EXPECT_EQ(r.win.messages, c.message ? std::vector{*c.message} : std::vector<Message>{});
    }
}

TEST_F(FileCommandsTest, SavingALadderDocumentKeepsABackupAndTheRestOfTheFile) {
    Rig r(kModelR80);
    const std::string head("head\0\x01TOTALSTEPS ", 17), tail = "END_PLC_ORGANIZATION tail";
    const std::string original = head + "1\r\n00000000END1\r\n" + tail;
    const std::string saved = head + "2\r\n00000000END1    \r\n00000001END2    \r\n" + tail;
    const std::string path = Write("MAIN.LDX", original);
    r.win.editorText = "%999\r\n00000002\r\n00000000END1\r\n00000001END2 \r\n";
    r.win.fileAnswers = {path, path, Path("new.ldx")};
    ASSERT_TRUE(r.files.OnSaveFile());  // the extension in any case
    EXPECT_EQ(Read("MAIN_bak.LDX"), original);
    EXPECT_EQ(Read("MAIN.LDX"), saved);

    // A refused save leaves the document and the previous backup alone.
    r.win.editorText = "%999\r\n0000002\r\nEND1 END2";
    EXPECT_FALSE(r.files.OnSaveFile());
    EXPECT_EQ(r.win.messages.back(), msg::kPlcHeadOfficeDigits);
    EXPECT_EQ(Read("MAIN.LDX"), saved);
    EXPECT_EQ(Read("MAIN_bak.LDX"), original);

    // A document that is not there yet: refused, and no backup of nothing.
    EXPECT_FALSE(r.files.OnSaveFile());
    EXPECT_EQ(r.win.messages.back(), msg::kNotALadderDocument);
    EXPECT_FALSE(fs::exists(Path("new_bak.ldx")));
}

TEST_F(FileCommandsTest, MemoryImagesOpenAsTheDisplayAndSaveAsBytes) {
    Rig r(kModelMemory);
    const std::string image = "ABCDEFGHIJKLMNOPQRST";
    r.win.fileAnswers = {Write("img.hex", image), Path("out.tmp")};
    r.files.OnOpenFile();
    EXPECT_EQ(Shown(r.win.fileDialogs[0]),
              "open hex 二进制文件(*.hex)|*.hex|二进制文件(*.tmp)|*.tmp|所有文件(*)|*||");
    // Two full lines and a last one for bytes 16 to 19, so that all are sent.
    EXPECT_EQ(r.win.editorText.substr(110),
              "0010   51  52  53  54" + std::string(16, ' ') + " Q R S T");
    ASSERT_TRUE(r.files.OnSaveFile());
    EXPECT_EQ(Read("out.tmp"), image);

    // A file's bytes go back as they came, even those that look like a frame
    // head; an image longer than a frame opens and saves (only Send refuses).
    std::string big(70000, 'B');
    big[65536] = 'C';
    for (const std::string& bytes : {std::string("\x11\x05\0\x01\x02\x03\x04\x05", 8), big}) {
        Rig again(kModelMemory);
        again.win.fileAnswers = {Write("in.hex", bytes), Path("back.hex")};
        again.files.OnOpenFile();
        ASSERT_TRUE(again.files.OnSaveFile());
        EXPECT_TRUE(Read("back.hex") == bytes);
        EXPECT_TRUE(again.win.messages.empty());
        // Offsets from 0x10000 on take five digits.
        if (bytes == big) {
            EXPECT_EQ(again.win.editorText.substr(8192 * 55, 56),
                      "10000   43  42  42  42  42  42  42  42 C B B B B B B B\r\n");
        }
    }
    r.win.fileAnswers = {Path("none.hex")};
    r.st.m_memImage.clear();
    EXPECT_FALSE(r.files.OnSaveFile());
    EXPECT_EQ(r.win.messages, std::vector{msg::kNoMemoryImage});
    EXPECT_FALSE(fs::exists(Path("none.hex")));
}

// Refused before a byte is read: a pipe would hold Open until someone
// writes into it, /dev/zero never ends, and a huge file would be read whole.
TEST_F(FileCommandsTest, OpenRefusesWhatCannotBeADocumentBeforeReadingIt) {
    ASSERT_EQ(::mkfifo(Path("pipe.txt").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", Path("zero.txt"));
    fs::resize_file(Write("huge.txt", ""), (8 << 20) + 1);  // sparse: nothing is written
    fs::resize_file(Write("huge.hex", ""), (1 << 20) + 1);
    fs::resize_file(Write("largest.hex", ""), 1 << 20);
    // Why it is refused ("": it opens).
    // clang-format off
    struct Case { int model; const char* file; std::string why; };
    // clang-format on
    const Case cases[] = {
        {kModelR40, "pipe.txt", "it is a named pipe (FIFO), not a file"},
        {kModelR80, "zero.txt", "it is a character device, not a file"},
        {kModelR80, "huge.txt",
         "it is 8388609 bytes long, longer than any document can be (8388608 bytes at most)"},
        {kModelMemory, "huge.hex",
         "it is 1048577 bytes long, longer than any document can be (1048576 bytes at most)"},
        {kModelMemory, "largest.hex", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Rig r(c.model);
        r.win.fileAnswers = {Path(c.file)};
        r.files.OnOpenFile();
        std::vector<Message> said;
        if (!c.why.empty()) {
            said.push_back({"Cannot read the file " + Path(c.file) + ".\nError: " + c.why,
                            "TAPLINK", MessageIcon::Stop});
        }
        EXPECT_EQ(r.win.messages, said);
        EXPECT_EQ(r.st.m_memImage.size(), c.why.empty() ? 1u << 20 : 0u);
    }
}

// Only a frame from the controller loses its head (protocol byte and length,
// whatever the byte is) when it is saved.
TEST_F(FileCommandsTest, AReceivedImageIsSavedWithoutItsFrameHead) {
    testing::TransferRig rig(kModelMemory);
    rig.g.g_bySendProto = 0x21;
    rig.h.OnReceive();
    rig.Run("+5");
    rig.comm.Deliver({0x21, 0x03, 0x00, 'x', 'y', 'z'});
    rig.win.Advance(std::chrono::seconds{1});
    ASSERT_EQ(rig.Texts(), std::vector<std::string>{msg::kTakingOverFinished.text});
    FileCommands files(rig.win, rig.st, [] { return kModelMemory; });
    rig.win.fileAnswers = {Path("got.hex"), Path("again.hex")};
    ASSERT_TRUE(files.OnSaveFile());
    ASSERT_TRUE(files.OnSaveFile());
    EXPECT_EQ(Read("got.hex"), "xyz");
    EXPECT_EQ(Read("again.hex"), "xyz");
}

// The folder's names, sorted: a temporary left behind shows here.
std::string Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename());
    std::string s;
    for (const auto& n : names)
        s += (s.empty() ? "" : " ") + n;
    return s;
}

// Arranged: "name:mode" an old file, "name>target" a symbolic link,
// "name=file" another name (a hard link) of a file. Saved to a name, the
// reason it fails ("": it succeeds); then a file read, its contents and
// permissions (0: not looked at), and the folder afterwards.
// clang-format off
struct Target { const char *name, *arrange, *save, *reason, *read, *contents; unsigned mode; const char* after; };
// clang-format on

class FileIoTest : public Scratch, public ::testing::WithParamInterface<Target> {};

TEST_P(FileIoTest, SavesOnlyWhatItShould) {
    const Target& t = GetParam();
    std::istringstream arrange(t.arrange);
    for (std::string w; arrange >> w;) {
        const auto link = w.find('>'), colon = w.find(':'), twin = w.find('=');
        if (link != std::string::npos) {
            fs::create_symlink(w.substr(link + 1), dir_ / w.substr(0, link));
            continue;
        }
        if (twin != std::string::npos) {
            fs::create_hard_link(dir_ / w.substr(twin + 1), dir_ / w.substr(0, twin));
            continue;
        }
        std::ofstream(dir_ / w.substr(0, colon)) << "old";
        fs::permissions(dir_ / w.substr(0, colon),
                        fs::perms(std::stoul(w.substr(colon + 1), nullptr, 8)));
    }
    const mode_t umask = ::umask(027);
    const auto why = WriteFileBytes(Path(t.save), "new");
    ::umask(umask);
    EXPECT_EQ(why.value_or(""), t.reason);
    EXPECT_EQ(ReadFileBytes(Path(t.read)).bytes, t.contents);
    EXPECT_EQ(t.mode ? unsigned(fs::status(Path(t.read)).permissions()) : 0u, t.mode);
    // A link replaced by a plain file leaves its target old, or not there.
    EXPECT_EQ(Listing(dir_), t.after);
}

// The longest name a file can have, and one that is not UTF-8.
const std::string kLongest = std::string(251, 'n') + ".txt", kLongestOld = kLongest + ":600";
const std::string kLatin1 = "lat\xe9.txt";

INSTANTIATE_TEST_SUITE_P(
    AwkwardTargets, FileIoTest,
    ::testing::Values(
        Target{"NewFile", "", "doc", "", "doc", "new", 0640, "doc"},
        Target{"ExistingKeepsItsMode", "doc:604", "doc", "", "doc", "new", 0604, "doc"},
        Target{"ReadOnlyRefused", "doc:444", "doc", "Permission denied", "doc", "old", 0444, "doc"},
        Target{"LinkWrittenThrough", "real:604 link>real", "link", "", "real", "new", 0604,
               "link real"},
        Target{"DanglingLinkGetsItsTarget", "link>made", "link", "", "made", "new", 0640,
               "link made"},
        Target{"FolderMissing", "", "none/doc", "No such file or directory", "none/doc", "", 0, ""},
        Target{"StaleTempsOfThisFileOnly",
               "doc:600 .doc.taplink-tmp-Ab12Cd:600 .doc.taplink-tmp-000000:600 "
               ".docx.taplink-tmp-Ab12Cd:600",
               "doc", "", "doc", "new", 0600, ".docx.taplink-tmp-Ab12Cd doc"},
        // The name saved to gets a new file; its other names keep the old.
        Target{"HardLinkKeepsTheOld", "doc:644 twin=doc", "doc", "", "twin", "old", 0644,
               "doc twin"},
        Target{"LongestName", kLongestOld.c_str(), kLongest.c_str(), "", kLongest.c_str(), "new",
               0600, kLongest.c_str()},
        Target{"NameNotUtf8", "", kLatin1.c_str(), "", kLatin1.c_str(), "new", 0640,
               kLatin1.c_str()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileIoTest, KilledWriterLeavesOneWholeContents) {
    const std::string before = "before\n", a(12 << 20, 'a'), b(9 << 20, 'b');
    const std::string doc = Path("doc");
    std::mt19937 pick(std::random_device{}());
    std::uniform_int_distribution<useconds_t> delay(0, 150'000);
    for (int run = 0; run < 50; ++run) {
        ASSERT_EQ(WriteFileBytes(doc, before), std::nullopt);
        ASSERT_EQ(Listing(dir_), "doc");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                WriteFileBytes(doc, i % 2 ? a : b);
        }
        ::usleep(delay(pick));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = ReadFileBytes(doc, a.size()).bytes;
        EXPECT_TRUE(now == before || now == a || now == b) << "run " << run << ": " << now.size();
    }
    // The next save clears what a killed one left.
    ASSERT_EQ(WriteFileBytes(doc, before), std::nullopt);
    EXPECT_EQ(Listing(dir_), "doc");
}

// f's answer, run as nobody (65534) when the tests run as root, whose
// permissions would hide what a folder refuses.
int AsNobody(const std::function<int()>& f) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        ::_exit(f());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The folder takes no new name, its file may be written: written in place,
// so the file's other names see the new contents too.
TEST_F(FileIoTest, AWritableFileInAReadOnlyFolderIsWrittenInPlace) {
    Write("doc", "old");
    fs::create_hard_link(Path("doc"), Path("twin"));
    fs::permissions(Path("doc"), fs::perms(0666));
    fs::permissions(dir_, fs::perms(0555));
    EXPECT_EQ(AsNobody([&] {
                  return WriteFileBytes(Path("doc"), "new")                           ? 1
                         : WriteFileBytes(Path("made"), "new") != "Permission denied" ? 2
                                                                                      : 0;
              }),
              0);
    fs::permissions(dir_, fs::perms(0755));
    EXPECT_EQ(Read("doc"), "new");
    EXPECT_EQ(Read("twin"), "new");
    EXPECT_EQ(Listing(dir_), "doc twin");
}

TEST(FileIoFullDisk, RefusedWithTheReasonAndTheOldFileWhole) {
    testing::SmallDisk disk("256k");
    if (!disk.ok()) GTEST_SKIP() << disk.why;
    const std::string old(100 << 10, 'o');
    ASSERT_EQ(WriteFileBytes(disk.Path("doc"), old), std::nullopt);
    EXPECT_EQ(WriteFileBytes(disk.Path("doc"), std::string(300 << 10, 'n')),
              "No space left on device");
    EXPECT_TRUE(ReadFileBytes(disk.Path("doc")).bytes == old);
    EXPECT_EQ(Listing(disk.dir), "doc");
    // Written in place, the space is claimed before the old contents go.
    fs::permissions(disk.Path("doc"), fs::perms(0666));
    fs::permissions(disk.dir, fs::perms(0555));
    EXPECT_EQ(AsNobody([&] {
                  return WriteFileBytes(disk.Path("doc"), std::string(300 << 10, 'n')) ==
                                 "No space left on device"
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_TRUE(ReadFileBytes(disk.Path("doc")).bytes == old);
    fs::permissions(disk.dir, fs::perms(0755));
}

}  // namespace
}  // namespace taplink
