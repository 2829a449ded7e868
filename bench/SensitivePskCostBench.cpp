// Cost of the two PSK receivers per input sample, side by side: the whole receive chain in
// BPSK31, BPSK63 and QPSK31 on a noisy signal, with the specified and the sensitive receiver.
// The sensitive one should cost at most twice the specified one (compare samples/s).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "modem/ReceiveChain.h"

namespace {

using tarnvel::modem::Mode;
using tarnvel::modem::PskReceiverKind;
using tarnvel::modem::ReceiveChain;

constexpr int kBlockSamples = 512;
constexpr double kRate = 11025.0;

// Ten seconds of a 1000 Hz carrier changing phase at random by the mode's steps, with noise.
std::vector<int16_t> noisyPsk(double baud) {
    std::vector<int16_t> s(static_cast<size_t>(kRate * 10));
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 3000.0);
    std::uniform_int_distribution<int> quarter(0, 3);
    double phase = 0.0;
    const int samplesPerSymbol = static_cast<int>(kRate / baud);
    for (size_t n = 0; n < s.size(); ++n) {
        if (n % static_cast<size_t>(samplesPerSymbol) == 0) phase += M_PI / 2 * quarter(rng);
        s[n] = static_cast<int16_t>(
            std::lround(6000 * std::cos(2 * M_PI * 1000 * n / kRate + phase) + noise(rng)));
    }
    return s;
}

void receive(benchmark::State& state, Mode mode, PskReceiverKind kind) {
    const std::vector<int16_t> input = noisyPsk(tarnvel::modem::modeInfo(mode).baud);
    ReceiveChain chain(kRate, mode);
    chain.selectMode(mode);
    chain.usePskReceiver(kind);
    chain.setReceiveFrequency(1000.0, true);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlockSamples > input.size()) pos = 0;
        chain.processReceiveBlock(std::span(input).subspan(pos, kBlockSamples),
                                  ReceiveChain::kDemodulate);
        pos += kBlockSamples;
        chain.clearPendingText();
    }
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBlockSamples, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(receive, Bpsk31Specified, Mode::Bpsk31, PskReceiverKind::Specified);
BENCHMARK_CAPTURE(receive, Bpsk31Sensitive, Mode::Bpsk31, PskReceiverKind::Sensitive);
BENCHMARK_CAPTURE(receive, Bpsk63Specified, Mode::Bpsk63, PskReceiverKind::Specified);
BENCHMARK_CAPTURE(receive, Bpsk63Sensitive, Mode::Bpsk63, PskReceiverKind::Sensitive);
BENCHMARK_CAPTURE(receive, Qpsk31Specified, Mode::Qpsk31, PskReceiverKind::Specified);
BENCHMARK_CAPTURE(receive, Qpsk31Sensitive, Mode::Qpsk31, PskReceiverKind::Sensitive);

}  // namespace
