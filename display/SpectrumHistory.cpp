#include "display/SpectrumHistory.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarnvel::display {

namespace {

constexpr int kRingSize = kHistoryRows * kSpectrumBins;
constexpr double kFftLength = 2048.0;

// Snap refuses to search this close to the edges of the spectrum.
constexpr int kFirstSnapBin = 50;
constexpr int kEndSnapBin = 976;
// A peak must stand this far above the surrounding noise to be snapped to.
constexpr double kSnapMinimumDb = 6.0;
// The centre search steps candidate centres and mirror offsets by 0.3 bin.
constexpr double kCentreStep = 0.3;

double binFrequency(double bin, double sampleRate) {
    return bin * sampleRate / kFftLength;
}

int truncated(double v) {
    return static_cast<int>(v);
}

// The level at the bin, raised to the whole-dB level of any louder neighbour within reach
// (either side will do: the clicked bin may sit on one flank of the signal).
double widenPeak(const SpectrumHistory& h, int bin, int reach) {
    double peak = h.level(bin);
    for (int i = 1; i <= reach; ++i) {
        const int m = std::max(truncated(h.level(bin - i)), truncated(h.level(bin + i)));
        if (m >= peak) peak = m;
    }
    return peak;
}

// Mean level of the bins from..to on both sides.
double meanNoise(const SpectrumHistory& h, int bin, int from, int to) {
    double sum = 0.0;
    for (int j = from; j <= to; ++j) sum += h.level(bin - j) + h.level(bin + j);
    return sum / ((to - from + 1) * 2);
}

// A level in dB as a linear amplitude.
double amplitudeOfLevel(double levelDb) {
    return std::pow(10.0, (levelDb + 90.0) / 20.0);
}

double interpolate(double b, double c, double fraction) {
    return b + (c - b) * fraction;
}

// SpectrumHistory::amplitude with each bin's amplitude computed once: the centre search reads
// every bin near the signal a few hundred times.
class AmplitudeMemo {
  public:
    explicit AmplitudeMemo(const SpectrumHistory& h) : h_(h) { known_.fill(false); }

    double at(double x) {
        const double lower = std::floor(x);
        const int bin = static_cast<int>(lower);
        return interpolate(binAmplitude(bin), binAmplitude(bin + 1), x - lower);
    }

  private:
    double binAmplitude(int bin) {
        // level() clamps the bin the same way, so clamped bins share one entry.
        const auto k = static_cast<size_t>(std::clamp(bin, 0, kSpectrumBins - 1));
        if (!known_[k]) {
            value_[k] = amplitudeOfLevel(h_.level(static_cast<int>(k)));
            known_[k] = true;
        }
        return value_[k];
    }

    const SpectrumHistory& h_;
    std::array<double, kSpectrumBins> value_;
    std::array<bool, kSpectrumBins> known_;
};

// Squared difference of the two sides of the spectrum mirrored about a candidate centre.
double asymmetryAbout(AmplitudeMemo& a, double centre, int halfWidth) {
    double sum = 0.0;
    for (double s = 0.0; s <= halfWidth; s += kCentreStep) {
        const double d = a.at(centre + s) - a.at(centre - s);
        sum += d * d;
    }
    return sum;
}

}  // namespace

void SpectrumHistory::addRow(const SpectrumRow& analyserOutput) {
    for (int k = 0; k < kSpectrumBins; ++k)
        values_[static_cast<size_t>(writePosition_ + k)] =
            20.0f * analyserOutput[static_cast<size_t>(k)] - 90.0f;
    writePosition_ = (writePosition_ + kSpectrumBins) % kRingSize;
}

double SpectrumHistory::level(int bin) const {
    const int b = std::clamp(bin, 0, kSpectrumBins - 1);
    float sum = 0.0f;
    for (int row = 0; row < kHistoryRows; ++row)
        sum += values_[static_cast<size_t>(row * kSpectrumBins + b)];
    return sum / 8.0;
}

double SpectrumHistory::amplitude(double x) const {
    const double lower = std::floor(x);
    const int bin = static_cast<int>(lower);
    return interpolate(amplitudeOfLevel(level(bin)), amplitudeOfLevel(level(bin + 1)), x - lower);
}

int frequencyToBin(double frequency, double sampleRate) {
    return static_cast<int>(frequency * kFftLength / sampleRate + 0.5);
}

double snapFrequency(const SpectrumHistory& h, modem::Mode mode, int bin, bool snapEnabled,
                     double sampleRate) {
    const double plain = binFrequency(bin, sampleRate);
    if (!snapEnabled || mode == modem::Mode::Pactor || bin < kFirstSnapBin || bin >= kEndSnapBin)
        return plain;

    // BPSK63 signals are twice as wide, so every distance doubles.
    const int a = modem::isFastPsk(mode) ? 2 : 1;
    const int peakReach = truncated(16.0 * a * kFftLength / sampleRate + 0.5);
    const double peak = widenPeak(h, bin, peakReach);

    const int noiseFrom = truncated(20.0 * a * kFftLength / sampleRate);
    const int noiseTo = truncated(36.0 * a * kFftLength / sampleRate + 0.5);
    const double noise = meanNoise(h, bin, noiseFrom, noiseTo);
    if (peak - noise < kSnapMinimumDb) return plain;

    // The centre is where the spectrum is most nearly mirror-symmetric.
    const int searchHalf = truncated(4.0 * a * 11025.0 / sampleRate);
    const int halfWidth = truncated(10.0 * a * 11025.0 / sampleRate);
    double best = 1e60;
    double centre = bin;
    AmplitudeMemo amplitudes(h);
    for (double c = bin - searchHalf; c <= bin + searchHalf; c += kCentreStep) {
        const double asym = asymmetryAbout(amplitudes, c, halfWidth);
        if (asym < best) {
            best = asym;
            centre = c;
        }
    }
    return binFrequency(centre, sampleRate);
}

double signalToNoise(const SpectrumHistory& h, modem::Mode mode, int bin, double sampleRate) {
    const int a = modem::isFastPsk(mode) ? 2 : 1;
    const int peakReach = truncated(32768.0 / sampleRate + 0.5) * a;
    const double peak = widenPeak(h, bin, peakReach);
    const int noiseFrom = truncated(40960.0 / sampleRate) * a;
    const int noiseTo = truncated(73728.0 / sampleRate + 0.5) * a;
    return peak - meanNoise(h, bin, noiseFrom, noiseTo);
}

}  // namespace tarnvel::display
