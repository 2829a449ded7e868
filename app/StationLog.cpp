#include "app/StationLog.h"

#include <chrono>

#include "app/Station.h"

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
    return qso_.save(confirmation, saveContext());
}

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
    lastQsoCommand_ = std::string(command);
    ++qsoCommandCount_;
}

void StationLog::qsoChanged() {
    host_.qsoChanged();
}

logbook::UtcSeconds StationLog::utcNow() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace tarnvel::app
