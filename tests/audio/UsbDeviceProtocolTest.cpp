// The USB sound device's byte stream: records parsed across reads, the set-up, level and
// shutdown writes, and transmit blocks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/UsbDeviceProtocol.h"

namespace tarnvel::audio::usb {
namespace {

std::vector<int16_t> parseAll(RecordParser& parser, const std::vector<uint8_t>& bytes,
                              std::string& characters) {
    std::vector<int16_t> samples(bytes.size() / 3 + 1);
    samples.resize(parser.parse(bytes, samples.data(), characters));
    return samples;
}

TEST(UsbDeviceProtocol, RecordsAreParsedWhateverTheReadBoundaries) {
    // A sample, an extended sample with three bytes of its own, a character, noise between
    // records, and a negative sample.
    const std::vector<uint8_t> stream{'p', 0x12, 0x34, 0x10, 0xff, 0xfe, 'p',  '0',
                                      'G', 0x55, '0',  'A',  0x99, 'p',  0x80, 0x00};
    const std::vector<int16_t> expected{0x1234, -2, -32768};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        for (std::size_t cut2 = cut; cut2 <= stream.size(); ++cut2) {
            RecordParser parser;
            std::string characters;
            std::vector<int16_t> got;
            for (auto [from, to] : {std::pair{std::size_t{0}, cut}, std::pair{cut, cut2},
                                    std::pair{cut2, stream.size()}}) {
                const std::vector<uint8_t> piece(stream.begin() + static_cast<long>(from),
                                                 stream.begin() + static_cast<long>(to));
                const auto s = parseAll(parser, piece, characters);
                got.insert(got.end(), s.begin(), s.end());
            }
            ASSERT_EQ(got, expected) << "cut at " << cut << " and " << cut2;
            ASSERT_EQ(characters, "A") << "cut at " << cut << " and " << cut2;
        }
    }
}

TEST(UsbDeviceProtocol, LevelsFollowTheVolumesAndStayInTheCodecsRange) {
    EXPECT_EQ(levelsFor(128, 128), (Levels{15, 7}));
    EXPECT_EQ(levelsFor(255, 255), (Levels{0, 15}));
    EXPECT_EQ(levelsFor(0, 0), (Levels{31, 0}));
    // A damaged setting is taken as the nearest end, never a byte beyond the codec's range.
    EXPECT_EQ(levelsFor(-40, 9999), (Levels{0, 0}));
    EXPECT_EQ(levelsFor(1000, -5), (Levels{31, 15}));
}

TEST(UsbDeviceProtocol, SetUpLevelAndShutdownWritesHaveTheirLayout) {
    const auto config = configurationBlock({15, 7});
    ASSERT_EQ(config.size(), 106u);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(config[i], 0) << i;
    const std::vector<std::vector<uint8_t>> registers{
        {' ', 0, 0, 0, 'p'},     {' ', 2, 15, 15, 'p'},  {' ', 24, 8, 8, 'p'},
        {' ', 14, 128, 64, 'p'}, {' ', 16, 136, 8, 'p'}, {' ', 26, 4, 4, 'p'},
        {' ', 28, 7, 7, 'p'}};
    for (std::size_t r = 0; r < registers.size(); ++r) {
        const std::size_t at = 10 + 11 * r;
        EXPECT_EQ(std::vector<uint8_t>(config.begin() + static_cast<long>(at),
                                       config.begin() + static_cast<long>(at + 5)),
                  registers[r]);
        for (std::size_t i = at + 5; i < at + 11; ++i) EXPECT_EQ(config[i], 0) << i;
    }
    EXPECT_EQ(config[87], 'B');
    EXPECT_EQ(config[92], 0x40);
    EXPECT_EQ(config[97], 'G');
    for (std::size_t i : {88u, 91u, 93u, 96u, 98u, 105u}) EXPECT_EQ(config[i], 0) << i;

    const auto update = levelUpdate({3, 9});
    const std::vector<uint8_t> expected{'p', 0, 0, 0,   0,  0, 0, ' ', 2, 3, 3, 'p', 0, 0, 0,
                                        0,   0, 0, ' ', 28, 9, 9, 'p', 0, 0, 0, 0,   0, 0};
    EXPECT_EQ(std::vector<uint8_t>(update.begin(), update.end()), expected);
    const auto shutdown = shutdownSequence();
    EXPECT_EQ(std::vector<uint8_t>(shutdown.begin(), shutdown.end()),
              (std::vector<uint8_t>{0, 0, 0, 'F', 'B', 0x40, 0, 0}));
}

TEST(UsbDeviceProtocol, TransmitBlocksCarryTheirSamplesAndMarks) {
    std::array<int16_t, kBlockSamples> samples{};
    for (int i = 0; i < kBlockSamples; ++i)
        samples[static_cast<std::size_t>(i)] = static_cast<int16_t>(i * 61 - 30000);
    std::array<uint8_t, kBlockBytes> block{};
    encodeBlock(samples, true, block);
    EXPECT_EQ(block[0], 'C');
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 0);
    // Read back by the device's rule: 'p' high low.
    for (std::size_t i = 1; i < samples.size(); ++i) {
        ASSERT_EQ(block[3 * i], 'p');
        ASSERT_EQ(static_cast<int16_t>(block[3 * i + 1] << 8 | block[3 * i + 2]), samples[i]);
    }
    encodeBlock(samples, false, block);
    EXPECT_EQ(block[0], 'p');
    markTransmissionEnd(block);
    EXPECT_EQ(block[kBlockBytes - 3], 'B');
    EXPECT_EQ(block[kBlockBytes - 2], 'G');
    EXPECT_EQ(block[kBlockBytes - 1], 0);
}

}  // namespace
}  // namespace tarnvel::audio::usb
