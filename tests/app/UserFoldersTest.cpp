#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "TempFolder.h"
#include "app/UserFolders.h"

namespace tarnvel::app {
namespace {

using testing::TempFolder;
using testing::writeFile;

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ScopedCurrentFolder {
  public:
    ScopedCurrentFolder() : old_(std::filesystem::current_path()) {}
    ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }

  private:
    std::filesystem::path old_;
};

TEST(UserFolders, BaseFoldersFollowTheDesktopVariables) {
    ScopedVariable home("HOME", "/home/op");
    {
        ScopedVariable config("XDG_CONFIG_HOME", "/cfg");
        ScopedVariable data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(defaultSettingsPath(), "/cfg/tarnvel/Tarnvel.ini");
        EXPECT_EQ(defaultDataFolder(), "/data/tarnvel");
    }
    // Unset, empty or relative values do not count.
    ScopedVariable config("XDG_CONFIG_HOME", "");
    ScopedVariable data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(defaultSettingsPath(), "/home/op/.config/tarnvel/Tarnvel.ini");
    EXPECT_EQ(defaultDataFolder(), "/home/op/.local/share/tarnvel");
}

TEST(UserFolders, TheDataFolderIsMadeAndEntered) {
    TempFolder folder;
    ScopedCurrentFolder keep;
    ScopedVariable data("XDG_DATA_HOME", folder.path().c_str());
    const FolderResult result = enterDataFolder();
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.path, folder.path() + "/tarnvel");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(result.path));
    EXPECT_TRUE(enterDataFolder().ok);  // the second start finds it there
}

TEST(UserFolders, AFileInTheWayIsAClearError) {
    TempFolder folder;
    ScopedCurrentFolder keep;
    const auto before = std::filesystem::current_path();
    writeFile(folder.file("share"), "not a folder");
    const FolderResult result = enterDataFolder(folder.file("share/tarnvel"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(folder.file("share")), std::string::npos) << result.error;
    EXPECT_EQ(std::filesystem::current_path(), before);
}

}  // namespace
}  // namespace tarnvel::app
