#pragma once
// The last few seconds of received audio, kept so that the receiver can decode a signal from
// its start after the operator has tuned to it (replay), and so that it can be saved as a
// WAV file.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarnvel::audio {

// Replay hands the history to the receiver in pieces this small so that the display keeps
// running between them.
inline constexpr int kReplayChunkSamples = 8192;
// Shown in the receive window where the replayed text begins.
inline constexpr const char* kReplayStartText = "\r\n...";
// Lengths of 301 s or more are refused ("Too big value").
inline constexpr int kMaxHistorySeconds = 300;

class HistoryRing {
  public:
    // A ring of capacity samples, all zero; a negative capacity makes an empty ring.
    explicit HistoryRing(int capacity);

    // trunc(seconds x rate): the capacity for a history length in seconds.
    static int capacityFor(int seconds, double rate);

    // Stores the samples in order, overwriting the oldest; nothing when the capacity is 0.
    void append(std::span<const int16_t> samples);

    int capacity() const { return static_cast<int>(samples_.size()); }
    // Where the next sample goes; also the oldest sample once the ring has filled.
    int writeIndex() const { return writeIndex_; }
    std::span<const int16_t> samples() const { return samples_; }
    // The whole ring, oldest sample first.
    std::vector<int16_t> oldestFirst() const;

    // Replay bookkeeping. startReplay makes the whole ring, oldest first, due for replay;
    // false (and nothing changes) when the capacity is 0.
    bool startReplay();
    bool replaying() const { return replayPosition_ >= 0; }
    // -1 when no replay is in progress, else the ring index of the next sample to replay.
    int replayPosition() const { return replayPosition_; }
    // Samples still to replay, including those appended since the replay began.
    int replayRemaining() const { return replayRemaining_; }
    // The next piece to give the receiver: at most 8192 samples, never past the newest sample
    // or the end of the ring. Empty when no replay is in progress.
    std::span<const int16_t> replayChunk() const;
    // Marks the piece returned by replayChunk as done; the replay ends when it has caught up
    // with the newest sample.
    void finishReplayChunk();
    void cancelReplay();

    // Catch-up on a signal that began a few seconds ago: the newest count samples (at most the
    // capacity), oldest first, in two pieces where the ring wraps; and a replay of just those.
    // Before the ring has filled, its older part is the silence it was created with.
    std::array<std::span<const int16_t>, 2> newest(int count) const;
    bool startReplayOfNewest(int count);

    // Writes the ring, oldest first, as a 16-bit mono WAV file at rate. An existing file is
    // replaced only by a complete one. Returns 0, or the errno of the failing file operation.
    int saveWav(const std::string& fileName, int rate) const;

  private:
    std::vector<int16_t> samples_;
    int writeIndex_ = 0;
    int replayPosition_ = -1;
    int replayRemaining_ = 0;
};

}  // namespace tarnvel::audio
