// FSK63 on weak signals: the character error rate of the FSK63 receiver against that of the
// receiver with tone correlators, on the same noisy recordings, both fed straight into the
// block decoder (tuned exactly, no AFC, no squelch, so that only the symbol values differ).
// White Gaussian noise at an SNR in 2500 Hz, ten draws of the five-line message per point; the
// counter "CER_percent" is the result. Non-coherent detection of two orthogonal tones has a
// symbol error rate of exp(-Es/2N0)/2, with Es/N0 = SNR x 2500 / 62.5 here: 0.34 % at -6 dB,
// 4.1 % at -9 dB, 14 % at -12 dB, before the block code.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/CerMeasure.h"
#include "cli/ModemBridge.h"
#include "cli/Options.h"
#include "modem/CharacterSink.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Receiver.h"
#include "modem/Fsk63SensitiveReceiver.h"

namespace {

using namespace tarnvel;

constexpr double kRate = 11025.0;
constexpr double kFrequencyHz = 1000.0;
constexpr int kNoiseDraws = 10;

template <class Receiver>
std::string decodeWith(const std::vector<int16_t>& audio) {
    Receiver rx(kRate);
    rx.setCarrierFrequency(kFrequencyHz);
    std::string text;
    modem::CharacterSink sink(&text, nullptr);
    modem::Fsk63Decoder decoder;
    decoder.sink = &sink;
    rx.attachDecoder(&decoder);
    rx.processSamples(audio.data(), static_cast<int>(audio.size()));
    return text;
}

template <class Receiver>
void BM_Fsk63Cer(benchmark::State& state) {
    const double snrDb = static_cast<double>(state.range(0)) / 10.0;
    std::vector<int16_t> clean;
    const cli::ModeChoice& mode = *cli::findMode("fsk63");
    if (!bench::renderSentText(mode, kFrequencyHz, clean)) {
        state.SkipWithError("the transmission did not render");
        return;
    }
    size_t errors = 0;
    for (auto _ : state)
        for (int draw = 0; draw < kNoiseDraws; ++draw)
            errors += bench::messageErrors(bench::sentText(), decodeWith<Receiver>(bench::withNoise(
                                                                  clean, snrDb, 1000u + draw)));
    state.counters["CER_percent"] =
        100.0 * static_cast<double>(errors) /
        static_cast<double>(bench::sentText().size() * kNoiseDraws * state.iterations());
}

void sweep(benchmark::internal::Benchmark* b) {
    for (int tenths : {0, -30, -60, -90, -120}) b->Arg(tenths);
    b->Iterations(1)->Unit(benchmark::kMillisecond);
}

BENCHMARK_TEMPLATE(BM_Fsk63Cer, modem::Fsk63Receiver)->Apply(sweep);
BENCHMARK_TEMPLATE(BM_Fsk63Cer, modem::Fsk63SensitiveReceiver)->Apply(sweep);

}  // namespace
