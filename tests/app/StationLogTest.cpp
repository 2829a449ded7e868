// The logbook in the station: save, clear and fill-in with the operator's answers, the words
// from the receive window, mode and band changes, the File menu's exchanges and the log
// window's edit, delete and write-to-file, on a real log file in a private data folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationLog.h"
#include "audio/LoopbackSoundCard.h"
#include "logbook/LogExchange.h"
#include "logbook/LogLine.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"

namespace tarnvel::app::testing {
namespace {

using logbook::QsoField;
using logbook::QsoRecord;
using logbook::SaveOutcome;

// The scripted host with the answers the log commands need.
class LogHost : public ScriptedHost {
  public:
    bool askOkCancel(std::string_view text, std::string_view) override { return answer(text); }
    bool askYesNo(std::string_view text, std::string_view) override { return answer(text); }
    std::optional<std::string> chooseOpenFile(std::string_view title, std::string_view filter,
                                              std::string_view) override {
        fileDialogs.push_back(std::string(title) + "|" + std::string(filter));
        return fileAnswer;
    }
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override {
        prompts.push_back(std::string(text) + "|" + std::string(initial));
        return promptAnswer;
    }
    void focusTransmitWindow() override { ++transmitFocus; }
    void qsoChanged() override { ++qsoChanges; }
    void logBusy(bool busy) override { busyCalls.push_back(busy); }

    bool answer(std::string_view text) {
        questions.emplace_back(text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    std::vector<std::string> questions;
    std::deque<bool> answers;  // nothing left: Cancel / No
    std::vector<std::string> prompts;
    std::optional<std::string> promptAnswer;
    int transmitFocus = 0;
    int qsoChanges = 0;
    std::vector<bool> busyCalls;
};

class StationLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldFolder = std::filesystem::current_path();
        store = std::make_unique<SettingsStore>(folder.file("Tarnvel.ini"));
        store->writeString("Station", "Call", "SP9XYZ");
        station = std::make_unique<Station>(*store, card, host, clock,
                                            StationOptions{folder.path(), false, {}});
        station->start();
    }
    void TearDown() override {
        station.reset();
        std::filesystem::current_path(oldFolder);
    }

    StationLog& log() { return station->logbook(); }
    std::string logText() { return readFile(folder.file("Tarnvel.log")); }
    std::vector<std::string> logLines() { return logbook::splitLines(logText()); }
    void fill(const std::string& call, const std::string& name = "", const std::string& qth = "") {
        log().setField(QsoField::Call, call);
        log().setField(QsoField::Name, name);
        log().setField(QsoField::Qth, qth);
    }
    QsoRecord qsoAt(logbook::UtcSeconds start, const std::string& call, const std::string& name) {
        QsoRecord r;
        r.call = call;
        r.start = r.end = start;
        r.mode = "BPSK";
        r.name = name;
        r.frequency1 = r.frequency2 = 14070000;
        return r;
    }
    void writeLog(const std::vector<QsoRecord>& records) {
        std::string text;
        for (const QsoRecord& r : records) text += logbook::formatLogLine(r);
        writeFile(folder.file("Tarnvel.log"), text);
    }

