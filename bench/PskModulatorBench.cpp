// Transmit-side throughput: raw modulator samples, and one whole BPSK31 transmission rendered
// through the sequencer.

#include <benchmark/benchmark.h>

#include <string>

#include "modem/PskModulator.h"
#include "modem/Transmitter.h"

namespace tarnvel::modem {
namespace {

void BM_PskModulatorSamples(benchmark::State& state) {
    PskModulator m;
    int symbol = 0;
    int due = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        for (int n = 0; n < 1024; ++n) {
            sum += m.nextSample(due);
            if (due) m.pushSymbol(symbol = (symbol + 1) & 3);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_PskModulatorSamples);

void BM_Bpsk31TransmissionRender(benchmark::State& state) {
    const std::string text = "CQ CQ CQ de SP9XYZ SP9XYZ SP9XYZ pse k\r\n\xae";
    size_t samples = 0;
    for (auto _ : state) {
        TextTransmitHost host;
        Transmitter tx(host);
        host.type(text);
        const auto out = tx.renderTransmission(50'000'000);
        samples += out.samples.size();
        benchmark::DoNotOptimize(out.samples.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(samples));
    state.counters["seconds_of_audio"] =
        static_cast<double>(samples) / static_cast<double>(state.iterations()) / 11025.0;
}
BENCHMARK(BM_Bpsk31TransmissionRender)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnvel::modem
