#include <gtest/gtest.h>

#include "LogTestFiles.h"
#include "logbook/LogExchange.h"
#include "logbook/LogLine.h"

namespace tarnvel::logbook {
namespace {

using testing::LogFolder;
using testing::logLine;
using testing::readFile;
using testing::utc;
using testing::writeFile;

std::string adifQso(const std::string& call, const std::string& date, const std::string& time,
                    const std::string& extra = "<FREQ:6>14.070") {
    return "<CALL:" + std::to_string(call.size()) + ">" + call + "<QSO_DATE:8>" + date +
           "<TIME_ON:" + std::to_string(time.size()) + ">" + time + extra + "<EOR>\n";
}

std::vector<std::string> callsInLog(const LogFile& log) {
    std::vector<std::string> calls;
    for (const QsoRecord& r : log.searchAll(kWholeLogSearch).records) calls.push_back(r.call);
    return calls;
}

class AdifImport : public ::testing::Test {
  protected:
    std::string adif(const std::string& text) {
        const std::string path = folder_.file("in.adi");
        writeFile(path, text);
        return path;
    }
    LogFolder folder_;
    LogFile log_ = folder_.log();
};

TEST_F(AdifImport, NoLogYetMakesOneFromTheImport) {
    const ImportResult result =
        importAdif(log_, adif("header\n<EOH>\n" + adifQso("SP1A", "20200101", "1200")));
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.imported, 1u);
    EXPECT_EQ(callsInLog(log_), std::vector<std::string>{"SP1A"});
}

TEST_F(AdifImport, TwoQsosInOneMinuteAreBothKept) {
    const ImportResult result = importAdif(
        log_, adif(adifQso("SP1A", "20200101", "1234") + adifQso("SP2B", "20200101", "1234") +
                   adifQso("SP1A", "20200101", "1234", "<FREQ:5>7.040")));
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.imported, 3u);  // the third is another band
    EXPECT_EQ(result.duplicates, 0u);
    EXPECT_EQ(callsInLog(log_), (std::vector<std::string>{"SP1A", "SP2B", "SP1A"}));
}

TEST_F(AdifImport, SameStartSameCallSameBandIsADuplicate) {
    writeFile(log_.path(), logLine("SP1A", "20200101123400") + "\n");
    const ImportResult result =
        importAdif(log_, adif(adifQso("SP1A", "20200101", "1234", "<FREQ:6>14.075") +
                              adifQso("sp1a", "20200101", "123400", "<BAND:3>20M") +
                              adifQso("SP2B", "20200101", "1234")));
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.imported, 1u);
    EXPECT_EQ(result.duplicates, 2u);
    EXPECT_EQ(callsInLog(log_), (std::vector<std::string>{"SP1A", "SP2B"}));
}

TEST_F(AdifImport, NewestFirstInputIsSortedIntoTheLog) {
    writeFile(log_.path(), logLine("MID", "20200102000000") + "\n");
    const ImportResult result = importAdif(
        log_, adif(adifQso("LATE", "20200103", "0000") + adifQso("EARLY2", "20200101", "0100") +
                   adifQso("EARLY1", "20200101", "0000")));
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.imported, 3u);
    EXPECT_EQ(callsInLog(log_), (std::vector<std::string>{"EARLY1", "EARLY2", "MID", "LATE"}));
    // Imported again: nothing new.
    const ImportResult again = importAdif(log_, folder_.file("in.adi"));
    EXPECT_EQ(again.imported, 0u);
    EXPECT_EQ(again.duplicates, 3u);
}

TEST_F(AdifImport, UnparsableLogLinesAreCopiedThrough) {
    writeFile(log_.path(),
              "my own remark\n" + logLine("MID", "20200102000000") + "\nbroken;line\n");
    ASSERT_TRUE(importAdif(log_, adif(adifQso("NEW", "20200103", "0000"))).status);
    const LogLines lines = log_.readLines();
    ASSERT_EQ(lines.lines.size(), 4u);
    EXPECT_EQ(lines.lines[0], "my own remark");
    EXPECT_EQ(lines.lines[2], "broken;line");
    EXPECT_NE(lines.lines[3].find("NEW"), std::string::npos);
}

