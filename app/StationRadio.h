#pragma once
// The station's radio: push-to-talk, the band lines and the transceiver's frequency, through
// the serial port or the Hamlib rig the "Port" settings choose.
//
// A serial port is driven from the station's thread (its own threads only move bytes). A rig
// is driven through its rig thread: commands are queued and return at once, and what the rig
// answers is taken on the station's timer tick, which also asks for the dial frequency about
// once a second. A port or rig lost while in use is reported once; a transmission under way
// then returns to receive. Closing (and the destructor) always releases the transmitter.

#include <chrono>
#include <optional>
#include <string>

#include "radio/PortSettings.h"
#include "radio/RigControl.h"
#include "radio/SerialPort.h"
#include "radio/SerialRadio.h"

namespace tarnvel::app {

class Station;
class StationHost;

// "Error opening %s\nTry again?": a port (or rig) that cannot be opened; No gives up the port.
inline constexpr const char* kErrorOpeningFormat = "Error opening %s\nTry again?";
inline constexpr const char* kNoModemLinesMessage =
    " has no modem-control lines: push-to-talk and band lines cannot be set on it";

// What the radio is reached through now.
enum class RadioLink {
    None,         // no port configured (or given up)
    Serial,       // the serial device is open
    RigStarting,  // the rig thread is opening the rig
    RigReady,     // the rig answers
    Lost,         // the port or rig went away; nothing is sent until it is opened again
};

class StationRadio {
  public:
    // Ticks between two reads of the rig's dial (300 ms each: about once a second).
    static constexpr int kDialReadTicks = 3;

    StationRadio(Station& station, StationHost& host);
    ~StationRadio();
    StationRadio(const StationRadio&) = delete;
    StationRadio& operator=(const StationRadio&) = delete;

    // Opens what the "Port" settings name (start-up, and after the port dialog): a serial
    // device, asking "Error opening ..." until it opens or the operator gives up ("Number"
    // becomes 0), or the rig thread. The band lines of the current band are set.
    void open();
    // Releases the transmitter and closes the port or stops the rig.
    void close();
    // The port dialog's OK: close, store the settings, open, release PTT, apply the band. A
    // transmission under way returns to receive first (the new port would not be keyed).
    void applySettings(const radio::StoredPortSettings& stored);
    radio::StoredPortSettings storedSettings() const;

    void setPtt(bool on);
    bool pttOn() const { return ptt_; }

    // The current band page was chosen: band lines, and the CI-V frame or the rig's frequency.
    void applyBand();
    // The station's timer tick: rig events, a lost port, the rig's dial now and then.
    void onTimerTick();

    RadioLink link() const { return link_; }
    // True when push-to-talk reaches a transmitter: a serial port with modem lines that are
    // not all taken by four bands, or a rig that answers.
    bool canKey() const;
    radio::PortKind kind() const { return plan_.kind; }
    const radio::PortPlan& plan() const { return plan_; }
    // The rig's dial in kHz once it was read or set; nothing without a rig.
    std::optional<double> rigDialKHz() const;
    // The dial the frequency scale counts from: the rig's when known, else the band page's;
    // 0 with the audio scale.
    double dialFrequencyKHz(int freqMode) const;
    // Why the port or rig could not be opened, or what went wrong last (empty if nothing).
    const std::string& lastProblem() const { return lastProblem_; }
    // Waits (at most `timeout`) for the rig thread to post something; the next tick takes it.
    bool waitForRig(std::chrono::milliseconds timeout) { return rig_.waitForEvent(timeout); }
    // Takes what the rig posted now, without waiting for the tick.
    void handleRigEvents();
    int rigWakeFd() const { return rig_.wakeFd(); }

  private:
    void openSerial();
    void startRig();
    bool askRetry(const std::string& name);
    void giveUpPort();
    void handleRigEvent(const radio::RigEvent& event);
    void checkSerialLoss();
    // Reports a loss once and returns a transmission to receive.
    void lose(const std::string& message);
    void reportOnce(const std::string& message);
    void reportSerial(const radio::SerialResult& result);
    int bandListPosition() const;
    double currentBandKHz() const;

    Station& station_;
    StationHost& host_;
    radio::SerialPort port_;
    radio::SerialRadio serial_;
    radio::RigControl rig_;
    radio::PortPlan plan_;
    RadioLink link_ = RadioLink::None;
    bool ptt_ = false;
    std::optional<uint64_t> rigHz_;
    int ticksToRead_ = 0;
    std::string lastProblem_;
    std::string lastReported_;
};

}  // namespace tarnvel::app
