// Decoding a recording: the whole station runs on the recording as its sound card, as fast
// as it can, with its timer following the recording's own time.

#include <memory>

#include "app/Station.h"
#include "app/StationClock.h"
#include "audio/Resampler.h"
#include "audio/WavFileSoundCard.h"
#include "cli/ConsoleHost.h"
#include "cli/ModemBridge.h"
#include "cli/ScratchProfile.h"

namespace tarnvel::cli {
namespace {

// The recording's name as the file card lists it; the samples are handed over directly.
constexpr const char* kRecordingName = "recording";
constexpr app::StationMs kPumpSliceMs = 100;

}  // namespace

std::string prepareDecodeStation(app::Station& station, const ReceiveSettings& settings) {
    app::Settings& s = station.settings();
    s.station.call = "N0CALL";
    s.misc.mode = modem::storedMode(settings.mode->mode);
    s.misc.invQpsk = settings.mode->invertedQpsk ? 1 : 0;
    s.misc.multichannelWindow = 0;
    s.misc.soundHistory = 0;
    s.sound.afc = settings.afc ? 1 : 0;
    s.sound.squelch = settings.squelchThreshold ? 1 : 0;
    s.sound.sqThreshold = settings.squelchThreshold.value_or(s.sound.sqThreshold);
    s.sound.lastFq = static_cast<float>(settings.frequency);
    s.receiver.pskReceiver = std::string(modem::pskReceiverName(settings.receiver));

    if (!station.start()) return "the recording could not be opened: " + station.lastSoundProblem();
    if (!station.selectMode(settings.mode->mode))
        return "the mode " + std::string(settings.mode->name) + " has no receiver";
    station.setInvertedQpsk(settings.mode->invertedQpsk);
    if (!station.setFrequency(settings.frequency, app::kSetBoth, false))
        return "the receive frequency is not usable";
    return {};
}

std::string checkReceiveSettings(const ReceiveSettings& settings) {
    if (settings.mode == nullptr) return "no mode given";
    if (settings.squelchThreshold &&
        (*settings.squelchThreshold < 0 || *settings.squelchThreshold > 31))
        return "the squelch threshold is outside 0..31";
    return {};
}

ModemOutcome decodeAudio(std::span<const int16_t> audio, const ReceiveSettings& settings,
                         app::ReceiveText& window) {
    if (std::string problem = checkReceiveSettings(settings); !problem.empty())
        return {false, problem};

    // The file card reads the recording through this, already at the modem's rate.
    audio::RecordingFiles access = audio::wavRecordingFiles();
    access.read = [audio](const std::string&, audio::Recording& recording) {
        recording.samples.assign(audio.begin(), audio.end());
        recording.rate = static_cast<int>(audio::kModemSampleRate);
        return audio::SoundResult::success();
    };
    audio::WavFileSoundCard card(audio::SoundCardConfig{},
                                 audio::WavFileSoundCardFiles{kRecordingName, {}, false}, access);
    ScratchProfile profile;
    ConsoleHost host;
    app::AudioStationClock clock(audio::kModemSampleRate);
    auto station = std::make_unique<app::Station>(
        profile.store(), card, host, clock, app::StationOptions{{}, /*keepAllReceivedText=*/true, {}});
    if (std::string problem = prepareDecodeStation(*station, settings); !problem.empty())
        return {false, problem};

    // The card's end event comes after the last block of the recording, whatever the pace.
    while (!station->inputEnded()) {
        station->pump(kPumpSliceMs);
        if (station->state() == app::OperatingState::Stopped)
            return {false, "the station stopped: " + station->lastSoundProblem()};
    }
    window.appendReceivedText(station->receiveText().text());
    const double frequency = station->receiveFrequency();
    station.reset();
    return {true, {}, frequency};
}

}  // namespace tarnvel::cli
