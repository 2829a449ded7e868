#include <gtest/gtest.h>

#include <functional>

#include "SpectrumFill.h"
#include "display/SpectrumHistory.h"
#include "modem/ImdMeter.h"
#include "modem/Mode.h"

namespace tarnvel::display {
namespace {

using modem::ImdMeter;

constexpr double kRate = 11025.0;
constexpr int kRx = 300;

using testing::fillHistory;

// An idling signal at the receive bin: two tones at +-toneBins and products at +-productBins
// over a floor of -80.
std::function<double(int)> idle(int toneBins, double tone, int productBins, double product) {
    return [=](int k) {
        const int d = k > kRx ? k - kRx : kRx - k;
        if (d == toneBins) return tone;
        if (d == productBins) return product;
        return -80.0;
    };
}

TEST(ImdMeter, EqualTonesAndProductsGiveHalfADecibel) {
    SpectrumHistory h;
    fillHistory(h, idle(2, -40.0, 9, -40.0));
    ImdMeter m;
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_FLOAT_EQ(m.imd(), 0.5f);
    EXPECT_FLOAT_EQ(m.signalLevel(), -40.0f);
    EXPECT_FLOAT_EQ(m.signalToNoise(), 40.0f);
    EXPECT_EQ(m.indicatorSignalToNoise(), 40);
    EXPECT_EQ(m.indicatorNoise(), -40);

    // BPSK63 looks twice as far out: the same picture at doubled distances.
    SpectrumHistory wide;
    fillHistory(wide, idle(5, -40.0, 18, -40.0));
    m.measure(wide, kRx, modem::Mode::Bpsk63, kRate);
    EXPECT_FLOAT_EQ(m.imd(), 0.5f);
    EXPECT_FLOAT_EQ(m.signalToNoise(), 40.0f);
    // ...while BPSK31 does not reach tones 5 bins out.
    m.measure(wide, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_FLOAT_EQ(m.signalToNoise(), 0.0f);
}

TEST(ImdMeter, OneSidedToneOrProductDoesNotCount) {
    SpectrumHistory h;
    fillHistory(h, [](int k) {
        if (k == kRx - 2 || k == kRx + 2) return -40.0;
        if (k == kRx + 9) return -45.0;  // product on one side only
        if (k == kRx - 10 || k == kRx + 10) return -70.0;
        return -80.0;
    });
    ImdMeter m;
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_FLOAT_EQ(m.imd(), -40.0f - -70.0f + 0.5f);
}

TEST(ImdMeter, NegativeValueIsStoredAsZero) {
    SpectrumHistory h;
    fillHistory(h, idle(2, -50.0, 9, -40.0));
    ImdMeter m;
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_EQ(m.imd(), 0.0f);
    m.timerTick(30);
    EXPECT_EQ(m.paneText(false), "IMD:    0 dB");
}

TEST(ImdMeter, OutsideTheMeasurableBinsEverythingReadsZero) {
    SpectrumHistory h;
    fillHistory(h, idle(2, -40.0, 9, -60.0));
    ImdMeter m;
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_GT(m.signalToNoise(), 0.0f);
    for (int bin : {49, 976}) {
        m.measure(h, bin, modem::Mode::Bpsk31, kRate);
        EXPECT_EQ(m.signalToNoise(), 0.0f);
        EXPECT_EQ(m.signalLevel(), 0.0f);
        EXPECT_EQ(m.imd(), 0.0f);
        EXPECT_EQ(m.paneText(false), "IMD:");
    }
    EXPECT_EQ(m.paneText(true), "IMD: <   0 dB");
}

TEST(ImdMeter, PaneTextFollowsTheIdleHold) {
    SpectrumHistory h;
    fillHistory(h, idle(2, -40.0, 9, -70.0));
    ImdMeter m;
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_FLOAT_EQ(m.imd(), 30.5f);
    EXPECT_EQ(m.paneText(false), "IMD:");

    m.timerTick(21);  // idle: held for this and the next tick
    EXPECT_EQ(m.imdHold(), 2);
    EXPECT_EQ(m.paneText(false), "IMD:  -30 dB");  // -30.5 rounds to even
    m.timerTick(3);
    EXPECT_EQ(m.imdHold(), 1);
    m.timerTick(0);
    EXPECT_EQ(m.imdHold(), 0);
    EXPECT_EQ(m.paneText(false), "IMD:");
    m.timerTick(20);  // 20 zeros is not yet idle
    EXPECT_EQ(m.imdHold(), 0);
    EXPECT_EQ(m.paneText(true), "IMD:  -30 dB");

    // Products within 3 dB of the noise: only a bound.
    SpectrumHistory noisy;
    fillHistory(noisy, idle(2, -40.0, 9, -78.0));
    m.measure(noisy, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_EQ(m.paneText(true), "IMD: < -38 dB");
}

TEST(ImdMeter, HeldFigureSurvivesSignalChangesAndFeedsTheMacro) {
    SpectrumHistory h;
    fillHistory(h, idle(2, -40.0, 9, -66.0));
    ImdMeter m;
    EXPECT_EQ(m.macroText(), "IMD was not measured");
    m.measure(h, kRx, modem::Mode::Bpsk31, kRate);
    m.toggleShown();
    EXPECT_TRUE(m.paneRaised());
    const std::string held = m.paneText(false);
    EXPECT_EQ(held, "IMD:  -26 dB");

    SpectrumHistory other;
    fillHistory(other, idle(2, -40.0, 9, -50.0));
    m.measure(other, kRx, modem::Mode::Bpsk31, kRate);
    m.measure(other, 20, modem::Mode::Bpsk31, kRate);
    EXPECT_EQ(m.paneText(false), held);
    EXPECT_EQ(m.macroText(), held);

    m.clearShown();
    EXPECT_FALSE(m.paneRaised());
    EXPECT_EQ(m.macroText(), "IMD was not measured");
    m.measure(other, kRx, modem::Mode::Bpsk31, kRate);
    EXPECT_FLOAT_EQ(m.imd(), 10.5f);
}

}  // namespace
}  // namespace tarnvel::display
