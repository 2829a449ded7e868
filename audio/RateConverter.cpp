#include "audio/RateConverter.h"

#include <soxr.h>

namespace tarnvel::audio {

namespace {

class SoxrRateConverter final : public RateConverter {
  public:
    explicit SoxrRateConverter(soxr_t soxr, double ratio) : soxr_(soxr), ratio_(ratio) {}
    ~SoxrRateConverter() override { soxr_delete(soxr_); }

    bool convert(std::span<const int16_t> in, std::vector<int16_t>& out) override {
        const std::size_t start = out.size();
        // Room for every output sample the input can give, plus what the filter held back.
        const std::size_t room = static_cast<std::size_t>(in.size() * ratio_) + 64;
        out.resize(start + room);
        std::size_t used = 0;
        std::size_t made = 0;
        const soxr_error_t error =
            soxr_process(soxr_, in.data(), in.size(), &used, out.data() + start, room, &made);
        out.resize(start + made);
        return error == nullptr;
    }

    bool finish(std::vector<int16_t>& out) override {
        // A null input tells the library the stream has ended; drain until it gives no more.
        for (;;) {
            const std::size_t start = out.size();
            constexpr std::size_t kRoom = 4096;
            out.resize(start + kRoom);
            std::size_t made = 0;
            const soxr_error_t error =
                soxr_process(soxr_, nullptr, 0, nullptr, out.data() + start, kRoom, &made);
            out.resize(start + made);
            if (error != nullptr) return false;
            if (made == 0) return true;
        }
    }

  private:
    soxr_t soxr_;
    double ratio_;
};

}  // namespace

std::unique_ptr<RateConverter> makeRateConverter(double inRate, double outRate) {
    if (inRate <= 0 || outRate <= 0) return nullptr;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_t soxr = soxr_create(inRate, outRate, 1, &error, &io, &quality, nullptr);
    if (error != nullptr || soxr == nullptr) return nullptr;
    return std::make_unique<SoxrRateConverter>(soxr, outRate / inRate);
}

}  // namespace tarnvel::audio
