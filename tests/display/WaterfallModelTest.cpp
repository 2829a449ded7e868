#include <gtest/gtest.h>

#include <cmath>

#include "SpectrumFill.h"
#include "display/BandPages.h"
#include "display/FrequencyScale.h"
#include "display/PhaseScope.h"
#include "display/SpectrumHistory.h"
#include "display/WaterfallModel.h"
#include "modem/Mode.h"

namespace tarnvel::display {
namespace {

constexpr double kRate = 11025.0;
constexpr double kBinHz = kRate / 2048.0;

using testing::fillHistory;
using testing::signalAt;

TEST(SpectrumHistory, LevelIsTheMeanOfEightRowsAndTheRingWraps) {
    SpectrumHistory h;
    SpectrumRow row{};
    for (int i = 0; i < kHistoryRows; ++i) {
        row.fill(static_cast<float>(i));  // history value 20 i - 90
        h.addRow(row);
        EXPECT_EQ(h.writePosition(), ((i + 1) % kHistoryRows) * kSpectrumBins);
    }
    EXPECT_DOUBLE_EQ(h.level(300), (20.0 * 28 - 8 * 90) / 8.0);
    row.fill(8.0f);  // replaces the oldest row (0 -> 8)
    h.addRow(row);
    EXPECT_DOUBLE_EQ(h.level(300), (20.0 * 36 - 8 * 90) / 8.0);
    // Outside the spectrum the edge bins answer.
    EXPECT_DOUBLE_EQ(h.level(-5), h.level(0));
    EXPECT_DOUBLE_EQ(h.level(1030), h.level(1023));
}

TEST(SpectrumHistory, AmplitudeInterpolatesLinearAmplitudes) {
    SpectrumHistory h;
    fillHistory(h, [](int k) { return k == 101 ? 20.0 * std::log10(300.0) - 90.0 : -90.0; });
    EXPECT_NEAR(h.amplitude(100.0), 1.0, 1e-4);
    EXPECT_NEAR(h.amplitude(101.0), 300.0, 1e-2);
    EXPECT_NEAR(h.amplitude(100.25), 1.0 + 0.25 * 299.0, 1e-2);
}

TEST(Snap, FindsTheCentreOfASymmetricSignal) {
    SpectrumHistory h;
    fillHistory(h, signalAt(300.6, 5000.0));
    for (int click : {297, 300, 302, 304}) {
        const double f = snapFrequency(h, modem::Mode::Bpsk31, click, true, kRate);
        EXPECT_NEAR(f / kBinHz, 300.6, 0.16) << click;
    }
    // Snapping off, or PACTOR: the plain bin.
    EXPECT_DOUBLE_EQ(snapFrequency(h, modem::Mode::Bpsk31, 302, false, kRate), 302 * kBinHz);
    EXPECT_DOUBLE_EQ(snapFrequency(h, modem::Mode::Pactor, 302, true, kRate), 302 * kBinHz);
    // BPSK63 looks twice as far for the same signal.
    EXPECT_NEAR(snapFrequency(h, modem::Mode::Bpsk63, 307, true, kRate) / kBinHz, 300.6, 0.16);
}

TEST(Snap, PlainBinNearTheEdgesAndWithoutASignal) {
    SpectrumHistory h;
    fillHistory(h, [](int k) {
        return signalAt(48.4, 5000.0)(k) + signalAt(978.4, 5000.0)(k) + signalAt(970.4, 5000.0)(k) +
               180.0;
    });
    EXPECT_DOUBLE_EQ(snapFrequency(h, modem::Mode::Bpsk31, 49, true, kRate), 49 * kBinHz);
    EXPECT_DOUBLE_EQ(snapFrequency(h, modem::Mode::Bpsk31, 976, true, kRate), 976 * kBinHz);
    EXPECT_DOUBLE_EQ(snapFrequency(h, modem::Mode::Bpsk31, 1000, true, kRate), 1000 * kBinHz);
    EXPECT_NE(snapFrequency(h, modem::Mode::Bpsk31, 972, true, kRate), 972 * kBinHz);

    SpectrumHistory flat;
    fillHistory(flat, [](int) { return -70.0; });
    EXPECT_DOUBLE_EQ(snapFrequency(flat, modem::Mode::Bpsk31, 500, true, kRate), 500 * kBinHz);
}

TEST(SignalToNoise, PeakAgainstTheMeanOfTheNoiseBins) {
    SpectrumHistory h;
    fillHistory(h, [](int k) { return k == 300 ? -50.0 : (k == 304 ? -60.0 : -80.0); });
    // Noise bins 3..7 each side: one of the ten reads -60.
    EXPECT_NEAR(signalToNoise(h, modem::Mode::Bpsk31, 300, kRate), -50.0 - (-80.0 * 9 - 60.0) / 10,
                1e-9);
    // BPSK63 noise bins 6..14: the -60 bin is now inside the peak reach and louder neighbours
    // in whole dB would raise the peak; -60 < -50 so the peak stays.
    EXPECT_NEAR(signalToNoise(h, modem::Mode::Bpsk63, 300, kRate), 30.0, 1e-9);
    // Near the top edge the noise window reaches past bin 1023 without leaving the history.
    EXPECT_NEAR(signalToNoise(h, modem::Mode::Bpsk63, 1015, kRate), 0.0, 1e-9);
}

TEST(FrequencyScale, MirroredMappingIsItsOwnInverse) {
    const FrequencyScale lsb(kFreqModeLowerSideband, 800, kRate);
    EXPECT_EQ(lsb.binToX(0), 800);
    EXPECT_EQ(lsb.frequencyToX(0.0), 800);
    for (int x = 0; x <= 800; ++x) EXPECT_EQ(lsb.binToX(lsb.xToBin(x)), x);
    EXPECT_DOUBLE_EQ(lsb.xToFrequency(614), 186 * kBinHz);
    EXPECT_EQ(lsb.frequencyToX(1000.0), 800 - 186);

    const FrequencyScale audio(kFreqModeAudio, 800, kRate);
    EXPECT_EQ(audio.frequencyToX(1000.0), 186);
    EXPECT_EQ(audio.xToBin(186), 186);
}

TEST(FrequencyScale, TicksAndLabelsFollowTheDial) {
    const auto audio = FrequencyScale(kFreqModeAudio, 1024, kRate).ticks(0.0);
    EXPECT_EQ(audio[9].x, 186);
    EXPECT_TRUE(audio[9].labelled);
    EXPECT_EQ(audio[9].label, "1000");
    EXPECT_EQ(audio[4].top, 13);
    EXPECT_FALSE(audio[4].labelled);
    EXPECT_EQ(audio[3].top, 16);

    // 14070.0 kHz, upper sideband: 1000 Hz audio is 14071 kHz.
    const auto usb = FrequencyScale(kFreqModeUpperSideband, 1024, kRate).ticks(14070.0);
    EXPECT_EQ(usb[9].label, "14071");
    // An off-grid dial moves the long ticks: 14070.3 kHz puts them at 200 Hz, 700 Hz, ...
    const auto odd = FrequencyScale(kFreqModeUpperSideband, 1024, kRate).ticks(14070.3);
    EXPECT_EQ(odd[1].top, 13);
    EXPECT_TRUE(odd[6].labelled);
    EXPECT_EQ(odd[6].label, "14071");

    const auto lsb = FrequencyScale(kFreqModeLowerSideband, 1024, kRate).ticks(7070.0);
    EXPECT_EQ(lsb[9].x, 1024 - 186);
    EXPECT_EQ(lsb[9].label, "7069");
    // A dial above 2^31 Hz still labels correctly.
    const auto far = FrequencyScale(kFreqModeUpperSideband, 1024, kRate).ticks(10368100.0);
    EXPECT_EQ(far[9].label, "10368101");
}

TEST(WaterfallModel, PaletteIndexOfOutputs) {
    EXPECT_EQ(paletteIndexForOutput(0.0f), 0);
    EXPECT_EQ(paletteIndexForOutput(0.4f), 0);
    EXPECT_EQ(paletteIndexForOutput(-3.0f), 0);
    EXPECT_EQ(paletteIndexForOutput(0.43f), 1);
    EXPECT_EQ(paletteIndexForOutput(4.37f), 198);
    EXPECT_EQ(paletteIndexForOutput(4.38f), 199);
    EXPECT_EQ(paletteIndexForOutput(9.0f), 199);
}

TEST(WaterfallModel, RowsAreBinsWithMarkersAndScrollDown) {
    WaterfallModel w;
    EXPECT_EQ(w.width(), 0);
    EXPECT_TRUE(w.ensureRows(60));
    EXPECT_FALSE(w.ensureRows(60));
    EXPECT_EQ(w.rows(), 40);
    EXPECT_EQ(w.width(), kSpectrumBins);
    WaterfallSettings s;
    s.markers = {1500.0f, 0.0f, -5.0f, 0.0f, 0.0f};
    s.freqMode = kFreqModeLowerSideband;  // the ring stays in bin order; the view mirrors it
    SpectrumRow row;
    row.fill(2.0f);
    w.addSpectrumRow(row, s);
    EXPECT_EQ(w.rowIndex(), 39);
    EXPECT_EQ(w.rowsAdded(), 1u);
    const uint8_t* r = w.row(w.ringRowForLine(0));
    EXPECT_EQ(r[0], 80);
    EXPECT_EQ(r[1023], 80);
    EXPECT_EQ(r[279], kPaletteRed);  // the 1500 Hz marker
    EXPECT_EQ(r[278], 80);
    EXPECT_DOUBLE_EQ(w.history().level(10), (20.0 * 2.0 - 90.0) / 8);  // one row of eight

    // Rows scroll down: the older row is now line 1.
    row.fill(3.0f);
    w.addSpectrumRow(row, s);
    EXPECT_EQ(w.row(w.ringRowForLine(0))[5], 130);
    EXPECT_EQ(w.row(w.ringRowForLine(1))[5], 80);
    EXPECT_EQ(w.row(w.ringRowForLine(2))[5], kPaletteBlack);
}

TEST(WaterfallModel, ResizingKeepsTheNewestRows) {
    WaterfallModel w;
    w.ensureRows(25);  // five rows
    SpectrumRow row;
    for (float v : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f}) {  // the ring wraps once
        row.fill(v);
        w.addSpectrumRow(row, {});
    }
    const double level = w.history().level(7);
    // Fewer rows: the newest three stay, newest on top.
    EXPECT_TRUE(w.ensureRows(23));
    EXPECT_EQ(w.rows(), 3);
    EXPECT_EQ(w.row(w.ringRowForLine(0))[7], paletteIndexForOutput(6.0f));
    EXPECT_EQ(w.row(w.ringRowForLine(1))[7], paletteIndexForOutput(5.0f));
    EXPECT_EQ(w.row(w.ringRowForLine(2))[7], paletteIndexForOutput(4.0f));
    // More rows: the three are still there and the rest is black.
    EXPECT_TRUE(w.ensureRows(30));
    EXPECT_EQ(w.rows(), 10);
    EXPECT_EQ(w.row(w.ringRowForLine(0))[7], paletteIndexForOutput(6.0f));
    EXPECT_EQ(w.row(w.ringRowForLine(2))[7], paletteIndexForOutput(4.0f));
    EXPECT_EQ(w.row(w.ringRowForLine(3))[7], kPaletteBlack);
    EXPECT_EQ(w.row(w.ringRowForLine(9))[1023], kPaletteBlack);
    // A new row goes on top of them; the history is untouched by the resizes.
    EXPECT_DOUBLE_EQ(w.history().level(7), level);
    row.fill(7.0f);
    w.addSpectrumRow(row, {});
    EXPECT_EQ(w.row(w.ringRowForLine(0))[7], paletteIndexForOutput(7.0f));
    EXPECT_EQ(w.row(w.ringRowForLine(1))[7], paletteIndexForOutput(6.0f));
    // Too low for any row: nothing to draw, but the history still fills.
    EXPECT_TRUE(w.ensureRows(12));
    EXPECT_EQ(w.rows(), 0);
    w.addSpectrumRow(row, {});
    EXPECT_NE(w.history().level(7), level);
}

TEST(WaterfallModel, LastRowIsTheNewestAnalysedRow) {
    WaterfallModel w;
    w.ensureRows(40);
    SpectrumRow first{};
    first[100] = 3.0f;
    w.addSpectrumRow(first, {});
    EXPECT_EQ(w.lastRow()[100], 3.0f);
    SpectrumRow second{};
    second[400] = 2.5f;
    w.addSpectrumRow(second, {});
    EXPECT_EQ(w.lastRow()[400], 2.5f);
    EXPECT_EQ(w.lastRow()[100], 0.0f);
}

TEST(WaterfallModel, SeparatorRowLeavesTheHistoryAlone) {
    WaterfallModel w;
    w.ensureRows(30);
    WaterfallSettings s;
    SpectrumRow row;
    row.fill(1.0f);
    w.addSpectrumRow(row, s);
    const double before = w.history().level(40);
    const int writePosition = w.history().writePosition();

    w.requestSeparator();
    EXPECT_TRUE(w.separatorPending());
    SpectrumCollector collector;
    SpectrumAnalyser analyser;
    EXPECT_TRUE(w.takeNewRow(collector, analyser, SpectrumWindow::Hann, s));
    EXPECT_FALSE(w.separatorPending());
    EXPECT_EQ(w.history().level(40), before);
    EXPECT_EQ(w.history().writePosition(), writePosition);
    const uint8_t* r = w.row(w.ringRowForLine(0));
    EXPECT_EQ(r[0], kPaletteGreen);
    EXPECT_EQ(r[1], kPaletteBlack);
    EXPECT_EQ(r[2], kPaletteGreen);
    EXPECT_EQ(r[1023], kPaletteBlack);
    EXPECT_EQ(w.row(w.ringRowForLine(1))[2], 30);

    // Nothing collected and no separator: no row.
    EXPECT_FALSE(w.takeNewRow(collector, analyser, SpectrumWindow::Hann, s));
}

TEST(WaterfallModel, SeparatorIsNotLostWhenASpectrumRowComesFirst) {
    WaterfallModel w;
    w.ensureRows(30);
    SpectrumRow row;
    row.fill(1.0f);
    w.addSpectrumRow(row, {});
    const int writePosition = w.history().writePosition();
    w.requestSeparator();
    // The first row after the transmission arrives before any repaint drew the separator.
    row.fill(3.0f);
    w.addSpectrumRow(row, {});
    EXPECT_FALSE(w.separatorPending());
    EXPECT_EQ(w.row(w.ringRowForLine(0))[2], kPaletteGreen);
    EXPECT_EQ(w.row(w.ringRowForLine(0))[3], kPaletteBlack);
    EXPECT_EQ(w.row(w.ringRowForLine(1))[2], 30);
    // Exactly one separator: the next row is a spectrum row again.
    w.addSpectrumRow(row, {});
    EXPECT_EQ(w.row(w.ringRowForLine(0))[2], 130);
    EXPECT_EQ(w.row(w.ringRowForLine(1))[3], kPaletteBlack);
    EXPECT_EQ(w.history().writePosition(),
              (writePosition + kSpectrumBins) % (kHistoryRows * kSpectrumBins));
}

TEST(WaterfallModel, TakesTheCollectedBlockAndReleasesTheCollector) {
    WaterfallModel w;
    w.ensureRows(40);
    SpectrumCollector collector;
    SpectrumAnalyser analyser;
    std::vector<int16_t> tone(kSpectrumBlockSize);
    for (size_t n = 0; n < tone.size(); ++n)
        tone[n] =
            static_cast<int16_t>(std::lround(16000.0 * std::sin(6.283185307 * 186 * n / 2048.0)));
    ASSERT_TRUE(collector.collect(tone.data(), tone.size()));
    EXPECT_TRUE(w.takeNewRow(collector, analyser, SpectrumWindow::Hann, {}));
    EXPECT_FALSE(collector.blockReady());
    EXPECT_EQ(w.row(w.ringRowForLine(0))[186], 199);
    EXPECT_EQ(w.row(w.ringRowForLine(0))[600], 0);
    // Hann halves the peak: 20 log10(16000 x 512) - 20 x 2.2247066 - 90.
    EXPECT_NEAR(w.history().value(186), 3.77, 0.05);
}

TEST(PhaseScope, PointsFromPhaseAndLevel) {
    PhaseScope scope;
    EXPECT_EQ(scope.radius(), 20);
    scope.showPhase(3, 0, 800);  // phase 0: straight up
    EXPECT_EQ(scope.points()[0].x, 0);
    EXPECT_EQ(scope.points()[0].y, -20);
    scope.showPhase(0, static_cast<int32_t>(16384u << 16), 5000);  // quarter turn, clamped
    EXPECT_EQ(scope.points()[1].x, 19);
    EXPECT_EQ(scope.points()[1].y, 0);
    scope.showPhase(0, static_cast<int32_t>(32768u << 16), -40);  // level clamps to 0
    EXPECT_EQ(scope.points()[2].x, 0);
    EXPECT_EQ(scope.points()[2].y, 0);
    EXPECT_EQ(scope.nextSlot(), 3);
    for (int i = 0; i < 13; ++i) scope.showPhase(0, 0, 400);
    EXPECT_EQ(scope.nextSlot(), 0);
    EXPECT_EQ(scope.points()[15].y, -10);

    EXPECT_EQ(scope.layout(200, 60), 61);
    EXPECT_EQ(scope.radius(), 29);
    EXPECT_EQ(scope.layout(40, 60), 41);
}

TEST(PhaseScope, ColourRulePerMode) {
    // BPSK: on the vertical axis is good.
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Bpsk31, {5, 20}), kScopeGreen);    // 25 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Bpsk63, {16, 20}), kScopeGreen);   // 80 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Bpsk63, {17, 20}), kScopeYellow);  // 85 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Bpsk31, {43, 20}), kScopeRed);     // 215 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Bpsk31, {0, 0}), kScopeRed);       // y = 0
    // QPSK: any axis is good; the diagonal is bad.
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Qpsk31, {20, 3}), kScopeGreen);
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Qpsk31, {3, -20}), kScopeGreen);
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Qpsk31, {10, 20}), kScopeYellow);  // 50 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Qpsk31, {15, 20}), kScopeRed);     // 75 %
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Qpsk31, {0, 0}), kScopeGreen);
    // FSK and PACTOR: on the horizontal axis is good.
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Fsk31, {20, 5}), kScopeGreen);
    EXPECT_EQ(PhaseScope::lineColour(modem::Mode::Pactor, {0, 5}), kScopeRed);
}

