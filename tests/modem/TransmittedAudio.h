#pragma once
// Audio from the station's own transmitter, and channel impairments for round trips.

#include <cstdint>
#include <string_view>
#include <vector>

#include "modem/Mode.h"

namespace tarnvel::modem::testing {

// One whole transmission of text in the given mode on hz, at 11025
// samples per second, scaled down by 4 so that added noise does not clip.
std::vector<int16_t> transmittedAudio(Mode mode, std::string_view text, double hz);

// Adds white Gaussian noise for the given SNR in a 2500 Hz bandwidth, reproducibly.
void addNoiseForSnr(std::vector<int16_t>& audio, double snrDb, unsigned seed);

}  // namespace tarnvel::modem::testing
