// Open and Save over the window services, on real files in a scratch folder.
#include "file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fake_window_services.h"
#include "file_io.h"
#include "ladder.h"

namespace taplink {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindowServices;

class FileCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("taplink-files-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) {
        EXPECT_FALSE(WriteFileBytes(Path(name), bytes).has_value());
        return Path(name);
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(Path(name)).bytes; }

    fs::path dir_;
    FakeWindowServices win_;
    DialogState st_;
    int model_ = kModelR40;
    FileCommands files_{win_, st_, [this] { return model_; }};
};

TEST_F(FileCommandsTest, OpenLoadsTheFileByteExact) {
    const std::string bytes = std::string("%12\nN0000 G00\0X1\r\n\xD6\xD0", 20);
    win_.fileAnswers = {Write("prog.txt", bytes)};
    files_.OnOpenFile();
    EXPECT_EQ(win_.saveQueries, 0);  // the editor was empty
    ASSERT_EQ(win_.fileDialogs.size(), 1u);
    EXPECT_FALSE(win_.fileDialogs[0].save);
    EXPECT_EQ(win_.fileDialogs[0].filter, "G指令文件(*.txt)|*.txt||");
    EXPECT_EQ(win_.fileDialogs[0].defaultExtension, "txt");
    EXPECT_EQ(win_.editorText, bytes);
    EXPECT_EQ(st_.m_nDocKind, kDocNone);

    // Saved back unchanged, the same bytes.
    win_.fileAnswers = {Path("copy.txt")};
    EXPECT_TRUE(files_.OnSaveFile());
    EXPECT_EQ(Read("copy.txt"), bytes);
    EXPECT_EQ(win_.fileDialogs[1].filter, "Text File(*.txt)|*.txt||");
    EXPECT_TRUE(win_.messages.empty());
}

