#include <gtest/gtest.h>

#include "LogTestFiles.h"
#include "logbook/AdifReader.h"
#include "logbook/AdifWriter.h"
#include "logbook/FrequencyText.h"

namespace tarnvel::logbook {
namespace {

using testing::utc;

AdifQso onlyQso(const std::string& text) {
    const auto records = readAdifRecords(text);
    EXPECT_EQ(records.size(), 1u);
    return records.empty() ? AdifQso{} : parseAdifRecord(records[0]);
}

TEST(AdifRead, BandWithoutFreqGivesTheBandTableFrequency) {
    const AdifQso q =
        onlyQso("<CALL:5>SP9AB<QSO_DATE:8>20041026<TIME_ON:4>1234<BAND:3>20m<MODE:4>BPSK<EOR>\n");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->call, "SP9AB");
    EXPECT_EQ(q.record->start, utc(2004, 10, 26, 12, 34, 0));
    EXPECT_EQ(q.record->end, q.record->start);
    EXPECT_EQ(q.record->frequency1, 14070000);
    EXPECT_EQ(q.record->frequency2, 14070000);
    EXPECT_EQ(q.record->mode, "BPSK");
    EXPECT_EQ(q.record->number, 0);
}

TEST(AdifRead, FreqIsTakenInMegahertzToTheHertz) {
    EXPECT_EQ(
        onlyQso("<CALL:5>SP9AB<QSO_DATE:8>20041026<TIME_ON:4>1234<BAND:3>20m<FREQ:6>14.071<EOR>")
            .record->frequency2,
        14071000);
    EXPECT_EQ(onlyQso("<CALL:5>SP9AB<QSO_DATE:8>20041026<TIME_ON:6>123456<FREQ:9>14.074150<EOR>")
                  .record->frequency2,
              14074150);
    EXPECT_EQ(onlyQso("<CALL:5>SP9AB<QSO_DATE:8>20041026<TIME_ON:4>1234<FREQ:12>10368.100123<EOR>")
                  .record->frequency2,
              10'368'100'123);
}

TEST(AdifRead, FieldNamesAreFoundInAnyCase) {
    const AdifQso q =
        onlyQso("<call:4>k1ab<qso_date:8>20200101<time_on:4>0000<Freq:5>7.040<name:3>Bob<eor>");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->call, "K1AB");
    EXPECT_EQ(q.record->name, "Bob");
}

TEST(AdifRead, NamesAreExactNotSubstrings) {
    const AdifQso q = onlyQso(
        "<APP_LOTW_OWNCALL:5>SP1ME<EQ_CALL:5>SP1ME<MY_NAME:5>Maria<SUBMODE:5>PSK31<CALL:5>DL2XY"
        "<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:6>14.070<MODE:3>PSK<NAME:4>Karl<MY_QTH:6>Poznan<"
        "EOR>");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->call, "DL2XY");
    EXPECT_EQ(q.record->name, "Karl");
    EXPECT_EQ(q.record->mode, "PSK");
    EXPECT_EQ(q.record->qth, "");
}

TEST(AdifRead, NameTextInsideAValueIsNotAField) {
    const AdifQso q = onlyQso(
        "<COMMENT:17>NAME:5 CALL:3 "
        "zzz<CALL:4>W1AW<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<EOR>");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->call, "W1AW");
    EXPECT_EQ(q.record->name, "");
    EXPECT_EQ(q.record->notes, "NAME:5 CALL:3 zzz");
}

