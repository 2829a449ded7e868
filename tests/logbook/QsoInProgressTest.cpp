#include <gtest/gtest.h>

#include <deque>

#include "LogTestFiles.h"
#include "logbook/FrequencyText.h"
#include "logbook/LogLine.h"
#include "logbook/QsoInProgress.h"
#include "modem/Mode.h"

namespace tarnvel::logbook {
namespace {

using testing::LogFolder;
using testing::logLine;
using testing::readFile;
using testing::utc;
using testing::writeFile;

// Answers questions from a script and records everything it is told.
class ScriptedQsoHost final : public QsoHost {
  public:
    bool ask(std::string_view text, QsoButtons buttons, QsoIcon icon) override {
        questions.push_back(std::string(text));
        lastButtons = buttons;
        lastIcon = icon;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void tell(std::string_view text, QsoIcon icon) override {
        messages.push_back(std::string(text));
        lastIcon = icon;
    }
    void qsoCommand(std::string_view command) override { commands.push_back(std::string(command)); }
    void qsoChanged() override { ++changes; }
    UtcSeconds utcNow() const override { return now; }

    std::deque<bool> answers;
    std::vector<std::string> questions, messages, commands;
    QsoButtons lastButtons = QsoButtons::YesNo;
    QsoIcon lastIcon = QsoIcon::Information;
    int changes = 0;
    UtcSeconds now = utc(2026, 12, 8, 14, 2, 18);
};

class QsoInProgressTest : public ::testing::Test {
  protected:
    LogFolder folder_;
    LogFile log_ = folder_.log();
    ScriptedQsoHost host_;
    QsoInProgress qso_{log_, host_};
    SaveContext bpskOn20m_{modem::Mode::Bpsk31, 14070.0};
};

TEST_F(QsoInProgressTest, SavingWritesTheLineOfTheExample) {
    qso_.setField(QsoField::Call, "sp9xyz /p");
    qso_.setField(QsoField::RstSent, "599");
    qso_.setField(QsoField::RstReceived, "579");
    qso_.setField(QsoField::Name, "Jan");
    qso_.setField(QsoField::Qth, "Krakow");
    qso_.setField(QsoField::Notes, "tnx");
    host_.answers = {true};
    EXPECT_EQ(qso_.save(SaveConfirmation::Ask, bpskOn20m_), SaveOutcome::Saved);
    EXPECT_EQ(host_.questions, std::vector<std::string>{"Save QSO with sp9xyz /p ?"});
    EXPECT_EQ(host_.lastButtons, QsoButtons::OkCancel);
    EXPECT_EQ(readFile(log_.path()),
              "0;SP9XYZ;20261208140218;;;;0;14070000;;BPSK;599;579;;;Jan;Krakow;tnx;;;\n");
    EXPECT_FALSE(qso_.hasUnsavedChanges());
    EXPECT_EQ(host_.commands, std::vector<std::string>{"Save"});  // once per save
}

TEST_F(QsoInProgressTest, SavingUnchangedDataAsksAndWritesASecondLine) {
    qso_.setField(QsoField::Call, "DL1ABC");
    ASSERT_EQ(qso_.save(SaveConfirmation::DontAsk, bpskOn20m_), SaveOutcome::Saved);
    EXPECT_TRUE(host_.questions.empty());
    host_.answers = {false};
    EXPECT_EQ(qso_.save(SaveConfirmation::DontAsk, bpskOn20m_), SaveOutcome::Cancelled);
    host_.answers = {true};
    EXPECT_EQ(qso_.save(SaveConfirmation::DontAsk, bpskOn20m_), SaveOutcome::Saved);
    EXPECT_EQ(host_.questions,
              (std::vector<std::string>{kAlreadySavedQuestion, kAlreadySavedQuestion}));
    EXPECT_EQ(host_.lastIcon, QsoIcon::Warning);
    const LogLines lines = log_.readLines();
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[0], lines.lines[1]);
    EXPECT_EQ(host_.commands, (std::vector<std::string>{"Save", "Save"}));
}

TEST_F(QsoInProgressTest, ModesOutsideTheLogsListAreUnknown) {
    qso_.setField(QsoField::Call, "A1A");
    ASSERT_EQ(qso_.save(SaveConfirmation::DontAsk, {modem::Mode::Fsk63, 7040.0}),
              SaveOutcome::Saved);
    EXPECT_EQ(qso_.recordToSave({modem::Mode::Fsk63, 7040.0}).mode, "UNKN");
    EXPECT_EQ(log_.searchAll("/").records.at(0).mode, "UNKN");
    EXPECT_EQ(logModeName(modem::Mode::Qpsk31), "QPSK");
    EXPECT_EQ(logModeName(modem::Mode::Fsk31), "FSK31");
    EXPECT_EQ(logModeName(modem::Mode::Pactor), "PACTOR");
    EXPECT_EQ(logModeName(modem::Mode::Bpsk63), "BPSK63");
}

TEST_F(QsoInProgressTest, AnEmptyCallIsNotSaved) {
    qso_.setField(QsoField::Name, "Jan");
    EXPECT_EQ(qso_.save(SaveConfirmation::Ask, bpskOn20m_), SaveOutcome::EmptyCall);
    EXPECT_EQ(host_.messages, std::vector<std::string>{kEmptyCallMessage});
    EXPECT_FALSE(testing::fileExists(log_.path()));
    EXPECT_TRUE(host_.commands.empty());
}

TEST_F(QsoInProgressTest, ACancelledSaveWritesNothing) {
    qso_.setField(QsoField::Call, "A1A");
    host_.answers = {false};
    EXPECT_EQ(qso_.save(SaveConfirmation::Ask, bpskOn20m_), SaveOutcome::Cancelled);
    EXPECT_TRUE(qso_.hasUnsavedChanges());
    EXPECT_FALSE(testing::fileExists(log_.path()));
}

TEST_F(QsoInProgressTest, AFailedSaveKeepsTheQsoUnsavedAndSaysWhy) {
    const LogFile unwritable(folder_.file("no-such-folder/Tarnvel.log"));
    QsoInProgress qso(unwritable, host_);
    qso.setField(QsoField::Call, "A1A");
    EXPECT_EQ(qso.save(SaveConfirmation::DontAsk, bpskOn20m_), SaveOutcome::Failed);
    EXPECT_TRUE(qso.hasUnsavedChanges());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].find(unwritable.path()), std::string::npos);
}

