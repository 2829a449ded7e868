#pragma once
// When did the signal at a frequency begin? The spectrum history that the signal search reads
// averages only the last eight rows (1.5 s), and the search needs the signal to stand out of
// that average before it opens a channel, so a channel opens one to several seconds after its
// signal started. This keeps the last rows one by one, long enough to look back past that
// delay, and finds the newest stretch of quiet at a frequency: the signal began after it.
//
// A row is quiet at a frequency when the strongest bin within the signal's half width stands
// less than kQuietDb above the noise measured beside it in the same row. One quiet row inside
// a signal happens (a fade, a long run of one symbol), two in a row hardly, so the signal is
// taken to start after the newest pair of quiet rows.

#include <cstddef>
#include <optional>
#include <vector>

#include "display/SpectrumAnalyser.h"
#include "modem/Mode.h"

namespace tarnvel::display {

class SignalOnset {
  public:
    // Rows kept: 64 rows of 2048 samples, 11.9 s at 11025 samples per second.
    static constexpr int kRows = 64;
    // A row whose peak stands less than this above the noise beside it is quiet.
    static constexpr double kQuietDb = 10.0;
    // Consecutive quiet rows that end a signal's past.
    static constexpr int kQuietRun = 2;

    SignalOnset();

    // One analyser row (the waterfall's output, scale 0.5), newest last. Allocates nothing.
    void addRow(const SpectrumRow& analyserOutput);
    // Forgets every row (a new sample rate, a new history).
    void clear();
    int rowsStored() const { return stored_; }

    // Rows since the signal at the frequency began, counting the newest row as 1: empty when
    // the newest row is quiet there (no signal now); rowsStored() when no quiet stretch is
    // left in the rows kept (the signal is older than they are).
    std::optional<int> rowsSinceStart(double frequency, modem::Mode mode,
                                      double sampleRate) const;

    // The signal's height above the noise beside it, in decibels, in the row `back` rows
    // before the newest (0 = the newest).
    double rowSignalToNoise(int back, double frequency, modem::Mode mode, double sampleRate) const;

  private:
    float at(int back, int bin) const;

    std::vector<float> rows_;  // kRows x kSpectrumBins, decibels (10 log10 power)
    int newest_ = -1;          // row index of the newest row
    int stored_ = 0;
};

}  // namespace tarnvel::display
