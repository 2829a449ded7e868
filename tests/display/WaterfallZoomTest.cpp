// The waterfall's horizontal zoom: the frequency scale at other scales than one pixel per bin,
// the pixel columns drawn from the bin rows, and the signal search kept inside the view.

#include <gtest/gtest.h>

#include <vector>

#include "SpectrumFill.h"
#include "display/FrequencyScale.h"
#include "display/MultichannelDecoder.h"
#include "display/WaterfallColumns.h"
#include "display/WaterfallModel.h"
#include "display/WaterfallZoom.h"

namespace tarnvel::display {
namespace {

constexpr double kRate = 11025.0;

TEST(WaterfallZoom, SettingValuesAndScales) {
    EXPECT_EQ(waterfallZoomFromSetting(0), WaterfallZoom::OnePixelPerBin);
    EXPECT_EQ(waterfallZoomFromSetting(1), WaterfallZoom::FitToWidth);
    EXPECT_EQ(waterfallZoomFromSetting(7), WaterfallZoom::FitToWidth);  // unknown: the default
    EXPECT_EQ(waterfallZoomFromSetting(-1), kDefaultWaterfallZoom);
    EXPECT_EQ(waterfallZoomSetting(WaterfallZoom::OnePixelPerBin), 0);
    EXPECT_EQ(waterfallZoomSetting(WaterfallZoom::FitToWidth), 1);

    EXPECT_DOUBLE_EQ(pixelsPerBin(WaterfallZoom::OnePixelPerBin, false, 600), 1.0);
    EXPECT_DOUBLE_EQ(pixelsPerBin(WaterfallZoom::OnePixelPerBin, true, 600), 2.0);
    EXPECT_DOUBLE_EQ(pixelsPerBin(WaterfallZoom::FitToWidth, false, 1536), 1.5);
    EXPECT_DOUBLE_EQ(pixelsPerBin(WaterfallZoom::FitToWidth, true, 1536), 3.0);
    EXPECT_DOUBLE_EQ(pixelsPerBin(WaterfallZoom::FitToWidth, false, 0), 1.0);

    EXPECT_EQ(visibleBins(1.0, 600), 600);
    EXPECT_EQ(visibleBins(1.0, 1500), 1024);
    EXPECT_EQ(visibleBins(2.0, 600), 300);
    EXPECT_EQ(visibleBins(600.0 / 1024, 600), 1024);
    EXPECT_EQ(visibleBins(1536.0 / 512, 1536), 512);
    EXPECT_EQ(visibleBins(1.0, 0), 0);
}

TEST(WaterfallZoom, ScaledFrequencyScaleRoundTrips) {
    // Fitted to 1536 pixels: 1.5 pixels per bin.
    const FrequencyScale fit(kFreqModeAudio, 1536, kRate, 1.5);
    EXPECT_EQ(fit.binToX(186), 279);
    EXPECT_EQ(fit.frequencyToX(1000.0), 279);  // bin 185.8 x 1.5 = 278.6
    EXPECT_EQ(fit.xToBin(279), 186);
    EXPECT_NEAR(fit.xToFrequency(279), 186 * kRate / 2048, 1e-9);
    for (int bin = 0; bin < kSpectrumBins; ++bin) ASSERT_EQ(fit.xToBin(fit.binToX(bin)), bin);
    // The scale's ticks follow: the 1000 Hz label sits over its column.
    EXPECT_EQ(fit.ticks(0.0)[9].x, 279);

    // Mirrored and fitted to 512 pixels: bin 0 at the right edge, bin 1024 at the left.
    const FrequencyScale lsb(kFreqModeLowerSideband, 512, kRate, 0.5);
    EXPECT_EQ(lsb.binToX(0), 512);
    EXPECT_EQ(lsb.binToX(186), 512 - 93);
    EXPECT_EQ(lsb.frequencyToX(1000.0), 512 - 93);
    EXPECT_EQ(lsb.xToBin(512 - 93), 186);
    EXPECT_EQ(lsb.xToBin(0), 1024);

    // One pixel per bin is the unscaled mapping.
    const FrequencyScale plain(kFreqModeLowerSideband, 800, kRate, 1.0);
    EXPECT_EQ(plain.binToX(186), 614);
    EXPECT_EQ(plain.xToBin(614), 186);
}

std::vector<uint8_t> binRow(uint8_t fill) {
    return std::vector<uint8_t>(kSpectrumBins, fill);
}

TEST(WaterfallColumns, OnePixelPerBinCopiesAndLeavesWideViewsBlack) {
    WaterfallColumns c;
    c.build(FrequencyScale(kFreqModeAudio, 1100, kRate));
    std::vector<uint8_t> bins = binRow(40);
    bins[7] = 120;
    std::vector<uint8_t> pixels(1100, 0);
    c.render(bins.data(), pixels.data());
    EXPECT_EQ(pixels[7], 120);
    EXPECT_EQ(pixels[6], 40);
    EXPECT_EQ(pixels[1023], 40);
    EXPECT_EQ(pixels[1024], kPaletteBlack);  // beyond the last bin
    EXPECT_EQ(pixels[1099], kPaletteBlack);

    // Mirrored: bin k at x = width - k; bin 0 falls outside, x = 0 shows bin 800.
    c.build(FrequencyScale(kFreqModeLowerSideband, 800, kRate));
    bins[800] = 150;
    c.render(bins.data(), pixels.data());
    EXPECT_EQ(pixels[800 - 7], 120);
    EXPECT_EQ(pixels[0], 150);
    EXPECT_EQ(c.firstBin(799), 1);
}

TEST(WaterfallColumns, NarrowViewsKeepTheBrightestBinAndEveryMark) {
    // 1024 bins on 256 pixels: four bins a pixel.
    WaterfallColumns c;
    c.build(FrequencyScale(kFreqModeAudio, 256, kRate, 0.25));
    ASSERT_EQ(c.width(), 256);
    std::vector<uint8_t> bins = binRow(10);
    bins[401] = 190;          // a one-bin signal
    bins[602] = kPaletteRed;  // a marker dot next to a brighter bin (both on x = 151)
    bins[603] = 199;
    bins[800] = kPaletteBlack;  // an unwritten bin never hides a written one
    std::vector<uint8_t> pixels(256, 0);
    c.render(bins.data(), pixels.data());
    EXPECT_EQ(pixels[100], 190);
    EXPECT_EQ(pixels[99], 10);
    EXPECT_EQ(pixels[151], kPaletteRed);
    EXPECT_EQ(pixels[150], 10);
    EXPECT_EQ(pixels[200], 10);
    // Every bin is shown by exactly one pixel, the spans in order.
    int covered = 0;
    for (int x = 0; x < c.width(); ++x) {
        covered += c.lastBin(x) - c.firstBin(x) + 1;
        if (x > 0) {
            EXPECT_EQ(c.firstBin(x), c.lastBin(x - 1) + 1);
        }
    }
    EXPECT_EQ(covered, kSpectrumBins - 2);  // bins 1022 and 1023 round onto x = 256, the edge
}

TEST(WaterfallColumns, WideZoomSpreadsEachBinOverItsPixels) {
    // Half the spectrum on 1536 pixels: three pixels a bin.
    WaterfallColumns c;
    c.build(FrequencyScale(kFreqModeAudio, 1536, kRate, 3.0));
    std::vector<uint8_t> bins = binRow(10);
    bins[100] = 150;
    std::vector<uint8_t> pixels(1536, 0);
    c.render(bins.data(), pixels.data());
    EXPECT_EQ(pixels[299], 150);
    EXPECT_EQ(pixels[300], 150);
    EXPECT_EQ(pixels[301], 150);
    EXPECT_EQ(pixels[298], 10);
    EXPECT_EQ(pixels[302], 10);
    EXPECT_EQ(c.lastBin(1535), 512);  // past the narrow span the next bins follow
}

TEST(Multichannel, SearchStaysInsideTheBinsTheViewShows) {
    SpectrumHistory h;
    testing::fillHistory(h, testing::signalAt(800.0, 3000.0));  // about 4.3 kHz
    MultichannelDecoder d;
    d.setViewWidth(600);  // one pixel per bin in a 600-pixel view: bins up to 590
    for (int row = 0; row < 6; ++row) EXPECT_FALSE(d.onSpectrumRow(h, 0));
    EXPECT_EQ(d.countInUse(), 0);
    d.setViewWidth(1024);  // the whole span fitted to the width
    bool opened = false;
    for (int row = 0; row < 6 && !opened; ++row) opened = d.onSpectrumRow(h, 0).has_value();
    EXPECT_TRUE(opened);
    EXPECT_NEAR(d.channel(0).frequency(), 800.0 * kRate / 2048, 2.0);
}

}  // namespace
}  // namespace tarnvel::display
