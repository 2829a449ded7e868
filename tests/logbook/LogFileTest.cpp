#include <gtest/gtest.h>

#include "LogTestFiles.h"
#include "logbook/LogLine.h"

namespace tarnvel::logbook {
namespace {

using testing::LogFolder;
using testing::logLine;
using testing::qso;
using testing::readFile;
using testing::utc;
using testing::writeFile;

TEST(LogFileAppend, CreatesAMissingLogAndAddsLinesAtTheEnd) {
    LogFolder folder;
    const LogFile log = folder.log();
    ASSERT_TRUE(log.append(qso("SP1A", utc(2020, 1, 1))));
    ASSERT_TRUE(log.append(qso("SP2B", utc(2020, 1, 2))));
    EXPECT_EQ(readFile(log.path()), formatLogLine(qso("SP1A", utc(2020, 1, 1))) +
                                        formatLogLine(qso("SP2B", utc(2020, 1, 2))));
}

TEST(LogFileAppend, EndsAnUnfinishedLastLineFirst) {
    LogFolder folder;
    const LogFile log = folder.log();
    writeFile(log.path(), logLine("SP1A", "20200101120000"));  // no final line feed
    ASSERT_TRUE(log.append(qso("SP2B", utc(2020, 1, 2))));
    const LogLines lines = log.readLines();
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[0], logLine("SP1A", "20200101120000"));
    EXPECT_TRUE(parseLogLine(lines.lines[1]));
}

TEST(LogFileAppend, ReportsALogThatCannotBeOpenedNamingIt) {
    LogFolder folder;
    const LogFile log(folder.file("missing-folder/Tarnvel.log"));
    const LogStatus status = log.append(qso("SP1A", utc(2020, 1, 1)));
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find(log.path()), std::string::npos) << status.error;
}

TEST(LogFileRead, AMissingLogIsAnEmptyLog) {
    LogFolder folder;
    LogFile log = folder.log();
    const LogLines lines = log.readLines();
    EXPECT_TRUE(lines.status.ok);
    EXPECT_FALSE(lines.exists);
    EXPECT_EQ(log.search("SP").step, SearchStep::End);
    EXPECT_TRUE(log.searchAll("/").records.empty());
    EXPECT_EQ(log.findEarlier("SP1A").matches, 0u);
}

TEST(LogFileFind, MatchesNumberStartCallAndMode) {
    LogFolder folder;
    const LogFile log = folder.log();
    QsoRecord a = qso("SP1A", utc(2020, 1, 1));
    a.name = "first";
    QsoRecord b = a;
    b.mode = "QPSK";
    b.name = "second";
    ASSERT_TRUE(log.append(a));
    ASSERT_TRUE(log.append(b));
    LogStatus status;
    QsoRecord key = a;
    key.mode = "QPSK";
    const auto found = log.findRecord(key, status);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "second");
    key.number = 1;
    EXPECT_FALSE(log.findRecord(key, status));
}

class LogSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(log_.path(),
                  logLine("SP9XYZ", "20200101120000", "Jan") + "\n" +
                      logLine("DL1ABC", "20200102120000", "Hans", "", "worked sp9xyz before") +
                      "\n" + "broken sp9xyz line;\n" +
                      logLine("SP9XYZ", "20200103120000", "Janek", "Krakow") + "\n");
    }
    LogFolder folder_;
    LogFile log_ = folder_.log();
};

TEST_F(LogSearch, LowerCaseTextFindsUpperCaseCallsAndCallsInsideNotes) {
    SearchHit hit = log_.search("sp9xyz");
    ASSERT_EQ(hit.step, SearchStep::Found);
    EXPECT_EQ(hit.record.name, "Jan");
    hit = log_.searchNext();
    ASSERT_EQ(hit.step, SearchStep::Found);
    EXPECT_EQ(hit.record.call, "DL1ABC");
}

TEST_F(LogSearch, AMatchingLineThatDoesNotParseStopsThePlainSearchThere) {
    log_.search("SP9XYZ");
    log_.searchNext();
    const SearchHit bad = log_.searchNext();
    EXPECT_EQ(bad.step, SearchStep::Unreadable);
    EXPECT_EQ(bad.lineNumber, 3u);
    EXPECT_EQ(bad.line, "broken sp9xyz line;");
    const SearchHit after = log_.searchNext();  // a caller may go on past it
    ASSERT_EQ(after.step, SearchStep::Found);
    EXPECT_EQ(after.record.name, "Janek");
    EXPECT_EQ(log_.searchNext().step, SearchStep::End);
}

TEST_F(LogSearch, SearchAllListsEveryMatchAndCountsUnreadableOnes) {
    const SearchList list = log_.searchAll("sp9xyz");
    ASSERT_EQ(list.records.size(), 3u);
    EXPECT_EQ(list.unreadable, 1u);
    EXPECT_EQ(list.records[2].name, "Janek");
    EXPECT_EQ(log_.searchAll("hans").records.size(), 1u);
    EXPECT_EQ(log_.searchAll(kWholeLogSearch).records.size(), 3u);  // "/" lists the whole log
}

TEST_F(LogSearch, FillInComparesTheCallFieldExactlyAndTheLastQsoWins) {
    const EarlierQso earlier = log_.findEarlier("sp9xyz");
    EXPECT_EQ(earlier.matches, 2u);
    EXPECT_EQ(earlier.name, "Janek");
    EXPECT_EQ(earlier.qth, "Krakow");
    EXPECT_EQ(log_.findEarlier("SP9XY").matches, 0u);   // a prefix of another call
    EXPECT_EQ(log_.findEarlier("P9XYZ").matches, 0u);   // a suffix
    EXPECT_TRUE(log_.findEarlier("ABC").name.empty());  // inside DL1ABC
}

