#pragma once
// IMD and signal-to-noise of the received PSK signal, measured from the averaged spectrum.
//
// An idling PSK station sends continuous phase reversals: two tones either side of its
// carrier. Third-order products of an overdriven transmitter appear further out. The meter
// compares the two tones (within 16 Hz of the receive frequency) with the products (43..55 Hz
// out) and with the noise (60..70 Hz out); every distance doubles in BPSK63. The figure is
// only meaningful while the signal idles, so it is shown for a short hold after each idle
// stretch, or frozen on the operator's request.

#include <cstdint>
#include <string>

#include "modem/Mode.h"
#include "modem/SpectrumLevels.h"

namespace tarnvel::modem {

class ImdMeter {
  public:
    // The status-bar pane is sized for this text.
    static constexpr const char* kPaneWidthText = "IMD: <-88 dB";
    static constexpr const char* kNotMeasuredText = "IMD was not measured";

    // One measurement at the receive bin, once per waterfall paint.
    void measure(const SpectrumLevels& levels, int receiveBin, Mode mode, double sampleRate);

    // The 300 ms timer: zeroRun of the active PSK decoder; more than 20 zero bits in a row is
    // the idle pattern and makes the figure valid for the next ticks.
    void timerTick(int32_t zeroRun);

    // A click on the pane freezes or releases the figure; the receive command releases it.
    void toggleShown() { shown_ = !shown_; }
    void clearShown() { shown_ = false; }
    bool shown() const { return shown_; }
    bool paneRaised() const { return shown_; }

    // "IMD: %4.0f dB", "IMD: <%4.0f dB" when the products are within 3 dB of the noise (only a
    // bound is known), or "IMD:" when there is nothing to show. alwaysShow is "AlwaysShowIMD1".
    std::string paneText(bool alwaysShow) const;
    // The "<IMD>" macro text: the frozen pane text, or "IMD was not measured".
    std::string macroText() const;

    // The IMD-measurement mode ("Pomiar IMD"): the own transmitter is measured through the
    // receiver, so receiving goes on while transmitting.
    void toggleMeasuring() { measuring_ = !measuring_; }
    bool measuring() const { return measuring_; }
    bool receivesWhileTransmitting() const { return measuring_; }

    float signalLevel() const { return signalLevel_; }      // dB above the floor, minus 90
    float signalToNoise() const { return signalToNoise_; }  // dB
    float imd() const { return imd_; }                      // dB, positive; shown negated
    int imdHold() const { return imdHold_; }
    // The tuning-indicator bar's values from the last in-range measurement: S/N and noise + 40.
    int indicatorSignalToNoise() const { return indicatorSnr_; }
    int indicatorNoise() const { return indicatorNoise_; }

  private:
    float signalLevel_ = 0.0f;
    float signalToNoise_ = 0.0f;
    float imd_ = 0.0f;
    int imdHold_ = 0;
    int indicatorSnr_ = 0;
    int indicatorNoise_ = 0;
    bool shown_ = false;
    bool measuring_ = false;
};

}  // namespace tarnvel::modem