    std::filesystem::path oldFolder;
    TempFolder folder;
    std::unique_ptr<SettingsStore> store;
    LogHost host;
    ManualStationClock clock;
    audio::LoopbackSoundCard card;
    std::unique_ptr<Station> station;
};

constexpr logbook::UtcSeconds k2004 = 1098793440;  // 2004-10-26 12:24:00 UTC

TEST_F(StationLogTest, SaveWritesTheLineOfTheBandAndModeOnceAndSendsTheFocusBack) {
    fill("sp9abc /p", "Jan", "Krakow");
    log().setField(QsoField::RstSent, "599");
    log().setField(QsoField::RstReceived, "579");
    const int focus = host.transmitFocus;
    EXPECT_EQ(log().saveCommand(), SaveOutcome::Saved);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    const auto record = logbook::parseLogLine(lines[0]);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->call, "SP9ABC");
    EXPECT_EQ(record->frequency2, 14070000);  // page 4, "20m"
    EXPECT_EQ(record->mode, "BPSK");
    EXPECT_EQ(record->rstSent, "599");
    EXPECT_EQ(record->rstReceived, "579");
    EXPECT_EQ(record->name, "Jan");
    EXPECT_EQ(record->qth, "Krakow");
    EXPECT_EQ(lines[0].substr(0, 9), "0;SP9ABC;");
    EXPECT_NE(lines[0].find(";;;;0;14070000;;BPSK;599;579;;;Jan;Krakow;;;;"), std::string::npos);
    // No question without the confirmation, one "Save" for the data link, the mark cleared.
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(log().qsoCommandCount(), 1);
    EXPECT_EQ(log().lastQsoCommand(), "Save");
    EXPECT_FALSE(log().qso().hasUnsavedChanges());
    EXPECT_EQ(host.transmitFocus, focus + 1);
}

TEST_F(StationLogTest, SaveAnswersEmptyCallAlreadySavedAndTheConfirmation) {
    EXPECT_EQ(log().saveCommand(), SaveOutcome::EmptyCall);
    EXPECT_TRUE(host.hasMessage(logbook::kEmptyCallMessage));
    EXPECT_FALSE(std::filesystem::exists(folder.file("Tarnvel.log")));

    fill("SP9ABC");
    EXPECT_EQ(log().saveAsking(), SaveOutcome::Cancelled);  // no answer: Cancel
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "Save QSO with SP9ABC ?");
    EXPECT_FALSE(std::filesystem::exists(folder.file("Tarnvel.log")));
    EXPECT_EQ(log().qsoCommandCount(), 0);

    host.answers = {true};
    EXPECT_EQ(log().saveAsking(), SaveOutcome::Saved);
    // Unchanged since: "already saved", Cancel writes nothing, OK a second identical line.
    EXPECT_EQ(log().saveCommand(), SaveOutcome::Cancelled);
    EXPECT_EQ(host.questions.back(), logbook::kAlreadySavedQuestion);
    EXPECT_EQ(logLines().size(), 1u);
    host.answers = {true};
    EXPECT_EQ(log().saveCommand(), SaveOutcome::Saved);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(log().qsoCommandCount(), 2);  // once per save
}

TEST_F(StationLogTest, ClearAsksOnlyWhenAskingAndOnlyWithSomethingToClear) {
    log().clearAsking();
    EXPECT_TRUE(host.questions.empty());  // nothing to clear: no question
    fill("SP9ABC", "Jan");
    log().clearAsking();  // Cancel
    EXPECT_EQ(host.questions.back(), logbook::kClearQuestion);
    EXPECT_EQ(log().qso().field(QsoField::Call), "SP9ABC");
    EXPECT_EQ(log().qsoCommandCount(), 0);

    const int focus = host.transmitFocus;
    host.answers = {true};
    log().clearAsking();
    EXPECT_TRUE(log().qso().isEmpty());
    EXPECT_FALSE(log().qso().hasUnsavedChanges());
    EXPECT_EQ(log().lastQsoCommand(), "Remove");
    EXPECT_EQ(host.transmitFocus, focus + 1);

    fill("SP9ABC");
    const size_t asked = host.questions.size();
    log().clearCommand();  // the menu's and the bar's clear: no question
    EXPECT_EQ(host.questions.size(), asked);
    EXPECT_TRUE(log().qso().isEmpty());
}

TEST_F(StationLogTest, PickedCallFillsNameAndQthFromThatCallOnly) {
    writeLog({qsoAt(k2004, "SP9ABC", "Jan"), qsoAt(k2004 + 60, "SP9ABCD", "Other"),
              qsoAt(k2004 + 120, "SP1XX", "Notes")});
    log().setField(QsoField::Notes, "old notes");
    log().putWordToLog(QsoField::Call, "sp9abc");
    EXPECT_EQ(log().qso().field(QsoField::Call), "SP9ABC");
    EXPECT_EQ(log().qso().field(QsoField::Name), "Jan");
    EXPECT_EQ(log().qso().field(QsoField::Notes), "");
    EXPECT_TRUE(log().qso().hasUnsavedChanges());
    EXPECT_GT(host.qsoChanges, 0);

    // "Add call" keeps the other fields; a picked name replaces, QTH words add up.
    log().addCall("SP1XX");
    EXPECT_EQ(log().qso().field(QsoField::Call), "SP9ABC AND SP1XX");  // kind 0 upper-cases
    EXPECT_EQ(log().qso().field(QsoField::Name), "Jan");
    log().putWordToLog(QsoField::Qth, "Nowy");
    log().putWordToLog(QsoField::Qth, "Targ");
    EXPECT_EQ(log().qso().field(QsoField::Qth), "Nowy Targ");
}

