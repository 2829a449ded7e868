#include "audio/HistoryRing.h"

#include <algorithm>
#include <cerrno>

#include "audio/WavFile.h"

namespace tarnvel::audio {

HistoryRing::HistoryRing(int capacity)
    : samples_(static_cast<std::size_t>(std::max(0, capacity))) {}

int HistoryRing::capacityFor(int seconds, double rate) {
    if (seconds <= 0 || rate <= 0) return 0;
    return static_cast<int>(seconds * rate);
}

void HistoryRing::append(std::span<const int16_t> in) {
    const int size = capacity();
    if (size == 0) return;
    for (const int16_t sample : in) {
        samples_[static_cast<std::size_t>(writeIndex_)] = sample;
        writeIndex_ = writeIndex_ + 1 == size ? 0 : writeIndex_ + 1;
    }
    if (!replaying()) return;
    // The replay counts what is still due instead of comparing positions: equal positions
    // would otherwise mean both "all of the ring" and "nothing". When live audio overtakes
    // the replay, the overwritten samples are gone and the replay goes on from the oldest.
    const long long due =
        static_cast<long long>(replayRemaining_) + static_cast<long long>(in.size());
    if (due >= size) {
        replayRemaining_ = size;
        replayPosition_ = writeIndex_;
    } else {
        replayRemaining_ = static_cast<int>(due);
    }
}

std::vector<int16_t> HistoryRing::oldestFirst() const {
    std::vector<int16_t> ordered;
    ordered.reserve(samples_.size());
    ordered.insert(ordered.end(), samples_.begin() + writeIndex_, samples_.end());
    ordered.insert(ordered.end(), samples_.begin(), samples_.begin() + writeIndex_);
    return ordered;
}

bool HistoryRing::startReplay() {
    if (capacity() == 0) return false;
    replayPosition_ = writeIndex_;
    replayRemaining_ = capacity();
    return true;
}

std::span<const int16_t> HistoryRing::replayChunk() const {
    if (!replaying()) return {};
    const int length =
        std::min({kReplayChunkSamples, replayRemaining_, capacity() - replayPosition_});
    return std::span<const int16_t>(samples_).subspan(static_cast<std::size_t>(replayPosition_),
                                                      static_cast<std::size_t>(length));
}

void HistoryRing::finishReplayChunk() {
    if (!replaying()) return;
    const int length = static_cast<int>(replayChunk().size());
    replayRemaining_ -= length;
    replayPosition_ = (replayPosition_ + length) % capacity();
    if (replayRemaining_ <= 0) cancelReplay();
}

void HistoryRing::cancelReplay() {
    replayPosition_ = -1;
    replayRemaining_ = 0;
}

std::array<std::span<const int16_t>, 2> HistoryRing::newest(int count) const {
    const int n = std::clamp(count, 0, capacity());
    const std::span<const int16_t> all(samples_);
    const int start = writeIndex_ - n;
    if (start >= 0)
        return {all.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(n)), {}};
    // The older piece runs to the end of the ring, the newer one from its beginning.
    const auto older = static_cast<std::size_t>(capacity() + start);
    return {all.subspan(older), all.first(static_cast<std::size_t>(writeIndex_))};
}

bool HistoryRing::startReplayOfNewest(int count) {
    if (capacity() == 0 || count <= 0) return false;
    const int n = std::min(count, capacity());
    replayPosition_ = (writeIndex_ - n + capacity()) % capacity();
    replayRemaining_ = n;
    return true;
}

// Written straight from the ring, oldest first, through a temporary file: a failed write
// leaves no half-written file behind and an earlier file of the same name untouched.
int HistoryRing::saveWav(const std::string& fileName, int rate) const {
    return writeWavFileSafely(samples_.data(), rate, capacity(), fileName, writeIndex_);
}

}  // namespace tarnvel::audio
