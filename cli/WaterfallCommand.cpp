// tarnvel-cli waterfall: the waterfall of a whole recording as an indexed PNG picture.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/Resampler.h"
#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/ModemBridge.h"
#include "display/PaletteFile.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumWindow.h"
#include "display/WaterfallImage.h"

namespace tarnvel::cli {
namespace {

// One column per spectrum bin, as a waterfall 1024 pixels wide shows them.
constexpr int kImageWidth = display::kSpectrumBins;
// The station's spectrum window ("Misc"/"FFTWindow") as a fresh profile has it.
constexpr int kDefaultFftWindowSetting = 2;

int fail(int status, std::string subject, std::string message) {
    reportProblem(Problem{std::move(subject), std::move(message)});
    return status;
}

// Every 2048 samples of the recording as one waterfall row, oldest first: the 512-sample
// blocks go through the collector, and each full block is windowed and transformed.
std::unique_ptr<display::WaterfallImage> waterfallOf(const std::vector<int16_t>& audio,
                                                     const display::WaterfallSettings& settings) {
    auto image = std::make_unique<display::WaterfallImage>(kImageWidth);
    auto collector = std::make_unique<display::SpectrumCollector>();
    auto analyser = std::make_unique<display::SpectrumAnalyser>();
    auto row = std::make_unique<display::SpectrumRow>();
    const display::SpectrumWindow window =
        display::spectrumWindowFromSetting(kDefaultFftWindowSetting);
    for (size_t at = 0; at < audio.size(); at += kReceiveBlockSamples) {
        const size_t n = std::min(kReceiveBlockSamples, audio.size() - at);
        if (!collector->collect(audio.data() + at, n)) continue;
        analyser->analyseBlock(collector->block(), window, *row);
        image->appendSpectrumRow(*row, settings);
        collector->clearBlockReady();
    }
    return image;
}

}  // namespace

int runWaterfall(const WaterfallOptions& options) {
    if (auto problem = checkOutputPlace(options.outputFile))
        return fail(kExitBadInput, options.outputFile, *problem);

    display::PaletteAnchors anchors = display::defaultPaletteAnchors();
    if (options.paletteFile) {
        const display::PaletteFileResult loaded =
            display::loadPaletteFile(*options.paletteFile, anchors);
        if (!loaded.ok) return fail(kExitBadInput, "--palette", loaded.message);
    }

    std::vector<int16_t> modemAudio;
    if (const int status = readModemAudio(options.inputFile, options.rawRate, 0, modemAudio); status != kExitOk)
        return status;
    if (modemAudio.size() < static_cast<size_t>(display::kSpectrumBlockSize))
        return fail(kExitBadInput, options.inputFile,
                    "too short for one waterfall row (2048 samples at 11025 Hz)");

    display::WaterfallSettings settings;
    settings.freqMode = options.freqMode;
    settings.sampleRate = audio::kModemSampleRate;
    const auto image = waterfallOf(modemAudio, settings);

    // Written beside the target and renamed over it once complete, so that a failure leaves
    // neither a partial picture nor a damaged old one.
    const std::string partial = options.outputFile + ".part" + std::to_string(::getpid());
    const display::WaterfallImageResult written =
        image->writePng(partial, display::buildDisplayPalette(anchors),
                        display::WaterfallImage::RowOrder::NewestFirst, settings,
                        display::ScaleStripOptions{true, options.dialKHz});
    if (!written.ok) {
        ::unlink(partial.c_str());
        return fail(kExitBadInput, options.outputFile, written.message);
    }
    if (std::rename(partial.c_str(), options.outputFile.c_str()) != 0) {
        const int err = errno;
        ::unlink(partial.c_str());
        return fail(kExitBadInput, options.outputFile,
                    std::string("cannot write: ") + std::strerror(err));
    }
    return kExitOk;
}

}  // namespace tarnvel::cli
