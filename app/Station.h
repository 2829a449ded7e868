#pragma once
// The station: the main frame's logic without a window. It owns every engine (the receive
// chain, the transmitter, the spectrum analysis, the IMD meter, the multichannel decoder, the
// sound history), the receive and transmit text models and the settings, and drives an
// injected sound card. It holds the operating state (stopped, receiving, transmitting), the
// receive and transmit frequencies, and runs the switching sequences, the text flow and the
// 300 ms housekeeping timer in their fixed order.
//
// One thread does all the work: the owner calls pump() (a command-line loop), or calls
// handleSoundEvents() when the sound card's wake descriptor becomes readable and onTimerTick()
// from its own 300 ms timer (a desktop window). Nothing here blocks longer than the short
// pauses around push-to-talk.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "app/DisplayData.h"
#include "app/ReceiveText.h"
#include "app/Settings.h"
#include "app/StationClock.h"
#include "app/ReceiveRecovery.h"
#include "app/SoundDeviceChoice.h"
#include "app/StationData.h"
#include "app/StationHost.h"
#include "app/StationMessages.h"
#include "app/StationOption.h"
#include "app/StationStatus.h"
#include "app/TextAppearance.h"
#include "app/TransmitText.h"
#include "audio/HistoryRing.h"
#include "audio/SoundCard.h"
#include "display/MultichannelDecoder.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumHistory.h"
#include "modem/ImdMeter.h"
#include "modem/ReceiveChain.h"
#include "modem/TransmitHost.h"
#include "modem/Transmitter.h"

namespace tarnvel::app {

class ReceiveCatchUp;
class StationLink;
class StationLog;
class StationMacros;
class StationRadio;

using modem::Mode;

// Bits of the `which` argument of setFrequency.
inline constexpr int kSetTransmit = 1;
inline constexpr int kSetReceive = 2;
inline constexpr int kSetBoth = kSetTransmit | kSetReceive;

inline constexpr double kMinNudgeHz = 50.0;
inline constexpr double kMaxNudgeHz = 5000.0;

// The band page that the band interface falls back to when it cannot select the current one.
inline constexpr int kFallbackBand = 4;
// Nominal rates the sound device dialog accepts.
inline constexpr int kMinNominalRate = 7000;
inline constexpr int kMaxNominalRate = 12000;

// The sound history as it was when the save command was given, oldest sample first, with the
// rate it is written at (the corrected receive rate).
struct SoundHistoryCopy {
    std::vector<int16_t> samples;
    int rate = 0;
};

struct StationOptions {
    // Made the current folder at start-up (log, macros and palettes are named relative to it);
    // empty: the current folder stays.
    std::string dataFolder;
    // Keep the whole received text (a batch tool prints it) instead of the window's line limit.
    bool keepAllReceivedText = false;
    // What the desktop gives the settings at a first start (its window colour).
    SettingsDefaults defaults;
};

class Station final : private modem::TransmitHost {
  public:
    static constexpr StationMs kTimerPeriodMs = 300;
    static constexpr StationMs kPttReleasePauseMs = 50;
    static constexpr StationMs kPttKeyPauseMs = 55;
    // Ticks the output watchdog waits for the first returned buffer before reopening.
    static constexpr int kOutputWatchdogTicks = 10;
    static constexpr int kImdHoldTicks = 3;
    static constexpr int kChannelCount = display::kChannelSlots;

    Station(SettingsStore& store, audio::SoundCard& card, StationHost& host, StationClock& clock,
            StationOptions options = {});
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Start-up: rates, history, frequencies, the receive log, the data folder, the sound card
    // (receiving, or stopped with the message), the timer. The saved mode is re-issued on the
    // first tick. Returns false when the sound card could not be opened (the station runs on,
    // stopped).
    bool start();
    // Shut-down: sound off, receive log closed, changed settings written back. Also run by the
    // destructor when start() ran.
    void shutdown();

    // The loop of a front end without its own: handles sound events and due timer ticks for
    // up to timeoutMs; returns the number of sound events handled.
    int pump(StationMs timeoutMs);
    // Pumps until done() holds (true) or timeoutMs have passed (false).
    bool runUntil(const std::function<bool()>& done, StationMs timeoutMs);
    // Handles every pending sound event (with the timer ticks that fall due between them).
    int handleSoundEvents();
    // Runs the timer ticks that are due by the clock.
    void runDueTicks();

