// A macro file save that is killed at any moment leaves the old file or the new one, whole.

#include <gtest/gtest.h>

#include <string>

#include "macros/MacroFile.h"
#include "support/CrashTrial.h"
#include "support/WavBytes.h"

namespace tarnvel::macros {
namespace {

using tarnvel::testing::fileBytes;

MacroSet changedSet() {
    MacroSet macros = MacroSet::defaults();
    for (int key = 1; key <= kMacroKeysPerSet; ++key)
        macros.at(MacroKeySet::F, key) = {"K" + std::to_string(key),
                                          std::string(200, 'x') + "<CALL> de <MYCALL> k"};
    return macros;
}

TEST(MacroFileCrashTrial, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    tarnvel::testing::ScratchFolder folder;
    const std::string path = (folder / "Tarnvel.mac").string();
    ASSERT_TRUE(saveMacroFile(path, changedSet()).ok);
    const std::string newBytes = fileBytes(path);
    ASSERT_TRUE(saveMacroFile(path, MacroSet::defaults()).ok);
    const std::string oldBytes = fileBytes(path);
    ASSERT_NE(oldBytes, newBytes);

    const auto save = [&](int n) {
        return saveMacroFile(path, n % 2 ? changedSet() : MacroSet::defaults()).ok;
    };
    tarnvel::testing::killWriterAtRandom({}, save, [&](int run) {
        const std::string now = fileBytes(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "run " << run << " left " << now.size() << " bytes";
        MacroSet loaded = MacroSet::defaults();
        ASSERT_TRUE(loadMacroFile(path, loaded).ok) << "run " << run;
    });
}

}  // namespace
}  // namespace tarnvel::macros