TEST_F(QsoInProgressTest, EveryChangeStampsTheStartAndMarksUnsaved) {
    qso_.setField(QsoField::Call, "A1A");
    ASSERT_EQ(qso_.save(SaveConfirmation::DontAsk, bpskOn20m_), SaveOutcome::Saved);
    host_.now += 600;
    qso_.stamp();  // a mode or band change
    EXPECT_TRUE(qso_.hasUnsavedChanges());
    EXPECT_EQ(qso_.start(), host_.now);
    host_.now += 60;
    qso_.putWordToLog(QsoField::Notes, "hi");
    EXPECT_EQ(qso_.start(), host_.now);
    EXPECT_GE(host_.changes, 4);
}

TEST_F(QsoInProgressTest, ClearEmptiesTheSixFieldsAndTellsTheExternalProgram) {
    EXPECT_FALSE(qso_.clearAsking());  // nothing to clear: no question
    EXPECT_TRUE(host_.questions.empty());
    qso_.setField(QsoField::Notes, "x");
    host_.answers = {false};
    EXPECT_FALSE(qso_.clearAsking());
    EXPECT_EQ(qso_.field(QsoField::Notes), "x");
    host_.answers = {true};
    EXPECT_TRUE(qso_.clearAsking());
    EXPECT_EQ(host_.questions.back(), kClearQuestion);
    EXPECT_TRUE(qso_.isEmpty());
    EXPECT_FALSE(qso_.hasUnsavedChanges());
    EXPECT_EQ(host_.commands, std::vector<std::string>{"Remove"});
    EXPECT_FALSE(qso_.clear());
    EXPECT_EQ(host_.commands.size(), 1u);
}

TEST_F(QsoInProgressTest, APickedCallStartsAFreshQsoFilledFromTheLog) {
    writeFile(log_.path(), logLine("SP9XYZ", "20200101120000", "Jan", "Krakow") + "\n" +
                               logLine("SP9XY", "20200102120000", "Other", "Elsewhere") + "\n" +
                               logLine("DL1A", "20200103120000", "Hans", "", "sked with SP9XYZ") +
                               "\n");
    qso_.setField(QsoField::Notes, "old");
    qso_.setField(QsoField::RstSent, "599");
    qso_.setField(QsoField::Name, "stale");
    qso_.putWordToLog(QsoField::Call, "sp9xyz");
    EXPECT_EQ(qso_.field(QsoField::Call), "SP9XYZ");
    EXPECT_EQ(qso_.field(QsoField::Name), "Jan");
    EXPECT_EQ(qso_.field(QsoField::Qth), "Krakow");
    EXPECT_EQ(qso_.field(QsoField::Notes), "");
    EXPECT_EQ(qso_.field(QsoField::RstSent), "");

    qso_.putWordToLog(QsoField::Call, "dl9zz");  // never worked: name and QTH stay empty
    EXPECT_EQ(qso_.field(QsoField::Name), "");
    EXPECT_EQ(qso_.field(QsoField::Qth), "");
}

TEST_F(QsoInProgressTest, AddedCallsKeepTheOtherFields) {
    qso_.putWordToLog(QsoField::Call, "SP1A");
    qso_.putWordToLog(QsoField::Name, "Jan");
    qso_.addCall("dl2b");
    EXPECT_EQ(qso_.field(QsoField::Call), "SP1A AND DL2B");
    EXPECT_EQ(qso_.field(QsoField::Name), "Jan");
    EXPECT_EQ(qso_.recordToSave(bpskOn20m_).call, "SP1A");  // up to the first space
}