TEST(AdifRead, TheHeaderIsSkippedUpToEoh) {
    const auto records = readAdifRecords(
        "Exported by a logger <CALL:4>HDR1 <PROGRAMID:6>Logger\r\n<EOH>\r\n"
        "<CALL:4>W1AW<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<EOR>\r\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(parseAdifRecord(records[0]).record->call, "W1AW");
}

TEST(AdifRead, AHeaderStartingWithAFieldIsDroppedAtEoh) {
    const auto records = readAdifRecords(
        "<ADIF_VER:5>3.1.4<CALL:4>HDR1<eoh><CALL:4>W1AW<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>"
        "7.040<EOR>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(parseAdifRecord(records[0]).record->call, "W1AW");
}

TEST(AdifRead, RecordsEndAtEorInAnyCase) {
    const auto records = readAdifRecords(
        "<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<eor>"
        "<CALL:3>B2B<QSO_DATE:8>20200101<TIME_ON:4>1201<FREQ:5>7.040<Eor>"
        "<CALL:3>C3C<QSO_DATE:8>20200101<TIME_ON:4>1202<FREQ:5>7.040<EOR>");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(parseAdifRecord(records[1]).record->call, "B2B");
    EXPECT_EQ(parseAdifRecord(records[2]).record->call, "C3C");
}

TEST(AdifRead, LengthsCountBytesAndValuesMayHoldLineBreaks) {
    const AdifQso q = onlyQso(
        "<CALL:4>W1AW<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<QTH:7>Kraków"
        "<COMMENT:23>first line\r\nsecond <EO>\n<EOR>");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->qth, "Kraków");  // 7 bytes, 6 characters
    EXPECT_EQ(q.record->notes, "first line\r\nsecond <EO>");
}

TEST(AdifRead, ALengthPastTheRecordEndSpoilsOnlyThatRecord) {
    const auto records = readAdifRecords(
        "<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<COMMENT:40>short<EOR>\n"
        "<CALL:3>B2B<QSO_DATE:8>20200101<TIME_ON:4>1201<FREQ:5>7.040<EOR>\n");
    ASSERT_EQ(records.size(), 2u);
    const AdifQso bad = parseAdifRecord(records[0]);
    EXPECT_FALSE(bad.record);
    EXPECT_NE(bad.problem.find("COMMENT"), std::string::npos);
    EXPECT_EQ(records[0].raw,
              "<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<COMMENT:40>short<EOR>");
    EXPECT_EQ(parseAdifRecord(records[1]).record->call, "B2B");
}

TEST(AdifRead, ALengthSwallowingTheRecordEndUpToATagIsStillAFault) {
    // The wrong length ends inside the next record's text, not before a tag.
    const auto records = readAdifRecords(
        "<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<COMMENT:12>short<EOR>\n"
        "<CALL:3>B2B<QSO_DATE:8>20200101<TIME_ON:4>1201<FREQ:5>7.040<EOR>\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(parseAdifRecord(records[0]).record);
    EXPECT_EQ(parseAdifRecord(records[1]).record->call, "B2B");
}

TEST(AdifRead, ALengthPastTheEndOfTheFileIsAFaultyRecord) {
    const auto records =
        readAdifRecords("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<COMMENT:99>cut");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(parseAdifRecord(records[0]).record);
}

TEST(AdifRead, LongValuesAreReadWhole) {
    const std::string notes(301, 'n');
    const AdifQso q =
        onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<COMMENT:301>" + notes +
                "<EOR>");
    ASSERT_TRUE(q.record) << q.problem;
    EXPECT_EQ(q.record->notes, notes);
}

TEST(AdifRead, ALastRecordWithoutEorIsStillRead) {
    const auto records =
        readAdifRecords("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(parseAdifRecord(records[0]).record);
}

TEST(AdifRead, RecordsWithoutCallDateTimeOrFrequencyAreRefused) {
    const std::string rest = "<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:5>7.040<EOR>";
    EXPECT_FALSE(onlyQso(rest).record);
    EXPECT_FALSE(
        onlyQso("<CALL:3>A1A<QSO_DATE:8>20201301<TIME_ON:4>1200<FREQ:5>7.040<EOR>").record);
    EXPECT_FALSE(
        onlyQso("<CALL:3>A1A<QSO_DATE:8>20200230<TIME_ON:4>1200<FREQ:5>7.040<EOR>").record);
    EXPECT_FALSE(
        onlyQso("<CALL:3>A1A<QSO_DATE:8>01010101<TIME_ON:4>1200<FREQ:5>7.040<EOR>").record);
    EXPECT_FALSE(
        onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>2460<FREQ:5>7.040<EOR>").record);
    EXPECT_FALSE(onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:3>120<FREQ:5>7.040<EOR>").record);
    EXPECT_FALSE(onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:3>abc<EOR>").record);
    EXPECT_FALSE(onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<BAND:3>11m<EOR>").record);
    EXPECT_TRUE(
        onlyQso("<CALL:3>A1A<QSO_DATE:8>20200101<TIME_ON:4>1200<FREQ:3>abc<BAND:4>40M <EOR>")
            .record);
}

TEST(AdifWrite, FieldsCarryByteLengthsAndFreqSixDecimals) {
    QsoRecord r = testing::qso("sp9xyz", utc(2020, 3, 4, 5, 6, 7), 14074150);
    r.name = "Łukasz";
    r.qth = "";
    r.notes = "tnx";
    EXPECT_EQ(formatAdifRecord(r),
              "<CALL:6>SP9XYZ<TIME_ON:6>050607<QSO_DATE:8>20200304<FREQ:9>14.074150<MODE:4>BPSK"
              "<RST_RCVD:3>579<RST_SENT:3>599<NAME:7>Łukasz<COMMENT:3>tnx<EOR>\n");
}

TEST(AdifWrite, AZeroFrequencyIsWrittenAsZero) {
    QsoRecord r = testing::qso("A1A", utc(2020, 1, 1), 0);
    EXPECT_NE(formatAdifRecord(r).find("<FREQ:8>0.000000"), std::string::npos);
}

TEST(AdifWrite, WhatIsWrittenReadsBackTheSame) {
    QsoRecord r = testing::qso("SP9XYZ", utc(2020, 3, 4, 5, 6, 7), 7'040'123);
    r.name = "Jan";
    r.qth = "Kraków";
    r.notes = "long note with <tags> inside <EOR";
    const AdifQso back = onlyQso(std::string(kAdifHeader) + formatAdifRecord(r));
    ASSERT_TRUE(back.record) << back.problem;
    EXPECT_EQ(*back.record, r);
}

// A log whose notes hold a whole "<EOR>" (or "<eor>") exported and imported again: the
// value's length is right, the next field's tag follows it, so the value is the QSO's.
TEST(AdifWrite, NotesHoldingARecordEndReadBackTheSame) {
    for (const std::string notes : {"qrz <EOR> later", "<eor>", "a<EOR>"}) {
        QsoRecord r = testing::qso("SP9XYZ", utc(2020, 3, 4, 5, 6, 7), 7'040'123);
        r.notes = notes;
        const std::string text = std::string(kAdifHeader) + formatAdifRecord(r) +
                                 formatAdifRecord(testing::qso("K1AB", utc(2020, 3, 4), 7'040'000));
        const auto records = readAdifRecords(text);
        ASSERT_EQ(records.size(), 2u) << notes;
        const AdifQso back = parseAdifRecord(records[0]);
        ASSERT_TRUE(back.record) << notes << ": " << back.problem;
        EXPECT_EQ(*back.record, r);
        EXPECT_EQ(parseAdifRecord(records[1]).record->call, "K1AB");
    }
}

}  // namespace
}  // namespace tarnvel::logbook
