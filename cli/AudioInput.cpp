#include "cli/AudioInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/Resampler.h"
#include "audio/WavFile.h"
#include "cli/Commands.h"

namespace tarnvel::cli {
namespace {

constexpr size_t kStreamReadBytes = 8192;

audio::WavStreamReader makeReader(std::optional<int> rawRate, unsigned channel) {
    return rawRate ? audio::WavStreamReader::raw(static_cast<uint32_t>(*rawRate))
                   : audio::WavStreamReader(channel);
}

std::string inputName(const std::string& file) {
    return file == kStandardInput ? "standard input" : file;
}

int fail(int status, const std::string& subject, std::string message) {
    reportProblem(Problem{subject, std::move(message)});
    return status;
}

bool rateUsable(uint32_t rate) {
    return rate >= static_cast<uint32_t>(kMinFileRate) &&
           rate <= static_cast<uint32_t>(kMaxFileRate);
}

std::string rateProblem(uint32_t rate) {
    return "sample rate " + std::to_string(rate) + " Hz is outside 8000..192000 Hz";
}

}  // namespace

void reportWarning(const std::string& subject, const std::string& message) {
    reportProblem(Problem{subject, "warning: " + message});
}

AudioInputStream::AudioInputStream(std::string file, std::optional<int> rawRate, unsigned channel)
    : file_(std::move(file)), reader_(makeReader(rawRate, channel)), bytes_(kStreamReadBytes) {}

AudioInputStream::~AudioInputStream() {
    if (ownsFd_) ::close(fd_);
}

bool AudioInputStream::open() {
    if (file_ == kStandardInput) {
        fd_ = STDIN_FILENO;
        return true;
    }
    fd_ = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    ownsFd_ = true;
    return true;
}

// Once the format is known the converter is made; the samples go through it.
bool AudioInputStream::convert(std::vector<int16_t>& out) {
    if (samples_.empty()) return true;
    if (!converter_) {
        if (!rateUsable(reader_.sampleRate())) {
            error_ = rateProblem(reader_.sampleRate());
            return false;
        }
        converter_ = audio::makeRateConverter(reader_.sampleRate(), audio::kModemSampleRate);
        if (!converter_) {
            error_ = "no conversion from " + std::to_string(reader_.sampleRate()) +
                     " samples per second";
            return false;
        }
    }
    const bool ok = converter_->convert(samples_, out);
    samples_.clear();
    if (!ok) error_ = "the sample rate conversion failed";
    return ok;
}

bool AudioInputStream::next(std::vector<int16_t>& out) {
    for (;;) {
        const ssize_t got = ::read(fd_, bytes_.data(), bytes_.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error_ = std::string("cannot read: ") + std::strerror(errno);
            return false;
        }
        if (got == 0) {
            if (!reader_.finish()) {
                error_ = reader_.error();
                return false;
            }
            if (converter_) converter_->finish(out);
            return false;
        }
        if (!reader_.feed(std::span(bytes_.data(), static_cast<size_t>(got)), samples_)) {
            error_ = reader_.error();
            return false;
        }
        return convert(out);
    }
}

int readModemAudio(const std::string& file, std::optional<int> rawRate, unsigned channel,
                   std::vector<int16_t>& audio) {
    if (file == kStandardInput || rawRate) {
        AudioInputStream input(file, rawRate, channel);
        if (!input.open()) return fail(kExitBadInput, inputName(file), input.error());
        audio.clear();
        while (input.next(audio)) {
        }
        if (!input.error().empty()) return fail(kExitBadInput, inputName(file), input.error());
        if (!input.warning().empty()) reportWarning(inputName(file), input.warning());
        return kExitOk;
    }
    audio::WavReadResult wav = audio::readWavFile(file, channel, audio::CutShort::Accept);
    if (!wav.ok) return fail(kExitBadInput, file, wav.error);
    if (!rateUsable(wav.sampleRate)) return fail(kExitBadInput, file, rateProblem(wav.sampleRate));
    if (!wav.warning.empty()) reportWarning(file, wav.warning);

    audio::ResampleResult modemAudio =
        audio::resampleBuffer(wav.samples, wav.sampleRate, audio::kModemSampleRate);
    if (!modemAudio.ok) return fail(kExitFailure, file, modemAudio.error);
    audio = std::move(modemAudio.samples);
    return kExitOk;
}

}  // namespace tarnvel::cli
