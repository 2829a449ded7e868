#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "SpectrumFill.h"
#include "display/BandDecoder.h"
#include "display/MultichannelDecoder.h"
#include "display/MultichannelLines.h"
#include "display/SpectrumHistory.h"
#include "modem/PskTestSignal.h"

namespace tarnvel::display {
namespace {

using modem::testing::characterErrorRate;
using modem::testing::makePskSignal;
using modem::testing::PskSignalOptions;
using modem::testing::varicodeBits;

constexpr modem::Mode kBpsk31 = modem::Mode::Bpsk31;
constexpr modem::Mode kBpsk63 = modem::Mode::Bpsk63;
constexpr modem::Mode kQpsk31 = modem::Mode::Qpsk31;

TEST(Multichannel, OpenRetunesWithin8HzAndTakesTheFirstFreeSlotBeyond) {
    MultichannelDecoder d;
    EXPECT_FALSE(d.inUse(0));
    EXPECT_NEAR(d.channel(25).frequency(), 3000.0, 0.1);
    EXPECT_EQ(d.openChannel(kBpsk31, 1000.0, 0), 0);
    EXPECT_EQ(d.openChannel(kBpsk31, 1007.0, 0), 0);  // 7 Hz away: the same signal
    EXPECT_DOUBLE_EQ(d.channel(0).frequency(), 1007.0);
    EXPECT_EQ(d.countInUse(), 1);
    EXPECT_EQ(d.openChannel(kBpsk31, 1015.0, 0), 1);  // 8 Hz away: a new one
    EXPECT_EQ(d.countInUse(), 2);
    EXPECT_EQ(d.openChannel(kBpsk63, 1600.0, 0), 2);
    EXPECT_DOUBLE_EQ(d.channel(2).baudRate(), 62.5);
    d.clearChannel(0);
    EXPECT_EQ(d.openChannel(kBpsk31, 2000.0, 0), 0);  // lowest free slot first
}

TEST(Multichannel, WithAll26InUseTheSearchOpensNothing) {
    SpectrumHistory h;
    testing::fillHistory(h, testing::signalAt(200.0, 3000.0));  // about 1077 Hz
    MultichannelDecoder d;
    for (int i = 0; i < kChannelSlots; ++i)
        ASSERT_TRUE(d.openChannel(kBpsk31, 3000.0 + 40.0 * i, 0));
    for (int row = 0; row < 4; ++row) EXPECT_FALSE(d.onSpectrumRow(h, 0));
    EXPECT_FALSE(d.openChannel(kBpsk31, 500.0, 0));
    EXPECT_EQ(d.countInUse(), kChannelSlots);
    d.clearChannel(7);
    const auto opened = d.onSpectrumRow(h, 0);
    ASSERT_EQ(opened, 7);
    EXPECT_NEAR(d.channel(7).frequency(), 200.0 * 11025.0 / 2048.0, 1.0);

    // Outside BPSK the search finds nothing and the channels get no audio.
    d.clearChannel(7);
    d.setMode(kQpsk31);
    EXPECT_FALSE(d.onSpectrumRow(h, 0));
    const std::vector<int16_t> tone(4096, 1000);
    d.processBlock(tone.data(), tone.size());
    EXPECT_EQ(d.channel(0).decoder().quality, 0);  // no symbol measured
}

// Runs both timers over [from, to) with the first channel's quality fixed; returns whether its
// displayed carrier stayed on all along.
bool runTimers(MultichannelDecoder& d, int quality, Milliseconds from, Milliseconds to) {
    bool alwaysShown = true;
    d.channel(0).decoder().quality = quality;  // what the squelch rule reads
    for (Milliseconds t = from; t < to; t += 50) {
        if (t % 250 == 0) d.onWindowTimer(t);
        if (t % 300 == 0) d.onStationTimer(t);
        alwaysShown = alwaysShown && d.channel(0).displayedCarrier();
    }
    return alwaysShown;
}

TEST(Multichannel, ACarrierDropShorterThanTwoSecondsKeepsTheLineColour) {
    MultichannelDecoder d;  // squelch on, threshold 20: carrier while quality >= 11
    ASSERT_EQ(d.openChannel(kBpsk31, 1000.0, 0), 0);
    const HighlightWords none;
    const LineColours colours{rgb(0, 0, 64), rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3)};
    EXPECT_TRUE(runTimers(d, 31, 0, 5000));
    EXPECT_TRUE(runTimers(d, 0, 5000, 6900));  // 1.9 s without carrier
    EXPECT_EQ(lineBackground(d.channel(0), "", colours, none), colours.carrier);
    EXPECT_TRUE(runTimers(d, 31, 6900, 12000));
    EXPECT_FALSE(runTimers(d, 0, 12000, 14500));  // 2.5 s: the colour changes
    EXPECT_EQ(lineBackground(d.channel(0), "", colours, none), colours.noCarrier);
    EXPECT_TRUE(d.inUse(0));
}

TEST(Multichannel, InactivityTimeoutAfterMoreThan15QuietSeconds) {
    MultichannelDecoder d;
    ASSERT_EQ(d.openChannel(kBpsk31, 1000.0, 0), 0);
    runTimers(d, 31, 0, 3000);
    runTimers(d, 0, 3000, 18950);  // quiet since the tick at 3000; last tick 15.9 s later
    EXPECT_TRUE(d.inUse(0));
    runTimers(d, 0, 18950, 19250);  // the tick at 16.2 s
    EXPECT_FALSE(d.inUse(0));
    EXPECT_EQ(d.countInUse(), 0);

    MultichannelSettings noSquelch;
    noSquelch.squelch = false;
    d.setSettings(noSquelch);
    ASSERT_EQ(d.openChannel(kBpsk31, 1000.0, 20000), 0);
    runTimers(d, 0, 20000, 100000);
    EXPECT_TRUE(d.inUse(0));
}

TEST(Multichannel, SeekBookmarkAndGoToChannel) {
    MultichannelDecoder d;
    for (double f : {900.0, 985.0, 1009.0, 1030.0, 1500.0}) d.openChannel(kBpsk31, f, 0);
    d.channel(1).text() = "CQ DE SP9ABC";
    EXPECT_EQ(d.seekLeft(1000.0), 1);   // 985: the nearest more than 10 Hz below
    EXPECT_EQ(d.seekLeft(995.0), 0);    // 985 is only 10 Hz below
    EXPECT_EQ(d.seekRight(1000.0), 3);  // 1009 is too close; 1030 next
    EXPECT_FALSE(d.seekLeft(899.0));
    const auto jump = d.goToChannel(*d.seekLeft(1000.0));
    ASSERT_TRUE(jump);
    EXPECT_DOUBLE_EQ(jump->frequency, 985.0);
    EXPECT_EQ(jump->text, "CQ DE SP9ABC");
    EXPECT_FALSE(d.goToChannel(26));

    EXPECT_EQ(d.toggleBookmark(1520.4, 0), BookmarkToggle::Cleared);  // 1500 is within 30 Hz
    EXPECT_FALSE(d.inUse(4));
    EXPECT_EQ(d.toggleBookmark(2200.6, 0), BookmarkToggle::Opened);
    EXPECT_DOUBLE_EQ(d.channel(4).frequency(), 2201.0);
}

// The tail that fits is the one found by adding a character at a time from the end, for texts
// of uneven letter widths and every width, found with a handful of measurements.
TEST(MultichannelLines, FittingTailMatchesOneAtATimeWithFewMeasurements) {
    const auto letterWidth = [](char c) { return c == ' ' ? 0 : (c == 'W' ? 11 : 3 + c % 5); };
    int measured = 0;
    const TextWidth uneven = [&](std::string_view s) {
        ++measured;
        int w = 0;
        for (const char c : s) w += letterWidth(c);
        return w;
    };
    for (const std::string text : {"", "W", "CQ CQ DE SP9ABC  PSE K", "WWW  iii WWW", "   "}) {
        for (int width = -1; width < 200; ++width) {
            size_t expected = 0, sum = 0;
            while (expected < text.size()) {
                sum += static_cast<size_t>(letterWidth(text[text.size() - expected - 1]));
                if (static_cast<int>(sum) > width) break;
                ++expected;
            }
            measured = 0;
            EXPECT_EQ(fittingTailLength(text, width, uneven), expected) << text << " " << width;
            EXPECT_LE(measured, 6) << text << " " << width;
        }
    }
}

TEST(MultichannelLines, FittingScrollsOrRestartsAndHighlightsPick) {
    MultichannelDecoder d;
    d.openChannel(kBpsk31, 1000.0, 0);
    MultichannelChannel& c = d.channel(0);
    const TextWidth sevenPixels = [](std::string_view s) { return static_cast<int>(s.size()) * 7; };
    c.text() = "ABCDEFGHIJ";
    EXPECT_EQ(fitChannelLine(c, 70, sevenPixels, false), "ABCDEFGHIJ");  // fits exactly
    EXPECT_EQ(fitChannelLine(c, 69, sevenPixels, true), "BCDEFGHIJ");
    EXPECT_EQ(c.text(), "ABCDEFGHIJ");  // scrolling keeps the text
    EXPECT_EQ(fitChannelLine(c, 69, sevenPixels, false), "BCDEFGHIJ");
    EXPECT_EQ(c.text(), "");  // the line restarts at the left
    EXPECT_EQ(lineLabel(2, "CQ", true), "C: CQ");

    HighlightWords words;
    words.assign(
        {HighlightWord{"CQ", rgb(255, 0, 0)}, HighlightWord{"SP9ABC", rgb(0, 255, 0)}, {}});
    const LineColours colours;
    EXPECT_EQ(lineBackground(c, "CQ DE SP9ABC", colours, words), rgb(0, 255, 0));
    EXPECT_EQ(lineBackground(c, "CQ CQ", colours, words), rgb(255, 0, 0));
}

struct BandSignal {
    double frequency;
    double amplitude;
    std::string text;
};

// The signals mixed over seeded white noise; every signal idles until the last one ends.
std::vector<int16_t> mixBand(const std::vector<BandSignal>& signals, double baud, double sigma) {
    size_t longest = 0;
    for (const BandSignal& s : signals) longest = std::max(longest, varicodeBits(s.text).size());
    std::vector<double> mix;
    for (const BandSignal& s : signals) {
        PskSignalOptions o;
        o.carrierHz = s.frequency;
        o.amplitude = s.amplitude;
        o.baud = baud;
        o.preambleSymbols = static_cast<int>(120 * baud / 31.25);  // time for the search
        o.postambleSymbols = static_cast<int>(longest - varicodeBits(s.text).size()) + 30;
        const std::vector<int16_t> one = makePskSignal(s.text, o);
        mix.resize(std::max(mix.size(), one.size()));
        for (size_t n = 0; n < one.size(); ++n) mix[n] += one[n];
    }
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, sigma);
    std::vector<int16_t> out(mix.size());
    for (size_t n = 0; n < mix.size(); ++n)
        out[n] =
            static_cast<int16_t>(std::lround(std::clamp(mix[n] + noise(rng), -32768.0, 32767.0)));
    return out;
}