TEST(BandPages, DefaultsSelectionAndListing) {
    BandPages pages;
    EXPECT_EQ(pages.currentIndex(), 4);
    EXPECT_EQ(BandPages::listedPages(0).size(), 11u);
    EXPECT_EQ(BandPages::listedPages(1), (std::vector<int>{1, 4, 6, 8}));
    EXPECT_EQ(BandPages::listedPages(2), (std::vector<int>{1, 4}));

    EXPECT_DOUBLE_EQ(pages.dialFrequencyKHz(kFreqModeAudio), 0.0);
    EXPECT_DOUBLE_EQ(pages.dialFrequencyKHz(kFreqModeUpperSideband), 14070.0);
    pages.page(2).spectrumOption = kFreqModeLowerSideband;
    EXPECT_EQ(pages.select(2), kFreqModeLowerSideband);
    EXPECT_DOUBLE_EQ(pages.dialFrequencyKHz(kFreqModeLowerSideband), 7070.0);
    EXPECT_EQ(pages.select(11), kFreqModeLowerSideband);
    EXPECT_EQ(pages.currentIndex(), 2);

    EXPECT_EQ(BandPages::formatFrequency(7070.0), "7070.000000");
    EXPECT_DOUBLE_EQ(BandPages::parseFrequency("3580.5"), 3580.5);
    EXPECT_DOUBLE_EQ(BandPages::parseFrequency("abc"), 0.0);
}

}  // namespace
}  // namespace tarnvel::display