TEST(LogFileFill, AnEmptyNameOrQthKeepsTheEarlierOne) {
    LogFolder folder;
    writeFile(folder.logPath(), logLine("G4AAA", "20200101120000", "Bob", "Leeds") + "\n" +
                                    logLine("G4AAA", "20200102120000", "", "") + "\n");
    const EarlierQso earlier = folder.log().findEarlier("G4AAA");
    EXPECT_EQ(earlier.name, "Bob");
    EXPECT_EQ(earlier.qth, "Leeds");
}

class LogRewrite : public ::testing::Test {
  protected:
    void SetUp() override {
        original_ = logLine("SP1A", "20200101120000", "one") + "\n" + "not a log line\n" +
                    logLine("SP2B", "20200102120000", "two") + "\n" +
                    logLine("SP3C", "20200103120000", "three") + "\n";
        writeFile(log_.path(), original_);
    }
    QsoRecord keyOf(int index) const {
        return log_.searchAll("/").records.at(static_cast<size_t>(index));
    }

    LogFolder folder_;
    LogFile log_ = folder_.log();
    std::string original_;
};

TEST_F(LogRewrite, ReplaceChangesOneLineAndKeepsTheOldLogAsBackup) {
    QsoRecord edited = keyOf(1);
    edited.name = "Zbigniew";
    edited.frequency1 = edited.frequency2 = 14074150;
    const RewriteResult result = log_.replaceRecord(keyOf(1), edited);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.changed, 1u);
    const LogLines lines = log_.readLines();
    ASSERT_EQ(lines.lines.size(), 4u);
    EXPECT_EQ(lines.lines[1], "not a log line");  // copied through
    EXPECT_EQ(lines.lines[2] + "\n", formatLogLine(edited));
    EXPECT_EQ(lines.lines[3], logLine("SP3C", "20200103120000", "three"));
    EXPECT_EQ(readFile(log_.backupPath()), original_);
    EXPECT_FALSE(testing::fileExists(log_.tempPath()));
}

TEST_F(LogRewrite, ReplaceOfAQsoNotInTheLogChangesNothingAndSaysSo) {
    const ino_t before = testing::inodeOf(log_.path());
    QsoRecord key = keyOf(0);
    key.mode = "QPSK";
    const RewriteResult result = log_.replaceRecord(key, keyOf(0));
    EXPECT_FALSE(result.status);
    EXPECT_NE(result.status.error.find(log_.path()), std::string::npos);
    EXPECT_EQ(testing::inodeOf(log_.path()), before);
    EXPECT_FALSE(testing::fileExists(log_.backupPath()));
}

TEST_F(LogRewrite, DeletingTwoQsosKeepsAllOthersInOrder) {
    const std::vector<QsoRecord> keys = {keyOf(2), keyOf(0)};  // any order
    const RewriteResult result = log_.deleteRecords(keys, BackupName::Old);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.changed, 2u);
    EXPECT_EQ(readFile(log_.path()),
              "not a log line\n" + logLine("SP2B", "20200102120000", "two") + "\n");
    EXPECT_EQ(readFile(log_.backupPath(BackupName::Old)), original_);
    EXPECT_FALSE(testing::fileExists(log_.backupPath(BackupName::Bak)));
}

TEST_F(LogRewrite, EachKeyDeletesOneOfTwoIdenticalLines) {
    ASSERT_TRUE(log_.append(keyOf(0)));
    const std::vector<QsoRecord> keys = {keyOf(0)};
    ASSERT_TRUE(log_.deleteRecords(keys).status);
    EXPECT_EQ(log_.searchAll("SP1A").records.size(), 1u);
}

TEST_F(LogRewrite, KeysNotFoundAreReportedAfterTheOthersAreDeleted) {
    QsoRecord ghost = keyOf(0);
    ghost.call = "GHOST";
    const std::vector<QsoRecord> keys = {keyOf(0), ghost};
    const RewriteResult result = log_.deleteRecords(keys);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.changed, 1u);
    EXPECT_EQ(log_.searchAll("/").records.size(), 2u);
}

TEST(LogFileDelete, DeletingTheOnlyQsoLeavesAnEmptyLogAndTheOldOneAsBackup) {
    LogFolder folder;
    const LogFile log = folder.log();
    ASSERT_TRUE(log.append(qso("SP1A", utc(2020, 1, 1))));
    const std::string before = readFile(log.path());
    const std::vector<QsoRecord> keys = {qso("SP1A", utc(2020, 1, 1))};
    ASSERT_TRUE(log.deleteRecords(keys).status);
    EXPECT_TRUE(testing::fileExists(log.path()));
    EXPECT_EQ(readFile(log.path()), "");
    EXPECT_EQ(readFile(log.backupPath()), before);
}

TEST(LogFileRewrite, AFailedRewriteLeavesTheLogAndReportsTheFile) {
    LogFolder folder;
    const LogFile log = folder.log();
    ASSERT_TRUE(log.append(qso("SP1A", utc(2020, 1, 1))));
    const std::string before = readFile(log.path());
    ASSERT_EQ(::mkdir(log.tempPath().c_str(), 0700), 0);  // the temporary file cannot be created
    const std::vector<QsoRecord> keys = {qso("SP1A", utc(2020, 1, 1))};
    const RewriteResult result = log.deleteRecords(keys);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.changed, 0u);
    EXPECT_NE(result.status.error.find(log.tempPath()), std::string::npos) << result.status.error;
    EXPECT_EQ(readFile(log.path()), before);
}

}  // namespace
}  // namespace tarnvel::logbook