TEST_F(StationLogTest, ModeAndBandChangesStampTheQso) {
    fill("SP9ABC");
    host.answers = {true};
    ASSERT_EQ(log().saveCommand(), SaveOutcome::Saved);
    station->selectMode(station->mode());
    EXPECT_FALSE(log().qso().hasUnsavedChanges());  // the same mode again changes nothing
    EXPECT_TRUE(station->selectMode(Mode::Fsk63));
    EXPECT_TRUE(log().qso().hasUnsavedChanges());

    ASSERT_EQ(log().saveCommand(), SaveOutcome::Saved);
    EXPECT_TRUE(station->selectBandPage(6));  // "15m"
    EXPECT_TRUE(log().qso().hasUnsavedChanges());
    EXPECT_EQ(station->status().bandIndex, 6);
    ASSERT_EQ(log().saveCommand(), SaveOutcome::Saved);
    const auto last = logbook::parseLogLine(logLines().back());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->frequency2, 21070000);
    EXPECT_EQ(last->mode, "UNKN");  // FSK63 is not one of the log's modes

    // With the four-band interface only pages 1, 4, 6 and 8 can be chosen.
    station->toggleFourband(1);
    EXPECT_FALSE(station->selectBandPage(5));
    EXPECT_EQ(station->status().bandIndex, 6);
    EXPECT_TRUE(station->selectBandPage(8));
    EXPECT_EQ(log().frequencyDisplay(), "28.1");  // "LogPrecision" 1
}

TEST_F(StationLogTest, ImportReportsErrorsAndExportRefusesTheLogItself) {
    const std::string adif = folder.file("in.adi");
    writeFile(adif,
              "header<EOH>\n"
              "<CALL:6>SP9ABC<QSO_DATE:8>20041026<TIME_ON:4>1234<BAND:3>20m<MODE:4>BPSK<EOR>\n"
              "<CALL:5>DL1AA<QSO_DATE:8>20041026<TIME_ON:4>1235<FREQ:6>14.071<eor>\n"
              "<CALL:4>G3XX<TIME_ON:4>1236<FREQ:6>14.071<EOR>\n");
    host.fileAnswer = adif;
    station->runCommand(CommandId::ImportAdif);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0], std::string(kImportAdifTitle) + "|" + kAdifFilter);
    EXPECT_EQ(logLines().size(), 2u);
    EXPECT_TRUE(host.hasMessage(logbook::kAdifErrorMessage));
    EXPECT_EQ(host.busyCalls, (std::vector<bool>{true, false}));

    // The export gets its extension; a second one over the log is refused and keeps it.
    host.fileAnswer = folder.file("out");
    station->runCommand(CommandId::ExportAdif);
    EXPECT_NE(readFile(folder.file("out.adi")).find("<CALL:5>DL1AA"), std::string::npos);
    const std::string before = logText();
    const size_t messages = host.messages.size();
    host.fileAnswer = folder.file("Tarnvel.log");
    station->runCommand(CommandId::ExportAdif);
    EXPECT_EQ(logText(), before);
    ASSERT_EQ(host.messages.size(), messages + 1);
    EXPECT_EQ(host.messages.back().kind, MessageKind::Error);
}

TEST_F(StationLogTest, MergeShowsItsErrorNumberAndMergesInTimeOrder) {
    writeLog({qsoAt(k2004, "SP9ABC", "Jan")});
    host.fileAnswer = folder.file("missing.log");
    station->runCommand(CommandId::MergeLog);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text.substr(0, 8), "Error 2\n");

    writeFile(folder.file("other.log"), logbook::formatLogLine(qsoAt(k2004 - 60, "DL1AA", "")));
    host.fileAnswer = folder.file("other.log");
    station->runCommand(CommandId::MergeLog);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(logbook::parseLogLine(lines[0])->call, "DL1AA");
}

