#include <gtest/gtest.h>

#include <clocale>

#include "LogTestFiles.h"
#include "logbook/FrequencyText.h"
#include "logbook/QsoText.h"

namespace tarnvel::logbook {
namespace {

using testing::LogFolder;
using testing::readFile;
using testing::utc;

QsoRecord sample() {
    QsoRecord r = testing::qso("SP9XYZ", utc(2026, 12, 8, 14, 2, 18), 14070150);
    r.name = "Jan";
    r.qth = "Krakow";
    r.notes = "tnx";
    return r;
}

TEST(QsoText, TextExportLinesHaveFixedColumnsAndEnglishMonths) {
    EXPECT_EQ(textExportLine(sample()),
              "08-Dec-2026 14:02:18   14070.150 BPSK   SP9XYZ         599 579 Jan        Krakow    "
              "           tnx\n");
}

TEST(QsoText, LogWindowColumnsFollowTheHeadings) {
    const auto columns = logWindowColumns(sample());
    EXPECT_EQ(columns[0], "12/08/26 14:02:18");  // the C locale's %x
    EXPECT_EQ(columns[1], "  14070.150");
    EXPECT_EQ(columns[3], "SP9XYZ");
    EXPECT_EQ(columns[8], "tnx");
    EXPECT_EQ(kLogWindowColumns[0].heading, " UTC");
    EXPECT_EQ(logWindowKilohertz(10'368'100'123), "10368100.123");  // microwaves widen the column
}

TEST(QsoText, TheTextExportNeverOverwritesTheLog) {
    LogFolder folder;
    const LogFile log = folder.log();
    ASSERT_TRUE(log.append(sample()));
    const std::string before = readFile(log.path());
    const std::vector<QsoRecord> records = {sample()};
    const LogStatus refused = writeTextExport(log, log.path(), records);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error.rfind("Cannot create file ", 0), 0u);
    EXPECT_EQ(readFile(log.path()), before);
    ASSERT_TRUE(writeTextExport(log, folder.file("export.txt"), records));
    EXPECT_EQ(readFile(folder.file("export.txt")), textExportLine(sample()));
    EXPECT_FALSE(writeTextExport(log, folder.file("no/such/folder.txt"), records));
}

TEST(FrequencyText, MegahertzAreReadAndWrittenToTheHertz) {
    EXPECT_EQ(parseMegahertz("14.074150"), 14074150);
    EXPECT_EQ(parseMegahertz(" 14,07 "), 14070000);
    EXPECT_EQ(parseMegahertz("10368.100123"), 10'368'100'123);
    EXPECT_EQ(parseMegahertz("0"), 0);
    EXPECT_FALSE(parseMegahertz(""));
    EXPECT_FALSE(parseMegahertz("14.07 MHz"));
    EXPECT_FALSE(parseMegahertz("-7"));
    EXPECT_FALSE(parseMegahertz("1e300"));
    EXPECT_EQ(megahertzText(14070000), "14.070000");
    EXPECT_EQ(megahertzText(0), "0.000000");
    for (const Hertz hz :
         {Hertz{1838000}, Hertz{14074150}, Hertz{144'174'001}, Hertz{10'368'100'123}})
        EXPECT_EQ(parseMegahertz(megahertzText(hz)), hz);  // the details dialog keeps every Hz
}

}  // namespace
}  // namespace tarnvel::logbook