    // Operating state.
    OperatingState state() const { return state_; }
    void goTransmit();
    void goReceive();
    void toggleTransmit();
    void soundOff();
    // The Tune command: transmits the tuning carrier while the host's modal message is open.
    void tune();
    // "&RX": releases a held IMD figure and returns to receive.
    void receiveCommand();
    // Esc: returns to receive; with "ClearOnEsc" the transmit window is emptied.
    void escapeCommand();

    // Frequencies: which is kSetTransmit and/or kSetReceive. Refuses (false) a frequency that
    // is not finite and positive.
    bool setFrequency(double hz, int which, bool addSeparator);
    double receiveFrequency() const { return chain_.receiveFrequency(); }
    double transmitFrequency() const { return txFrequency_; }
    void setTransmitLocked(bool locked);
    bool transmitLocked() const { return txLocked_; }
    // Alt (1 Hz) and Ctrl (10 Hz) with Left (direction -1) or Right (+1); Shift marks the text.
    void nudgeFrequency(int direction, double stepHz, bool shiftHeld);
    void seekLeft();
    void seekRight();
    // Shift-tuning: the history is decoded again from its oldest sample.
    bool startReplay();
    // Catch-up on the sound history (ReceiveCatchUp, StationCatchUp.cpp): a click that moved
    // the receiver from previousHz onto a signal that began earlier decodes the history again
    // from a little before the signal's start (at most 10 s). New multichannel channels catch
    // up on their own. receiveRecovering: receive failed and is being reopened.
    bool replayFromSignalStart(double previousHz);
    const ReceiveCatchUp& catchUp() const { return *catchUp_; }
    bool receiveRecovering() const { return recovery_.active(); }

    // Mode commands (the modes of modem::commandModes()); false for any other mode.
    bool selectMode(Mode mode);
    Mode mode() const { return chain_.mode(); }
    void setInvertedQpsk(bool inverted);

    // The character set on the air ("Misc"/"CharacterSet"; an unknown name reads as UTF-8):
    // how the windows, station data, macros and the log show and take the station's codes, and
    // which 174/169/176 codes the transmitter takes as controls. The codes held stay as they are.
    modem::CharacterSet characterSet() const;
    void setCharacterSet(modem::CharacterSet set);

    // The receive text flow.
    void flushReceivedText();
    bool openReceiveLog(const std::string& fileName);
    void closeReceiveLog();
    bool receiveLogOpen() const { return rxLog_ != nullptr; }

    // The timer rules, in their order; the owner's timer or runDueTicks calls it.
    void onTimerTick();
    // One received block (512 samples).
    void onInputBlock(const int16_t* samples, size_t count);
    void onOutputBufferDone(int buffer);

    // Rates: stores nominal into "SoundSampleRate" and gives the receivers (their state reset),
    // the transmitter (reset), the multichannel channels and the sound card the rates from it
    // and the two corrections ("RateCorrRx", "RateCorrTx"); an existing sound history is
    // replaced by an empty one. Takes effect at once, also while receiving; the sound card
    // opens at a new nominal rate the next time it opens. Refuses (false, nothing changes) a
    // nominal rate outside 7000..12000.
    bool applySampleRate(int nominal);
    // The history length command: 301 s or more is refused with "Too big value" (false,
    // nothing changes); otherwise the old history is dropped, "SoundHistory" becomes the value
    // (a negative one 0) and a value above 0 gets a new, empty history of that many seconds.
    bool setSoundHistoryLength(int seconds);
    // The save command is offered while "SoundHistory" is 1 or more and a history exists.
    bool canSaveSoundHistory() const;
    // The whole history, oldest first; nothing when it cannot be saved.
    std::optional<SoundHistoryCopy> copySoundHistory() const;
    // Writes a copy as a 16-bit mono WAV file. A failed write is reported ("Cannot write
    // <file>: <reason>") and leaves neither a partial file nor a changed earlier one.
    bool saveSoundHistory(const SoundHistoryCopy& copy, const std::string& fileName);

