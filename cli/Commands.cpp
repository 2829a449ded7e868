#include "cli/Commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/ReceiveText.h"
#include "audio/Resampler.h"
#include "audio/WavFile.h"
#include "cli/AudioInput.h"
#include "cli/ModemBridge.h"
#include "cli/TextCodec.h"

namespace tarnvel::cli {
namespace {

constexpr size_t kTextReadBlock = 4096;
// Larger text files are surely a wrong file name, not a message to send.
constexpr off_t kMaxTextFileBytes = 16 << 20;

int fail(int status, std::string subject, std::string message) {
    reportProblem(Problem{std::move(subject), std::move(message)});
    return status;
}

struct FileText {
    bool ok = false;
    std::string text;
    std::string error;
};

FileText readTextFile(const std::string& fileName) {
    FileText result;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = std::string("cannot open: ") + std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        result.error = "is a directory, not a text file";
    } else if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > kMaxTextFileBytes) {
        result.error = "is too large for a text to send (more than 16 MiB)";
    } else {
        char block[kTextReadBlock];
        for (;;) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                result.error = std::string("cannot read: ") + std::strerror(errno);
                break;
            }
            if (got == 0) {
                result.ok = true;
                break;
            }
            result.text.append(block, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    return result;
}

// Brings a recording to the modem's rate (or the modem's audio to a file's rate).
audio::ResampleResult convertRate(std::span<const int16_t> samples, double from, double to) {
    return audio::resampleBuffer(samples, from, to);
}

}  // namespace

// Finds out before any work whether the output file can be created where it is asked for.
std::optional<std::string> checkOutputPlace(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "is a directory";
    const size_t slash = fileName.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : fileName.substr(0, slash));
    if (::stat(folder.c_str(), &st) != 0)
        return "cannot write in " + folder + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (::access(folder.c_str(), W_OK) != 0)
        return "cannot write in " + folder + ": " + std::strerror(errno);
    return std::nullopt;
}

void reportProblem(const Problem& problem) {
    std::string line = "tarnvel-cli: " + problem.subject + ": " + problem.message;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';  // one line, whatever a file name holds
    std::fprintf(stderr, "%s\n", line.c_str());
}

int writeStandardOutput(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(kExitFailure, "standard output", std::strerror(errno));
    return kExitOk;
}

int runDecode(const DecodeOptions& options) {
    if (options.inputFile == kStandardInput) return runStreamDecode(options);
    std::vector<int16_t> modemAudio;
    if (const int status =
            readModemAudio(options.inputFile, options.rawRate, options.channel - 1, modemAudio);
        status != kExitOk)
        return status;

    app::ReceiveText window(/*keepEverything=*/true);
    const ReceiveSettings settings{options.mode, options.frequency, options.afc,
                                   options.squelchThreshold, options.receiver};
    const ModemOutcome outcome = decodeAudio(modemAudio, settings, window);
    if (!outcome.ok) return fail(kExitFailure, "decode", outcome.error);

    std::string text = toUtf8(window.text());
    if (!text.empty() && text.back() != '\n') text.push_back('\n');
    return writeStandardOutput(text);
}

int runEncode(const EncodeOptions& options) {
    if (auto problem = checkOutputPlace(options.outputFile))
        return fail(kExitBadInput, options.outputFile, *problem);

    std::string subject = "--text";
    std::string raw;
    if (options.textFile) {
        subject = *options.textFile;
        FileText file = readTextFile(*options.textFile);
        if (!file.ok) return fail(kExitBadInput, subject, file.error);
        raw = std::move(file.text);
    } else {
        raw = *options.text;
    }
    const CodedText text = toStationCodes(raw);
    if (!text.ok) return fail(kExitBadInput, subject, text.error);
    if (text.codes.empty()) return fail(kExitBadInput, subject, "the text is empty");

    TransmitSettings settings{options.mode, options.frequency, text.codes, std::nullopt};
    if (options.cwId) {
        const CodedText id = toStationCodes(*options.cwId);
        if (!id.ok) return fail(kExitBadInput, "--cwid", id.error);
        settings.cwId = id.codes;
    }

    std::vector<int16_t> modemAudio;
    const ModemOutcome outcome = renderTransmission(settings, modemAudio);
    if (!outcome.ok) return fail(kExitFailure, "encode", outcome.error);

    audio::ResampleResult fileAudio =
        convertRate(modemAudio, audio::kModemSampleRate, options.rate);
    if (!fileAudio.ok) return fail(kExitFailure, "encode", fileAudio.error);
    if (fileAudio.samples.size() > static_cast<size_t>(INT_MAX / 2))
        return fail(kExitBadInput, options.outputFile,
                    "the transmission is too long for a WAV file");

    const int err = audio::writeWavFileSafely(fileAudio.samples.data(), options.rate,
                                              static_cast<int>(fileAudio.samples.size()),
                                              options.outputFile, 0);
    if (err != 0)
        return fail(kExitBadInput, options.outputFile,
                    std::string("cannot write: ") + std::strerror(err));
    return kExitOk;
}

}  // namespace tarnvel::cli
