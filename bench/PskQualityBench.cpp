// Character error rate of whole PSK decodes on noisy transmissions, as tarnvel-cli decode runs
// them (AFC on, squelch off), for both PSK receivers: BPSK31, BPSK63 and QPSK31 from -6 to
// -12 dB in 2500 Hz, 40 noise draws per point (11200 characters, so that a point is not decided
// by a few characters; the whole sweep takes one to two minutes), the noisy audio scaled to
// -20 dBFS so that nothing clips. One row per mode, receiver and SNR; the counter "CER_percent"
// is the result (errors within the stretch of decoded text that matches the message, over all
// draws), the time is of no interest. Run with
//   scripts/bench --benchmark_filter=PskCer
// and compare the rows of the two receivers at each point.

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

constexpr int kNoiseDraws = 40;
constexpr double kFrequencyHz = 1000.0;

// state.range(0): SNR in tenths of a dB.
void pskErrorRate(benchmark::State& state, const char* modeName, modem::PskReceiverKind kind) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    const double snrDb = static_cast<double>(state.range(0)) / 10.0;
    std::vector<int16_t> clean;
    if (!bench::renderSentText(mode, kFrequencyHz, clean)) {
        state.SkipWithError("the transmission did not render");
        return;
    }
    size_t errors = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kNoiseDraws; ++draw) {
            const std::vector<int16_t> noisy = bench::withHeadroomNoise(clean, snrDb, 3000u + draw);
            app::ReceiveText window(true);
            cli::decodeAudio(noisy, {&mode, kFrequencyHz, true, std::nullopt, kind}, window);
            errors += bench::messageErrors(bench::sentText(), window.text());
        }
    }
    state.counters["CER_percent"] =
        100.0 * static_cast<double>(errors) /
        static_cast<double>(bench::sentText().size() * kNoiseDraws * state.iterations());
}

void sweep(benchmark::internal::Benchmark* b) {
    for (const int snr : {-60, -80, -100, -120}) b->Arg(snr);
    b->ArgName("snr_tenth_dB")->Iterations(1)->Unit(benchmark::kMillisecond);
}

constexpr auto kSpecified = modem::PskReceiverKind::Specified;
constexpr auto kSensitive = modem::PskReceiverKind::Sensitive;
BENCHMARK_CAPTURE(pskErrorRate, PskCer_bpsk31_specified, "bpsk31", kSpecified)->Apply(sweep);
BENCHMARK_CAPTURE(pskErrorRate, PskCer_bpsk31_sensitive, "bpsk31", kSensitive)->Apply(sweep);
BENCHMARK_CAPTURE(pskErrorRate, PskCer_bpsk63_specified, "bpsk63", kSpecified)->Apply(sweep);
BENCHMARK_CAPTURE(pskErrorRate, PskCer_bpsk63_sensitive, "bpsk63", kSensitive)->Apply(sweep);
BENCHMARK_CAPTURE(pskErrorRate, PskCer_qpsk31_specified, "qpsk31", kSpecified)->Apply(sweep);
BENCHMARK_CAPTURE(pskErrorRate, PskCer_qpsk31_sensitive, "qpsk31", kSensitive)->Apply(sweep);

}  // namespace
