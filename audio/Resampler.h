#pragma once
// Sample-rate conversion of 16-bit mono audio with libsoxr (high quality, linear phase, no
// dither, so that the same input always gives the same output). Recordings at any rate are
// brought to the modem's 11025 samples per second, and transmit audio rendered at 11025 is
// taken to the rate of the output file or device.
//
// One object converts one stream: feed it blocks with process() and end the stream with
// finish(), which returns the samples still held in the filter. reset() starts a new stream at
// the same rates. With reserved output capacity, process() does not allocate, so a sound card
// back end can resample its live blocks with it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct soxr;

namespace tarnvel::audio {

inline constexpr double kModemSampleRate = 11025.0;

class Resampler {
  public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;
    Resampler(Resampler&& other) noexcept;
    Resampler& operator=(Resampler&& other) noexcept;

    // Sets the rates of a new stream. Returns false (with error()) when a rate is not positive
    // and finite or the library refuses them. Equal rates pass samples through unchanged.
    bool open(double inputRate, double outputRate);
    bool isOpen() const { return passThrough_ || handle_ != nullptr; }
    const std::string& error() const { return error_; }

    // Appends the converted samples for `in` to `out` and returns how many were appended. When
    // the library fails, nothing is appended, 0 is returned and error() says why.
    size_t process(std::span<const int16_t> in, std::vector<int16_t>& out);
    // Ends the stream: appends the samples still inside the filter.
    size_t finish(std::vector<int16_t>& out);
    // Forgets the stream so far; the rates stay.
    void reset();

    // Output samples that `inputCount` more input samples can produce, at most.
    size_t maxOutputFor(size_t inputCount) const;

    double inputRate() const { return inputRate_; }
    double outputRate() const { return outputRate_; }

  private:
    void close();

    soxr* handle_ = nullptr;
    bool passThrough_ = false;
    double inputRate_ = 0.0;
    double outputRate_ = 0.0;
    std::string error_;
};

// A whole recording converted in one call.
struct ResampleResult {
    bool ok = false;
    std::string error;
    std::vector<int16_t> samples;
};
ResampleResult resampleBuffer(std::span<const int16_t> in, double inputRate, double outputRate);

}  // namespace tarnvel::audio