    // Text and settings the windows edit.
    TransmitText& transmitText() { return transmitText_; }
    ReceiveText& receiveText() { return receiveText_; }
    const ReceiveText& receiveText() const { return receiveText_; }
    Settings& settings() { return settings_; }
    void setImdMeasuring(bool on);
    bool tuning() const { return tuning_; }

    // Engines, for the views and tests.
    modem::ReceiveChain& receiveChain() { return chain_; }
    modem::Transmitter& transmitter() { return transmitter_; }
    modem::ImdMeter& imdMeter() { return imd_; }
    display::MultichannelDecoder& multichannel() { return multichannel_; }
    const display::SpectrumHistory& spectrumHistory() const { return spectrumHistory_; }
    // The analyser's output for the newest spectrum row (what the waterfall draws).
    const display::SpectrumRow& lastSpectrumRow() const { return row_; }
    audio::HistoryRing* soundHistory() { return history_.get(); }
    audio::SoundCard& soundCard() { return card_; }

    int tickCount() const { return tickCount_; }
    int outputWatchdog() const { return outputWatchdog_; }
    bool inputEnded() const { return inputEnded_; }
    // Transmissions that ended because their end buffer had played.
    int transmissionsCompleted() const { return transmissionsCompleted_; }
    // Times the output watchdog started the output again.
    int watchdogReopens() const { return watchdogReopens_; }
    // What the sound card said when it last refused (for a front end's own report).
    const std::string& lastSoundProblem() const { return lastSoundProblem_; }


    // ---- the windows' view of the station and the operator's controls ----
    // What the windows show, in one snapshot.
    StationStatus status() const;
    // Runs a command of the command table; one that needs a window first goes to the host.
    void runCommand(CommandId id);

    bool option(StationOption option) const;
    void setOption(StationOption option, bool on);
    void toggleOption(StationOption option);
    void setSquelchThreshold(int threshold);
    // Between the weak-signal receivers and the plain ones (setting "PskReceiver").
    void toggleSensitiveReceiver();
    // The frequency scale: 0 audio, 1 dial plus audio, 2 dial minus audio.
    void setFreqMode(int freqMode);
    // Only in BPSK and not while transmitting (anything else switches it off); clears every
    // channel.
    void setMultichannelWindow(bool on);
    void setMultichannelTimeout(int seconds);
    // Clears the transmit window, as the two modes keep their text differently.
    void setSimpleTxEdit(bool simple);
    void setCallbookType(int type);
    void toggleFourband(int value);
    // The mode pane's click: BPSK31, BPSK63, PACTOR, BPSK31.
    void stepMode();
    void toggleImdShown();

    bool setRateCorrection(int rxPpm, int txPpm);
    SoundDeviceChoice soundDeviceChoice() const;
    void applySoundDevice(const SoundDeviceChoice& choice);

    StationData stationData() const;
    void setStationData(const StationData& data);
    // The station dialog through the host; OK stores what it gives back.
    void editStationData();

    PersistentInt& optionSetting(StationOption option);
    PersistentInt& colourSetting(ColourRole role);
    void reportStoreFailure();
    void clearChannel(int slot);
    void clearAllChannels();
    void openChannel(double hz);
    // Macros ("<BOOKMARK>"): the bookmark at the receive frequency, only while receiving.
    void toggleBookmark();
    // Tunes to a multichannel line and shows its text in the receive window.
    void jumpToChannel(int slot);

    void clearReceiveWindow();
    // Also the transmitter's, at the control character that ends and clears.
    void clearTransmitWindow() override;
    void clearAll();
    // "®" and a line end: the transmitter returns to receive there.
    void insertEndOfTransmission();

    // The receive log and the sound history through the host's file dialog.
    void chooseReceiveLog();
    void saveLastSeconds();

    const display::BandPages& bandPages() const { return displayData_.bandPages(); }
    void setBandPages(const display::BandPages& pages);
    const DisplayData& displayData() const { return displayData_; }
    void setPaletteAnchors(const display::PaletteAnchors& anchors);
    void setMarkers(const display::SpectrumMarkers& markers);
    void setHighlights(const display::HighlightWords::Slots& words);
    int32_t colour(ColourRole role) const;
    void setColour(ColourRole role, int32_t bbggrr);
    FontDescription font() const;
    void setFont(const FontDescription& font);

