#include "audio/Resampler.h"

#include <soxr.h>

#include <cmath>
#include <utility>

namespace tarnvel::audio {
namespace {

// Room for the few samples the filter may release on top of the rate ratio in one call.
constexpr size_t kOutputSlack = 64;
constexpr size_t kFlushBlock = 4096;

}  // namespace

Resampler::~Resampler() {
    close();
}

Resampler::Resampler(Resampler&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      passThrough_(std::exchange(other.passThrough_, false)),
      inputRate_(other.inputRate_),
      outputRate_(other.outputRate_),
      error_(std::move(other.error_)) {}

Resampler& Resampler::operator=(Resampler&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        passThrough_ = std::exchange(other.passThrough_, false);
        inputRate_ = other.inputRate_;
        outputRate_ = other.outputRate_;
        error_ = std::move(other.error_);
    }
    return *this;
}

void Resampler::close() {
    if (handle_ != nullptr) soxr_delete(handle_);
    handle_ = nullptr;
    passThrough_ = false;
}

bool Resampler::open(double inputRate, double outputRate) {
    close();
    error_.clear();
    inputRate_ = inputRate;
    outputRate_ = outputRate;
    if (!std::isfinite(inputRate) || !std::isfinite(outputRate) || inputRate <= 0.0 ||
        outputRate <= 0.0) {
        error_ = "sample rates must be positive";
        return false;
    }
    if (inputRate == outputRate) {
        passThrough_ = true;
        return true;
    }
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;  // repeatable output: the same recording decodes the same way
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t problem = nullptr;
    handle_ = soxr_create(inputRate, outputRate, 1, &problem, &io, &quality, nullptr);
    if (problem != nullptr || handle_ == nullptr) {
        error_ = std::string("resampler: ") + soxr_strerror(problem);
        close();
        return false;
    }
    return true;
}

size_t Resampler::maxOutputFor(size_t inputCount) const {
    if (passThrough_) return inputCount;
    const double ratio = outputRate_ / inputRate_;
    return static_cast<size_t>(std::ceil(static_cast<double>(inputCount) * ratio)) + kOutputSlack;
}

size_t Resampler::process(std::span<const int16_t> in, std::vector<int16_t>& out) {
    if (passThrough_) {
        out.insert(out.end(), in.begin(), in.end());
        return in.size();
    }
    if (handle_ == nullptr) {
        error_ = "resampler is not open";
        return 0;
    }
    if (in.empty()) return 0;  // a null input would end the stream
    const size_t before = out.size();
    size_t consumed = 0;
    for (;;) {
        const size_t room = maxOutputFor(in.size() - consumed);
        const size_t used = out.size();
        out.resize(used + room);
        size_t inDone = 0, outDone = 0;
        const soxr_error_t problem =
            soxr_process(handle_, in.data() + consumed, in.size() - consumed, &inDone,
                         out.data() + used, room, &outDone);
        out.resize(used + outDone);
        if (problem != nullptr) {
            error_ = std::string("resampler: ") + problem;
            out.resize(before);
            return 0;
        }
        consumed += inDone;
        // Done once every input sample is taken and the output was not the limit.
        if (consumed >= in.size() && outDone < room) break;
    }
    return out.size() - before;
}

size_t Resampler::finish(std::vector<int16_t>& out) {
    if (handle_ == nullptr) return 0;
    const size_t before = out.size();
    for (;;) {
        const size_t used = out.size();
        out.resize(used + kFlushBlock);
        size_t outDone = 0;
        const soxr_error_t problem =
            soxr_process(handle_, nullptr, 0, nullptr, out.data() + used, kFlushBlock, &outDone);
        out.resize(used + outDone);
        if (problem != nullptr) {
            error_ = std::string("resampler: ") + problem;
            out.resize(before);
            return 0;
        }
        if (outDone == 0) break;
    }
    return out.size() - before;
}

void Resampler::reset() {
    if (handle_ != nullptr) soxr_clear(handle_);
    error_.clear();
}

ResampleResult resampleBuffer(std::span<const int16_t> in, double inputRate, double outputRate) {
    ResampleResult result;
    Resampler resampler;
    if (!resampler.open(inputRate, outputRate)) {
        result.error = resampler.error();
        return result;
    }
    result.samples.reserve(resampler.maxOutputFor(in.size()));
    resampler.process(in, result.samples);
    resampler.finish(result.samples);
    if (!resampler.error().empty()) {
        result.error = resampler.error();
        result.samples.clear();
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarnvel::audio
