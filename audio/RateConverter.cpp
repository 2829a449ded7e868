#include "audio/RateConverter.h"

#include "audio/Resampler.h"

namespace tarnvel::audio {

namespace {

class ResamplingConverter final : public RateConverter {
  public:
    explicit ResamplingConverter(Resampler resampler) : resampler_(std::move(resampler)) {}

    bool convert(std::span<const int16_t> in, std::vector<int16_t>& out) override {
        resampler_.process(in, out);
        return resampler_.error().empty();
    }

    bool finish(std::vector<int16_t>& out) override {
        resampler_.finish(out);
        return resampler_.error().empty();
    }

  private:
    Resampler resampler_;
};

}  // namespace

std::unique_ptr<RateConverter> makeRateConverter(double inRate, double outRate) {
    Resampler resampler;
    if (!resampler.open(inRate, outRate)) return nullptr;
    return std::make_unique<ResamplingConverter>(std::move(resampler));
}

}  // namespace tarnvel::audio
