// Decode speed of the FSK and PACTOR receivers on a noisy signal: items per second is the
// number of input samples handled per second (divide by 11025 for the real-time factor).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "modem/Fsk31Receiver.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Receiver.h"
#include "modem/PactorReceiver.h"
#include "modem/VaricodeDecoder.h"

namespace tarnvel::modem {
namespace {

constexpr double kSampleRate = 11025.0;
constexpr int kBlock = 512;  // samples per sound card buffer

// Two-tone FSK with random data and white noise: the receivers do their full work on it.
std::vector<int16_t> fskSignal(double centreHz, double shiftHz, double baud, int seconds) {
    std::mt19937 rng(1);
    std::bernoulli_distribution bit(0.5);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::vector<int16_t> out(static_cast<size_t>(kSampleRate * seconds));
    const double samplesPerSymbol = kSampleRate / baud;
    double phase = 0.0;
    double hz = centreHz;
    for (size_t n = 0; n < out.size(); ++n) {
        if (std::fmod(static_cast<double>(n), samplesPerSymbol) < 1.0)
            hz = centreHz + (bit(rng) ? shiftHz / 2 : -shiftHz / 2);
        phase = std::fmod(phase + 2.0 * M_PI * hz / kSampleRate, 2.0 * M_PI);
        out[n] = static_cast<int16_t>(std::lround(8000.0 * std::sin(phase) + noise(rng)));
    }
    return out;
}

// Decoded text is cleared after each pass, as the station takes it from the buffer.
void runBlocks(benchmark::State& state, ModeReceiver& rx, const std::vector<int16_t>& audio,
               std::string& text) {
    for (auto _ : state) {
        for (size_t at = 0; at + kBlock <= audio.size(); at += kBlock)
            rx.processSamples(audio.data() + at, kBlock);
        benchmark::DoNotOptimize(text.data());
        text.clear();
    }
    const auto perRun = static_cast<int64_t>(audio.size() / kBlock * kBlock);
    state.SetItemsProcessed(state.iterations() * perRun);
    state.counters["realtime_x"] = benchmark::Counter(
        static_cast<double>(perRun) / kSampleRate * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

// One FSK receiver with its decoder over ten seconds of random data at 1000 Hz.
template <typename Receiver, typename Decoder>
void runFskDecode(benchmark::State& state, double shiftHz, double baud) {
    const auto audio = fskSignal(1000.0, shiftHz, baud, 10);
    std::string text;
    CharacterSink sink(&text, nullptr);
    Decoder decoder;
    decoder.sink = &sink;
    Receiver rx;
    rx.attachDecoder(&decoder);
    rx.setCarrierFrequency(1000.0);
    runBlocks(state, rx, audio, text);
}

void BM_Fsk31Decode(benchmark::State& state) {
    runFskDecode<Fsk31Receiver, VaricodeDecoder>(state, 15.625, 31.25);
}
BENCHMARK(BM_Fsk31Decode)->Unit(benchmark::kMillisecond);

void BM_Fsk63Decode(benchmark::State& state) {
    runFskDecode<Fsk63Receiver, Fsk63Decoder>(state, 31.25, 62.5);
}
BENCHMARK(BM_Fsk63Decode)->Unit(benchmark::kMillisecond);

void BM_PactorDecode(benchmark::State& state) {
    const auto audio = fskSignal(1500.0, 200.0, 100.0, 10);
    std::string text;
    CharacterSink sink(&text, nullptr);
    PactorReceiver rx;
    rx.attachOutput(&sink);
    rx.setCarrierFrequency(1500.0);
    runBlocks(state, rx, audio, text);
}
BENCHMARK(BM_PactorDecode)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnvel::modem
