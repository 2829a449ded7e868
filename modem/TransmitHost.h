#pragma once
// What the transmit sequencer needs from the station that owns it: the text to send, the Tune
// flag, the receive-window echo and the identification settings.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tarnvel::modem {

// Control characters inside transmit text.
inline constexpr uint8_t kCharRx = 174;          // end the transmission after this character
inline constexpr uint8_t kCharRxAndClear = 169;  // the same, and clear the transmit window
inline constexpr uint8_t kCharCwId = 176;        // send the Morse identification, then end

// The identification text used when the "CWID" setting is absent.
inline std::string defaultCwIdText(std::string_view call) {
    return "de " + std::string(call) + " sk";
}

class TransmitHost {
  public:
    virtual ~TransmitHost() = default;

    // The next unsent character of the transmit window; false when there is none or the
    // station is not transmitting.
    virtual bool nextTransmitCharacter(uint8_t& ch) = 0;
    // True while the Tune command holds the transmitter on.
    virtual bool isTuning() const = 0;
    // True while the IMD measurement mode is on: sent text is then not echoed.
    virtual bool isImdMeasuring() const = 0;
    // Appends one sent character to the pending receive text.
    virtual void echo(char ch) = 0;
    // Appends text ("CWID: " and the identification) to the receive window and receive log.
    virtual void announce(std::string_view text) = 0;
    // Empties the transmit window.
    virtual void clearTransmitWindow() = 0;
    // The buffer carrying the end of the transmission has been played: return to receive.
    virtual void transmissionOver() = 0;

    // "Station" settings: "CWID" (default "de " + Call + " sk"), "UseCWID" (default 0),
    // "FastCwId" (default 1).
    virtual std::string cwIdText() const = 0;
    virtual int useCwId() const = 0;
    virtual int fastCwId() const = 0;
};

// A host that sends a given text: for batch encoding and for exercising the transmitter without
// a station. Echoed text, announcements and the over signal are recorded.
class TextTransmitHost : public TransmitHost {
  public:
    explicit TextTransmitHost(std::string call = "N0CALL") : call_(std::move(call)) {}

    // Appends text to the transmit window.
    void type(std::string_view text) { pending_.append(text); }
    std::string pendingText() const { return pending_.substr(readPos_); }
    const std::string& echoed() const { return echoed_; }
    const std::string& announced() const { return announced_; }
    int transmissionsOver() const { return overCount_; }
    int clears() const { return clearCount_; }

    void setTransmitting(bool on) { transmitting_ = on; }
    void setTuning(bool on) { tuning_ = on; }
    void setImdMeasuring(bool on) { imd_ = on; }
    void setCwIdText(std::string text) { cwId_ = std::move(text); }
    void setUseCwId(int v) { useCwId_ = v; }
    void setFastCwId(int v) { fastCwId_ = v; }

    bool nextTransmitCharacter(uint8_t& ch) override {
        if (!transmitting_ || readPos_ >= pending_.size()) return false;
        ch = static_cast<uint8_t>(pending_[readPos_++]);
        return true;
    }
    bool isTuning() const override { return tuning_; }
    bool isImdMeasuring() const override { return imd_; }
    void echo(char ch) override { echoed_.push_back(ch); }
    void announce(std::string_view text) override { announced_.append(text); }
    void clearTransmitWindow() override {
        pending_.clear();
        readPos_ = 0;
        ++clearCount_;
    }
    void transmissionOver() override { ++overCount_; }
    std::string cwIdText() const override { return cwId_.empty() ? defaultCwIdText(call_) : cwId_; }
    int useCwId() const override { return useCwId_; }
    int fastCwId() const override { return fastCwId_; }

  private:
    std::string call_;
    std::string pending_;
    std::size_t readPos_ = 0;  // characters before it have been sent
    std::string echoed_;
    std::string announced_;
    std::string cwId_;
    bool transmitting_ = true;
    bool tuning_ = false;
    bool imd_ = false;
    int useCwId_ = 0;
    int fastCwId_ = 1;
    int overCount_ = 0;
    int clearCount_ = 0;
};

}  // namespace tarnvel::modem