TEST_F(StationLogTest, DeleteAsksWithTheCountAndRemovesExactlyTheSelection) {
    const std::vector<QsoRecord> all{qsoAt(k2004, "SP9ABC", "A"), qsoAt(k2004 + 60, "SP9ABC", "B"),
                                     qsoAt(k2004 + 120, "DL1AA", "C")};
    writeLog(all);
    EXPECT_FALSE(log().deleteSelected({}));
    EXPECT_TRUE(host.hasMessage(kNothingSelectedMessage));

    const std::vector<QsoRecord> two{all[0], all[2]};
    EXPECT_FALSE(log().deleteSelected(two));  // No
    EXPECT_EQ(host.questions.back(), "Delete 2 lines from the log?");
    EXPECT_EQ(logLines().size(), 3u);

    host.answers = {true};
    EXPECT_TRUE(log().deleteSelected(two));
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(logbook::parseLogLine(lines[0])->name, "B");
    EXPECT_EQ(logbook::splitLines(readFile(folder.file("Tarnvel.log.old"))).size(), 3u);

    host.answers = {true};
    const std::vector<QsoRecord> one{all[1]};
    EXPECT_TRUE(log().deleteSelected(one));
    EXPECT_EQ(host.questions.back(), kDeleteOneQuestion);
    EXPECT_EQ(logText(), "");
}

TEST_F(StationLogTest, EditReplacesOnlyTheEditedQsoAndCancelKeepsTheLog) {
    const std::vector<QsoRecord> all{qsoAt(k2004, "SP9ABC", "A"), qsoAt(k2004 + 60, "DL1AA", "B")};
    writeLog(all);
    int shown = 0;
    const QsoEditor rename = [&](const QsoRecord& r) {
        ++shown;
        QsoRecord edited = r;
        edited.name = "Renamed";
        return std::optional<QsoRecord>(edited);
    };
    EXPECT_FALSE(log().editSelected(all, rename));
    EXPECT_TRUE(host.hasMessage(kSelectSingleMessage));
    EXPECT_EQ(shown, 0);

    const std::string before = logText();
    const std::vector<QsoRecord> second{all[1]};
    EXPECT_FALSE(log().editSelected(second, [](const QsoRecord&) { return std::nullopt; }));
    EXPECT_EQ(logText(), before);

    const auto edited = log().editSelected(second, rename);
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->name, "Renamed");
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], logbook::formatLogLine(all[0]).substr(0, lines[0].size()));
    EXPECT_EQ(logbook::parseLogLine(lines[1])->name, "Renamed");
    EXPECT_EQ(readFile(folder.file("Tarnvel.log.old")), before);
}

TEST_F(StationLogTest, WriteToFileAsksBeforeOverwritingAndRefusesTheLogsOwnNames) {
    const std::vector<QsoRecord> all{qsoAt(k2004, "SP9ABC", "A")};
    writeLog(all);
    EXPECT_FALSE(log().writeSelected({}));
    EXPECT_TRUE(host.hasMessage(kNothingSelectedMessage));

    host.promptAnswer = "Tarnvel.log.bak";
    EXPECT_FALSE(log().writeSelected(all));
    EXPECT_EQ(host.prompts.back(), std::string(kWriteFilePrompt) + "|export.txt");
    EXPECT_FALSE(std::filesystem::exists(folder.file("Tarnvel.log.bak")));
    host.promptAnswer = "Tarnvel.log";
    EXPECT_FALSE(log().writeSelected(all));
    EXPECT_EQ(logbook::splitLines(logText()).size(), 1u);

    writeFile(folder.file("export.txt"), "keep");
    host.promptAnswer = "export.txt";
    EXPECT_FALSE(log().writeSelected(all));  // No: the file stays
    EXPECT_EQ(readFile(folder.file("export.txt")), "keep");
    host.answers = {true};
    EXPECT_TRUE(log().writeSelected(all));
    EXPECT_NE(readFile(folder.file("export.txt")).find("26-Oct-2004 12:24:00"), std::string::npos);
}

}  // namespace
}  // namespace tarnvel::app::testing
