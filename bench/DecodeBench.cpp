// Whole decodes of one minute of transmitted text, as tarnvel-cli decode runs them (receive
// chain, squelch and AFC ticks, receive window), reported as multiples of real time.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/ReceiveText.h"
#include "cli/ModemBridge.h"
#include "cli/Options.h"

namespace {

using namespace tarnvel;

constexpr double kRate = 11025.0;
constexpr size_t kMinuteSamples = static_cast<size_t>(kRate * 60);

// One minute of a transmission of plain text, cut from a longer one so that the signal
// carries text all the way.
std::vector<int16_t> minuteOf(const cli::ModeChoice& mode) {
    std::string text;
    while (text.size() < 600) text += "the quick brown fox jumps over the lazy dog 0123456789 ";
    std::vector<int16_t> audio;
    cli::renderTransmission({&mode, 1000.0, text, std::nullopt}, audio);
    audio.resize(kMinuteSamples);
    return audio;
}

void decodeMinute(benchmark::State& state, const char* modeName) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    const std::vector<int16_t> audio = minuteOf(mode);
    app::ReceiveText check(true);
    cli::decodeAudio(audio, {&mode, 1000.0, true, std::nullopt}, check);
    if (check.text().find("the lazy dog 0123456789 the quick") == std::string::npos)
        state.SkipWithError("the minute did not decode");
    for (auto _ : state) {
        app::ReceiveText window(true);
        cli::decodeAudio(audio, {&mode, 1000.0, true, std::nullopt}, window);
        benchmark::DoNotOptimize(window.text().data());
    }
    // Seconds of audio per second of decoding.
    state.counters["x_realtime"] = benchmark::Counter(
        60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kMinuteSamples));
}

void BM_DecodeMinuteBpsk31(benchmark::State& state) {
    decodeMinute(state, "bpsk31");
}
void BM_DecodeMinuteQpsk31(benchmark::State& state) {
    decodeMinute(state, "qpsk31");
}

BENCHMARK(BM_DecodeMinuteBpsk31)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeMinuteQpsk31)->Unit(benchmark::kMillisecond);

}  // namespace
