// The station's files: the sound history and its rates, the receive text log, and the file
// dialogs that name them.

#include <algorithm>
#include <cstring>

#include "app/Station.h"

#include "app/SettingLimits.h"
#include "audio/SampleRates.h"
#include "audio/WavFile.h"

namespace tarnvel::app {

// ---- rates and sound history ----------------------------------------------------------------

bool Station::applySampleRate(int nominal) {
    if (nominal < kMinNominalRate || nominal > kMaxNominalRate) return false;
    settings_.misc.soundSampleRate = nominal;
    // A correction from the settings file beyond any real sound card counts as none.
    if (!usableRateCorrection(settings_.misc.rateCorrRx)) settings_.misc.rateCorrRx = 0;
    if (!usableRateCorrection(settings_.misc.rateCorrTx)) settings_.misc.rateCorrTx = 0;
    const audio::SampleRates rates =
        audio::sampleRates(nominal, settings_.misc.rateCorrRx, settings_.misc.rateCorrTx);
    chain_.setSampleRate(rates.rx);
    transmitter_.setSampleRate(rates.tx);
    multichannel_.setSampleRate(nominal);
    audio::SoundCardConfig config = card_.config();
    config.nominalRate = nominal;
    card_.setConfig(config);
    if (history_) makeHistory(nominal);
    return true;
}

void Station::makeHistory(double rate) {
    history_.reset();
    const int seconds = settings_.misc.soundHistory;
    if (seconds >= 1 && seconds <= audio::kMaxHistorySeconds)
        history_ =
            std::make_unique<audio::HistoryRing>(audio::HistoryRing::capacityFor(seconds, rate));
}

bool Station::setSoundHistoryLength(int seconds) {
    if (seconds > audio::kMaxHistorySeconds) {
        host_.showMessage(kTooBigMessage, "", MessageKind::Warning);
        return false;
    }
    settings_.misc.soundHistory = std::max(0, seconds);
    makeHistory(chain_.sampleRate());
    return true;
}

bool Station::canSaveSoundHistory() const {
    return settings_.misc.soundHistory >= 1 && history_ != nullptr;
}

std::optional<SoundHistoryCopy> Station::copySoundHistory() const {
    if (!canSaveSoundHistory()) return std::nullopt;
    return SoundHistoryCopy{history_->oldestFirst(), static_cast<int>(chain_.sampleRate())};
}

bool Station::saveSoundHistory(const SoundHistoryCopy& copy, const std::string& fileName) {
    const int error = audio::writeWavFileSafely(copy.samples.data(), copy.rate,
                                                static_cast<int>(copy.samples.size()), fileName, 0);
    if (error == 0) return true;
    host_.showMessage(kCannotWriteMessage + fileName + ": " + std::strerror(error), kErrorCaption,
                      MessageKind::Error);
    return false;
}

// ---- receive log ----------------------------------------------------------------------------

bool Station::openReceiveLog(const std::string& fileName) {
    if (rxLog_ != nullptr) return true;
    std::FILE* file = std::fopen(fileName.c_str(), "ab");
    if (file == nullptr) {
        host_.showMessage(kCannotOpenMessage + fileName, "", MessageKind::Warning);
        settings_.misc.rxLogOpen = 0;
        return false;
    }
    rxLog_ = file;
    settings_.misc.rxLogOpen = 1;
    settings_.misc.rxLogFile = fileName;
    return true;
}

void Station::closeReceiveLog() {
    if (rxLog_ != nullptr) std::fclose(rxLog_);
    rxLog_ = nullptr;
    settings_.misc.rxLogOpen = 0;
}

// ---- files ----------------------------------------------------------------------------------

void Station::chooseReceiveLog() {
    const auto name = host_.chooseSaveFile(kReceiveLogDialogTitle, kTextFileFilter,
                                           settings_.misc.rxLogFile.value().empty()
                                               ? std::string(kDefaultReceiveLog)
                                               : settings_.misc.rxLogFile.value(),
                                           SaveTarget::Append);
    if (name) openReceiveLog(*name);
}

void Station::saveLastSeconds() {
    // The history as it is now: audio goes on while the file dialog is open.
    const std::optional<SoundHistoryCopy> copy = copySoundHistory();
    if (!copy) return;
    const std::string title =
        "Save last " + std::to_string(settings_.misc.soundHistory.value()) + " seconds into WAV file";
    if (const auto name = host_.chooseSaveFile(title, kWavFileFilter, kDefaultHistoryFile))
        saveSoundHistory(*copy, *name);
}

}  // namespace tarnvel::app
