#pragma once
// Sample-rate conversion between a device's own rate and the nominal rate, behind a small
// interface so that the back ends do not depend on how it is done. Used on the station's
// thread only (never inside an audio callback).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tarnvel::audio {

class RateConverter {
  public:
    virtual ~RateConverter() = default;
    // Converts in and appends the result to out (the output lags by the filter's delay).
    virtual bool convert(std::span<const int16_t> in, std::vector<int16_t>& out) = 0;
    // Ends the stream: appends what the filter still holds.
    virtual bool finish(std::vector<int16_t>& out) = 0;
};

// A converter from inRate to outRate; null if the library refuses the rates.
std::unique_ptr<RateConverter> makeRateConverter(double inRate, double outRate);

}  // namespace tarnvel::audio
