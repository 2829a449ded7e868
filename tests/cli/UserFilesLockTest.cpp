// Commands that write the operator's files share the desktop program's lock.

#include "cli/UserFilesLock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "support/WavBytes.h"

namespace tarnvel::cli {
namespace {

TEST(UserFilesLock, IsRefusedWithAOneLineReportWhileTarnvelRuns) {
    tarnvel::testing::ScratchFolder folder;
    const std::string data = (folder / "data").string();
    const app::InstanceLock desktop = app::InstanceLock::acquire(data);
    ASSERT_TRUE(desktop.held());

    ::testing::internal::CaptureStderr();
    const std::optional<app::InstanceLock> refused = lockUserFiles(data);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(refused);
    EXPECT_EQ(report.rfind("tarnvel-cli: " + data + "/Tarnvel.lock: Tarnvel is already running", 0),
              0u)
        << report;
    EXPECT_NE(report.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos);
    EXPECT_EQ(report.find('\n'), report.size() - 1) << "one line";
}

TEST(UserFilesLock, TheDefaultFolderIsTheDesktopProgramsDataFolder) {
    tarnvel::testing::ScratchFolder folder;
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
    {
        const std::optional<app::InstanceLock> lock = lockUserFiles();
        ASSERT_TRUE(lock);
        EXPECT_EQ(lock->path(), (folder / "tarnvel" / "Tarnvel.lock").string());
        // Held: the desktop program (another holder) would now be refused.
        EXPECT_FALSE(app::InstanceLock::acquire((folder / "tarnvel").string()).held());
    }
    EXPECT_TRUE(app::InstanceLock::acquire((folder / "tarnvel").string()).held());
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace tarnvel::cli
