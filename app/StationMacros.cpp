#include "app/StationMacros.h"

#include <filesystem>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationLink.h"
#include "app/StationLog.h"
#include "macros/MacroExpander.h"
#include "macros/MacroFile.h"

namespace tarnvel::app {

namespace {

using macros::MacroField;
using macros::MacroKeySet;

// The dialogs take a filter without the closing "||" of the two-bar form.
std::string_view dialogFilter(std::string_view filter) {
    while (filter.ends_with('|')) filter.remove_suffix(1);
    return filter;
}

logbook::QsoField qsoField(MacroField field) {
    switch (field) {
        case MacroField::Name: return logbook::QsoField::Name;
        case MacroField::Qth: return logbook::QsoField::Qth;
        case MacroField::Notes: return logbook::QsoField::Notes;
        case MacroField::RstSent: return logbook::QsoField::RstSent;
        case MacroField::RstReceived: return logbook::QsoField::RstReceived;
        default: return logbook::QsoField::Call;
    }
}

}  // namespace

std::optional<std::string> MacroStore::find(std::string_view section,
                                            std::string_view key) const {
    return store_.find(section, key);
}

bool MacroStore::write(std::string_view section, std::string_view key, std::string_view value) {
    return store_.writeString(section, key, value);
}

StationMacros::StationMacros(Station& station, StationHost& host)
    : station_(station),
      host_(host),
      store_(station.settings().store()),
      macros_(macros::loadMacroSet(store_)) {}

// ---- firing ---------------------------------------------------------------------------------

void StationMacros::fire(MacroKeySet set, int key) {
    if (key < 1 || key > macros::kMacroKeysPerSet) return;
    const macros::Macro& macro = macros_.at(set, key);
    // F1 is a macro key; while it has no macro it is the help key it usually is.
    if (set == MacroKeySet::F && key == 1 && macro.text.empty()) {
        station_.runCommand(CommandId::HelpContents);
        return;
    }
    // The expansion may change the macro (a prompt's dialog may run an editor): copy it.
    const std::string text = macro.text;
    send(text);
}

void StationMacros::send(std::string_view macroText) {
    appendToTransmitWindow(expand(macroText));
    host_.focusTransmitWindow();
}

void StationMacros::sendTextFile() {
    send("<FILE>");
}

std::string StationMacros::expand(std::string_view macroText) {
    macros::MacroExpander expander(*this);
    return expander.expand(macroText);
}

void StationMacros::appendToTransmitWindow(const std::string& text) {
    if (text.empty()) return;
    station_.transmitText().appendText(text);
    host_.transmitWindowChanged();
}

// ---- editing, loading, saving ---------------------------------------------------------------

void StationMacros::edit(MacroKeySet set, int key, const macros::Macro& edited) {
    if (key < 1 || key > macros::kMacroKeysPerSet) return;
    SettingsStore& store = station_.settings().store();
    store.beginBatch();
    const bool written = macros::storeEditedMacro(store_, macros_, set, key, edited);
    if (!store.endBatch() || !written) station_.reportStoreFailure();
}

void StationMacros::storeAll() {
    SettingsStore& store = station_.settings().store();
    store.beginBatch();
    const bool written = macros::storeMacroSet(store_, macros_);
    if (!store.endBatch() || !written) station_.reportStoreFailure();
}

void StationMacros::loadFile() {
    const auto name = host_.chooseOpenFile(macros::kLoadMacrosTitle,
                                           dialogFilter(macros::kMacroFileFilter),
                                           macros::kMacroFileDefault);
    // A cancelled load keeps the macros, and they are stored as after a load.
    if (!name) {
        storeAll();
        return;
    }
    loadFrom(*name);
}

// A load that fails part-way keeps what it read for this run, but does not store it.
bool StationMacros::loadFrom(const std::string& fileName) {
    const macros::MacroFileResult result = macros::loadMacroFile(fileName, macros_);
    if (!result.ok) {
        host_.showMessage(result.message, "", MessageKind::Warning);
        return false;
    }
    storeAll();
    return true;
}

void StationMacros::saveFile() {
    const auto name = host_.chooseSaveFile(macros::kSaveMacrosTitle,
                                           dialogFilter(macros::kMacroFileFilter),
                                           macros::kMacroFileDefault);
    if (!name) return;
    std::string fileName = *name;
    // The dialog's default extension.
    if (!std::filesystem::path(fileName).has_extension())
        fileName.append(".").append(macros::kMacroFileExtension);
    saveTo(fileName);
}

bool StationMacros::saveTo(const std::string& fileName) {
    const macros::MacroFileResult result = macros::saveMacroFile(fileName, macros_);
    if (!result.ok) host_.showMessage(result.message, "", MessageKind::Warning);
    return result.ok;
}

// ---- the station as expansion sees it -------------------------------------------------------

std::string StationMacros::text(MacroField field) const {
    const Settings& settings = station_.settings();
    switch (field) {
        case MacroField::MyCall: return settings.station.call.value();
        case MacroField::MyName: return settings.station.name.value();
        case MacroField::MyQth: return settings.station.qth.value();
        case MacroField::CwIdText:
            return stationCwId(settings.station.cwId.value(), settings.station.call.value());
        default: return station_.logbook().qso().field(qsoField(field));
    }
}

void StationMacros::setRstSent(std::string_view rst) {
    station_.logbook().qso().setField(logbook::QsoField::RstSent, std::string(rst));
}

macros::MacroStationState StationMacros::state() const {
    switch (station_.state()) {
        case OperatingState::Receiving: return macros::MacroStationState::Receiving;
        case OperatingState::Transmitting: return macros::MacroStationState::Transmitting;
        case OperatingState::Stopped: break;
    }
    return macros::MacroStationState::Stopped;
}

bool StationMacros::useCwId() const {
    return station_.settings().station.useCwId != 0;
}

bool StationMacros::useUtc() const {
    return station_.settings().misc.utc != 0;
}

std::chrono::system_clock::time_point StationMacros::now() const {
    return std::chrono::system_clock::now();
}

std::optional<std::string> StationMacros::imdReadout() const {
    modem::ImdMeter& imd = station_.imdMeter();
    if (!imd.shown()) return std::nullopt;
    return imd.macroText();
}

std::string StationMacros::callbookUrlTemplate() const {
    const Settings& settings = station_.settings();
    return settings.callbook.callbookType == 1 ? settings.callbook.url1.value()
                                               : settings.callbook.url0.value();
}

modem::CharacterSet StationMacros::characterSet() const {
    return station_.characterSet();
}

// The page of this exact name becomes the current band.
void StationMacros::selectBand(std::string_view name) {
    display::BandPages pages = station_.bandPages();
    for (int i = 0; i < display::kBandPageCount; ++i) {
        if (pages.page(i).name != name) continue;
        pages.select(i);
        station_.setBandPages(pages);
        station_.logbook().qso().stamp();  // a band change is a change of the QSO
        return;
    }
}

const std::string& StationMacros::externalCommand() const {
    return station_.link().command();
}

void StationMacros::sendExternalCommand(std::string_view command) {
    ++externalCommandCount_;
    station_.link().setCommand(command);
    host_.externalCommandChanged(command);
}

void StationMacros::openUrl(std::string_view url) {
    host_.openUrl(url);
}

std::optional<std::string> StationMacros::prompt(std::string_view text,
                                                 std::string_view initial) {
    return host_.prompt(text, initial);
}

std::optional<std::string> StationMacros::chooseFileToSend() {
    return host_.chooseOpenFile(macros::kSendFileDialogTitle,
                                dialogFilter(macros::kSendFileDialogFilter),
                                macros::kSendFileDialogDefault);
}

void StationMacros::showWarning(std::string_view text, std::string_view caption) {
    host_.showMessage(text, caption, MessageKind::Warning);
}

}  // namespace tarnvel::app
