// Cost of one waterfall row: window the 2048-sample block, transform, take the log power.
// The "heap_bytes" counter is the change in heap use over the whole timed loop; a row must
// not allocate, so it stays 0.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <random>
#include <vector>

#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumHistory.h"
#include "display/WaterfallModel.h"

namespace {

using namespace tarnvel::display;

std::vector<float> noisyTone() {
    std::mt19937 rng(42);
    std::normal_distribution<float> noise(0.0f, 300.0f);
    std::vector<float> block(kSpectrumBlockSize);
    for (size_t n = 0; n < block.size(); ++n)
        block[n] =
            8000.0f * static_cast<float>(std::sin(0.57 * static_cast<double>(n))) + noise(rng);
    return block;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

void BM_SpectrumRow(benchmark::State& state) {
    const auto window = static_cast<SpectrumWindow>(state.range(0));
    SpectrumAnalyser analyser;
    const std::vector<float> source = noisyTone();
    std::vector<float> block(source);
    SpectrumRow row{};
    const size_t before = heapInUse();
    for (auto _ : state) {
        std::copy(source.begin(), source.end(), block.begin());
        analyser.analyseBlock(block.data(), window, row);
        benchmark::DoNotOptimize(row.data());
        benchmark::ClobberMemory();
    }
    state.counters["heap_bytes"] = static_cast<double>(heapInUse() - before);
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SpectrumRow)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->ArgName("FFTWindow");

// A whole paint's new-row step: transform, history, and the indexed waterfall row.
void BM_WaterfallRow(benchmark::State& state) {
    SpectrumAnalyser analyser;
    SpectrumCollector collector;
    WaterfallModel waterfall;
    waterfall.ensureRows(300);
    const std::vector<float> source = noisyTone();
    std::vector<int16_t> samples(source.size());
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(source[i]);
    WaterfallSettings settings;
    settings.markers[0] = 1500.0f;
    const size_t before = heapInUse();
    for (auto _ : state) {
        collector.collect(samples.data(), samples.size());
        waterfall.takeNewRow(collector, analyser, SpectrumWindow::Hann, settings);
        benchmark::DoNotOptimize(waterfall.row(waterfall.rowIndex()));
    }
    state.counters["heap_bytes"] = static_cast<double>(heapInUse() - before);
}
BENCHMARK(BM_WaterfallRow);

}  // namespace
