// Where a signal began, read from the spectrum rows, and a new channel's catch-up on the
// recent audio.

#include "display/ChannelCatchUp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "display/MultichannelChannel.h"
#include "display/MultichannelDecoder.h"

namespace tarnvel::display {
namespace {

constexpr double kRate = 11025.0;

// A row of noise (about 0 dB with a few dB of spread) with, when asked, a signal standing
// `db` above it at the frequency.
SpectrumRow row(std::mt19937& rng, double hz = 0.0, double db = 0.0) {
    std::normal_distribution<float> spread(0.0f, 0.15f);  // 3 dB in row units
    SpectrumRow r{};
    for (float& v : r) v = 1.0f + spread(rng);
    if (db > 0.0) {
        const int bin = static_cast<int>(std::lround(hz * 2048 / kRate));
        for (int j = -2; j <= 2; ++j) r[static_cast<size_t>(bin + j)] += static_cast<float>(db / 20.0);
    }
    return r;
}

TEST(SignalOnset, TheSignalBeganAfterTheNewestPairOfQuietRows) {
    std::mt19937 rng(7);
    SignalOnset onset;
    EXPECT_FALSE(onset.rowsSinceStart(1000.0, modem::Mode::Bpsk31, kRate));
    for (int i = 0; i < 10; ++i) onset.addRow(row(rng));
    for (int i = 0; i < 6; ++i) onset.addRow(row(rng, 1000.0, 25.0));
    onset.addRow(row(rng));  // a single fade inside the signal
    for (int i = 0; i < 5; ++i) onset.addRow(row(rng, 1000.0, 25.0));
    EXPECT_EQ(onset.rowsSinceStart(1000.0, modem::Mode::Bpsk31, kRate), 12);
    // Beside the signal, and where there is none, nothing began.
    EXPECT_FALSE(onset.rowsSinceStart(1100.0, modem::Mode::Bpsk31, kRate));

    // A signal older than every row kept: all of them.
    for (int i = 0; i < SignalOnset::kRows + 3; ++i) onset.addRow(row(rng, 1000.0, 25.0));
    EXPECT_EQ(onset.rowsSinceStart(1000.0, modem::Mode::Bpsk31, kRate), SignalOnset::kRows);
    // Gone now: no signal to catch up on.
    onset.addRow(row(rng));
    EXPECT_FALSE(onset.rowsSinceStart(1000.0, modem::Mode::Bpsk31, kRate));
    onset.clear();
    EXPECT_EQ(onset.rowsStored(), 0);
}

// Samples of a channel's history: a counter the test can read back from what was fed.
class CountingHistory final : public SoundHistorySource {
  public:
    explicit CountingHistory(size_t size) : samples_(size) {
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0.0, 300.0);
        for (int16_t& s : samples_) s = static_cast<int16_t>(std::lround(noise(rng)));
    }
    HistoryPieces newestSamples(size_t count) const override {
        ++calls;
        const size_t n = std::min(count, samples_.size());
        // Split in two as a wrapped ring would be.
        const std::span<const int16_t> all = std::span<const int16_t>(samples_).last(n);
        return {all.first(n / 3), all.subspan(n / 3)};
    }
    mutable int calls = 0;

  private:
    std::vector<int16_t> samples_;
};

TEST(ChannelCatchUp, ANewChannelDecodesFromJustBeforeItsSignalBoundedToTenSeconds) {
    std::mt19937 rng(3);
    CountingHistory history(static_cast<size_t>(30 * kRate));
    ChannelCatchUp catchUp;
    catchUp.setSource(&history);
    MultichannelDecoder decoder(kRate);
    decoder.setOpenListener(&catchUp);
    for (int i = 0; i < 20; ++i) catchUp.addRow(row(rng));
    for (int i = 0; i < 9; ++i) catchUp.addRow(row(rng, 1500.0, 30.0));

    // Nine rows of signal and one before them.
    ASSERT_TRUE(decoder.openChannel(modem::Mode::Bpsk31, 1500.0, 0));
    EXPECT_EQ(catchUp.lastCatchUpSamples(), 10u * 2048u);
    // A retune of the same channel catches nothing up.
    ASSERT_EQ(decoder.openChannel(modem::Mode::Bpsk31, 1503.0, 0), 0);
    EXPECT_EQ(history.calls, 1);
    // Opened where no signal stands: nothing.
    ASSERT_EQ(decoder.openChannel(modem::Mode::Bpsk31, 700.0, 0), 1);
    EXPECT_EQ(catchUp.lastCatchUpSamples(), 0u);

    // A signal older than every row: 10 s, not more.
    for (int i = 0; i < SignalOnset::kRows; ++i) catchUp.addRow(row(rng, 2000.0, 30.0));
    ASSERT_EQ(decoder.openChannel(modem::Mode::Bpsk31, 2000.0, 0), 2);
    EXPECT_EQ(catchUp.lastCatchUpSamples(), static_cast<size_t>(10 * kRate));

    // Switched off, or without a history, a channel starts with the live audio.
    decoder.clearChannel(2);
    catchUp.setEnabled(false);
    ASSERT_EQ(decoder.openChannel(modem::Mode::Bpsk31, 2000.0, 0), 2);
    EXPECT_EQ(catchUp.lastCatchUpSamples(), 0u);
    decoder.clearChannel(2);
    catchUp.setEnabled(true);
    catchUp.setSource(nullptr);
    ASSERT_EQ(decoder.openChannel(modem::Mode::Bpsk31, 2000.0, 0), 2);
    EXPECT_EQ(catchUp.lastCatchUpSamples(), 0u);
    EXPECT_EQ(history.calls, 2);
}

}  // namespace
}  // namespace tarnvel::display
