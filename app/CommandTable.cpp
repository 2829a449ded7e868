#include "app/CommandTable.h"

#include <algorithm>
#include <array>

namespace tarnvel::app {
namespace {

using modem::Mode;
using S = const StationStatus&;

bool transmitting(S s) {
    return s.state == OperatingState::Transmitting;
}
bool notTransmitting(S s) {
    return !transmitting(s);
}

// Rules of the commands, named for what they say.
bool canTransmit(S s) {
    return s.state != OperatingState::Stopped && s.mode != Mode::Pactor;
}
bool isTransmitting(S s) {
    return transmitting(s);
}
bool isReceiving(S s) {
    return s.state == OperatingState::Receiving;
}
bool isStopped(S s) {
    return s.state == OperatingState::Stopped;
}
bool imdMeasuring(S s) {
    return s.imdMeasuring;
}
template <Mode M>
bool inMode(S s) {
    return s.mode == M;
}
bool canInvert(S s) {
    return !modem::isBpsk(s.mode) && s.mode != Mode::Pactor;
}
bool invertedQpsk(S s) {
    return s.invertedQpsk;
}
bool unlocked(S s) {
    return !s.transmitLocked;
}
bool locked(S s) {
    return s.transmitLocked;
}
bool noReceiveLog(S s) {
    return !s.receiveLogOpen;
}
bool receiveLog(S s) {
    return s.receiveLogOpen;
}
bool historySavable(S s) {
    return s.canSaveSoundHistory;
}
bool canShowMultichannel(S s) {
    return !transmitting(s) && modem::runsMultichannel(s.mode);
}
bool multichannelWindow(S s) {
    return s.multichannelWindow;
}
bool bookmarks(S s) {
    return s.showBookMarks;
}
template <int F>
bool freqMode(S s) {
    return s.freqMode == F;
}
bool waterfallFit(S s) {
    return s.waterfallFit;
}
bool narrowSpectrum(S s) {
    return s.narrowSpectrum;
}
bool notPactor(S s) {
    return s.mode != Mode::Pactor;
}
bool phaseScope(S s) {
    return s.phaseScope;
}
bool oldPhaseScope(S s) {
    return s.oldPhaseScope;
}
bool alwaysShowImd(S s) {
    return s.alwaysShowImd;
}
bool showSoundFq(S s) {
    return s.showSoundFq;
}
bool flashingTx(S s) {
    return s.flashingTx;
}
bool utc(S s) {
    return s.utc;
}
bool squelch(S s) {
    return s.squelch;
}
bool afc(S s) {
    return s.afc;
}
bool snap(S s) {
    return s.snap;
}
bool sensitiveReceiver(S s) {
    return s.sensitiveReceiver;
}
bool underlineOwnText(S s) {
    return !s.simpleTxEdit;
}
bool arrowsForSeek(S s) {
    return s.arrowsForSeek;
}
template <int C>
bool callbook(S s) {
    return s.callbookType == C;
}

bool logBarShown(S s) {
    return s.logBarShown;
}

template <modem::CharacterSet Set>
bool onAir(S s) {
    return s.characterSet == Set;
}

using C = CommandId;
using M = Menu;
constexpr CommandTarget St = CommandTarget::Station;
constexpr CommandTarget W = CommandTarget::Window;

constexpr std::array kCommands = std::to_array<CommandSpec>({
    {C::OpenReceiveLog, M::File, "Otwórz log odbioru...", "", "", St, false, noReceiveLog, nullptr},
    {C::CloseReceiveLog, M::File, "Zamknij log odbioru", "", "", St, false, receiveLog, nullptr},
    {C::SaveLastSeconds, M::File, "Save last %1 s&econds...", "Ctrl+Alt+Shift+W", "", St, false,
     historySavable, nullptr},
    // Logbook
    {C::SaveQso, M::File, "Zapisz dane QSO \tAlt-A", "", "", St, true, nullptr, nullptr},
    {C::ClearQso, M::File, "Wyczyść dane QSO \tAlt-L", "", "", St, false, nullptr, nullptr},
    {C::SearchLog, M::File, "Wyszukaj w pliku dziennika...\tAlt-S", "Alt+S", "", W, false,
     nullptr, nullptr},
    {C::ImportAdif, M::File, "&Importuj z pliku ADIF", "", "", St, true, nullptr, nullptr},
    {C::ExportAdif, M::File, "Eksportuj do pliku ADIF", "", "", St, false, nullptr, nullptr},
    {C::MergeLog, M::File, "Połącz pliki logu", "", "", St, false, nullptr, nullptr},
    {C::SaveQsoAsking, M::None, "", "Alt+A", "", St, false, nullptr, nullptr},
    {C::ClearQsoAsking, M::None, "", "Alt+L", "", St, false, nullptr, nullptr},
    {C::Exit, M::File, "Zakończ", "", "", W, true, nullptr, nullptr},

    {C::Transmit, M::Mode, "&TX", "", "", St, false, canTransmit, isTransmitting},
    {C::Receive, M::Mode, "&RX", "", "", St, false, nullptr, isReceiving},
    {C::SoundOff, M::Mode, "Zablokuj okno programu", "", "", St, false, notTransmitting, isStopped},
    {C::Tune, M::Mode, "Strojenie..", "", "", St, false, notTransmitting, nullptr},
    {C::ImdMeasuring, M::Mode, "Pomiar IMD", "", "", St, false, nullptr, imdMeasuring},
    {C::ModeBpsk31, M::Mode, "", "", "", St, true, notTransmitting, inMode<Mode::Bpsk31>},
    {C::ModeBpsk63, M::Mode, "", "", "", St, false, notTransmitting, inMode<Mode::Bpsk63>},
    {C::ModeQpsk31, M::Mode, "", "", "", St, false, notTransmitting, inMode<Mode::Qpsk31>},
    {C::ModeFsk31, M::Mode, "", "", "", St, false, notTransmitting, inMode<Mode::Fsk31>},
    {C::ModeFsk63, M::Mode, "", "", "", St, false, notTransmitting, inMode<Mode::Fsk63>},
    {C::ModePactor, M::Mode, "", "", "", St, false, notTransmitting, inMode<Mode::Pactor>},
    {C::InvertQpsk, M::Mode, "Odwróć", "", "", St, false, canInvert, invertedQpsk},
    {C::LockTransmit, M::Mode, "Zablokuj częstotliwość TX", "", "", St, true, unlocked, nullptr},
    {C::UnlockTransmit, M::Mode, "Odblokuj częstotliwość TX", "", "", St, false, locked, nullptr},
    {C::InsertEndOfTransmission, M::Mode, "Wstaw '®'\tAlt-End", "Alt+End", "", St, false, nullptr,
     nullptr},

    {C::ClearReceive, M::Windows, "Zeruj okno &RX", "", "", St, false, nullptr, nullptr},
    {C::ClearMultichannel, M::Windows, "Zeruj okno multikanałowe", "", "", St, false, nullptr,
     nullptr},
    {C::ClearTransmit, M::Windows, "Zeruj okno &TX", "", "", St, false, nullptr, nullptr},
    {C::ClearAll, M::Windows, "Zeruj wszystko", "", "", St, false, nullptr, nullptr},
    {C::SeekLeft, M::Windows, "Seek left from the cursor", "", "", St, true, nullptr, nullptr},
    {C::SeekRight, M::Windows, "Seek right from the cursor", "", "", St, false, nullptr, nullptr},
    {C::MultichannelWindow, M::Windows, "Okno multikanałów", "", "", St, true, canShowMultichannel,
     multichannelWindow},
    {C::Bookmarks, M::Windows, "&Zakładki", "", "", St, false, nullptr, bookmarks},
    {C::HighlightColours, M::Windows, "Kolor wybranego tekstu multikanału...", "", "", W, false,
     nullptr, nullptr},
    {C::ChannelTimeout, M::Windows, "Czas nieaktywności kanału...", "", "", W, false, nullptr,
     nullptr},

    {C::FreqModeLower, M::View, "Start - częstotliwość dźwięku", "", "", St, false, nullptr,
     freqMode<2>},
    {C::FreqModeAudio, M::View, "Display sound frequency", "", "", St, false, nullptr, freqMode<0>},
    {C::FreqModeUpper, M::View, "Start + częstotliwość dźwięku", "", "", St, false, nullptr,
     freqMode<1>},
    {C::WaterfallPalette, M::View, "Wodospad...", "", "", W, true, nullptr, nullptr},
    {C::SpectrumMarkers, M::View, "Znaczniki na spektrum...", "", "", W, false, nullptr, nullptr},
    {C::BandPages, M::View, "Opcje Spektrum pasm...", "", "", W, false, nullptr, nullptr},
    {C::WaterfallFitWidth, M::View, "Wodospad na całą szerokość", "", "", St, false, nullptr,
     waterfallFit},
    {C::NarrowSpectrum, M::View, "Wąskie spektrum", "", "", St, false, nullptr, narrowSpectrum},
    {C::PhaseScope, M::View, "Zakres &Fazy", "", "", St, true, notPactor, phaseScope},
    {C::OldPhaseScope, M::View, "Osobny wskaźnik strojenia", "", "", St, false, nullptr,
     oldPhaseScope},
    {C::AlwaysShowImd, M::View, "nie ukrywaj pozom IMD", "", "", St, false, nullptr, alwaysShowImd},
    {C::ShowFrequencies, M::View, "Pokaż częstotliwość", "", "Show &frequencies", St, false, nullptr,
     showSoundFq},
    {C::FlashingTx, M::View, "Migotający 'T&X'", "", "Flashing 'T&X'", St, false, nullptr,
     flashingTx},
    {C::Utc, M::View, "&UTC", "", "&UTC", St, false, nullptr, utc},
    {C::LogBar, M::View, "Pasek &logu", "Alt+Y", "", W, false, nullptr, logBarShown},
    {C::Font, M::View, "Czcionka...", "", "", W, true, nullptr, nullptr},
    {C::ReceiveTextColour, M::View, "Kolor tekstu odbieranego...", "", "", W, false, nullptr,
     nullptr},
    {C::TransmitTextColour, M::View, "Kolor tekstu nadawanego...", "", "", W, false, nullptr,
     nullptr},
    {C::ReceiveBackground, M::View, "Kolor tła okna odbioru...", "", "", W, false, nullptr,
     nullptr},
    {C::TransmitBackground, M::View, "Kolor tła okna nadawania...", "", "", W, false, nullptr,
     nullptr},
    {C::MultichannelTextColour, M::View, "Kolor tekstu multikanału...", "", "", W, false, nullptr,
     nullptr},
    {C::MultichannelCarrierBackground, M::View, "Kolor tła kanału z nośną...", "", "", W, false,
     nullptr, nullptr},
    {C::MultichannelNoCarrierBackground, M::View, "Kolor tła kanału bez nośnej...", "", "", W,
     false, nullptr, nullptr},
    {C::MultichannelInactiveBackground, M::View, "Kolor tła nieużywanego kanału...", "", "", W,
     false, nullptr, nullptr},

    {C::StationData, M::Options, "Twoje Dane...", "", "", St, false, nullptr, nullptr},
    {C::SoundDevice, M::Options, "Karta dźwiękowa...", "", "", W, false, nullptr, nullptr},
    {C::TransmitRateCorrection, M::Options, "TX...", "", "", W, false, nullptr, nullptr},
    {C::ReceiveRateCorrection, M::Options, "RX...", "", "", W, false, nullptr, nullptr},
    {C::SoundHistoryLength, M::Options, "Historia dźwięku...", "", "", W, false, nullptr, nullptr},
    {C::Squelch, M::Options, "Szumy", "", "S&quelch", St, true, nullptr, squelch},
    {C::SquelchThreshold, M::Options, "Ustaw Próg Szumów...", "", "Squelch th&reshold...", W, false,
     nullptr, nullptr},
    {C::Afc, M::Options, "&AFC", "", "&AFC", St, false, nullptr, afc},
    {C::Snap, M::Options, "Zapnij", "", "S&nap", St, false, nullptr, snap},
    {C::SensitiveReceiver, M::Options, "Czuły odbiornik (słabe sygnały)", "", "", St, false, nullptr,
     sensitiveReceiver},
    {C::UnderlineOwnText, M::Options, "Podkreśl własny tekst", "", "", St, false, nullptr,
     underlineOwnText},
    {C::ArrowsForSeek, M::Options, "Przeszukiwanie strzałkami", "", "", St, false, nullptr,
     arrowsForSeek},
    // Mixer: the level dialogs; the UDP logger's settings
    {C::OutputLevel, M::Options, "Reg.wyjścia karty dżwiękowej(TX)...", "", "", W, true, nullptr,
     nullptr},
    {C::InputLevel, M::Options, "Reg.wejścia karty dżwiękowej(RX)...", "", "", W, false, nullptr,
     nullptr},
    {C::LoggerSettings, M::Options, "Logger UDP...", "", "", W, false, nullptr, nullptr},
    // Radio
    {C::PortNumber, M::Options, "Numer portu...", "", "", W, false, nullptr, nullptr},
    {C::Callbook0, M::Callbooks, "URL 0", "", "", St, false, nullptr, callbook<0>},
    {C::Callbook1, M::Callbooks, "URL 1", "", "", St, false, nullptr, callbook<1>},
    {C::CharacterSetUtf8, M::CharacterSets, "", "", "", St, false, nullptr,
     onAir<modem::CharacterSet::Utf8>},
    {C::CharacterSetWindows1250, M::CharacterSets, "", "", "", St, false, nullptr,
     onAir<modem::CharacterSet::Windows1250>},
    {C::CharacterSetLatin1, M::CharacterSets, "", "", "", St, false, nullptr,
     onAir<modem::CharacterSet::Latin1>},

    // Macros
    {C::LoadMacros, M::Macros, "&Ładuj macro", "", "", St, true, nullptr, nullptr},
    {C::SaveMacros, M::Macros, "&Zapisz macro", "", "", St, false, nullptr, nullptr},
    {C::SendTextFile, M::Macros, "Wyślij tekst z pliku...", "", "", St, true, nullptr, nullptr},

    {C::HelpContents, M::Help, "&Zawartość pomocy", "", "", W, false, nullptr, nullptr},

    {C::ToggleTransmit, M::None, "", "Pause; Alt+X", "", St, false, nullptr, nullptr},
    {C::Escape, M::None, "", "Esc", "", St, false, nullptr, nullptr},
    {C::Fourband1, M::None, "", "Ctrl+Alt+4", "", St, false, nullptr, nullptr},
    {C::Fourband2, M::None, "", "Ctrl+Alt+2", "", St, false, nullptr, nullptr},
    {C::ToggleTransmitLock, M::None, "", "", "&Lock TX frequency", St, false, nullptr, locked},
    {C::ToggleImdShown, M::None, "", "", "", St, false, nullptr, nullptr},
    {C::StepMode, M::None, "", "", "", St, false, notTransmitting, nullptr},
});

constexpr std::array kMenus = std::to_array<MenuSpec>({
    {M::File, "&Plik"},
    {M::Mode, "&Tryb"},
    {M::Windows, "&Okna"},
    {M::View, "&Widok"},
    {M::Options, "O&pcje"},
    {M::Callbooks, "Wyszukaj stację w"},
    {M::CharacterSets, "Znaki na antenie"},
    {M::Macros, "&Makra"},
    {M::Help, "Pomo&c"},
});

constexpr std::array<std::pair<CommandId, Mode>, 6> kModeCommands{{
    {C::ModeBpsk31, Mode::Bpsk31},
    {C::ModeBpsk63, Mode::Bpsk63},
    {C::ModeQpsk31, Mode::Qpsk31},
    {C::ModeFsk31, Mode::Fsk31},
    {C::ModeFsk63, Mode::Fsk63},
    {C::ModePactor, Mode::Pactor},
}};

constexpr std::array<std::pair<CommandId, modem::CharacterSet>, 3> kCharacterSetCommands{{
    {C::CharacterSetUtf8, modem::CharacterSet::Utf8},
    {C::CharacterSetWindows1250, modem::CharacterSet::Windows1250},
    {C::CharacterSetLatin1, modem::CharacterSet::Latin1},
}};

}  // namespace

std::span<const CommandSpec> commandTable() {
    return kCommands;
}

const CommandSpec& commandSpec(CommandId id) {
    const auto* it = std::find_if(kCommands.begin(), kCommands.end(),
                                  [id](const CommandSpec& c) { return c.id == id; });
    // Every id has its row (the table test walks them all).
    return it != kCommands.end() ? *it : kCommands.front();
}

std::span<const MenuSpec> menuTable() {
    return kMenus;
}

bool commandEnabled(CommandId id, const StationStatus& status) {
    const CommandSpec& c = commandSpec(id);
    return c.enabled == nullptr || c.enabled(status);
}

std::optional<bool> commandChecked(CommandId id, const StationStatus& status) {
    const CommandSpec& c = commandSpec(id);
    if (c.checked == nullptr) return std::nullopt;
    return c.checked(status);
}

std::string commandText(CommandId id, const StationStatus& status) {
    const CommandSpec& c = commandSpec(id);
    // The mode commands are named by the mode table.
    if (const auto mode = commandMode(id)) return std::string(modem::modeInfo(*mode).menuText);
    // So are the character sets, by their own table.
    if (const auto set = commandCharacterSet(id))
        return std::string(modem::characterSetName(*set));
    std::string text(c.text);
    switch (id) {
        case C::SaveLastSeconds:
            if (const auto at = text.find("%1"); at != std::string::npos)
                text.replace(at, 2, std::to_string(status.soundHistorySeconds));
            return text;
        case C::Callbook0:
            return status.callbookName0.empty() ? text : status.callbookName0;
        case C::Callbook1:
            return status.callbookName1.empty() ? text : status.callbookName1;
        default:
            return text;
    }
}

std::optional<CommandId> characterSetCommand(modem::CharacterSet set) {
    for (const auto& [id, s] : kCharacterSetCommands)
        if (s == set) return id;
    return std::nullopt;
}

std::optional<modem::CharacterSet> commandCharacterSet(CommandId id) {
    for (const auto& [c, s] : kCharacterSetCommands)
        if (c == id) return s;
    return std::nullopt;
}

std::optional<CommandId> modeCommand(Mode mode) {
    for (const auto& [id, m] : kModeCommands)
        if (m == mode) return id;
    return std::nullopt;
}

std::optional<Mode> commandMode(CommandId id) {
    for (const auto& [c, m] : kModeCommands)
        if (c == id) return m;
    return std::nullopt;
}

}  // namespace tarnvel::app
