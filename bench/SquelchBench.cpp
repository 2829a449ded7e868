// The squelch of tarnvel-cli decode and channels: total character errors, junk included,
// for each squelch threshold at several signal-to-noise ratios (in 2500 Hz). A transmission
// sits between 5 s of noise before and 5 s after it, as on a band; the error is the edit
// distance between the sent text and everything printed, over the sent text's length, so that
// what the receiver makes of the noise counts as much as what it loses of the signal. The
// counters are the result; the times are of no interest. Threshold -1 is the squelch off.

#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/ModemBridge.h"
#include "display/BandDecoder.h"
#include "tests/support/BandRecording.h"

namespace {

using namespace tarnvel;
using testing::BandSignal;

constexpr int kDraws = 4;
constexpr double kQuietSeconds = 5.0;
constexpr int kNoiseDraws = 20;  // minutes of noise

std::optional<int> thresholdOf(int64_t arg) {
    return arg < 0 ? std::nullopt : std::optional<int>(static_cast<int>(arg));
}

// decode: one signal at 1000 Hz. state.range(0): threshold; range(1): SNR in tenths.
void squelchDecode(benchmark::State& state, const char* modeName) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    BandSignal signal{"sp9xyz", 1000.0, kQuietSeconds, static_cast<double>(state.range(1)) / 10.0};
    std::vector<int16_t> clean;
    cli::renderTransmission({&mode, 1000.0, signal.text(), std::nullopt}, clean);
    const double seconds = static_cast<double>(clean.size()) / testing::kBandRate + 2 * kQuietSeconds;
    const std::string sent = testing::trimmed(signal.text());
    size_t errors = 0;
    size_t junk = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kDraws; ++draw) {
            const std::vector<int16_t> band = testing::mixBand({signal}, seconds, 100u + draw, modeName);
            app::ReceiveText window(true);
            cli::decodeAudio(band, {&mode, 1000.0, true, thresholdOf(state.range(0))}, window);
            const std::string got = testing::trimmed(window.text());
            errors += testing::editDistance(sent, got);
            junk += got.size() > sent.size() ? got.size() - sent.size() : 0;
        }
    }
    const double total = static_cast<double>(sent.size() * kDraws * state.iterations());
    state.counters["total_error_percent"] = 100.0 * static_cast<double>(errors) / total;
    state.counters["extra_chars_percent"] = 100.0 * static_cast<double>(junk) / total;
}
void BM_SquelchDecode(benchmark::State& state) {
    squelchDecode(state, "bpsk31");
}
BENCHMARK(BM_SquelchDecode)
    ->ArgsProduct({{-1, 5, 10, 15, 20, 25}, {100, 0, -60, -80, -100}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The other PSK modes take the same default: it must not cut their weak signals either.
void BM_SquelchDecodeQpsk31(benchmark::State& state) {
    squelchDecode(state, "qpsk31");
}
void BM_SquelchDecodeBpsk63(benchmark::State& state) {
    squelchDecode(state, "bpsk63");
}
BENCHMARK(BM_SquelchDecodeQpsk31)
    ->ArgsProduct({{-1, 10, 15, 20, 25}, {0, -60, -80, -100, -120}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquelchDecodeBpsk63)
    ->ArgsProduct({{-1, 10, 15, 20, 25}, {0, -60, -80}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// FSK31 takes the same default too.
void BM_SquelchDecodeFsk31(benchmark::State& state) {
    squelchDecode(state, "fsk31");
}
BENCHMARK(BM_SquelchDecodeFsk31)
    ->ArgsProduct({{-1, 10, 15, 20, 25}, {0, -60, -90}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Noise alone, twenty draws of a minute each: the characters each threshold lets through per
// minute.
void squelchNoise(benchmark::State& state, const char* modeName) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    constexpr double kSeconds = 60.0;
    size_t printed = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kNoiseDraws; ++draw) {
            const std::vector<int16_t> noise =
                testing::mixBand({}, kSeconds, 300u + draw, modeName);
            app::ReceiveText window(true);
            cli::decodeAudio(noise, {&mode, 1000.0, true, thresholdOf(state.range(0))}, window);
            printed += testing::trimmed(window.text()).size();
        }
    }
    state.counters["chars_per_minute"] =
        static_cast<double>(printed) / static_cast<double>(kNoiseDraws * state.iterations());
}
void BM_SquelchNoiseBpsk31(benchmark::State& state) {
    squelchNoise(state, "bpsk31");
}
void BM_SquelchNoiseQpsk31(benchmark::State& state) {
    squelchNoise(state, "qpsk31");
}
void BM_SquelchNoiseBpsk63(benchmark::State& state) {
    squelchNoise(state, "bpsk63");
}
BENCHMARK(BM_SquelchNoiseBpsk31)
    ->DenseRange(10, 25, 5)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquelchNoiseQpsk31)
    ->DenseRange(10, 25, 5)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquelchNoiseBpsk63)
    ->DenseRange(10, 25, 5)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// channels: the eight-signal band with every signal shifted by range(1) tenths of a dB. Each
// signal's first channel counts against its text (all of it when none opened); channels that
// match no signal count with all their text as junk.
void BM_SquelchChannels(benchmark::State& state) {
    std::vector<BandSignal> signals = testing::eightSignals();
    for (BandSignal& s : signals) s.snrDb += static_cast<double>(state.range(1)) / 10.0;
    size_t errors = 0;
    size_t sentTotal = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kDraws; ++draw) {
            const std::vector<int16_t> band = testing::mixBand(signals, 40.0, 200u + draw);
            display::BandDecodeOptions options;
            options.settings.squelch = state.range(0) >= 0;
            options.settings.sqThreshold = static_cast<int>(std::max<int64_t>(state.range(0), 0));
            const display::BandDecodeResult result = display::decodeBand(band, options);
            std::vector<bool> used(result.channels.size(), false);
            for (const BandSignal& s : signals) {
                const std::string sent = testing::trimmed(s.text());
                sentTotal += sent.size();
                size_t cost = sent.size();
                for (size_t c = 0; c < result.channels.size(); ++c) {
                    if (std::abs(result.channels[c].frequency - s.frequency) >= 10.0) continue;
                    if (!used[c] && cost == sent.size())
                        cost = testing::editDistance(sent, testing::trimmed(result.channels[c].text));
                    used[c] = true;  // later channels on the same signal are its repeats
                }
                errors += cost;
            }
            for (size_t c = 0; c < result.channels.size(); ++c)
                if (!used[c]) errors += testing::trimmed(result.channels[c].text).size();
        }
    }
    state.counters["total_error_percent"] =
        100.0 * static_cast<double>(errors) / static_cast<double>(std::max<size_t>(sentTotal, 1));
}
BENCHMARK(BM_SquelchChannels)
    ->ArgsProduct({{-1, 10, 15, 20, 25}, {0, -60, -100}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
