// Where the PSK receivers lose against an ideal one: the same noisy transmissions decoded by
// the plain receiver and by the sensitive receiver with one of its stages switched on at a
// time (matched filter, energy timing, frequency loop), so each stage's share shows in the
// character error rate. The receive chain runs directly, with the AFC stepped every 300 ms of
// audio as the station does while a signal stands out of the spectrum (or not at all).
// Counter "CER_percent"; the time is of no interest.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bench/CerMeasure.h"
#include "cli/ModemBridge.h"
#include "cli/Options.h"
#include "modem/ReceiveChain.h"

namespace {

using namespace tarnvel;

constexpr int kDraws = 6;
constexpr double kFrequencyHz = 1000.0;
constexpr size_t kBlock = 512;
constexpr double kTickSamples = bench::kCerRate * 0.3;

struct Setup {
    modem::PskReceiverKind kind;
    modem::SensitivePskStages stages;
    bool afc;
};

// Stages: pulse filter, energy timing, frequency loop, and the receiver's own decisions (soft
// QPSK, BPSK against an averaged reference).
using Stages = modem::SensitivePskStages;
constexpr auto kSpecified = modem::PskReceiverKind::Specified;
constexpr auto kSensitive = modem::PskReceiverKind::Sensitive;
const Setup kSetups[] = {
    {kSpecified, {}, true},                                   // 0 the plain receiver
    {kSpecified, {}, false},                                  // 1 ... without AFC
    {kSensitive, {false, false, false, false, false}, true},  // 2 all stages plain (same as 0)
    {kSensitive, {true, false, false, false, false}, true},   // 3 pulse filter
    {kSensitive, {false, true, false, false, false}, true},   // 4 energy timing
    {kSensitive, {false, false, true, false, false}, true},   // 5 frequency loop
    {kSensitive, {false, false, false, true, true}, true},    // 6 own decisions
    {kSensitive, {false, true, false, false, false}, false},  // 7 energy timing, no AFC
    {kSensitive, {true, true, false, false, false}, true},    // 8 filter and timing
    {kSensitive, {true, true, true, false, false}, true},     // 9 ... and the loop
    {kSensitive, {true, true, true, true, true}, true},       // 10 everything
};

std::string decodeWithChain(std::span<const int16_t> audio, const cli::ModeChoice& mode,
                            const Setup& setup) {
    modem::ReceiveChain chain(bench::kCerRate, mode.mode);
    chain.selectMode(mode.mode);
    chain.setInvertedQpsk(mode.invertedQpsk);
    chain.usePskReceiver(setup.kind);
    chain.sensitivePskReceiver().setStages(setup.stages);
    chain.setReceiveFrequency(kFrequencyHz, true);
    std::string text;
    double untilTick = kTickSamples;
    for (size_t at = 0; at < audio.size(); at += kBlock) {
        const size_t n = std::min(kBlock, audio.size() - at);
        chain.processReceiveBlock(audio.subspan(at, n), modem::ReceiveChain::kDemodulate);
        untilTick -= static_cast<double>(n);
        if (untilTick <= 0.0) {
            untilTick += kTickSamples;
            chain.onTimerTick();
            if (setup.afc) chain.afcStep(modem::ReceiveChain::kAfcMinSnr);
        }
        text += chain.pendingText();
        chain.clearPendingText();
    }
    return text;
}

// state.range(0): SNR in tenths of a dB; state.range(1): the setup.
void stageErrorRate(benchmark::State& state, const char* modeName) {
    const cli::ModeChoice& mode = *cli::findMode(modeName);
    const double snrDb = static_cast<double>(state.range(0)) / 10.0;
    const Setup& setup = kSetups[state.range(1)];
    std::vector<int16_t> clean;
    if (!bench::renderSentText(mode, kFrequencyHz, clean)) {
        state.SkipWithError("the transmission did not render");
        return;
    }
    size_t errors = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < kDraws; ++draw) {
            const std::vector<int16_t> noisy = bench::withNoise(clean, snrDb, 2000u + draw);
            errors += bench::messageErrors(bench::sentText(), decodeWithChain(noisy, mode, setup));
        }
    }
    state.counters["CER_percent"] =
        100.0 * static_cast<double>(errors) /
        static_cast<double>(bench::sentText().size() * kDraws * state.iterations());
}

void stageArguments(benchmark::internal::Benchmark* b) {
    for (const int snr : {-80, -100})
        for (int setup = 0; setup < static_cast<int>(std::size(kSetups)); ++setup)
            b->Args({snr, setup});
    b->ArgNames({"snr_tenth_dB", "setup"})->Iterations(1)->Unit(benchmark::kMillisecond);
}

void BM_StagesBpsk31(benchmark::State& state) {
    stageErrorRate(state, "bpsk31");
}
void BM_StagesBpsk63(benchmark::State& state) {
    stageErrorRate(state, "bpsk63");
}
void BM_StagesQpsk31(benchmark::State& state) {
    stageErrorRate(state, "qpsk31");
}
BENCHMARK(BM_StagesBpsk31)->Apply(stageArguments);
BENCHMARK(BM_StagesBpsk63)->Apply(stageArguments);
BENCHMARK(BM_StagesQpsk31)->Apply(stageArguments);

}  // namespace