TEST_F(AdifImport, BadRecordsGoToErrAdiBesideTheLogAndAreCounted) {
    const std::string bad1 = adifQso("BAD1", "20201399", "1200");
    const std::string bad2 = "<CALL:4>BAD2<QSO_DATE:8>20200101<TIME_ON:4>1200<EOR>\n";
    const ImportResult result =
        importAdif(log_, adif(bad1 + adifQso("GOOD", "20200101", "1200") + bad2));
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.imported, 1u);
    EXPECT_EQ(result.errors, 2u);
    EXPECT_EQ(result.errorFile, folder_.file("ERR.ADI"));
    EXPECT_EQ(readFile(folder_.file("ERR.ADI")), bad1 + bad2);
    EXPECT_EQ(callsInLog(log_), std::vector<std::string>{"GOOD"});
}

TEST_F(AdifImport, ACommentWithLineBreaksStaysOneLogLine) {
    ASSERT_TRUE(importAdif(log_, adif(adifQso("SP1A", "20200101", "1200",
                                              "<FREQ:5>7.040<COMMENT:8>a;b\r\nc;d")))
                    .status);
    const LogLines lines = log_.readLines();
    ASSERT_EQ(lines.lines.size(), 1u);
    const auto record = parseLogLine(lines.lines[0]);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->notes, "a,b  c,d");
}

TEST_F(AdifImport, AMissingInputIsReportedAndTheLogUntouched) {
    writeFile(log_.path(), logLine("MID", "20200102000000") + "\n");
    const ImportResult result = importAdif(log_, folder_.file("nothing.adi"));
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.failure, ExchangeFailure::Input);
    EXPECT_NE(result.status.error.find("nothing.adi"), std::string::npos);
    EXPECT_FALSE(testing::fileExists(log_.backupPath()));
}

TEST_F(AdifImport, AnErrorFileThatCannotBeWrittenStopsTheImportBeforeTheLogChanges) {
    writeFile(log_.path(), logLine("MID", "20200102000000") + "\n");
    const std::string before = readFile(log_.path());
    ASSERT_EQ(::mkdir(folder_.file("ERR.ADI.tmp").c_str(), 0700), 0);
    const ImportResult result = importAdif(
        log_, adif(adifQso("GOOD", "20200101", "1200") + adifQso("BAD", "20201399", "1200")));
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.failure, ExchangeFailure::Output);
    EXPECT_NE(result.status.error.find("ERR.ADI"), std::string::npos);
    EXPECT_EQ(readFile(log_.path()), before);
}

TEST(AdifExport, NoLogYetGivesAnEmptyExport) {
    LogFolder folder;
    const ExportResult result = exportAdif(folder.log(), folder.file("out.adi"));
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.exported, 0u);
    EXPECT_EQ(readFile(folder.file("out.adi")),
              "Tarnvel v 1.6 log file exported to ADIF\n<EOH>\n<ADIF_VER:4>1.00\n");
}

TEST(AdifExport, ExportThenImportAddsNothingAndKeepsTheHertz) {
    LogFolder folder;
    const LogFile log = folder.log();
    writeFile(log.path(), logLine("SP1A", "20200101120000", "Jan", "Kraków", "ft8", "14074150") +
                              "\n" + "not a qso\n" +
                              logLine("SP1A", "20200101120000", "", "", "", "7074150") + "\n" +
                              logLine("SP2B", "20200101120000", "", "", "", "0") + "\n");
    const std::string before = readFile(log.path());
    const ExportResult exported = exportAdif(log, folder.file("out.adi"));
    ASSERT_TRUE(exported.status);
    EXPECT_EQ(exported.exported, 3u);
    EXPECT_EQ(exported.skipped, 1u);
    EXPECT_NE(readFile(folder.file("out.adi")).find("<FREQ:9>14.074150"), std::string::npos);

    const ImportResult imported = importAdif(log, folder.file("out.adi"));
    ASSERT_TRUE(imported.status);
    EXPECT_EQ(imported.imported, 0u);
    EXPECT_EQ(imported.duplicates, 3u);
    EXPECT_EQ(imported.errors, 0u);
    EXPECT_EQ(readFile(log.path()), before);

    // Into an empty log the export brings back the same QSOs.
    LogFolder other;
    ASSERT_TRUE(importAdif(other.log(), folder.file("out.adi")).status);
    const auto original = log.searchAll("/").records;
    const auto copied = other.log().searchAll("/").records;
    ASSERT_EQ(copied.size(), original.size());
    for (size_t i = 0; i < copied.size(); ++i) EXPECT_EQ(copied[i], original[i]) << i;
}

