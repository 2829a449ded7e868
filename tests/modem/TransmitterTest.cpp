#include <gtest/gtest.h>

#include <limits>
#include <typeinfo>
#include <vector>

#include "TransmitProbe.h"
#include "modem/Transmitter.h"

namespace tarnvel::modem {
namespace {

TEST(Transmitter, ModeTableSetsRateAndEncoder) {
    TextTransmitHost host;
    Transmitter tx(host);
    struct Row {
        Mode mode;
        uint32_t symbolStep;
        double toneShift;
        const std::type_info& encoder;
    };
    for (const Row& r : {Row{Mode::Bpsk31, 12173943u, 15.625, typeid(VaricodeEncoder)},
                         Row{Mode::Qpsk31, 12173943u, 15.625, typeid(QpskEncoder)},
                         Row{Mode::Fsk31, 12173943u, 15.625, typeid(VaricodeEncoder)},
                         Row{Mode::Fsk63, 24347887u, 31.25, typeid(Fsk63Encoder)},
                         Row{Mode::Bpsk63, 24347887u, 31.25, typeid(VaricodeEncoder)}}) {
        ASSERT_TRUE(tx.setMode(r.mode));
        EXPECT_EQ(tx.modulator().symbolStep(), r.symbolStep) << storedMode(r.mode);
        EXPECT_EQ(tx.modulator().toneShift(), r.toneShift) << storedMode(r.mode);
        EXPECT_TRUE(typeid(tx.currentEncoder()) == r.encoder) << storedMode(r.mode);
    }
    for (Mode bad : {Mode::Fsk31B, Mode::Fsk63B, Mode::Rtty, Mode::Mtty, modeFromStored(-1),
                     modeFromStored(12)})
        EXPECT_FALSE(tx.setMode(bad)) << storedMode(bad);
    EXPECT_EQ(tx.mode(), Mode::Bpsk63);

    // PACTOR is receive only: nothing is filled, queued or taken from the window.
    ASSERT_TRUE(tx.setMode(Mode::Pactor));
    host.type("hello\xae");
    std::vector<int16_t> b(Transmitter::kBufferSamples, 7);
    tx.startTransmission();
    EXPECT_FALSE(tx.fillOutputBuffer(0, b.data(), b.size()));
    EXPECT_EQ(tx.fillBlock(b.data(), b.size(), 1), 1);
    EXPECT_EQ(b[500], 7);
    EXPECT_TRUE(tx.renderTransmission(100000).samples.empty());
    EXPECT_EQ(host.pendingText(), "hello\xae");
}

TEST(Transmitter, FrequencyAndRateChangesAreChecked) {
    TextTransmitHost host;
    Transmitter tx(host);
    EXPECT_TRUE(tx.setTransmitFrequency(1500.0));
    EXPECT_EQ(tx.modulator().carrierStep(), 8916);
    EXPECT_FALSE(tx.setTransmitFrequency(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(tx.setTransmitFrequency(-3.0));
    EXPECT_EQ(tx.transmitFrequency(), 1500.0);

    std::vector<int16_t> b(500);
    tx.fillBlock(b.data(), b.size(), 1);
    EXPECT_NE(tx.modulator().symbolClock(), 0u);
    // A corrected rate restarts the clock and the carrier phase.
    EXPECT_TRUE(tx.setSampleRate(11025.0 * (1.0 + 120e-6)));
    EXPECT_EQ(tx.modulator().symbolClock(), 0u);
    EXPECT_EQ(tx.modulator().carrierPhase(), 0);
    EXPECT_EQ(tx.modulator().symbolStep(), 12172482u);
    EXPECT_FALSE(tx.setSampleRate(0.0));
    EXPECT_FALSE(tx.setSampleRate(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(tx.modulator().symbolStep(), 12172482u);
}

TEST(Transmitter, RendersOneWholeTransmission) {
    TextTransmitHost host;
    Transmitter tx(host);
    tx.setTransmitFrequency(1200.0);
    host.type("CQ CQ de SP9XYZ pse k\r\n\xae");
    const auto out = tx.renderTransmission(10'000'000);
    ASSERT_TRUE(out.complete);
    EXPECT_EQ(out.samples.size() % Transmitter::kBufferSamples, 0u);
    const auto sym =
        probe::symbols(out.samples, tx.modulator().symbolStep(), tx.modulator().carrierStep());
    EXPECT_EQ(probe::decodeVaricode(probe::bpskBits(sym, 40, sym.size())),
              "CQ CQ de SP9XYZ pse k\r\n");
    // It stops in the block where the silence after the postamble began.
    const auto runs = probe::keyingRuns(sym);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_LE(runs[1], 1 + 3);

    // Text that never ends stops at the limit, reported as cut off.
    host.type("endless");
    const auto cut = tx.renderTransmission(50'000);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.samples.size(), 50'000u);
}

}  // namespace
}  // namespace tarnvel::modem
