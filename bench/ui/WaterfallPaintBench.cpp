// Cost of one waterfall row at 1024 pixels: painting the row into the ring (engine), and the
// view's whole paint for it (copying the new row into the indexed image, the two-part
// composition, scale, cursor, tags, trace and phase scope), rendered offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "display/ui/CSpectrumView.h"
#include "display/ui/StationText.h"

using namespace tarnvel::display;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 300;

SpectrumRow noisyRow(int seed) {
    SpectrumRow row{};
    uint32_t state = 12345u + static_cast<uint32_t>(seed);
    for (int k = 0; k < kSpectrumBins; ++k) {
        state = state * 1664525u + 1013904223u;
        row[static_cast<size_t>(k)] =
            0.5f + static_cast<float>(state >> 24) / 256.0f + (std::abs(k - 186) < 3 ? 2.0f : 0.0f);
    }
    return row;
}

void BM_PaintRowIntoRing(benchmark::State& state) {
    WaterfallModel model;
    model.ensureRows(kHeight);
    const WaterfallSettings settings{0, 11025.0, {1000.0f, 1500.0f, 0, 0, 0}};
    const SpectrumRow row = noisyRow(1);
    for (auto _ : state) {
        model.addSpectrumRow(row, settings);
        benchmark::DoNotOptimize(model.rowIndex());
    }
}
BENCHMARK(BM_PaintRowIntoRing);

void BM_ViewPaintOneNewRow(benchmark::State& state) {
    WaterfallModel model;
    PhaseScope scope;
    CSpectrumView view;
    view.setEngines(SpectrumViewEngines{&model, nullptr, nullptr, &scope});
    const int width = static_cast<int>(state.range(0));  // 1024: one pixel a bin
    view.resize(width, kHeight);
    view.inputs().display.showBookMarks = true;
    for (int i = 0; i < 8; ++i)
        view.inputs().tags.push_back(ChannelTag{true, i % 2 == 0, 300.0 + 300 * i});
    model.ensureRows(kHeight);
    QImage target(width, kHeight, QImage::Format_RGB32);
    const WaterfallSettings settings{0, 11025.0, {}};
    const SpectrumRow row = noisyRow(2);
    int n = 0;
    for (auto _ : state) {
        model.addSpectrumRow(row, settings);
        scope.showPhase(0, (n++ & 1) ? 0x40000000 : 0, 600);
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
// 1024 pixels: one pixel a bin; 600 and 1600: the spectrum fitted to a narrow and a wide view.
BENCHMARK(BM_ViewPaintOneNewRow)->Arg(1024)->Arg(600)->Arg(1600)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initDisplayResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
