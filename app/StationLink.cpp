#include "app/StationLink.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "app/Station.h"
#include "app/StationLog.h"
#include "app/StationRadio.h"
#include "link/LinkPath.h"
#include "link/LoggedAdifMessage.h"
#include "logbook/QsoInProgress.h"

namespace tarnvel::app {

using link::LinkItem;
using logbook::QsoField;

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

StationLink::StationLink(Station& station) : station_(station), server_(*this) {}

void StationLink::start(const std::string& socketPath) {
    problem_.clear();
    std::string path = socketPath;
    if (path.empty()) {
        link::LinkPathResult found = link::defaultLinkPath();
        if (found.path.empty()) {
            problem_ = found.error;
            return;
        }
        path = found.path;
    }
    if (link::LinkStatus started = server_.start(path); !started) problem_ = started.error;
    restartLogger();
}

void StationLink::restartLogger() {
    logger_.close();
    loggerProblem_.clear();
    const Settings& settings = station_.settings();
    if (settings.logger.udpEnabled == 0) return;
    link::LinkStatus opened =
        logger_.open(settings.logger.udpHost.value(), settings.logger.udpPort);
    if (!opened) loggerProblem_ = opened.error;
}

void StationLink::announceStart() {
    server_.sendEvent(link::kStartEvent);
    server_.announceGroups(link::kGroupAll);
}

void StationLink::stop() {
    server_.stop();
    logger_.close();
}

void StationLink::setCommand(std::string_view command) {
    command_ = std::string(command);
    server_.announce(LinkItem::Command, true);
}

void StationLink::qsoSaved(const logbook::QsoRecord& record) {
    if (!logger_.isOpen()) return;
    logbook::QsoRecord utf8 = record;
    for (std::string* text : {&utf8.call, &utf8.name, &utf8.qth, &utf8.notes, &utf8.rstSent,
                              &utf8.rstReceived})
        *text = toUtf8(*text);
    const std::string adif =
        link::loggedQsoAdif(utf8, toUtf8(station_.stationData().call));
    link::LinkStatus sent =
        logger_.send(link::encodeLoggedAdif({std::string(link::kLoggerClientId), adif}));
    loggerProblem_ = sent ? "" : sent.error;
}

// ---- items ----------------------------------------------------------------------------------

std::string StationLink::toUtf8(std::string_view stationText) const {
    const modem::CharacterSet set = station_.characterSet();
    if (set == modem::CharacterSet::Utf8) return std::string(stationText);
    return modem::encodeText(modem::decodeText(stationText, set), modem::CharacterSet::Utf8);
}

std::string StationLink::fromUtf8(std::string_view utf8) const {
    const modem::CharacterSet set = station_.characterSet();
    if (set == modem::CharacterSet::Utf8) return std::string(utf8);
    return modem::encodeText(modem::decodeText(utf8, modem::CharacterSet::Utf8), set);
}

std::string StationLink::qsoStart(const char* format) const {
    const std::time_t start = station_.logbook().qso().start();
    if (start == 0) return "";
    std::tm utc{};
    gmtime_r(&start, &utc);
    char text[32];
    return std::strftime(text, sizeof text, format, &utc) ? text : "";
}


std::string StationLink::linkValue(LinkItem item) const {
    const logbook::QsoInProgress& qso = station_.logbook().qso();
    switch (item) {
        case LinkItem::MyCall: return toUtf8(station_.stationData().call);
        case LinkItem::MyName: return toUtf8(station_.stationData().name);
        case LinkItem::MyQth: return toUtf8(station_.stationData().qth);
        case LinkItem::Program: return std::string(link::kProgramName);
        case LinkItem::Version: return std::string(link::kLinkVersion);
        case LinkItem::Date: return qsoStart("%Y-%m-%d");
        case LinkItem::Time: return qsoStart("%H:%M:%S");
        case LinkItem::Mhz: return station_.logbook().frequencyDisplay();
        case LinkItem::Mode: return logbook::logModeName(station_.mode());
        case LinkItem::Call: return toUtf8(qso.field(QsoField::Call));
        case LinkItem::Name: return toUtf8(qso.field(QsoField::Name));
        case LinkItem::Qth: return toUtf8(qso.field(QsoField::Qth));
        case LinkItem::RstRcv: return toUtf8(qso.field(QsoField::RstReceived));
        case LinkItem::RstSnt: return toUtf8(qso.field(QsoField::RstSent));
        case LinkItem::Notes: return toUtf8(qso.field(QsoField::Notes));
        case LinkItem::Changed: return qso.hasUnsavedChanges() ? "Yes" : "No";
        case LinkItem::Command: return toUtf8(command_);
        case LinkItem::Khz:
            return formatted("%.1f", station_.logbook().saveContext().bandKilohertz);
        case LinkItem::Ptt: return station_.radio().pttOn() ? "1" : "0";
    }
    return "";
}

void StationLink::linkPoked(LinkItem item, const std::string& value) {
    static constexpr std::pair<LinkItem, QsoField> kFields[]{
        {LinkItem::Call, QsoField::Call},     {LinkItem::Name, QsoField::Name},
        {LinkItem::Qth, QsoField::Qth},       {LinkItem::RstRcv, QsoField::RstReceived},
        {LinkItem::RstSnt, QsoField::RstSent}, {LinkItem::Notes, QsoField::Notes},
    };
    for (const auto& [linkItem, field] : kFields)
        if (linkItem == item) station_.logbook().qso().setField(field, fromUtf8(value));
}

}  // namespace tarnvel::app
