#pragma once
// The operating modes and the one table of what each of them means: the number stored in the
// settings ("Misc"/"Mode"), the texts that show it, and how the receiver, the transmitter and
// the multichannel decoder treat it.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string_view>

namespace tarnvel::modem {

// The enumerators carry the stored numbers. Any other stored number is kept as it is (a Mode
// holds every int32 value), shows "?" and gets no receiver, so loading and saving never
// changes a value this version does not know.
enum class Mode : std::int32_t {
    Bpsk31 = 0,
    Qpsk31 = 1,
    Fsk31 = 2,
    Fsk31B = 3,  // no command selects it; received like FSK31
    Fsk63 = 4,
    Fsk63B = 5,  // no command selects it; received like FSK63
    Rtty = 6,    // no receiver
    Mtty = 7,    // no receiver
    Pactor = 10,
    Bpsk63 = 11,
};

// The receiver that gets the samples of a mode.
enum class ModeReceiverKind { None, Psk, Fsk31, Fsk63, Pactor };
// The character code the decoder reads and the encoder writes.
enum class ModeCoding { None, Varicode, Qpsk, Fsk63, Pactor };

struct ModeInfo {
    Mode mode;
    std::string_view cliName;     // empty: the command line cannot name it
    std::string_view menuText;    // the mode command's text; empty: no command selects it
    std::string_view statusText;  // "QPSKi" replaces the QPSK31 text when inverted
    std::string_view logText;     // mode field of a logged QSO
    double baud;                  // symbol rate; 0 where the mode fixes none
    ModeReceiverKind receiver;
    ModeCoding coding;
    bool transmits;
    bool multichannel;  // the multichannel decoder runs in it
};

// Every known mode, the ones a command selects first in menu order.
std::span<const ModeInfo> modeTable();
// The modes a command selects, in menu order.
std::span<const ModeInfo> commandModes();

// The entry of a mode; for a number the table does not know, an entry with the status text
// "?", the log text "UNKN", no receiver and no transmitter.
ModeInfo modeInfo(Mode mode);
// The mode named so on the command line, or null.
const ModeInfo* findModeByCliName(std::string_view name);

// "BPSK63 (11)": the status text and the stored number, for messages and logs.
std::ostream& operator<<(std::ostream& out, Mode mode);

constexpr Mode modeFromStored(std::int32_t stored) {
    return static_cast<Mode>(stored);
}
constexpr std::int32_t storedMode(Mode mode) {
    return static_cast<std::int32_t>(mode);
}

// Whether a mode command may select the mode.
bool isModeCommand(Mode mode);
// The status bar text; inverted QPSK shows "QPSKi".
std::string_view modeStatusText(Mode mode, bool invertedQpsk);
// The next mode of a click on the mode pane: BPSK31, BPSK63, PACTOR, then BPSK31 again.
Mode nextPaneMode(Mode mode);
// The multichannel decoder and the channel tags work in this mode.
inline bool runsMultichannel(Mode mode) {
    return modeInfo(mode).multichannel;
}
// Binary PSK: the PSK front end with the varicode decoder (BPSK31, BPSK63).
inline bool isBpsk(Mode mode) {
    const ModeInfo m = modeInfo(mode);
    return m.receiver == ModeReceiverKind::Psk && m.coding == ModeCoding::Varicode;
}
// The mode is received by the PSK front end at 62.5 baud or more (BPSK63).
inline bool isFastPsk(Mode mode) {
    const ModeInfo m = modeInfo(mode);
    return m.receiver == ModeReceiverKind::Psk && m.baud > 32.0;
}

}  // namespace tarnvel::modem
