#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TempFolder.h"
#include "app/SettingsStore.h"

namespace tarnvel::app {
namespace {

using testing::inodeOf;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// A private folder, removed afterwards, and the settings file's path in it.
class SettingsStoreFile : public ::testing::Test {
  protected:
    TempFolder folder;
    const std::string path = folder.file("Tarnvel.ini");
};

const std::string kMessyFile =
    "; written by hand\n"
    "garbage line without an equals sign\n"
    "[Misc]\n"
    "Mode=4\n"
    "=no key\n"
    "[Broken\n"
    "  IdleEach =  8  \n"
    "\n"
    "[Unknown]\n"
    "Foo=bar\n"
    "\n"
    "[Sound]\n"
    "Offset=1.5\n";

TEST_F(SettingsStoreFile, MalformedLinesAreSkippedAndKeptAsTheyAre) {
    writeFile(path, kMessyFile);
    SettingsStore store(path);
    EXPECT_TRUE(store.isReadable());
    EXPECT_EQ(store.malformedLineCount(), 3u);
    EXPECT_EQ(store.getInt("Misc", "Mode", 0), 4);
    EXPECT_EQ(store.getInt("Misc", "IdleEach", 16), 8);  // still in [Misc] after "[Broken"
    EXPECT_EQ(store.getString("Unknown", "Foo", ""), "bar");
    EXPECT_EQ(store.getString("Misc", "", "dflt"), "dflt");

    ASSERT_TRUE(store.writeInt("Misc", "Mode", 1));
    ASSERT_TRUE(store.writeString("Misc", "RxLogFile", "rx.txt"));
    ASSERT_TRUE(store.writeString("Station", "Call", "SP9XYZ"));
    std::string expected = kMessyFile;
    expected.replace(expected.find("Mode=4"), 6, "Mode=1");
    expected.insert(expected.find("\n\n[Unknown]") + 1, "RxLogFile=rx.txt\n");
    expected += "\n[Station]\nCall=SP9XYZ\n";
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(SettingsStoreFile, NamesIgnoreCaseAndTheFirstOfTwinKeysCounts) {
    writeFile(path, "[misc]\r\nmode=2\r\nMode=3\r\n[MISC]\r\nUTC=0\r\n");
    SettingsStore store(path);
    EXPECT_EQ(store.getInt("Misc", "Mode", 0), 2);
    EXPECT_EQ(store.getInt("Misc", "UTC", 1), 0);
    ASSERT_TRUE(store.writeInt("Misc", "MODE", 5));
    EXPECT_EQ(readFile(path), "[misc]\nmode=5\nMode=3\n[MISC]\nUTC=0\n");
}

// A stray CR before a CR LF line end is part of the line: rewrites keep it, however many.
TEST_F(SettingsStoreFile, AStrayCarriageReturnSurvivesEveryRewrite) {
    writeFile(path, "[Misc]\r\nNote=a\r\r\n[Odd]\r\r\nMode=1\n");
    for (int rewrite = 1; rewrite <= 3; ++rewrite) {
        SettingsStore store(path);
        EXPECT_EQ(store.getString("Misc", "Note", ""), "a\r");
        EXPECT_EQ(store.getInt("Odd", "Mode", 0), rewrite);
        ASSERT_TRUE(store.writeInt("Odd", "Mode", rewrite + 1));
        EXPECT_EQ(readFile(path), "[Misc]\nNote=a\r\r\n[Odd]\r\r\nMode=" +
                                      std::to_string(rewrite + 1) + "\n");
    }
}

TEST_F(SettingsStoreFile, AByteOrderMarkDoesNotHideTheFirstSection) {
    writeFile(path, "\xEF\xBB\xBF[Misc]\nMode=11\n");
    SettingsStore store(path);
    EXPECT_EQ(store.getInt("Misc", "Mode", 0), 11);
    ASSERT_TRUE(store.writeInt("Misc", "Mode", 1));
    EXPECT_EQ(readFile(path), "\xEF\xBB\xBF[Misc]\nMode=1\n");
}

TEST_F(SettingsStoreFile, MissingKeysAndNonNumbersGiveTheDefault) {
    writeFile(path, "[Sound]\nSqThreshold=loud\nSquelch=\n");
    SettingsStore store(path);
    EXPECT_EQ(store.getInt("Sound", "SqThreshold", 20), 20);
    EXPECT_EQ(store.getInt("Sound", "Squelch", 1), 1);
    EXPECT_EQ(store.getString("Sound", "Squelch", "x"), "");  // present, though empty
    EXPECT_EQ(store.getInt("Nothing", "Here", -7), -7);
}

TEST(SettingsStore, FirstWriteCreatesTheFolders) {
    TempFolder folder;
    const std::string path = folder.file("config/tarnvel/Tarnvel.ini");
    SettingsStore store(path);
    ASSERT_TRUE(store.writeInt("Misc", "Mode", 11)) << store.lastError();
    EXPECT_EQ(SettingsStore(path).getInt("Misc", "Mode", 0), 11);
}

TEST_F(SettingsStoreFile, ValuesThatWouldBreakTheFileAreRefused) {
    SettingsStore store(path);
    EXPECT_FALSE(store.writeString("Text", "F1Text", "line\nInjected=1"));
    EXPECT_NE(store.lastError().find("line break"), std::string::npos);
    EXPECT_FALSE(store.writeString("Te]xt", "Key", "v"));
    EXPECT_FALSE(store.writeString("Text", "A=B", "v"));
    EXPECT_FALSE(store.writeString("", "Key", "v"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SettingsStoreFile, BatchWritesTheFileOnce) {
    SettingsStore store(path);
    store.beginBatch();
    ASSERT_TRUE(store.writeInt("Misc", "Mode", 1));
    ASSERT_TRUE(store.writeInt("Misc", "UTC", 0));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(store.endBatch());
    EXPECT_EQ(readFile(path), "[Misc]\nMode=1\nUTC=0\n");
    writeFile(path, "[Misc]\nMode = 1\nUTC=0\n");  // spaced by hand
    const ino_t written = inodeOf(path);
    SettingsStore again(path);
    ASSERT_TRUE(again.writeInt("Misc", "Mode", 1));  // same values: no rewrite
    ASSERT_TRUE(again.writeInt("Misc", "UTC", 0));
    EXPECT_EQ(inodeOf(path), written);
}

TEST(SettingsStore, ALinkIsFollowedAndPermissionsAreKept) {
    TempFolder folder;
    const std::string real = folder.file("dotfiles/Tarnvel.ini");
    const std::string link = folder.file("Tarnvel.ini");
    std::filesystem::create_directory(folder.file("dotfiles"));
    writeFile(real, "[Misc]\nMode=0\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink(real, link);
    SettingsStore store(link);
    ASSERT_TRUE(store.writeInt("Misc", "Mode", 2)) << store.lastError();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real), "[Misc]\nMode=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SettingsStoreFile, AFileThatCannotBeReadIsNeverOverwritten) {
    std::filesystem::create_directory(path);  // reading a folder fails (even for root)
    SettingsStore store(path);
    EXPECT_FALSE(store.isReadable());
    EXPECT_NE(store.lastError().find(path), std::string::npos);
    EXPECT_FALSE(store.writeInt("Misc", "Mode", 1));
    EXPECT_NE(store.lastError().find("not overwritten"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(SettingsStore, AFolderThatCannotBeMadeIsReported) {
    TempFolder folder;
    writeFile(folder.file("plain"), "a file where a folder should be");
    SettingsStore store(folder.file("plain/tarnvel/Tarnvel.ini"));
    EXPECT_FALSE(store.writeInt("Misc", "Mode", 1));
    EXPECT_NE(store.lastError().find("plain"), std::string::npos) << store.lastError();
    // The value stays in the store and goes out once writing works again.
    EXPECT_EQ(store.getInt("Misc", "Mode", 0), 1);
}

// Everything a child of the test writes beyond this size makes the kernel refuse it
// (or kill the writer), as a full disk would stop it halfway.
constexpr rlim_t kFileSizeLimit = 4096;
const std::string kOldFile = "[Station]\nCall=SP9OLD\n";

void limitFileSize() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = kFileSizeLimit;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

TEST_F(SettingsStoreFile, AWriterKilledMidWriteLeavesTheOldFile) {
    writeFile(path, kOldFile);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        limitFileSize();  // the default action of SIGXFSZ kills the writer
        SettingsStore store(path);
        store.writeString("Text", "F1Text", std::string(100000, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(readFile(path), kOldFile);
    auto abandonedFiles = [&] {
        const std::string prefix = "Tarnvel.ini.tmp." + std::to_string(child) + ".";
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            count += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(abandonedFiles(), 1);
    SettingsStore after(path);
    EXPECT_EQ(after.getString("Station", "Call", ""), "SP9OLD");
    EXPECT_FALSE(after.find("Text", "F1Text"));
    EXPECT_EQ(abandonedFiles(), 0) << "the dead writer's file stays";
}

TEST_F(SettingsStoreFile, AFailingWriteIsReportedAndLeavesNothingBehind) {
    writeFile(path, kOldFile);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // the write then fails with "File too large"
        limitFileSize();
        SettingsStore store(path);
        const bool written = store.writeString("Text", "F1Text", std::string(100000, 'x'));
        const bool named = store.lastError().find("too large") != std::string::npos;
        ::_exit(written ? 1 : named ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: the write claimed success, 2: the error named no cause";
    EXPECT_EQ(readFile(path), kOldFile);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1) << "the temporary file was left behind";
}

}  // namespace
}  // namespace tarnvel::app
