#include "app/StationLog.h"

#include <chrono>

#include "app/Station.h"
#include "app/StationLink.h"
#include "logbook/FrequencyText.h"

namespace tarnvel::app {

StationLog::StationLog(Station& station, StationHost& host, std::string logPath)
    : station_(station), host_(host), file_(std::move(logPath)), qso_(file_, *this) {}

logbook::SaveContext StationLog::saveContext() const {
    logbook::SaveContext context;
    context.operatingMode = station_.mode();
    // The band page's dial frequency, whatever the scale shows.
    const display::BandPages& pages = station_.bandPages();
    context.bandKilohertz =
        display::BandPages::parseFrequency(pages.page(pages.currentIndex()).frequency);
    return context;
}

logbook::SaveOutcome StationLog::saveQso(logbook::SaveConfirmation confirmation) {
    const logbook::SaveContext context = saveContext();
    const logbook::QsoRecord record = qso_.recordToSave(context);
    const logbook::SaveOutcome outcome = qso_.save(confirmation, context);
    if (outcome == logbook::SaveOutcome::Saved) station_.link().qsoSaved(record);
    return outcome;
}

// ---- the operator's QSO commands ------------------------------------------------------------

logbook::SaveOutcome StationLog::saveCommand() {
    const logbook::SaveOutcome outcome = saveQso(logbook::SaveConfirmation::DontAsk);
    focusTransmitWindow();
    return outcome;
}

logbook::SaveOutcome StationLog::saveAsking() {
    return saveQso(logbook::SaveConfirmation::Ask);
}

void StationLog::clearCommand() {
    if (qso_.clear()) focusTransmitWindow();
}

void StationLog::clearAsking() {
    if (qso_.clearAsking()) focusTransmitWindow();
}

void StationLog::setField(logbook::QsoField field, std::string text) {
    if (qso_.field(field) == text) return;  // nothing changed: no new start time
    qso_.setField(field, std::move(text));
}

void StationLog::putWordToLog(logbook::QsoField field, std::string_view word) {
    if (word.empty()) return;
    qso_.putWordToLog(field, word);
    focusTransmitWindow();
}

void StationLog::addCall(std::string_view word) {
    if (word.empty()) return;
    qso_.addCall(word);
    focusTransmitWindow();
}

void StationLog::fillFromLog() {
    qso_.fillFromLog();
}

std::string StationLog::frequencyDisplay() const {
    return logbook::megahertzDisplay(saveContext().bandKilohertz,
                                     station_.settings().misc.logPrecision);
}

void StationLog::focusTransmitWindow() {
    host_.focusTransmitWindow();
}

// ---- QsoHost --------------------------------------------------------------------------------

bool StationLog::ask(std::string_view text, logbook::QsoButtons buttons, logbook::QsoIcon icon) {
    (void)icon;
    return buttons == logbook::QsoButtons::YesNo ? host_.askYesNo(text, "")
                                                 : host_.askOkCancel(text, "");
}

void StationLog::tell(std::string_view text, logbook::QsoIcon icon) {
    const MessageKind kind = icon == logbook::QsoIcon::Error     ? MessageKind::Error
                             : icon == logbook::QsoIcon::Warning ? MessageKind::Warning
                                                                 : MessageKind::Info;
    host_.showMessage(text, "", kind);
}

void StationLog::qsoCommand(std::string_view command) {
    ++qsoCommandCount_;
    station_.link().setCommand(command);
}

void StationLog::qsoChanged() {
    station_.link().announceGroups(link::kGroupQso);
    host_.qsoChanged();
}

const std::string& StationLog::lastQsoCommand() const {
    return station_.link().command();
}

logbook::UtcSeconds StationLog::utcNow() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace tarnvel::app
