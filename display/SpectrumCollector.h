#pragma once
// Collects received samples into one 2048-sample block for the spectrum analyser.
//
// The collector and the waterfall hand the block over through a flag: once the block is full
// the collector ignores further samples until the view has drawn the row and cleared the flag.
// Consecutive spectra therefore come from separate stretches of audio with gaps between them,
// which keeps the display cost bounded no matter how fast blocks arrive.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvel::display {

inline constexpr int kSpectrumBlockSize = 2048;

class SpectrumCollector {
  public:
    // Stores samples until the block is full. Returns true when this call completed the block
    // (the caller then asks the waterfall to repaint); the rest of that call's samples, and
    // every sample offered while the block is ready, are dropped.
    bool collect(const int16_t* samples, size_t count);

    bool blockReady() const { return blockReady_; }
    // Called by the waterfall once the row is drawn: collection restarts with the next block.
    void clearBlockReady() { blockReady_ = false; }

    float* block() { return block_.data(); }
    const float* block() const { return block_.data(); }
    int writePosition() const { return writePosition_; }

  private:
    std::array<float, kSpectrumBlockSize> block_{};
    int writePosition_ = 0;
    bool blockReady_ = false;
};

}  // namespace tarnvel::display
