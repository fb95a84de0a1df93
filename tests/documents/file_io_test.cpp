// The writer every save goes through: awkward targets, a writer killed in
// the middle, a full disk.
#include "file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "small_disk.h"

namespace taplink {
namespace {

namespace fs = std::filesystem;

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

void Old(const fs::path& p, unsigned mode) {
    std::ofstream(p) << "old";
    fs::permissions(p, fs::perms(mode));
}

struct Target {
    const char* name;
    void (*arrange)(const fs::path& dir);
    const char* save;      // the name saved to
    const char* reason;    // "" for a save that succeeds
    const char* read;      // the file then read
    const char* contents;  // what it holds
    unsigned mode;         // its permissions (0: not looked at)
    const char* after;     // the folder afterwards
};

class FileIoTest : public ::testing::TestWithParam<Target> {
  protected:
    FileIoTest() {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~FileIoTest() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    const fs::path dir_ =
        fs::temp_directory_path() / ("taplink-file-io-" + std::to_string(::getpid()));
};

TEST_P(FileIoTest, SavesOnlyWhatItShould) {
    const Target& t = GetParam();
    t.arrange(dir_);
    const mode_t umask = ::umask(027);
    const auto why = WriteFileBytes(Path(t.save), "new");
    ::umask(umask);
    EXPECT_EQ(why.value_or(""), t.reason);
    EXPECT_EQ(ReadFileBytes(Path(t.read)).bytes, t.contents);
    if (t.mode) {
        EXPECT_EQ(unsigned(fs::status(Path(t.read)).permissions()), t.mode);
    }
    EXPECT_EQ(Listing(dir_), t.after);
    if (fs::symlink_status(Path("link")).type() != fs::file_type::not_found) {
        EXPECT_TRUE(fs::is_symlink(Path("link")));  // not replaced by a plain file
    }
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardTargets, FileIoTest,
    ::testing::Values(
        Target{"NewFile", [](const fs::path&) {}, "doc", "", "doc", "new", 0640, "doc"},
        Target{"ExistingKeepsItsMode", [](const fs::path& d) { Old(d / "doc", 0604); }, "doc", "",
               "doc", "new", 0604, "doc"},
        Target{"ReadOnlyRefused", [](const fs::path& d) { Old(d / "doc", 0444); }, "doc",
               "Permission denied", "doc", "old", 0444, "doc"},
        Target{"LinkWrittenThrough",
               [](const fs::path& d) {
                   Old(d / "real", 0604);
                   fs::create_symlink("real", d / "link");
               },
               "link", "", "real", "new", 0604, "link real"},
        Target{"DanglingLinkGetsItsTarget",
               [](const fs::path& d) { fs::create_symlink("made", d / "link"); }, "link", "",
               "made", "new", 0640, "link made"},
        Target{"FolderMissing", [](const fs::path&) {}, "none/doc", "No such file or directory",
               "none/doc", "", 0, ""},
        Target{"StaleTempsOfThisFileOnly",
               [](const fs::path& d) {
                   Old(d / "doc", 0600);
                   for (const char* n : {".doc.taplink-tmp-Ab12Cd", ".doc.taplink-tmp-000000",
                                         ".docx.taplink-tmp-Ab12Cd"})
                       Old(d / n, 0600);
               },
               "doc", "", "doc", "new", 0600, ".docx.taplink-tmp-Ab12Cd doc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileIoTest, KilledWriterLeavesOneWholeContents) {
    const std::string before = "before\n", a(12 << 20, 'a'), b(9 << 20, 'b');
    const std::string doc = Path("doc");
    std::mt19937 pick(std::random_device{}());
    std::uniform_int_distribution<useconds_t> delay(0, 150'000);
    int seen[4] = {};  // before, a, b, a temporary left
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
        const std::string now = ReadFileBytes(doc).bytes;
        EXPECT_TRUE(now == before || now == a || now == b) << "run " << run << ": " << now.size();
        ++seen[now == before ? 0 : now == a ? 1 : 2];
        seen[3] += Listing(dir_) != "doc";
    }
    ASSERT_EQ(WriteFileBytes(doc, before), std::nullopt);
    EXPECT_EQ(Listing(dir_), "doc");
    std::printf("50 writers killed: %d left the old file, %d one, %d the other, %d a temporary\n",
                seen[0], seen[1], seen[2], seen[3]);
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
}

}  // namespace
}  // namespace taplink
