#include "display/SpectrumAnalyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarnvel::display {

namespace {

// Added to the squared magnitude so that silence gives log10(floor) - kLogFloor, about 0.
constexpr float kPowerFloor = 28145.8f;
constexpr double kLogFloor = 4.4494132;

}  // namespace

struct SpectrumAnalyser::Plan {
    float* input = nullptr;
    fftwf_complex* spectrum = nullptr;
    fftwf_plan forward = nullptr;
};

SpectrumAnalyser::SpectrumAnalyser() : plan_(new Plan) {
    // The transform library's allocator aborts rather than return null.
    plan_->input = fftwf_alloc_real(kSpectrumBlockSize);
    plan_->spectrum = fftwf_alloc_complex(kSpectrumBins + 1);
    // An estimated plan is deterministic: the same block always gives the same row.
    plan_->forward =
        fftwf_plan_dft_r2c_1d(kSpectrumBlockSize, plan_->input, plan_->spectrum, FFTW_ESTIMATE);
    std::fill_n(plan_->input, kSpectrumBlockSize, 0.0f);
}

SpectrumAnalyser::~SpectrumAnalyser() {
    fftwf_destroy_plan(plan_->forward);
    fftwf_free(plan_->spectrum);
    fftwf_free(plan_->input);
    delete plan_;
}

void SpectrumAnalyser::compute(const float* input, int firstBin, int lastBin, float scale,
                               int averagingCount, float* output) {
    averaging_ = averagingCount >= 2;
    averagingCount_ = averagingCount;

    std::memcpy(plan_->input, input, sizeof(float) * kSpectrumBlockSize);
    fftwf_execute(plan_->forward);

    // Single-precision power, double-precision logarithm; bin 0 is left at 0.
    const float count = static_cast<float>(averagingCount);
    const float oldShare = averaging_ ? 1.0f - 1.0f / count : 0.0f;
    for (int k = 1; k < kSpectrumBins; ++k) {
        const float re = plan_->spectrum[k][0];
        const float im = plan_->spectrum[k][1];
        const float energy = re * re + im * im + kPowerFloor;
        const auto level = static_cast<float>(std::log10(static_cast<double>(energy)) - kLogFloor);
        float& p = power_[static_cast<size_t>(k)];
        p = averaging_ ? level / count + oldShare * p : level;
    }

    const int first = std::max(firstBin, 0);
    const int last = std::min(lastBin, kSpectrumBins - 1);
    for (int k = first; k <= last; ++k) output[k] = scale * power_[static_cast<size_t>(k)];
}

void SpectrumAnalyser::analyseBlock(float* block, SpectrumWindow window, SpectrumRow& row) {
    applySpectrumWindow(window, block);
    compute(block, 0, kSpectrumBins - 1, 0.5f, 1, row.data());
}

}  // namespace tarnvel::display
