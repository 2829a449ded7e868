// Character error rate of whole decodes on noisy transmissions, as tarnvel-cli decode runs them
// (AFC on, squelch off). White Gaussian noise is added at a signal-to-noise ratio measured in
// 2500 Hz; CER is the edit distance between the sent text and the stretch of decoded text
// that matches it best, over the sent text's length, summed over several noise draws. The counter
// "CER_percent" is the result; the time is of no interest here.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/ModemBridge.h"
#include "cli/Options.h"

namespace {

using namespace tarnvel;

constexpr double kRate = 11025.0;
constexpr double kNoiseBandwidthHz = 2500.0;
constexpr int kNoiseDraws = 10;
constexpr double kFrequencyHz = 1000.0;
constexpr size_t kTrailingSpaces = 3;

const std::string& sentText() {
    static const std::string text =
        "cq cq de sp9xyz sp9xyz pse k\n"
        "the quick brown fox jumps over the lazy dog 0123456789\n"
        "rig 100 w into a dipole at 12 m, wx cloudy and 4 c, tnx fer qso 73\n"
        "name is ann, qth graz, locator jn76, how copy? sp9xyz de n0call kn\n"
        "ur rst 579 579, fb signal here with slow qsb, 73 es gud dx sk\n";
    return text;
}

// The edit distance between the sent text and the best-matching stretch of the decoded text:
// what the decoder prints from noise before the signal (while it locks on) and after it is
// not counted, only the errors within the message.
size_t messageErrors(const std::string& sent, const std::string& decoded) {
    // row[j]: the cost of sent[0..i) against a stretch of decoded ending at j.
    std::vector<size_t> row(decoded.size() + 1, 0);
    for (size_t i = 1; i <= sent.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= decoded.size(); ++j) {
            const size_t substitution = diagonal + (sent[i - 1] == decoded[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return *std::min_element(row.begin(), row.end());
}

// Noise of the power that gives snrDb in 2500 Hz for a signal of the audio's mean power.
std::vector<int16_t> withNoise(const std::vector<int16_t>& clean, double snrDb, unsigned seed) {
    double power = 0.0;
    for (const int16_t s : clean) power += static_cast<double>(s) * s;
    power /= static_cast<double>(clean.size());
    const double noiseInBand = power / std::pow(10.0, snrDb / 10.0);
    const double rms = std::sqrt(noiseInBand * (kRate / 2.0) / kNoiseBandwidthHz);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, rms);
    std::vector<int16_t> out(clean.size());
    for (size_t n = 0; n < clean.size(); ++n)
        out[n] =
            static_cast<int16_t>(std::lround(std::clamp(clean[n] + noise(rng), -32767.0, 32767.0)));
    return out;
}

// The whole sweep point runs once: state.range(0) is the SNR in tenths of a dB.
void characterErrorRate(benchmark::State& state, const char* modeName) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    const double snrDb = static_cast<double>(state.range(0)) / 10.0;
    std::vector<int16_t> clean;
    // A few spaces after the message: the transmission's tail follows its last character
    // closely, and the interleaved words of FSK63 need 49 symbols each, so the message's own
    // last words go out whole only when something follows them.
    const std::string transmitted = sentText() + std::string(kTrailingSpaces, ' ');
    if (!cli::renderTransmission({&mode, kFrequencyHz, transmitted, std::nullopt}, clean).ok) {
        state.SkipWithError("the transmission did not render");
        return;
    }
    size_t errors = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kNoiseDraws; ++draw) {
            const std::vector<int16_t> noisy = withNoise(clean, snrDb, 1000u + draw);
            app::ReceiveText window(true);
            cli::decodeAudio(noisy, {&mode, kFrequencyHz, true, std::nullopt}, window);
            errors += messageErrors(sentText(), window.text());
        }
    }
    state.counters["CER_percent"] =
        100.0 * static_cast<double>(errors) /
        static_cast<double>(sentText().size() * kNoiseDraws * state.iterations());
}

void BM_CerFsk63(benchmark::State& state) {
    characterErrorRate(state, "fsk63");
}
BENCHMARK(BM_CerFsk63)
    ->Arg(200)
    ->Arg(30)
    ->Arg(0)
    ->Arg(-30)
    ->Arg(-60)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
