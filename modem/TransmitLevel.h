#pragma once
// The operator's transmit level: an attenuation in dB applied to every transmit sample, so the
// transmitter can be driven below its ALC instead of at the sound card's full scale. One
// integer multiply per sample and no allocation; at 0 dB the samples are not touched at all.

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tarnvel::modem {

class TransmitLevel {
  public:
    // Attenuations the level accepts: 0 dB (full scale) down to 60 dB below it.
    static constexpr double kMaxAttenuationDb = 60.0;

    // Clamps to 0..kMaxAttenuationDb; anything not finite counts as 0 dB.
    void setAttenuationDb(double db) {
        if (!std::isfinite(db) || db < 0.0) db = 0.0;
        if (db > kMaxAttenuationDb) db = kMaxAttenuationDb;
        attenuationDb_ = db;
        gainQ16_ = static_cast<int32_t>(std::lround(std::pow(10.0, -db / 20.0) * kUnity));
    }
    double attenuationDb() const { return attenuationDb_; }

    void apply(int16_t* samples, size_t count) const {
        if (gainQ16_ >= kUnity || samples == nullptr) return;
        for (size_t i = 0; i < count; ++i) {
            // Rounded to nearest (half away from zero keeps the gain symmetric around 0).
            const int32_t scaled = samples[i] * gainQ16_;
            samples[i] = static_cast<int16_t>(scaled >= 0 ? (scaled + kHalf) >> 16
                                                          : -((-scaled + kHalf) >> 16));
        }
    }

  private:
    static constexpr int32_t kUnity = 1 << 16;
    static constexpr int32_t kHalf = 1 << 15;

    double attenuationDb_ = 0.0;
    int32_t gainQ16_ = kUnity;
};

}  // namespace tarnvel::modem
