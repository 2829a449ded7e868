#include "app/StationMixer.h"

#include "app/Station.h"
#include "audio/AlsaMixer.h"
#include "audio/MixerScale.h"

namespace tarnvel::app {

using audio::MixerLine;
using audio::SoundDirection;

StationMixer::OpenedControls StationMixer::openAlsa(const std::string& control) {
    audio::AlsaMixer::Opened opened = audio::AlsaMixer::open(control);
    return {std::move(opened.mixer), opened.error};
}

StationMixer::StationMixer(Station& station, Opener opener)
    : station_(station), opener_(std::move(opener)) {}

std::string StationMixer::deviceName(SoundDirection direction) const {
    const auto& s = station_.settings().soundDevice;
    const bool input = direction == SoundDirection::Input;
    const int id = input ? s.mixerDevice : s.mixerDeviceOut;
    std::string name = input ? s.mixerDeviceName.value() : s.mixerDeviceOutName.value();
    if (!name.empty() || id < 0) return name;
    // Settings of older versions hold only the list position.
    audio::SoundCard& card = station_.soundCard();
    const auto devices = input ? card.inputDevices() : card.outputDevices();
    return static_cast<std::size_t>(id) < devices.size()
               ? devices[static_cast<std::size_t>(id)].name
               : std::string{};
}

audio::MixerCardChoice StationMixer::cardFor(SoundDirection direction) const {
    if (station_.settings().misc.soundDevType != 0)
        return {{}, "The USB sound device's levels are set in \"Karta dźwiękowa...\"."};
    const auto& s = station_.settings().soundDevice;
    const int id = direction == SoundDirection::Input ? s.mixerDevice : s.mixerDeviceOut;
    return audio::mixerCardFor(id, deviceName(direction));
}

StationMixer::Opened StationMixer::open(SoundDirection direction) const {
    const audio::MixerCardChoice card = cardFor(direction);
    if (card.control.empty()) return {nullptr, card.reason};
    OpenedControls opened = opener_(card.control);
    if (!opened.controls) return {nullptr, opened.error};
    return {std::make_unique<audio::SoundMixer>(std::move(opened.controls)), {}};
}

bool StationMixer::volumeControl() const {
    return station_.settings().soundDevice.volumeCtrl != 0;
}

void StationMixer::setVolumeControl(bool on) {
    station_.settings().soundDevice.volumeCtrl = on ? 1 : 0;
}

// The keys keep their stored names: "WaveVolume" holds the recording master and
// "MasterInVolume" the wave-out line.
int StationMixer::storedLevel(MixerLine line) const {
    const auto& s = station_.settings().soundDevice;
    switch (line) {
        case MixerLine::MasterOut:
            return audio::clampMixerLevel(s.masterOutVolume);
        case MixerLine::WaveOut:
            return audio::clampMixerLevel(s.masterInVolume);
        case MixerLine::MasterIn:
            return audio::clampMixerLevel(s.waveVolume);
        case MixerLine::RecordSource:
            return audio::clampMixerLevel(s.sourceVolume);
    }
    return 0;
}

void StationMixer::storeLevel(MixerLine line, int level) {
    auto& s = station_.settings().soundDevice;
    level = audio::clampMixerLevel(level);
    switch (line) {
        case MixerLine::MasterOut:
            s.masterOutVolume = level;
            break;
        case MixerLine::WaveOut:
            s.masterInVolume = level;
            break;
        case MixerLine::MasterIn:
            s.waveVolume = level;
            break;
        case MixerLine::RecordSource:
            s.sourceVolume = level;
            break;
    }
}

audio::RecordSource StationMixer::storedSource() const {
    return station_.settings().soundDevice.source == 0 ? audio::RecordSource::LineIn
                                                       : audio::RecordSource::Microphone;
}

void StationMixer::storeSource(audio::RecordSource source) {
    station_.settings().soundDevice.source = static_cast<int>(source);
}

bool StationMixer::selectSource() const {
    return station_.settings().soundDevice.selectSource != 0;
}

std::vector<std::string> StationMixer::applyStored() {
    std::vector<std::string> problems;
    if (!volumeControl()) return problems;
    auto note = [&problems](const std::string& problem) {
        if (!problem.empty()) problems.push_back(problem);
    };
    if (Opened out = open(SoundDirection::Output); out.mixer) {
        for (MixerLine line : {MixerLine::MasterOut, MixerLine::WaveOut})
            if (out.mixer->hasLine(line)) note(out.mixer->setLevel(line, storedLevel(line)));
    } else {
        note(out.error);
    }
    Opened in = open(SoundDirection::Input);
    if (!in.mixer) {
        note(in.error);
        return problems;
    }
    if (in.mixer->hasSource(storedSource()))
        note(in.mixer->selectSource(storedSource(), selectSource()));
    for (MixerLine line : {MixerLine::MasterIn, MixerLine::RecordSource})
        if (in.mixer->hasLine(line)) note(in.mixer->setLevel(line, storedLevel(line)));
    return problems;
}

double StationMixer::transmitAttenuation() const {
    modem::TransmitLevel stored;  // clamped as the transmitter would take it
    stored.setAttenuationDb(station_.settings().transmitLevel.txAttenuation);
    return stored.attenuationDb();
}

void StationMixer::setTransmitAttenuation(double db) {
    station_.transmitter().setAttenuationDb(db);
    station_.settings().transmitLevel.txAttenuation =
        static_cast<float>(station_.transmitter().attenuationDb());
}

}  // namespace tarnvel::app
