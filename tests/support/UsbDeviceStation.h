#pragma once
// A station on the USB sound device, with the device simulated on a pty: for tests that run
// the link end to end without hardware.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "app/StationClock.h"
#include "app/StationRadio.h"
#include "audio/UsbDeviceProtocol.h"
#include "audio/UsbDeviceSimulator.h"
#include "audio/UsbDeviceSoundCard.h"
#include "modem/TransmitHost.h"
#include "modem/Transmitter.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"

namespace tarnvel::audio::test {

inline constexpr double kTestCarrierHz = 1000.0;

// One BPSK31 transmission of `text` as the device hears it (at `rate`), with a second of
// silence on each side.
inline std::vector<int16_t> bpsk31Signal(const std::string& text, double rate = usb::kDeviceRate) {
    modem::TextTransmitHost host;
    modem::Transmitter transmitter(host);
    transmitter.setMode(modem::Mode::Bpsk31);
    transmitter.setTransmitFrequency(kTestCarrierHz);
    transmitter.setSampleRate(rate);
    host.type(text + static_cast<char>(modem::kCharRx));
    const auto bound = static_cast<size_t>(rate * (static_cast<double>(text.size()) * 0.5 + 10));
    const modem::RenderedTransmission rendered = transmitter.renderTransmission(bound);
    std::vector<int16_t> samples(static_cast<size_t>(rate), 0);
    samples.insert(samples.end(), rendered.samples.begin(), rendered.samples.end());
    samples.resize(samples.size() + static_cast<size_t>(rate), 0);
    return samples;
}

// A station set up as the command-line listener sets one up, on the USB device at `path`.
class UsbStation {
  public:
    explicit UsbStation(const std::string& path)
        : store_(folder_.file("Tarnvel.ini")),
          card(SoundCardConfig{}),
          station(store_, card, host, clock, app::StationOptions{{}, true, {}}) {
        app::Settings& s = station.settings();
        s.station.call = "SP9XYZ";
        s.sound.squelch = 0;
        s.misc.multichannelWindow = 0;
        s.misc.soundHistory = 0;
        s.misc.soundSampleRate = usb::kDeviceRate;
        s.misc.soundDevType = 1;
        s.usbDevice.device = path;
        s.sound.lastFq = static_cast<float>(kTestCarrierHz);
    }

    bool start() {
        const bool open = station.start();
        station.selectMode(modem::Mode::Bpsk31);
        station.setFrequency(kTestCarrierHz, app::kSetBoth, false);
        return open;
    }

    // Pumps until the received text holds `wanted` or `seconds` pass; the text so far.
    std::string receiveUntil(const std::string& wanted, int seconds) {
        station.runUntil(
            [&] { return station.receiveText().text().find(wanted) != std::string::npos; },
            seconds * 1000);
        return station.receiveText().text();
    }

    bool messageMentions(const std::string& part) const {
        for (const auto& m : host.messages)
            if (m.text.find(part) != std::string::npos) return true;
        return false;
    }

    std::string messageTexts() const {
        std::string all;
        for (const auto& m : host.messages) all += m.text + "\n";
        return all;
    }

  private:
    app::testing::TempFolder folder_;
    app::SettingsStore store_;

  public:
    app::testing::ScriptedHost host;
    app::SteadyStationClock clock;
    UsbDeviceSoundCard card;
    app::Station station;
};

}  // namespace tarnvel::audio::test
