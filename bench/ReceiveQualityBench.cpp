// Character error rate of whole decodes on noisy transmissions, as tarnvel-cli decode runs them
// (AFC on, squelch off). White Gaussian noise is added at a signal-to-noise ratio measured in
// 2500 Hz; CER is the edit distance between the sent text and the stretch of decoded text
// that matches it best, over the sent text's length, summed over several noise draws. The counter
// "CER_percent" is the result; the time is of no interest here.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "bench/CerMeasure.h"
#include "cli/ModemBridge.h"
#include "cli/Options.h"

namespace {

using namespace tarnvel;
using bench::messageErrors;
using bench::sentText;
using bench::withNoise;

constexpr int kNoiseDraws = 10;
constexpr double kFrequencyHz = 1000.0;
constexpr size_t kTrailingSpaces = 3;

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
