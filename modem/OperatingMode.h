#pragma once
// The operating mode values, as persisted and as the status bar shows them.

namespace tarnvel::modem {

inline constexpr int kModeBpsk31 = 0;
inline constexpr int kModeQpsk31 = 1;
inline constexpr int kModeFsk31 = 2;
inline constexpr int kModeFsk31B = 3;  // no command selects it; received like FSK31
inline constexpr int kModeFsk63 = 4;
inline constexpr int kModeFsk63B = 5;  // no command selects it; received like FSK63
inline constexpr int kModeRtty = 6;    // no receiver
inline constexpr int kModeMtty = 7;    // no receiver
inline constexpr int kModePactor = 10;
inline constexpr int kModeBpsk63 = 11;

// The values a mode command may set.
constexpr bool isModeCommand(int mode) {
    return mode == kModeBpsk31 || mode == kModeQpsk31 || mode == kModeFsk31 || mode == kModeFsk63 ||
           mode == kModePactor || mode == kModeBpsk63;
}

// The modes received through the PSK front end and the varicode or QPSK decoder.
constexpr bool isPskMode(int mode) {
    return mode == kModeBpsk31 || mode == kModeQpsk31 || mode == kModeBpsk63;
}

// Status bar text of a mode; unknown values show "?".
constexpr const char* modeStatusText(int mode, bool invertedQpsk) {
    switch (mode) {
        case kModeBpsk31:
            return "BPSK31";
        case kModeQpsk31:
            return invertedQpsk ? "QPSKi" : "QPSK";
        case kModeFsk31:
            return "FSK31";
        case kModeFsk31B:
            return "FSK31B";
        case kModeFsk63:
            return "FSK63";
        case kModeRtty:
            return "RTTY";
        case kModeMtty:
            return "MTTY";
        case kModePactor:
            return "PACTOR";
        case kModeBpsk63:
            return "BPSK63";
        default:
            return "?";
    }
}

}  // namespace tarnvel::modem
