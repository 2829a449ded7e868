#pragma once
// Where a command's audio comes from: a WAV file, or a stream (standard input, or any file
// given with --raw) read piece by piece as it arrives, brought to the modem's rate.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/RateConverter.h"
#include "audio/WavStreamReader.h"

namespace tarnvel::cli {

// An input read as a stream: each next() gives the samples that have arrived since, at the
// modem's rate.
class AudioInputStream {
  public:
    // file "-" is standard input; rawRate: raw 16-bit mono samples at that rate.
    AudioInputStream(std::string file, std::optional<int> rawRate, unsigned channel);
    ~AudioInputStream();
    AudioInputStream(const AudioInputStream&) = delete;
    AudioInputStream& operator=(const AudioInputStream&) = delete;

    // Opens the input; false with error() set when it cannot be read.
    bool open();
    // Blocks until bytes arrive, then appends the new samples to `out`. False at the end of
    // the stream (with what the converter still held appended) or on a problem (error() set).
    bool next(std::vector<int16_t>& out);

    const std::string& error() const { return error_; }
    // A stream cut short, reported once at its end.
    const std::string& warning() const { return reader_.warning(); }

  private:
    bool convert(std::vector<int16_t>& out);

    std::string file_;
    int fd_ = -1;
    bool ownsFd_ = false;
    audio::WavStreamReader reader_;
    std::unique_ptr<audio::RateConverter> converter_;
    std::vector<uint8_t> bytes_;
    std::vector<int16_t> samples_;
    std::string error_;
};

// Reads one channel (0 = the first) of a whole input and brings it to the modem's rate: a WAV
// file (one cut short is read as far as it goes, with a warning), standard input ("-") or a
// raw file. Returns kExitOk, or the exit status after reporting the problem.
int readModemAudio(const std::string& file, std::optional<int> rawRate, unsigned channel,
                   std::vector<int16_t>& audio);

// Prints "tarnvel-cli: <subject>: warning: <message>" on standard error.
void reportWarning(const std::string& subject, const std::string& message);

}  // namespace tarnvel::cli
