// The loopback card: transmitted audio comes back as input, exactly.

#include "audio/LoopbackSoundCard.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tarnvel::audio {
namespace {

std::vector<SoundEvent> drain(SoundCard& card) {
    std::vector<SoundEvent> out;
    while (auto e = card.events().next()) out.push_back(*e);
    return out;
}

// Four buffers of a counting pattern come back as eight exact input blocks (announced by one
// readiness event, however many blocks wait), each buffer is reported done by its own number,
// in the order played.
TEST(LoopbackSoundCard, PlayedBuffersComeBackExactlyAsInput) {
    LoopbackSoundCard card;
    ASSERT_TRUE(card.startInput().ok());
    ASSERT_TRUE(card.openOutput().ok());
    for (int b = 0; b < kOutputBuffersInFlight; ++b) {
        OutputBuffer buffer = card.outputBuffer(b);
        std::iota(buffer.begin(), buffer.end(),
                  static_cast<int16_t>(b * kOutputBufferSamples - 2048));
        ASSERT_TRUE(card.playBuffer(b).ok());
    }
    std::vector<int> done;
    int blocksSignalled = 0;
    for (const SoundEvent& e : drain(card)) {
        if (e.kind == SoundEventKind::OutputBufferDone) done.push_back(e.buffer);
        if (e.kind == SoundEventKind::InputBlockReady) ++blocksSignalled;
    }
    EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(blocksSignalled, 1);

    std::vector<int16_t> received;
    std::array<int16_t, kInputBlockSamples> block{};
    while (card.readInputBlock(block)) received.insert(received.end(), block.begin(), block.end());
    ASSERT_EQ(received.size(), 4u * kOutputBufferSamples);
    for (std::size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ(received[i], static_cast<int16_t>(static_cast<int>(i) - 2048)) << "sample " << i;
    }
}

// A stopped input hears nothing; a station that stops reading loses the newest audio beyond
// the 48-block backlog and is told how much; events of a closed output are not delivered.
TEST(LoopbackSoundCard, BacklogLimitAndClosedStreams) {
    LoopbackSoundCard card;
    ASSERT_TRUE(card.openOutput().ok());
    ASSERT_TRUE(card.playBuffer(0).ok());  // input not running
    std::array<int16_t, kInputBlockSamples> block{};
    EXPECT_FALSE(card.readInputBlock(block));

    ASSERT_TRUE(card.startInput().ok());
    const int played = kInputBacklogBlocks / 2 + 3;  // 1024-sample buffers: 54 blocks offered
    for (int i = 0; i < played; ++i) ASSERT_TRUE(card.playBuffer(i % kOutputBuffersInFlight).ok());
    EXPECT_EQ(card.inputOverruns(),
              static_cast<uint64_t>(played * kOutputBufferSamples -
                                    kInputBacklogBlocks * kInputBlockSamples));
    int blocks = 0;
    while (card.readInputBlock(block)) ++blocks;
    EXPECT_EQ(blocks, kInputBacklogBlocks);

    EXPECT_TRUE(card.closeOutput().ok());
    card.stopInput();
    EXPECT_TRUE(drain(card).empty());
    EXPECT_EQ(card.playBuffer(1).error, SoundError::NotOpen);
    EXPECT_EQ(card.playBuffer(kOutputBuffersInFlight).error, SoundError::BadBuffer);

    SoundCardConfig missing;
    missing.outputDeviceId = 1;
    card.setConfig(missing);
    EXPECT_EQ(card.openOutput().error, SoundError::NoDevice);
    EXPECT_EQ(card.outputDevices().size(), 1u);
}

}  // namespace
}  // namespace tarnvel::audio
