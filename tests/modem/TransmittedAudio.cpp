#include "TransmittedAudio.h"

#include <cmath>
#include <string>

#include "FskSignal.h"
#include "modem/Transmitter.h"

namespace tarnvel::modem::testing {

std::vector<int16_t> transmittedAudio(Mode mode, std::string_view text, double hz) {
    TextTransmitHost host;
    host.type(text);
    host.type(std::string(1, static_cast<char>(kCharRx)));
    Transmitter tx(host);
    tx.setMode(mode);
    tx.setTransmitFrequency(hz);
    auto rendered = tx.renderTransmission(11025 * 120);
    for (auto& s : rendered.samples) s = static_cast<int16_t>(s / 4);
    return rendered.samples;
}

void addNoiseForSnr(std::vector<int16_t>& audio, double snrDb, unsigned seed) {
    double power = 0.0;
    size_t active = 0;
    for (int16_t s : audio) {
        if (s == 0) continue;
        power += static_cast<double>(s) * s;
        ++active;
    }
    if (active == 0) return;
    power /= static_cast<double>(active);
    // Noise power in 2500 Hz is the signal power less the SNR; white noise spreads over the
    // whole band up to half the sample rate.
    const double noiseVariance = power / std::pow(10.0, snrDb / 10.0) * (11025.0 / 2) / 2500.0;
    addNoise(audio, std::sqrt(noiseVariance), seed);
}

}  // namespace tarnvel::modem::testing
