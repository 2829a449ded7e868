#pragma once
// Writes a band mix (tests/support/BandRecording.h) as a WAV file for the CLI to read.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/WavFile.h"
#include "tests/support/BandRecording.h"
#include "tests/support/WavBytes.h"

namespace tarnvel::testing {

inline std::string writeRecording(const ScratchFolder& dir, const std::string& name,
                                  const std::vector<int16_t>& samples) {
    const std::string file = (dir / name).string();
    EXPECT_EQ(audio::writeWavFileSafely(samples.data(), static_cast<int>(kBandRate),
                                        static_cast<int>(samples.size()), file, 0),
              0);
    return file;
}

}  // namespace tarnvel::testing