TEST_F(QsoInProgressTest, WordsGoToTheirFields) {
    qso_.putWordToLog(QsoField::Qth, "Nowy");
    qso_.putWordToLog(QsoField::Qth, "Targ");
    qso_.putWordToLog(QsoField::Notes, "ant");
    qso_.putWordToLog(QsoField::Notes, "dipole");
    qso_.putWordToLog(QsoField::RstReceived, "579");
    qso_.putWordToLog(QsoField::RstReceived, "589");
    qso_.putWordToLog(QsoField::RstSent, "599");
    qso_.putWordToLog(QsoField::Name, "Jan");
    qso_.putWordToLog(QsoField::Name, "Janek");
    EXPECT_EQ(qso_.field(QsoField::Qth), "Nowy Targ");
    EXPECT_EQ(qso_.field(QsoField::Notes), "ant dipole");
    EXPECT_EQ(qso_.field(QsoField::RstReceived), "589");
    EXPECT_EQ(qso_.field(QsoField::RstSent), "599");
    EXPECT_EQ(qso_.field(QsoField::Name), "Janek");
}

TEST_F(QsoInProgressTest, FillInAfterLeavingTheCallField) {
    writeFile(log_.path(), logLine("G4AAA", "20200101120000", "Bob", "Leeds") + "\n");
    qso_.setField(QsoField::Call, "G4AAA");
    qso_.setField(QsoField::Name, "typed");
    qso_.fillFromLog();
    EXPECT_EQ(qso_.field(QsoField::Name), "Bob");
    EXPECT_EQ(qso_.field(QsoField::Qth), "Leeds");
}

TEST_F(QsoInProgressTest, SaveUsesTheBandPageFrequencyToTheHertz) {
    qso_.setField(QsoField::Call, "A1A");
    EXPECT_EQ(qso_.recordToSave({modem::Mode::Bpsk31, 14070.0}).frequency2, 14070000);
    EXPECT_EQ(qso_.recordToSave({modem::Mode::Bpsk31, 10368100.123}).frequency2, 10'368'100'123);
    EXPECT_EQ(qso_.recordToSave({modem::Mode::Bpsk31, 14070.001}).frequency1, 14070001);
}

TEST(FrequencyText, PrecisionIsClampedAndTheLocaleIgnored) {
    EXPECT_EQ(megahertzDisplay(14070.0, 1), "14.1");
    EXPECT_EQ(megahertzDisplay(14070.0, 3), "14.070");
    EXPECT_EQ(megahertzDisplay(14070.0, -4), "14");
    EXPECT_EQ(megahertzDisplay(14074.15, 99), "14.074150");
    EXPECT_EQ(kilohertzDisplay(14070.0), "14070.0");
}

TEST(WordPick, WordsAreWidenedOverLettersDigitsAndSlash) {
    const std::string text = "de sp9xyz/p pse k, 599 ";
    EXPECT_EQ(wordAt(text, 6), "sp9xyz/p");
    EXPECT_EQ(wordAt(text, 3), "sp9xyz/p");   // at its first character
    EXPECT_EQ(wordAt(text, 11), "sp9xyz/p");  // just after it
    EXPECT_EQ(wordAt(text, 20), "599");
    EXPECT_EQ(wordAt(text, 17), "k");
    EXPECT_EQ(wordAt(text, 500), "");
}

TEST(WordPick, WordsAreClassifiedByTheirCharacters) {
    EXPECT_EQ(classifyWord("SP9XYZ/P"), WordKind::CallLike);
    EXPECT_EQ(classifyWord("9A1"), WordKind::CallLike);
    EXPECT_EQ(classifyWord("/3"), WordKind::CallLike);
    EXPECT_EQ(classifyWord("599"), WordKind::RstLike);
    EXPECT_EQ(classifyWord(" 599 "), WordKind::RstLike);
    EXPECT_EQ(classifyWord("5999"), WordKind::Other);
    EXPECT_EQ(classifyWord("59"), WordKind::Other);
    EXPECT_EQ(classifyWord("Jan"), WordKind::Plain);
    EXPECT_EQ(classifyWord("Kraków"), WordKind::Other);
    EXPECT_EQ(classifyWord(""), WordKind::Other);
}

TEST(WordPick, ModifiersChooseTheField) {
    EXPECT_EQ(fieldForPickedWord(WordKind::CallLike, {true, true}), QsoField::Call);
    EXPECT_EQ(fieldForPickedWord(WordKind::RstLike, {}), QsoField::RstReceived);
    EXPECT_EQ(fieldForPickedWord(WordKind::RstLike, {true, false}), QsoField::RstSent);
    EXPECT_EQ(fieldForPickedWord(WordKind::RstLike, {false, true}), QsoField::RstSent);
    EXPECT_EQ(fieldForPickedWord(WordKind::Plain, {}), QsoField::Name);
    EXPECT_EQ(fieldForPickedWord(WordKind::Plain, {true, false}), QsoField::Qth);
    EXPECT_EQ(fieldForPickedWord(WordKind::Plain, {false, true}), QsoField::Notes);
    EXPECT_EQ(fieldForPickedWord(WordKind::Other, {}), QsoField::Notes);
    EXPECT_EQ(fieldForPickedWord(WordKind::Other, {true, false}), QsoField::Qth);
}

}  // namespace
}  // namespace tarnvel::logbook
