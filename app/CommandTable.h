#pragma once
// Every command of the main window in one table: its id, its text, its menu and key, and the
// rules that enable and check it, as functions of the station's status. Menus, keys, the
// status-pane clicks and macro actions are built from it and dispatched by id
// (Station::runCommand); nothing looks a command up by its visible text.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/StationStatus.h"
#include "modem/CharacterSet.h"

namespace tarnvel::app {

enum class CommandId {
    // File
    OpenReceiveLog,
    CloseReceiveLog,
    SaveLastSeconds,
    // Logbook: the QSO in progress, the log window and the exchanges (the two asking
    // variants are keys only: Alt+A, Alt+L)
    SaveQso,
    ClearQso,
    SearchLog,
    ImportAdif,
    ExportAdif,
    MergeLog,
    SaveQsoAsking,
    ClearQsoAsking,
    Exit,
    // Mode
    Transmit,
    Receive,
    SoundOff,
    Tune,
    ImdMeasuring,
    ModeBpsk31,
    ModeBpsk63,
    ModeQpsk31,
    ModeFsk31,
    ModeFsk63,
    ModePactor,
    InvertQpsk,
    LockTransmit,
    UnlockTransmit,
    InsertEndOfTransmission,
    // Windows
    ClearReceive,
    ClearMultichannel,
    ClearTransmit,
    ClearAll,
    SeekLeft,
    SeekRight,
    MultichannelWindow,
    Bookmarks,
    HighlightColours,
    ChannelTimeout,
    // View
    FreqModeLower,
    FreqModeAudio,
    FreqModeUpper,
    WaterfallPalette,
    SpectrumMarkers,
    BandPages,
    WaterfallFitWidth,
    NarrowSpectrum,
    PhaseScope,
    OldPhaseScope,
    AlwaysShowImd,
    ShowFrequencies,
    FlashingTx,
    Utc,
    LogBar,
    Font,
    ReceiveTextColour,
    TransmitTextColour,
    ReceiveBackground,
    TransmitBackground,
    MultichannelTextColour,
    MultichannelCarrierBackground,
    MultichannelNoCarrierBackground,
    MultichannelInactiveBackground,
    // Options
    StationData,
    SoundDevice,
    TransmitRateCorrection,
    ReceiveRateCorrection,
    SoundHistoryLength,
    Squelch,
    SquelchThreshold,
    Afc,
    Snap,
    SensitiveReceiver,
    UnderlineOwnText,
    ArrowsForSeek,
    // Mixer: the level dialogs; the UDP logger's settings
    OutputLevel,
    InputLevel,
    LoggerSettings,
    // Radio
    PortNumber,
    Callbook0,
    Callbook1,
    CharacterSetUtf8,
    CharacterSetWindows1250,
    CharacterSetLatin1,
    // Macros
    LoadMacros,
    SaveMacros,
    SendTextFile,
    // Help
    HelpContents,
    // Keys and panes only
    ToggleTransmit,
    Escape,
    Fourband1,
    Fourband2,
    ToggleTransmitLock,
    ToggleImdShown,
    StepMode,
};

enum class Menu {
    None,
    File,
    Mode,
    Windows,
    View,
    Options,
    Callbooks,
    CharacterSets,
    Macros,  // with the two submenus of the macro editors, which the window adds
    Help
};

// Who carries a command out: the station itself, or the window (a dialog to show first).
enum class CommandTarget { Station, Window };

using CommandRule = bool (*)(const StationStatus&);

struct CommandSpec {
    CommandId id;
    Menu menu;
    std::string_view text;      // the menu text (UTF-8); empty for keys and panes only, and
                                // for the mode commands, which the mode table names
    std::string_view keys;      // key sequences in portable text ("Alt+X; Pause"), may be empty
    std::string_view paneText;  // its text in the status bar's right-click menu, if it is there
    CommandTarget target;
    bool separatorBefore;  // a separator goes before it in its menu
    CommandRule enabled;   // null: always enabled
    CommandRule checked;   // null: not checkable
};

// Every command, in menu order.
std::span<const CommandSpec> commandTable();
const CommandSpec& commandSpec(CommandId id);

// The menus in the menu bar's order, with their titles (the callbook submenu sits in Options).
struct MenuSpec {
    Menu menu;
    std::string_view title;
};
std::span<const MenuSpec> menuTable();

bool commandEnabled(CommandId id, const StationStatus& status);
// The text shown now: most are fixed; the history save names its length and the callbook
// items show the callbooks' names.
std::string commandText(CommandId id, const StationStatus& status);
// Nothing for a command that is not checkable.
std::optional<bool> commandChecked(CommandId id, const StationStatus& status);

// The command that chooses a character set on the air, and the other way round.
std::optional<CommandId> characterSetCommand(modem::CharacterSet set);
std::optional<modem::CharacterSet> commandCharacterSet(CommandId id);

// The mode command that selects a mode, and the other way round.
std::optional<CommandId> modeCommand(modem::Mode mode);
std::optional<modem::Mode> commandMode(CommandId id);

}  // namespace tarnvel::app