// Every signal above the search level has exactly one channel, near its frequency, holding
// its text; signals below it get none, and nothing else is opened.
void expectBandDecoded(const std::vector<BandSignal>& signals, size_t aboveLevel,
                       const BandDecodeResult& r) {
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.channels.size(), aboveLevel);
    for (size_t i = 0; i < signals.size(); ++i) {
        const BandSignal& s = signals[i];
        std::vector<const BandChannel*> near;
        for (const BandChannel& c : r.channels)
            if (std::fabs(c.frequency - s.frequency) < 20.0) near.push_back(&c);
        if (i >= aboveLevel) {
            EXPECT_TRUE(near.empty()) << s.frequency << " Hz is below the search level";
            continue;
        }
        ASSERT_EQ(near.size(), 1u) << s.frequency << " Hz";
        EXPECT_NEAR(near[0]->frequency, s.frequency, 4.0);
        EXPECT_LE(characterErrorRate(s.text, near[0]->text), 0.1)
            << near[0]->letter << " at " << s.frequency << " Hz: \"" << near[0]->text << '"';
    }
}

TEST(BandDecoder, EverySignalAboveTheSearchLevelDecodesInItsOwnChannel) {
    // Strong to weak; the last one stands about 10 dB out of the spectrum, under the level.
    const std::vector<BandSignal> signals = {
        {520.0, 3000.0, "CQ CQ CQ DE SP9ABC SP9ABC PSE K"},
        {745.0, 2000.0, "QRZ? DE DL1XYZ UR RST 599 599"},
        {1010.0, 1400.0, "TNX FER QSO 73 ES GUD DX"},
        {1262.0, 1000.0, "NAME HERE IS OLA QTH KRAKOW"},
        {1530.0, 700.0, "RIG IS HOMEBREW ANT DIPOLE"},
        {1795.0, 500.0, "WX HERE SUNNY TEMP 21 C"},
        {2080.0, 350.0, "BTU DR OM HW CPY?"},
        {2340.0, 30.0, "THIS ONE IS TOO WEAK"},
    };
    const BandDecodeResult r = decodeBand(mixBand(signals, 31.25, 100.0), BandDecodeOptions{});
    expectBandDecoded(signals, 7, r);
}

TEST(BandDecoder, Bpsk63Band) {
    const std::vector<BandSignal> signals = {
        {700.0, 2000.0, "CQ CQ DE OK1AB OK1AB K"},
        {1150.0, 1000.0, "UR RST 579 NAME JAN"},
        {1700.0, 600.0, "73 ES GL SK"},
    };
    BandDecodeOptions options;
    options.mode = kBpsk63;
    const BandDecodeResult r = decodeBand(mixBand(signals, 62.5, 100.0), options);
    expectBandDecoded(signals, 3, r);
    options.mode = kQpsk31;
    EXPECT_FALSE(decodeBand({}, options).ok);
}

}  // namespace
}  // namespace tarnvel::display
