#include <gtest/gtest.h>

#include "LogTestFiles.h"
#include "logbook/LogLine.h"

namespace tarnvel::logbook {
namespace {

using testing::utc;

TEST(LogTime, CivilTimesMatchTheCalendar) {
    EXPECT_EQ(utc(2004, 10, 26, 12, 34, 0), 1098794040);
    EXPECT_EQ(utc(2000, 2, 29, 23, 59, 59), 951868799);
    EXPECT_EQ(utc(1900, 1, 1), -2208988800);
    EXPECT_EQ(utc(9999, 12, 31, 23, 59, 59), 253402300799);
    const CivilTime back = toCivilTime(-2208988800 + 59 * 86400 + 3661);
    EXPECT_EQ(back.year, 1900);
    EXPECT_EQ(back.month, 3);  // 1900 is no leap year
    EXPECT_EQ(back.day, 1);
    EXPECT_EQ(back.hour, 1);
    EXPECT_EQ(back.minute, 1);
    EXPECT_EQ(back.second, 1);
}

TEST(LogTime, StartsAreFourteenDigitsOfARealMoment) {
    EXPECT_EQ(formatStart(1098794040), "20041026123400");
    EXPECT_EQ(parseStart("20041026123400"), 1098794040);
    EXPECT_EQ(parseStart("20000229000000"), utc(2000, 2, 29));
    EXPECT_FALSE(parseStart("19000229000000"));  // no 29 February in 1900
    EXPECT_FALSE(parseStart("20041326123400"));  // month 13
    EXPECT_FALSE(parseStart("20041026243400"));  // hour 24
    EXPECT_FALSE(parseStart("2004102612340"));   // 13 digits
    EXPECT_FALSE(parseStart("01011026123400"));  // year 101
    EXPECT_FALSE(parseStart("2004102612340x"));
    EXPECT_EQ(formatStart(utc(1899, 12, 31)), "");  // never written as a short start
}

TEST(LogLine, WritesTheNineteenFieldsInOrder) {
    QsoRecord r = testing::qso("sp9xyz", utc(2026, 12, 8, 14, 2, 18));
    r.number = 7;
    r.end = r.start + 5 * 60 + 59;  // 5 whole minutes
    r.dateA = utc(2026, 12, 9);
    r.dateB = utc(2026, 12, 1);  // not later than the start: not written
    r.text1 = "t1";
    r.text5 = "t5";
    r.text6 = "t6";
    r.name = "Jan";
    r.qth = "Kraków";
    r.notes = "tnx";
    r.text10 = "t10";
    r.text11 = "t11";
    EXPECT_EQ(formatLogLine(r),
              "7;SP9XYZ;20261208140218;5;20261209;;0;14070000;t1;BPSK;599;579;t5;t6;Jan;Kraków;tnx;"
              "t10;t11;\n");
}

TEST(LogLine, FrequencyOneIsWrittenOnlyWithoutFrequencyTwo) {
    QsoRecord r = testing::qso("A1B", utc(2020, 1, 1), 0);
    r.frequency1 = 7040000;
    EXPECT_NE(formatLogLine(r).find(";7040000;0;"), std::string::npos);
    r.frequency2 = 7041000;
    EXPECT_NE(formatLogLine(r).find(";0;7041000;"), std::string::npos);
}

TEST(LogLine, SemicolonsAndLineBreaksInTextsCannotBreakTheLine) {
    QsoRecord r = testing::qso("DL1ABC", utc(2020, 1, 1));
    r.name = "Hans;Peter";
    r.notes = "first\r\nsecond;third";
    r.qth = "line\nbreak";
    const std::string line = formatLogLine(r);
    EXPECT_EQ(std::count(line.begin(), line.end(), ';'), kLogLineFields);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const auto back = parseLogLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, "Hans,Peter");
    EXPECT_EQ(back->notes, "first  second,third");
    EXPECT_EQ(back->qth, "line break");
    EXPECT_EQ(back->rstReceived, "579");  // later fields did not shift
}

TEST(LogLine, ReadsBackWhatItWrites) {
    QsoRecord r =
        testing::qso("OH2XYZ", utc(2023, 7, 1, 23, 59, 0), 10'368'100'123);  // past 2^31 Hz
    r.end = r.start + 125 * 60;
    r.dateA = utc(2023, 7, 3);
    r.dateB = utc(2023, 8, 1);
    r.number = -3;
    r.notes = std::string(5000, 'x');  // far past any fixed line buffer
    r.text11 = "tail";
    const std::string line = formatLogLine(r);
    const auto back = parseLogLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, r);
}

TEST(LogLine, ParsingFailsOnAMissingFieldOrABadNumberStartDurationOrFrequency) {
    const std::string good = testing::logLine("SP1A", "20200101120000");
    ASSERT_TRUE(parseLogLine(good));
    EXPECT_FALSE(parseLogLine(good.substr(0, good.size() - 1)));  // the 19th ";" is missing
    EXPECT_FALSE(parseLogLine("x" + good));                       // number not an integer
    EXPECT_FALSE(parseLogLine(testing::logLine("SP1A", "2020010112000")));
    EXPECT_FALSE(parseLogLine(testing::logLine("SP1A", "20200230120000")));
    EXPECT_FALSE(parseLogLine(testing::logLine("SP1A", "20200101120000", "", "", "", "14.070")));
    EXPECT_FALSE(parseLogLine(testing::logLine("SP1A", "20200101120000", "", "", "", "-5")));
    std::string badDuration = good;
    badDuration.replace(badDuration.find(";;;;"), 4, ";5m;;;");
    EXPECT_FALSE(parseLogLine(badDuration));
    std::string hugeDuration = good;
    hugeDuration.replace(hugeDuration.find(";;;;"), 4, ";99999999999999999999;;;");
    EXPECT_FALSE(parseLogLine(hugeDuration));
}

TEST(LogLine, ReadsDurationsDatesAndTheOtherFrequency) {
    const auto r =
        parseLogLine("1;SP1A;20200101120000;90;2020013;20200105;3580000;0;;BPSK;;;;;;;;;;");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->end, r->start + 90 * 60);
    EXPECT_FALSE(r->dateA);  // does not read as a date: cleared
    EXPECT_EQ(r->dateB, utc(2020, 1, 5));
    EXPECT_EQ(r->frequency1, 3580000);
    EXPECT_EQ(r->frequency2, 3580000);  // a 0 takes the other frequency
}

TEST(LogLine, ToleratesACarriageReturnAndTextAfterTheLastField) {
    const std::string line = testing::logLine("SP1A", "20200101120000") + "\r";
    EXPECT_TRUE(parseLogLine(withoutCarriageReturn(line)));
    EXPECT_TRUE(parseLogLine(testing::logLine("SP1A", "20200101120000") + "extra;"));
}

TEST(LogLine, TheMergeReadsOnlyTheStart) {
    EXPECT_EQ(parseLogStart("x;SP1A;20200101120000;"), utc(2020, 1, 1, 12));
    EXPECT_FALSE(parseLogStart("x;SP1A;20200101120000"));
    EXPECT_FALSE(parseLogStart("x;SP1A;junk;"));
}

}  // namespace
}  // namespace tarnvel::logbook
