// The whole receive path with the multichannel decoder busy, as a multiple of real time on one
// core: per 512-sample block the main receive chain, the spectrum collector and the 26 channel
// receivers; per 2048 samples a spectrum row (window, transform, history) and the signal search.
// The plain names run the specified receivers (the goal of 1000x real time is set for them), the
// Sensitive ones the weak-signal receiver in the main chain and in every channel.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "display/MultichannelDecoder.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumHistory.h"
#include "modem/ReceiveChain.h"

namespace {

using namespace tarnvel;

constexpr double kRate = 11025.0;
constexpr int kBlockSamples = 512;  // one sound card input buffer
constexpr int kSignals = display::kChannelSlots;

double signalFrequency(int i) {
    return 300.0 + 100.0 * i;
}

// Ten seconds of 26 BPSK31-like signals (random phase reversals) 100 Hz apart, with noise.
std::vector<int16_t> makeBand() {
    std::vector<int16_t> s(static_cast<size_t>(kRate * 10));
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 200.0);
    std::uniform_int_distribution<int> bit(0, 1);
    std::vector<double> phase(kSignals, 0.0);
    const int samplesPerSymbol = static_cast<int>(kRate / 31.25);
    for (size_t n = 0; n < s.size(); ++n) {
        double x = noise(rng);
        for (int i = 0; i < kSignals; ++i) {
            if (n % samplesPerSymbol == 0 && bit(rng) == 0) phase[i] += M_PI;
            x += 600.0 * std::cos(2 * M_PI * signalFrequency(i) * n / kRate + phase[i]);
        }
        s[n] = static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
    }
    return s;
}

struct ReceivePath {
    modem::ReceiveChain chain;
    display::SpectrumCollector collector;
    display::SpectrumAnalyser analyser;
    display::SpectrumHistory history;
    display::SpectrumRow row{};
    display::MultichannelDecoder multichannel;

    explicit ReceivePath(modem::PskReceiverKind kind) {
        chain.usePskReceiver(kind);
        chain.setReceiveFrequency(1000.0, true);
        display::MultichannelSettings settings;
        settings.pskReceiver = kind;
        multichannel.setSettings(settings);
        for (int i = 0; i < kSignals; ++i)
            multichannel.openChannel(modem::Mode::Bpsk31, signalFrequency(i), 0);
    }

    void block(const int16_t* samples) {
        const bool rowDue = collector.collect(samples, kBlockSamples);
        chain.processReceiveBlock(std::span<const int16_t>(samples, kBlockSamples),
                                  modem::ReceiveChain::kDemodulate);
        multichannel.processBlock(samples, kBlockSamples);
        chain.clearPendingText();
        if (!rowDue) return;
        analyser.analyseBlock(collector.block(), display::SpectrumWindow::Hann, row);
        history.addRow(row);
        collector.clearBlockReady();
        multichannel.onSpectrumRow(history, 0);
    }
};

void reportRealTime(benchmark::State& state) {
    // Seconds of audio per second of processing.
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlockSamples / kRate,
                           benchmark::Counter::kIsRate);
}

void receivePath(benchmark::State& state, modem::PskReceiverKind kind) {
    const std::vector<int16_t> input = makeBand();
    auto path = std::make_unique<ReceivePath>(kind);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlockSamples > input.size()) pos = 0;
        path->block(input.data() + pos);
        pos += kBlockSamples;
    }
    reportRealTime(state);
}

void channelsOnly(benchmark::State& state, modem::PskReceiverKind kind) {
    const std::vector<int16_t> input = makeBand();
    auto path = std::make_unique<ReceivePath>(kind);
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + kBlockSamples > input.size()) pos = 0;
        path->multichannel.processBlock(input.data() + pos, kBlockSamples);
        pos += kBlockSamples;
    }
    reportRealTime(state);
}

void BM_MultichannelSearchPerRow(benchmark::State& state) {
    const std::vector<int16_t> input = makeBand();
    auto path = std::make_unique<ReceivePath>(modem::PskReceiverKind::Specified);
    for (size_t pos = 0; pos + kBlockSamples <= input.size(); pos += kBlockSamples)
        path->block(input.data() + pos);  // a history full of signals
    path->multichannel.clearAll();        // so that every search runs until it opens one
    for (auto _ : state) {
        benchmark::DoNotOptimize(path->multichannel.onSpectrumRow(path->history, 0));
        path->multichannel.clearAll();
    }
}

void BM_ReceivePathWith26Channels(benchmark::State& state) {
    receivePath(state, modem::PskReceiverKind::Specified);
}
void BM_ReceivePathWith26SensitiveChannels(benchmark::State& state) {
    receivePath(state, modem::PskReceiverKind::Sensitive);
}
void BM_MultichannelChannelsOnly(benchmark::State& state) {
    channelsOnly(state, modem::PskReceiverKind::Specified);
}
void BM_MultichannelSensitiveChannelsOnly(benchmark::State& state) {
    channelsOnly(state, modem::PskReceiverKind::Sensitive);
}

BENCHMARK(BM_ReceivePathWith26Channels);
BENCHMARK(BM_ReceivePathWith26SensitiveChannels);
BENCHMARK(BM_MultichannelChannelsOnly);
BENCHMARK(BM_MultichannelSensitiveChannelsOnly);
BENCHMARK(BM_MultichannelSearchPerRow);

}  // namespace
