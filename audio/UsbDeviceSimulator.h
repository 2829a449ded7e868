#pragma once
// The device's side of the USB sound device's byte stream, on a pseudo-terminal: the program
// opens the pty's slave as if it were the device. For tests and for trying the link without
// hardware ("tarnvel-cli usb-device").
//
// While receiving is on ('G' until 'F') it sends the samples to play as 'p' records, paced at
// 10417 per second or as fast as the program reads, then silence. It records what the program
// transmits ('C' starts a transmission, 'p' records are its samples, 'B' ends it) and follows
// the codec register writes for the levels. Writes go out in pieces of 100 bytes, so records
// arrive split across reads.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/SoundTypes.h"
#include "audio/UsbDeviceProtocol.h"

namespace tarnvel::audio {

struct UsbSimulatorOptions {
    std::vector<int16_t> play;  // received audio, at 10417 samples per second
    bool realTime = true;       // pace the samples; otherwise as fast as they are read
    bool loop = false;          // play again from the start when the samples end
    // Runs on the simulator's thread after each transmission has ended.
    std::function<void()> transmissionEnded;
};

class UsbDeviceSimulator {
  public:
    explicit UsbDeviceSimulator(UsbSimulatorOptions options);
    ~UsbDeviceSimulator();
    UsbDeviceSimulator(const UsbDeviceSimulator&) = delete;
    UsbDeviceSimulator& operator=(const UsbDeviceSimulator&) = delete;

    // Makes the pty and starts the device's thread; the message names what failed.
    SoundResult start();
    // The path the program opens as the device.
    const std::string& devicePath() const { return slavePath_; }
    // The device goes away, as when unplugged: the pty closes under the program.
    void unplug();

    // Sends one character record.
    void sendCharacter(uint8_t c);

    // What the program sent.
    std::vector<int16_t> transmitted() const;
    int transmissionsStarted() const { return started_.load(); }
    int transmissionsEnded() const { return ended_.load(); }
    bool receiving() const { return receiving_.load(); }
    usb::Levels levels() const;
    uint64_t samplesPlayed() const { return played_.load(); }
    uint64_t bytesReceived() const { return bytesIn_.load(); }

  private:
    enum class State : uint8_t { Idle, SampleHigh, SampleLow, Register, Value1, Value2 };

    void run();
    void takeHostBytes(const uint8_t* bytes, std::size_t n);
    void takeByte(uint8_t byte);

    UsbSimulatorOptions options_;
    int master_ = -1;
    int slaveHold_ = -1;  // keeps the pty up between the program's openings
    int wake_ = -1;
    std::string slavePath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> receiving_{false};
    std::atomic<int> started_{0};
    std::atomic<int> ended_{0};
    std::atomic<uint64_t> played_{0};
    std::atomic<uint64_t> bytesIn_{0};
    std::size_t position_ = 0;
    std::mutex characterMutex_;
    std::vector<uint8_t> pendingCharacters_;

    // The host stream's parser (simulator thread only) and what it found.
    State state_ = State::Idle;
    bool transmitting_ = false;
    bool firstSample_ = false;
    uint8_t high_ = 0;
    uint8_t register_ = 0;
    uint8_t value1_ = 0;
    mutable std::mutex mutex_;  // guards the two below
    std::vector<int16_t> transmitted_;
    usb::Levels levels_{-1, -1};
};

}  // namespace tarnvel::audio