    // The logbook (log file and QSO in progress), the macros and the radio.
    StationLog& logbook() { return *log_; }
    const StationLog& logbook() const { return *log_; }
    StationMacros& macros() { return *macros_; }
    StationRadio& radio() { return *radio_; }
    // The data link for other programs; the front end starts it before start().
    StationLink& link() { return *link_; }
    // Logbook: makes a band page current (one of the pages "Fourband" lists; false for any
    // other), as the log bar's band drop-down does.
    bool selectBandPage(int index);

  private:
    // TransmitHost.
    bool nextTransmitCharacter(uint8_t& ch) override;
    bool isTuning() const override { return tuning_; }
    bool isImdMeasuring() const override { return imd_.measuring(); }
    void echo(char ch) override { chain_.appendPendingText(std::string_view(&ch, 1)); }
    void announce(std::string_view text) override;
    void transmissionOver() override { transmissionOver_ = true; }
    std::string cwIdText() const override {
        return stationCwId(settings_.station.cwId.value(), settings_.station.call.value());
    }
    int useCwId() const override { return settings_.station.useCwId; }
    int fastCwId() const override { return settings_.station.fastCwId; }

    // A new, empty history of "SoundHistory" seconds at rate; none when the length is 0.
    void makeHistory(double rate);
    void applyReceiveSettings();
    void changeState(OperatingState state);
    bool openInput();
    void reportSoundCardUnavailable();
    void reportSoundFailure(const std::string& what, const audio::SoundResult& result);
    // Fills and queues the four output buffers; the card's refusal when it refused one.
    audio::SoundResult primeOutput();
    // Leaves transmit because the output failed; the transmitter is released.
    void abandonTransmit(const std::string& what, const audio::SoundResult& result);
    void handleEvent(const audio::SoundEvent& event);
    void handleDeviceFailure(const audio::SoundEvent& event);
    void showReceived(std::string_view text);
    void appendDirect(char c);
    void runSpectrumRow();
    void replayHistory();
    void afcStep(double gain);
    int32_t activeZeroRun() const;
    void firstTick();
    // Sound devices and receive recovery (StationSound.cpp).
    audio::SoundCardConfig deviceConfig() const;
    void rememberDeviceNames();
    void fillDeviceChoice(SoundDeviceChoice& choice) const;
    void takeDeviceChoice(const SoundDeviceChoice& choice);
    void retryReceiveIfDue();

    SettingsStore& store_;
    Settings settings_;
    DisplayData displayData_;
    audio::SoundCard& card_;
    StationHost& host_;
    StationClock& clock_;
    StationOptions options_;

    modem::ReceiveChain chain_;
    modem::Transmitter transmitter_;
    modem::ImdMeter imd_;
    display::SpectrumCollector collector_;
    display::SpectrumAnalyser analyser_;
    display::SpectrumHistory spectrumHistory_;
    display::SpectrumRow row_{};
    display::MultichannelDecoder multichannel_;
    std::unique_ptr<audio::HistoryRing> history_;
    ReceiveText receiveText_;
    TransmitText transmitText_;
    std::array<int16_t, audio::kInputBlockSamples> block_{};

    OperatingState state_ = OperatingState::Stopped;
    double txFrequency_ = 1000.0;
    bool txLocked_ = false;
    bool tuning_ = false;
    int outputWatchdog_ = 0;
    int tickCount_ = 0;
    StationMs nextTickAt_ = 0;
    bool started_ = false;
    bool shutDown_ = false;
    bool transmissionOver_ = false;
    bool replaying_ = false;
    bool inputEnded_ = false;
    int transmissionsCompleted_ = 0;
    int watchdogReopens_ = 0;
    bool firstTickDone_ = false;
    std::string lastSoundProblem_;
    ReceiveRecovery recovery_;
    std::FILE* rxLog_ = nullptr;
    std::unique_ptr<StationLog> log_;
    std::unique_ptr<StationRadio> radio_;
    std::unique_ptr<StationMacros> macros_;
    std::unique_ptr<StationLink> link_;
    std::unique_ptr<ReceiveCatchUp> catchUp_;  // catch-up on the sound history
};

}  // namespace tarnvel::app
