// What a channel's catch-up on the sound history costs the station's thread: the longest one
// (10 s of audio) through one BPSK31 channel, in milliseconds per catch-up.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "display/ChannelCatchUp.h"
#include "display/MultichannelDecoder.h"

namespace {

using namespace tarnvel;

constexpr double kRate = 11025.0;
constexpr double kHz = 1000.0;

class NoiseHistory final : public display::SoundHistorySource {
  public:
    NoiseHistory() : samples_(static_cast<size_t>(20 * kRate)) {
        std::mt19937 rng(3);
        std::normal_distribution<double> noise(0.0, 1000.0);
        for (size_t n = 0; n < samples_.size(); ++n)
            samples_[n] = static_cast<int16_t>(
                std::lround(noise(rng) + 3000.0 * std::cos(2 * M_PI * kHz * n / kRate)));
    }
    display::HistoryPieces newestSamples(size_t count) const override {
        const size_t n = std::min(count, samples_.size());
        return {std::span<const int16_t>(samples_).last(n), {}};
    }

  private:
    std::vector<int16_t> samples_;
};

void BM_CatchUpTenSeconds(benchmark::State& state) {
    NoiseHistory history;
    display::ChannelCatchUp catchUp;
    catchUp.setSource(&history);
    // A signal on every row kept: older than the rows, so the catch-up takes its bound.
    display::SpectrumRow row{};
    const int bin = static_cast<int>(kHz * 2048 / kRate + 0.5);
    row[static_cast<size_t>(bin)] = 3.0f;
    for (int i = 0; i < display::SignalOnset::kRows; ++i) catchUp.addRow(row);
    display::MultichannelDecoder decoder(kRate);
    decoder.setOpenListener(&catchUp);
    for (auto _ : state) {
        decoder.clearChannel(0);
        decoder.openChannel(modem::Mode::Bpsk31, kHz, 0);
        benchmark::DoNotOptimize(decoder.channel(0).text().data());
    }
    state.counters["seconds_caught_up"] =
        static_cast<double>(catchUp.lastCatchUpSamples()) / kRate;
}
BENCHMARK(BM_CatchUpTenSeconds)->Unit(benchmark::kMillisecond);

}  // namespace
