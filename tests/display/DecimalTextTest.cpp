#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "display/BandPages.h"
#include "display/DecimalText.h"
#include "display/SpectrumMarkers.h"
#include "support/WavBytes.h"

using namespace tarnvel::display;

namespace {

// A desktop whose numbers use a decimal comma: a Polish locale made for the test with
// localedef (the machine need not have it installed). Nothing when it cannot be made.
class CommaLocale {
  public:
    CommaLocale() {
        const std::string dir = folder_.path().string();
        const std::string command = "localedef -i pl_PL -f UTF-8 " + dir +
                                    "/pl_PL.UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        setenv("LOCPATH", dir.c_str(), 1);
        const char* old = std::setlocale(LC_NUMERIC, nullptr);
        previous_ = old ? old : "C";
        made_ = std::setlocale(LC_NUMERIC, "pl_PL.UTF-8") != nullptr;
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        unsetenv("LOCPATH");
    }
    bool made() const { return made_; }

  private:
    tarnvel::testing::ScratchFolder folder_;
    std::string previous_ = "C";
    bool made_ = false;
};

}  // namespace

TEST(DecimalText, ReadsPointsCommasAndLeadingNumbers) {
    EXPECT_DOUBLE_EQ(parseDecimal("14070.5"), 14070.5);
    EXPECT_DOUBLE_EQ(parseDecimal("14070,5"), 14070.5);  // written by a comma desktop before
    EXPECT_DOUBLE_EQ(parseDecimal("  -3.25 kHz"), -3.25);
    EXPECT_DOUBLE_EQ(parseDecimal("+7"), 7.0);
    EXPECT_DOUBLE_EQ(parseDecimal("abc"), 0.0);
    EXPECT_DOUBLE_EQ(parseDecimal(""), 0.0);
    EXPECT_EQ(formatDecimal(std::nan(""), 2), "0");  // not a number
    EXPECT_EQ(formatDecimal(14070.25, 6), "14070.250000");
}

// Band pages and markers were written with the desktop's decimal comma and read back without
// their fractions.
TEST(DecimalText, StoredFrequenciesIgnoreTheDesktopLocale) {
    CommaLocale comma;
    if (!comma.made()) GTEST_SKIP() << "localedef cannot make pl_PL here";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale is in force
    EXPECT_EQ(BandPages::formatFrequency(14070.25), "14070.250000");
    EXPECT_DOUBLE_EQ(BandPages::parseFrequency("14070.250000"), 14070.25);
    EXPECT_EQ(SpectrumMarkers::format(1500.5f), "1500.50");
    EXPECT_FLOAT_EQ(SpectrumMarkers::parse("1500.50"), 1500.5f);
}
