#pragma once
// Push-to-talk, band-select lines and CI-V frequency commands on the station's serial port.
//
// The port's two modem-control lines serve one of three wirings ("Fourband"):
//   None       RTS and/or DTR key the transmitter; a line not used for PTT is held asserted
//              (interfaces take their supply from it).
//   FourBands  RTS and DTR carry a band number 0..3; the port keys nothing.
//   TwoBands   RTS keys the transmitter, DTR carries a band number 0..1.
// With no port in use every call does nothing and succeeds.

#include <cstdint>
#include <optional>

#include "radio/SerialLine.h"

namespace tarnvel::radio {

enum class Fourband : uint8_t { None = 0, FourBands = 1, TwoBands = 2 };

// The stored "Fourband" number as a wiring; nothing for a value that names none.
std::optional<Fourband> fourbandFromSetting(int value);

struct SerialRadioSettings {
    bool portInUse = false;  // "Number" > 0 and the port is a serial device
    bool rtsAsPtt = true;
    bool dtrAsPtt = true;
    bool useIcomCiv = false;
    uint8_t icomAddr = 0x04;
    Fourband fourband = Fourband::None;
};

class SerialRadio {
  public:
    SerialRadio(SerialLine& line, const SerialRadioSettings& settings)
        : line_(line), settings_(settings) {}

    void configure(const SerialRadioSettings& settings) { settings_ = settings; }
    const SerialRadioSettings& settings() const { return settings_; }

    // Keys (on) or releases the transmitter. Both lines are driven even if the first fails;
    // the result is the first failure. A release always counts: `keyed` is false after it.
    SerialResult setPtt(bool on);
    // Drives the band lines for the band at `index` in the band list.
    SerialResult setBandLines(int index);
    // Sends the CI-V frame for the band frequency (kHz); nothing for 0 kHz.
    SerialResult sendCivFrequency(double bandKhz);

    // True between a PTT request that reached the lines and its release.
    bool keyed() const { return keyed_; }

  private:
    SerialResult drive(std::optional<bool> rts, std::optional<bool> dtr);

    SerialLine& line_;
    SerialRadioSettings settings_;
    bool keyed_ = false;
};

}  // namespace tarnvel::radio
