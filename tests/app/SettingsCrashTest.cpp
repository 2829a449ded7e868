// A settings write that is killed at any moment leaves the old file or the new one, whole.

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "app/SettingsStore.h"
#include "support/CrashTrial.h"

namespace tarnvel::app {
namespace {

using tarnvel::testing::fileBytes;

TEST(SettingsCrashTrial, AKilledWriteLeavesTheOldOrTheNewFileWhole) {
    testing::TempFolder folder;
    const std::string path = folder.file("Tarnvel.ini");
    // Two versions of the file that differ in one long value (several pages of text).
    const std::string first(20000, 'a'), second(30000, 'b');
    std::string oldBytes, newBytes;
    {
        SettingsStore store(path);
        ASSERT_TRUE(store.writeString("Station", "Call", "SP9OLD"));
        ASSERT_TRUE(store.writeString("Text", "F1Text", second));
        newBytes = fileBytes(path);
        ASSERT_TRUE(store.writeString("Text", "F1Text", first));
        oldBytes = fileBytes(path);
    }
    const auto write = [&](int n) {
        SettingsStore store(path);
        return store.writeString("Text", "F1Text", n % 2 ? second : first);
    };
    tarnvel::testing::killWriterAtRandom({}, write, [&](int run) {
        const std::string now = fileBytes(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "run " << run << " left " << now.size() << " bytes";
        const SettingsStore reread(path);
        ASSERT_EQ(reread.getString("Station", "Call", ""), "SP9OLD") << "run " << run;
    });
}

}  // namespace
}  // namespace tarnvel::app