TEST(AdifExport, RefusesToWriteOverTheLogItsBackupsOrItsTemporaryFile) {
    LogFolder folder;
    const LogFile log = folder.log();
    writeFile(log.path(), logLine("SP1A", "20200101120000") + "\n");
    const std::string before = readFile(log.path());
    for (const std::string& target :
         {log.path(), log.tempPath(), log.backupPath(BackupName::Bak),
          log.backupPath(BackupName::Old), folder.path() + "/./Tarnvel.log"}) {
        const ExportResult result = exportAdif(log, target);
        EXPECT_FALSE(result.status) << target;
        EXPECT_EQ(result.failure, ExchangeFailure::Output);
    }
    EXPECT_EQ(readFile(log.path()), before);
}

class LogMerging : public ::testing::Test {
  protected:
    LogFolder folder_;
    LogFile log_ = folder_.log();
    std::string otherPath_ = folder_.file("other.log");
};

TEST_F(LogMerging, MergesByStartDroppingOnlyRealDuplicates) {
    writeFile(log_.path(), logLine("A", "20200101000000", "mine") + "\nown note\n" +
                               logLine("C", "20200103000000") + "\n");
    writeFile(otherPath_, logLine("D", "20200104000000") + "\n" +
                              logLine("A", "20200101000000", "theirs") + "\n" +
                              logLine("X", "20200101000000") + "\n" + "junk\n" +
                              logLine("B", "20200102000000") + "\r\n");
    const MergeResult result = mergeLog(log_, otherPath_);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.merged, 3u);
    EXPECT_EQ(result.duplicates, 1u);
    EXPECT_EQ(result.unreadable, 1u);
    const LogLines lines = log_.readLines();
    ASSERT_EQ(lines.lines.size(), 6u);
    EXPECT_EQ(lines.lines[0], logLine("A", "20200101000000", "mine"));  // the log's line is kept
    EXPECT_EQ(lines.lines[1], "own note");  // stays right after the line it followed
    EXPECT_EQ(lines.lines[2], logLine("X", "20200101000000"));
    EXPECT_EQ(lines.lines[3], logLine("B", "20200102000000") + "\r");  // copied as it was
    EXPECT_EQ(lines.lines[5], logLine("D", "20200104000000"));
    EXPECT_TRUE(testing::fileExists(log_.backupPath()));
}

TEST_F(LogMerging, NoLogYetTakesTheOtherLogSorted) {
    writeFile(otherPath_,
              logLine("B", "20200102000000") + "\n" + logLine("A", "20200101000000") + "\n");
    const MergeResult result = mergeLog(log_, otherPath_);
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.merged, 2u);
    EXPECT_EQ(callsInLog(log_), (std::vector<std::string>{"A", "B"}));
}

TEST_F(LogMerging, AMissingOtherLogIsAnInputFailure) {
    const MergeResult result = mergeLog(log_, otherPath_);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.failure, ExchangeFailure::Input);
    EXPECT_NE(result.status.error.find(otherPath_), std::string::npos);
    EXPECT_FALSE(testing::fileExists(log_.path()));
}

}  // namespace
}  // namespace tarnvel::logbook
