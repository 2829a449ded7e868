#include "modem/Mode.h"

#include <array>
#include <ostream>

namespace tarnvel::modem {
namespace {

using R = ModeReceiverKind;
using C = ModeCoding;

constexpr double kBaud31 = 31.25;
constexpr double kBaud63 = 62.5;

// The first kCommandModes entries are the mode commands, in menu order.
constexpr std::size_t kCommandModes = 6;
constexpr std::array<ModeInfo, 10> kModes = {{
    {Mode::Bpsk31, "bpsk31", "&BPSK31", "BPSK31", "BPSK", kBaud31, R::Psk, C::Varicode, true, true},
    {Mode::Bpsk63, "bpsk63", "BPS&K63", "BPSK63", "BPSK63", kBaud63, R::Psk, C::Varicode, true,
     true},
    {Mode::Qpsk31, "qpsk31", "&QPSK31", "QPSK", "QPSK", kBaud31, R::Psk, C::Qpsk, true, false},
    {Mode::Fsk31, "fsk31", "&FSK31", "FSK31", "FSK31", kBaud31, R::Fsk31, C::Varicode, true, false},
    {Mode::Fsk63, "fsk63", "FSK63", "FSK63", "UNKN", kBaud63, R::Fsk63, C::Fsk63, true, false},
    // PACTOR follows the 100 or 200 baud of the signal; it is a receive-only monitor.
    {Mode::Pactor, "pactor", "&PACTOR RX", "PACTOR", "PACTOR", 0.0, R::Pactor, C::Pactor, false,
     false},
    // Stored values from elsewhere that no command sets.
    {Mode::Fsk31B, "", "", "FSK31B", "UNKN", kBaud31, R::Fsk31, C::Varicode, true, false},
    {Mode::Fsk63B, "", "", "?", "UNKN", kBaud63, R::Fsk63, C::Fsk63, false, false},
    {Mode::Rtty, "", "", "RTTY", "UNKN", 0.0, R::None, C::None, false, false},
    {Mode::Mtty, "", "", "MTTY", "UNKN", 0.0, R::None, C::None, false, false},
}};

}  // namespace

std::span<const ModeInfo> modeTable() {
    return kModes;
}

std::span<const ModeInfo> commandModes() {
    return std::span<const ModeInfo>(kModes).first(kCommandModes);
}

ModeInfo modeInfo(Mode mode) {
    for (const ModeInfo& m : kModes)
        if (m.mode == mode) return m;
    return ModeInfo{mode, "", "", "?", "UNKN", 0.0, R::None, C::None, false, false};
}

const ModeInfo* findModeByCliName(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const ModeInfo& m : kModes)
        if (m.cliName == name) return &m;
    return nullptr;
}

std::ostream& operator<<(std::ostream& out, Mode mode) {
    return out << modeInfo(mode).statusText << " (" << storedMode(mode) << ")";
}

bool isModeCommand(Mode mode) {
    for (const ModeInfo& m : commandModes())
        if (m.mode == mode) return true;
    return false;
}

std::string_view modeStatusText(Mode mode, bool invertedQpsk) {
    if (mode == Mode::Qpsk31 && invertedQpsk) return "QPSKi";
    return modeInfo(mode).statusText;
}

Mode nextPaneMode(Mode mode) {
    switch (mode) {
        case Mode::Bpsk31:
            return Mode::Bpsk63;
        case Mode::Bpsk63:
            return Mode::Pactor;
        default:
            return Mode::Bpsk31;
    }
}

}  // namespace tarnvel::modem
