#include "audio/SelectedSoundCard.h"

#include <algorithm>

namespace tarnvel::audio {

SelectedSoundCard::SelectedSoundCard(const SoundCardConfig& config)
    : SoundCard(config), card_(config, &events()), usb_(config, &events()) {}

SoundCard& SelectedSoundCard::select() {
    SoundCard& current = active();
    if (!current.inputOpen() && !current.outputOpen() && usingUsb_ != config_.usb.use) {
        if (usingUsb_) usb_.shutdown();  // the device is left stopped, its port free
        usingUsb_ = config_.usb.use;
    }
    active().setConfig(config_);
    return active();
}

SoundResult SelectedSoundCard::startInput() {
    return select().startInput();
}

SoundResult SelectedSoundCard::openOutput() {
    return select().openOutput();
}

SoundResult SelectedSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) return active().playBuffer(index);  // its message
    const OutputBuffer mine = outputBuffer(index);
    std::copy(mine.begin(), mine.end(), active().outputBuffer(index).begin());
    return active().playBuffer(index);
}

}  // namespace tarnvel::audio