TEST_F(FileCommandsTest, NothingIsDroppedUntilANewDocumentIsLoaded) {
    struct Case {
        const char* name;
        int answer;                                     // to the save query
        std::vector<std::optional<std::string>> files;  // dialog answers in order
        std::string editorAfter;
        int dialogs;
    };
    const std::string next = Write("next.txt", "%34\r\n");
    const Case cases[] = {
        {"NoThenCancel", 2, {std::nullopt}, "%12\r\nN0000", 1},
        {"YesThenCancelledSave", 1, {std::nullopt}, "%12\r\nN0000", 1},
        {"YesSavedThenCancel", 1, {Path("kept.txt"), std::nullopt}, "%12\r\nN0000", 2},
        {"NoThenLoad", 2, {next}, "%34\r\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWindowServices win;
        DialogState st;
        FileCommands files(win, st, [] { return kModelR40; });
        win.editorText = "%12\r\nN0000";
        win.saveQueryAnswer = c.answer;
        win.fileAnswers = c.files;
        files.OnOpenFile();
        EXPECT_EQ(win.saveQueries, 1);
        EXPECT_EQ(win.editorText, c.editorAfter);
        EXPECT_EQ(st.m_strText, c.editorAfter);
        EXPECT_EQ(static_cast<int>(win.fileDialogs.size()), c.dialogs);
    }
    EXPECT_EQ(Read("kept.txt"), "%12\r\nN0000");
}

TEST_F(FileCommandsTest, R80OpensTextLadderAndNewFormatDocuments) {
    model_ = kModelR80;
    Write("plc.ld2.txt", "LD X0001\r\nEND1\r\n");
    Write("plc.ldx", "x TOTALSTEPS 2\r\n00000000END1\r\n00000001END2\r\nEND_PLC_ORGANIZATION y");
    Write("bad.ldx", "x TOTALSTEPS 2\r\n");
    Write("prog.txt", "%123\r\nG00\r\n");
    struct Case {
        const char* name;
        std::string file;
        int kind;
        std::string editor;      // empty: unchanged
        const Message* message;  // nullptr: none
    } const cases[] = {
        {"NewFormat", Path("plc.ld2"), kDocNewLadder, "%999\r\nLD X0001\r\nEND1\r\n", nullptr},
        {"Ladder", Path("plc.ldx"), kDocLadder, "%999\r\n2\r\n00000000END1\r\n00000001END2\r\n",
         nullptr},
        {"Text", Path("prog.txt"), kDocText, "%123\r\nG00\r\n", nullptr},
        {"MissingCompanion", Path("other.ld2"), kDocNone, "", &msg::kPlcDocumentMissing},
        {"Damaged", Path("bad.ldx"), kDocNone, "", &msg::kLadderDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWindowServices win;
        DialogState st;
        FileCommands files(win, st, [] { return kModelR80; });
        win.fileAnswers = {c.file};
        files.OnOpenFile();
        EXPECT_EQ(win.fileDialogs[0].filter,
                  "G指令文件(*.txt)|*.txt|PLC文件(*.ldx)|*.ldx|新PLC文件(*.ld2)|*.ld2||");
        EXPECT_EQ(win.fileDialogs[0].defaultExtension, "ldx");
        EXPECT_EQ(st.m_nDocKind, c.kind);
        EXPECT_EQ(win.editorText, c.editor);
        if (c.message) {
            ASSERT_EQ(win.messages.size(), 1u);
            EXPECT_EQ(win.messages[0], *c.message);
        } else {
            EXPECT_TRUE(win.messages.empty());
        }
    }
}

TEST_F(FileCommandsTest, SavingALadderDocumentKeepsABackupAndTheRestOfTheFile) {
    const std::string original =
        std::string("head\0\x01", 6) + "TOTALSTEPS 1\r\n00000000END1\r\nEND_PLC_ORGANIZATION tail";
    const std::string path = Write("MAIN.LDX", original);
    win_.editorText = "%999\r\n00000002\r\n00000000END1\r\n00000001END2 \r\n";
    win_.fileAnswers = {path};
    ASSERT_TRUE(files_.OnSaveFile());  // the extension in any case
    EXPECT_EQ(Read("MAIN_bak.LDX"), original);
    EXPECT_EQ(Read("MAIN.LDX"), std::string("head\0\x01", 6) +
                                    "TOTALSTEPS 2\r\n00000000END1    \r\n00000001END2    \r\n"
                                    "END_PLC_ORGANIZATION tail");

    // A refused save leaves the document alone, with its backup made.
    win_.editorText = "%999\r\n0000002\r\nEND1 END2";
    win_.fileAnswers = {path};
    const std::string before = Read("MAIN.LDX");
    EXPECT_FALSE(files_.OnSaveFile());
    EXPECT_EQ(win_.messages.back(), msg::kPlcHeadOfficeDigits);
    EXPECT_EQ(Read("MAIN.LDX"), before);
    EXPECT_EQ(Read("MAIN_bak.LDX"), before);

    // A document that is not there yet: refused, and no backup of nothing.
    win_.fileAnswers = {Path("new.ldx")};
    EXPECT_FALSE(files_.OnSaveFile());
    EXPECT_EQ(win_.messages.back(), msg::kNotALadderDocument);
    EXPECT_FALSE(fs::exists(Path("new_bak.ldx")));
}

TEST_F(FileCommandsTest, MemoryImagesOpenAsTheDisplayAndSaveAsBytes) {
    model_ = kModelMemory;
    std::string image;
    for (int i = 0; i < 20; ++i)
        image.push_back(static_cast<char>(0x41 + i));
    win_.fileAnswers = {Write("img.hex", image)};
    files_.OnOpenFile();
    EXPECT_EQ(win_.fileDialogs[0].filter, "二进制文件(*.hex)|*.hex|二进制文件(*.tmp)|*.tmp||");
    // Two full lines and a last one for bytes 16 to 19, so that all are sent.
    EXPECT_EQ(win_.editorText.size(), 110u + 7 + 4 * 4 + 16 - 2 + 4 * 2);
    EXPECT_EQ(win_.editorText.substr(55, 4), "0008");
    EXPECT_EQ(win_.editorText.substr(110, 4), "0010");
    EXPECT_EQ(st_.m_memImage.size(), 20u);

    win_.fileAnswers = {Path("out.tmp")};
    ASSERT_TRUE(files_.OnSaveFile());
    EXPECT_EQ(Read("out.tmp"), image);

    // A received image keeps its frame head in memory; the file does not.
    st_.m_memImage = {0x11, 0x02, 0x00, 0x41, 0x42};
    win_.fileAnswers = {Path("got.hex")};
    ASSERT_TRUE(files_.OnSaveFile());
    EXPECT_EQ(Read("got.hex"), "AB");
    EXPECT_EQ(st_.m_memImage, (Bytes{0x41, 0x42}));

    st_.m_memImage.clear();
    win_.fileAnswers = {Path("none.hex")};
    EXPECT_FALSE(files_.OnSaveFile());
    EXPECT_EQ(win_.messages.back(), msg::kNoMemoryImage);
    EXPECT_FALSE(fs::exists(Path("none.hex")));
}

TEST_F(FileCommandsTest, FailuresNameTheFileAndTheReason) {
    win_.editorText = "%12\r\n";
    win_.fileAnswers = {Path("no-such-folder/prog.txt")};
    EXPECT_FALSE(files_.OnSaveFile());
    ASSERT_EQ(win_.messages.size(), 1u);
    EXPECT_NE(win_.messages[0].text.find("no-such-folder/prog.txt"), std::string::npos);
    EXPECT_NE(win_.messages[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(win_.messages[0].icon, MessageIcon::Stop);

    win_.fileAnswers = {Path("missing.txt")};
    files_.OnOpenFile();                    // the query: "否"
    EXPECT_EQ(win_.editorText, "%12\r\n");  // kept
    EXPECT_NE(win_.messages.back().text.find("missing.txt"), std::string::npos);

    // Upper-case TXT is a text file, not a memory image.
    win_.fileAnswers = {Path("PROG.TXT")};
    EXPECT_TRUE(files_.OnSaveFile());
    EXPECT_EQ(Read("PROG.TXT"), "%12\r\n");
}

}  // namespace
}  // namespace taplink
