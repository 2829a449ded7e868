// A palette save that is killed or runs out of disk leaves the old palette or the new one,
// whole, and a failed save says so.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "display/PaletteFile.h"
#include "support/CrashTrial.h"
#include "support/WavBytes.h"

namespace tarnvel::display {
namespace {

using tarnvel::testing::fileBytes;

PaletteAnchors otherAnchors() {
    PaletteAnchors anchors{};
    for (int k = 0; k < kPaletteAnchorCount; ++k) anchors[k] = rgb(20 * k, 255 - 20 * k, 7);
    return anchors;
}

class PaletteCrashTrial : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(savePaletteFile(path_, otherAnchors()).ok);
        newBytes_ = fileBytes(path_);
        ASSERT_TRUE(savePaletteFile(path_, defaultPaletteAnchors()).ok);
        oldBytes_ = fileBytes(path_);
        ASSERT_NE(oldBytes_, newBytes_);
    }
    tarnvel::testing::ScratchFolder dir_;
    const std::string path_ = (dir_ / "mine.pal").string();
    std::string oldBytes_, newBytes_;
};

TEST_F(PaletteCrashTrial, AKilledSaveLeavesTheOldOrTheNewPaletteWhole) {
    const auto save = [&](int n) {
        return savePaletteFile(path_, n % 2 ? otherAnchors() : defaultPaletteAnchors()).ok;
    };
    tarnvel::testing::killWriterAtRandom({}, save, [&](int run) {
        const std::string now = fileBytes(path_);
        ASSERT_TRUE(now == oldBytes_ || now == newBytes_)
            << "run " << run << " left " << now.size() << " bytes:\n"
            << now;
        PaletteAnchors loaded{};
        ASSERT_TRUE(loadPaletteFile(path_, loaded).ok) << "run " << run;
    });
}

TEST_F(PaletteCrashTrial, AFullDiskKeepsTheOldPaletteAndIsReported) {
    const int code = tarnvel::testing::runWithFileSizeLimit(oldBytes_.size() / 2, [&] {
        const PaletteFileResult result = savePaletteFile(path_, otherAnchors());
        if (result.ok) return 1;
        return result.message == "Cannot create " + path_ ? 0 : 2;
    });
    EXPECT_EQ(code, 0) << "1: the save claimed success, 2: the message is wrong";
    EXPECT_EQ(fileBytes(path_), oldBytes_);
    EXPECT_EQ(dir_.entries(), std::vector<std::string>{"mine.pal"}) << "a temporary file stayed";
}

// A palette kept behind a link stays there; the link is not replaced by a file.
TEST_F(PaletteCrashTrial, ASaveThroughALinkReplacesTheFileItNames) {
    const std::string link = (dir_ / "link.pal").string();
    std::filesystem::create_symlink(path_, link);
    ASSERT_TRUE(savePaletteFile(link, otherAnchors()).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(fileBytes(path_), newBytes_);
}

}  // namespace
}  // namespace tarnvel::display
