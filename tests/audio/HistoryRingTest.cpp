// The sound history: ring order, replay pieces and saving.

#include "audio/HistoryRing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "audio/WavFile.h"
#include "support/WavBytes.h"

namespace tarnvel::audio {
namespace {

std::vector<int16_t> counting(int from, int count) {
    std::vector<int16_t> v(static_cast<std::size_t>(count));
    std::iota(v.begin(), v.end(), static_cast<int16_t>(from));
    return v;
}

// Replays the whole due history, feeding `live` samples into the ring after each piece as the
// input handler would when it yields; returns the replayed samples and counts the pieces.
std::vector<int16_t> replayAll(HistoryRing& ring, int& pieces, int live = 0, int liveFrom = 0) {
    std::vector<int16_t> replayed;
    pieces = 0;
    while (ring.replaying()) {
        const auto chunk = ring.replayChunk();
        EXPECT_GT(chunk.size(), 0u);
        EXPECT_LE(chunk.size(), static_cast<std::size_t>(kReplayChunkSamples));
        replayed.insert(replayed.end(), chunk.begin(), chunk.end());
        ring.finishReplayChunk();
        if (++pieces > 1000) break;
        if (live > 0) {
            const auto block = counting(liveFrom, live);
            liveFrom += live;
            ring.append(block);
        }
    }
    return replayed;
}

TEST(HistoryRing, CapacityZeroKeepsNothingAndNeverReplays) {
    HistoryRing ring(0);
    const auto block = counting(1, 512);
    ring.append(block);
    EXPECT_EQ(ring.writeIndex(), 0);
    EXPECT_FALSE(ring.startReplay());
    EXPECT_FALSE(ring.replaying());
    EXPECT_TRUE(ring.replayChunk().empty());
    EXPECT_TRUE(ring.oldestFirst().empty());
    EXPECT_EQ(HistoryRing(-5).capacity(), 0);
    EXPECT_EQ(HistoryRing::capacityFor(0, 11025), 0);
    EXPECT_EQ(HistoryRing::capacityFor(20, 11025), 220500);
    EXPECT_EQ(HistoryRing::capacityFor(20, 11024.0), 220480);
}

// Whatever the write index, the ring reads back oldest first, and a fresh ring is silence.
TEST(HistoryRing, OldestFirstWhateverTheWriteIndex) {
    for (const int written : {0, 1, 999, 1000, 1001, 2500, 3999}) {
        HistoryRing ring(1000);
        for (int done = 0; done < written;) {
            const int n = std::min(333, written - done);
            ring.append(counting(done, n));
            done += n;
        }
        EXPECT_EQ(ring.writeIndex(), written % 1000);
        const auto ordered = ring.oldestFirst();
        ASSERT_EQ(ordered.size(), 1000u);
        // The unwritten part is silence, then the newest min(written, 1000) samples in order.
        const int kept = std::min(written, 1000);
        for (int i = 0; i < 1000 - kept; ++i) ASSERT_EQ(ordered[i], 0) << written;
        for (int i = 0; i < kept; ++i) {
            ASSERT_EQ(ordered[1000 - kept + i], static_cast<int16_t>(written - kept + i))
                << written;
        }
    }
}

// A full 20 s ring at 11025 replays in pieces of at most 8192: 27 at least, one more when
// the end of the ring splits a piece; every sample once, oldest first.
TEST(HistoryRing, FullTwentySecondRingReplaysInPieces) {
    const int capacity = HistoryRing::capacityFor(20, 11025);
    for (const int offset : {0, 100000}) {
        HistoryRing ring(capacity);
        for (int done = 0; done < capacity + offset; done += 512) ring.append(counting(done, 512));
        ASSERT_TRUE(ring.startReplay());
        EXPECT_EQ(ring.replayPosition(), ring.writeIndex());
        int pieces = 0;
        const auto replayed = replayAll(ring, pieces);
        EXPECT_EQ(replayed, ring.oldestFirst());
        EXPECT_EQ(pieces, ring.writeIndex() == 0 ? 27 : 28) << "write index " << ring.writeIndex();
        EXPECT_EQ(ring.replayPosition(), -1);
    }
}

// Live audio keeps arriving while the replay runs: the replay goes on until it has caught up
// with the newest sample, and nothing is replayed twice or skipped.
TEST(HistoryRing, ReplayCatchesUpWithLiveAudio) {
    HistoryRing ring(20000);
    ring.append(counting(0, 20000));
    ASSERT_TRUE(ring.startReplay());
    int pieces = 0;
    const auto replayed = replayAll(ring, pieces, 512, 20000);
    ASSERT_GT(replayed.size(), 20000u);
    for (std::size_t i = 0; i < replayed.size(); ++i) {
        ASSERT_EQ(replayed[i], static_cast<int16_t>(i)) << "sample " << i;
    }
    EXPECT_EQ(ring.replayPosition(), -1);

    // Live audio that overtakes the replay leaves it at the oldest surviving sample.
    ASSERT_TRUE(ring.startReplay());
    ring.finishReplayChunk();
    ring.append(counting(0, 25000));
    EXPECT_EQ(ring.replayRemaining(), 20000);
    EXPECT_EQ(ring.replayPosition(), ring.writeIndex());
}

// The catch-up reads the newest samples in order across the ring's end, and replays just
// those, then the live audio that follows.
TEST(HistoryRing, NewestSamplesAndTheirReplayWrapAroundTheRing) {
    HistoryRing ring(1000);
    ring.append(counting(0, 1700));  // the write index is at 700
    const auto pieces = ring.newest(900);
    std::vector<int16_t> got(pieces[0].begin(), pieces[0].end());
    got.insert(got.end(), pieces[1].begin(), pieces[1].end());
    EXPECT_EQ(got, counting(800, 900));
    EXPECT_EQ(ring.newest(5000)[0].size() + ring.newest(5000)[1].size(), 1000u);
    EXPECT_TRUE(ring.newest(0)[0].empty());

    ASSERT_TRUE(ring.startReplayOfNewest(900));
    int pieceCount = 0;
    const auto replayed = replayAll(ring, pieceCount, 100, 1700);
    ASSERT_GE(replayed.size(), 900u);
    for (std::size_t i = 0; i < replayed.size(); ++i)
        ASSERT_EQ(replayed[i], static_cast<int16_t>(800 + i)) << "sample " << i;
    EXPECT_FALSE(ring.startReplayOfNewest(0));
    const HistoryRing none(0);
    EXPECT_EQ(none.newest(10)[0].size() + none.newest(10)[1].size(), 0u);
}

// Saving writes exactly the capacity, oldest first, whatever the write index; a failed save
// says so and leaves an earlier file as it was.
TEST(HistoryRing, SavingWritesTheRingOldestFirst) {
    testing::ScratchFolder dir;
    for (const int written : {0, 700, 1000, 2345}) {
        HistoryRing ring(1000);
        if (written > 0) ring.append(counting(1, written));
        const std::string name = dir / ("h" + std::to_string(written) + ".wav");
        ASSERT_EQ(ring.saveWav(name, 11024), 0);
        const WavReadResult file = readWavFile(name);
        ASSERT_TRUE(file.ok) << file.error;
        EXPECT_EQ(file.sampleRate, 11024u);
        EXPECT_EQ(file.samples, ring.oldestFirst()) << written;
        EXPECT_EQ(file.samples.back(), written == 0 ? 0 : static_cast<int16_t>(written));
    }

    HistoryRing ring(10);
    ring.append(counting(5, 3));
    EXPECT_NE(ring.saveWav(dir / "no-folder" / "h.wav", 11025), 0);
    std::filesystem::create_directory(dir / "taken.wav");
    EXPECT_NE(ring.saveWav(dir / "taken.wav", 11025), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.wav"));
}

}  // namespace
}  // namespace tarnvel::audio
