// A full disk and a killed process must never cost a QSO: the old log stays whole, or the new.

#include <gtest/gtest.h>

#include <set>

#include "LogTestFiles.h"
#include "logbook/LogExchange.h"
#include "logbook/LogLine.h"
#include "support/CrashTrial.h"

namespace tarnvel::logbook {
namespace {

using testing::LogFolder;
using testing::readFile;
using testing::utc;

std::string callNumber(int i) {
    char call[16];
    std::snprintf(call, sizeof call, "Q%04d", i);
    return call;
}

void writeLogOf(const LogFile& log, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += formatLogLine(testing::qso(callNumber(i), utc(2020, 1, 1) + i * 60));
    testing::writeFile(log.path(), text);
}

using tarnvel::testing::runWithFileSizeLimit;

class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        writeLogOf(log_, 50);
        before_ = readFile(log_.path());
    }
    LogFolder folder_;
    LogFile log_ = folder_.log();
    std::string before_;
};

TEST_F(FullDisk, AFailedImportKeepsTheOldLogAndReportsTheTemporaryFile) {
    std::string adif;
    for (int i = 0; i < 20; ++i)
        adif += "<CALL:4>NEW" + std::to_string(i % 10) + "<QSO_DATE:8>20210101<TIME_ON:4>12" +
                (i < 10 ? "0" : "") + std::to_string(i) + "<FREQ:5>7.040<EOR>\n";
    testing::writeFile(folder_.file("in.adi"), adif);
    const int code = runWithFileSizeLimit(before_.size(), [&] {
        const ImportResult result = importAdif(log_, folder_.file("in.adi"));
        if (result.status.ok) return 1;
        if (result.failure != ExchangeFailure::Log) return 2;
        if (result.status.error.find(log_.tempPath()) == std::string::npos) return 3;
        if (result.imported != 0) return 4;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(log_.path()), before_);
    EXPECT_FALSE(testing::fileExists(log_.tempPath()));
}

TEST_F(FullDisk, AFailedReplaceKeepsTheOldLog) {
    const QsoRecord key = log_.searchAll("Q0007").records.at(0);
    QsoRecord longer = key;
    longer.notes = std::string(400, 'n');
    const int code = runWithFileSizeLimit(before_.size() + 100, [&] {
        const RewriteResult result = log_.replaceRecord(key, longer);
        return result.status.ok ? 1 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(log_.path()), before_);
}

TEST_F(FullDisk, AFailedAppendLeavesNoPartialLine) {
    QsoRecord big = testing::qso("BIG", utc(2022, 1, 1));
    big.notes = std::string(500, 'x');
    const int code = runWithFileSizeLimit(before_.size() + 100, [&] {
        const LogStatus status = log_.append(big);
        if (status.ok) return 1;
        return status.error.find(log_.path()) == std::string::npos ? 2 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(log_.path()), before_);
}

TEST_F(FullDisk, AFailedExportIsReportedAndLeavesNoFile) {
    const std::string out = folder_.file("out.adi");
    const int code = runWithFileSizeLimit(1000, [&] {
        const ExportResult result = exportAdif(log_, out);
        return !result.status.ok && result.failure == ExchangeFailure::Output ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(testing::fileExists(out));
    EXPECT_FALSE(testing::fileExists(out + ".tmp"));
}

// Calls of the QSOs in a file whose every line must parse (a torn line fails the test).
std::set<std::string> callsOf(const std::string& path, bool& whole) {
    std::set<std::string> calls;
    for (const std::string& line : splitLines(readFile(path))) {
        const auto record = parseLogLine(line);
        if (!record)
            whole = false;
        else
            calls.insert(record->call);
    }
    return calls;
}

TEST(KilledRewrite, EveryQsoSurvivesInTheLogOrItsBackup) {
    constexpr int kQsos = 5000;
    LogFolder folder;
    const LogFile log = folder.log();
    writeLogOf(log, kQsos);
    const auto qsoNumber = [](int k) {
        return testing::qso(callNumber(k), utc(2020, 1, 1) + k * 60);
    };
    // Delete one QSO and append it again, over and over, until killed.
    const auto rewrite = [&](int n) {
        const std::vector<QsoRecord> keys = {qsoNumber(n % kQsos)};
        return log.deleteRecords(keys).status.ok && log.append(keys[0]).ok;
    };
    tarnvel::testing::killWriterAtRandom({}, rewrite, [&](int run) {
        bool logWhole = true, backupWhole = true;
        const std::set<std::string> inLog = callsOf(log.path(), logWhole);
        const std::set<std::string> inBackup = callsOf(log.backupPath(), backupWhole);
        ASSERT_TRUE(logWhole) << "torn log line in run " << run;
        ASSERT_GE(inLog.size(), static_cast<size_t>(kQsos - 1)) << "run " << run;
        for (int i = 0; i < kQsos; ++i)
            ASSERT_TRUE(inLog.count(callNumber(i)) ||
                        (backupWhole && inBackup.count(callNumber(i))))
                << callNumber(i) << " lost in run " << run;
        // Put the QSO a kill took between delete and append back, for the next run.
        for (int i = 0; i < kQsos; ++i)
            if (!inLog.count(callNumber(i))) {
                ASSERT_TRUE(log.append(qsoNumber(i)));
            }
    });
}

}  // namespace
}  // namespace tarnvel::logbook
