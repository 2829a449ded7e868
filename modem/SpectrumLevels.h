#pragma once
// Read access to the averaged spectrum levels that the measurements work from.
//
// The waterfall keeps the last spectrum rows; level(bin) is their mean at one bin, in decibels
// above the analyser floor minus 90. The signal-quality measurements of the modem read it
// through this interface so that they do not depend on the display.

namespace tarnvel::modem {

class SpectrumLevels {
  public:
    virtual ~SpectrumLevels() = default;
    // Mean level of bin 0..1023.
    virtual double level(int bin) const = 0;
};

}  // namespace tarnvel::modem
