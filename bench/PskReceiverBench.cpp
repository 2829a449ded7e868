// Samples per second through the PSK receive front end with its decoder attached.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "modem/ReceiveChain.h"

namespace {

using tarnvel::modem::Mode;
using tarnvel::modem::ReceiveChain;

constexpr int kBlockSamples = 512;  // one sound card input buffer

// Ten seconds of a phase-reversing carrier at 1000 Hz with noise: every stage of the front end
// and the symbol decoder has real work to do.
std::vector<int16_t> makeInput(double baud) {
    const double rate = 11025.0;
    std::vector<int16_t> s(static_cast<size_t>(rate * 10));
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::uniform_int_distribution<int> bit(0, 1);
    double phase = 0.0;
    const int samplesPerSymbol = static_cast<int>(rate / baud);
    for (size_t n = 0; n < s.size(); ++n) {
        if (n % samplesPerSymbol == 0 && bit(rng) == 0) phase += M_PI / 2 * (1 + bit(rng) * 2);
        s[n] =
            static_cast<int16_t>(8000 * std::cos(2 * M_PI * 1000 * n / rate + phase) + noise(rng));
    }
    return s;
}

void runChain(benchmark::State& state, Mode mode) {
    const std::vector<int16_t> input = makeInput(tarnvel::modem::modeInfo(mode).baud);
    ReceiveChain chain;
    chain.selectMode(mode);
    chain.setReceiveFrequency(1000.0, true);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlockSamples > input.size()) pos = 0;
        chain.processReceiveBlock(std::span(input).subspan(pos, kBlockSamples),
                                  ReceiveChain::kDemodulate);
        pos += kBlockSamples;
        chain.clearPendingText();
    }
    state.SetItemsProcessed(state.iterations() * kBlockSamples);
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBlockSamples, benchmark::Counter::kIsRate);
}

void BM_PskReceiverBpsk31(benchmark::State& state) {
    runChain(state, Mode::Bpsk31);
}
void BM_PskReceiverQpsk31(benchmark::State& state) {
    runChain(state, Mode::Qpsk31);
}
void BM_PskReceiverBpsk63(benchmark::State& state) {
    runChain(state, Mode::Bpsk63);
}

BENCHMARK(BM_PskReceiverBpsk31);
BENCHMARK(BM_PskReceiverQpsk31);
BENCHMARK(BM_PskReceiverBpsk63);

}  // namespace
