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
#include <random>
#include <string>
#include <vector>

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

const std::string& message() {
    static const std::string text =
        "cq cq de sp9xyz sp9xyz pse k\n"
        "the quick brown fox jumps over the lazy dog 0123456789\n"
        "rig 100 w into a dipole at 12 m, wx cloudy and 4 c, tnx fer qso 73\n"
        "name is ann, qth graz, locator jn76, how copy? sp9xyz de n0call kn\n"
        "ur rst 579 579, fb signal here with slow qsb, 73 es gud dx sk\n";
    return text;
}

// Edit distance between the message and the best-matching stretch of the decoded text.
size_t messageErrors(const std::string& sent, const std::string& decoded) {
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

std::vector<int16_t> withNoise(const std::vector<int16_t>& clean, double snrDb, unsigned seed) {
    double power = 0.0;
    for (const int16_t s : clean) power += static_cast<double>(s) * s;
    power /= static_cast<double>(clean.size());
    const double rms = std::sqrt(power / std::pow(10.0, snrDb / 10.0) * (kRate / 2.0) / 2500.0);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, rms);
    std::vector<int16_t> out(clean.size());
    for (size_t n = 0; n < clean.size(); ++n)
        out[n] =
            static_cast<int16_t>(std::lround(std::clamp(clean[n] + noise(rng), -32767.0, 32767.0)));
    return out;
}

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
    // Idle words after the message, so that its last interleaved words go out whole.
    if (!cli::renderTransmission({&mode, kFrequencyHz, message() + "   ", std::nullopt}, clean)
             .ok) {
        state.SkipWithError("the transmission did not render");
        return;
    }
    size_t errors = 0;
    for (auto _ : state)
        for (int draw = 0; draw < kNoiseDraws; ++draw)
            errors += messageErrors(message(),
                                    decodeWith<Receiver>(withNoise(clean, snrDb, 1000u + draw)));
    state.counters["CER_percent"] =
        100.0 * static_cast<double>(errors) /
        static_cast<double>(message().size() * kNoiseDraws * state.iterations());
}

void sweep(benchmark::internal::Benchmark* b) {
    for (int tenths : {0, -30, -60, -90, -120}) b->Arg(tenths);
    b->Iterations(1)->Unit(benchmark::kMillisecond);
}

BENCHMARK_TEMPLATE(BM_Fsk63Cer, modem::Fsk63Receiver)->Apply(sweep);
BENCHMARK_TEMPLATE(BM_Fsk63Cer, modem::Fsk63SensitiveReceiver)->Apply(sweep);

}  // namespace
