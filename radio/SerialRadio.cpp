#include "radio/SerialRadio.h"

#include "radio/CivFrame.h"

namespace tarnvel::radio {

std::optional<Fourband> fourbandFromSetting(int value) {
    switch (value) {
        case 0: return Fourband::None;
        case 1: return Fourband::FourBands;
        case 2: return Fourband::TwoBands;
        default: return std::nullopt;
    }
}

SerialResult SerialRadio::drive(std::optional<bool> rts, std::optional<bool> dtr) {
    SerialResult first;
    if (rts) {
        SerialResult r = line_.setRts(*rts);
        if (!r && first) first = std::move(r);
    }
    if (dtr) {
        SerialResult r = line_.setDtr(*dtr);
        if (!r && first) first = std::move(r);
    }
    return first;
}

SerialResult SerialRadio::setPtt(bool on) {
    if (!settings_.portInUse) return {};
    SerialResult result;
    switch (settings_.fourband) {
        case Fourband::None:
            // A line not used for PTT stays asserted.
            result = drive(settings_.rtsAsPtt ? on : true, settings_.dtrAsPtt ? on : true);
            break;
        case Fourband::TwoBands:
            result = drive(on, std::nullopt);
            break;
        case Fourband::FourBands:
            return {};  // the lines carry the band
    }
    keyed_ = on && result.ok();
    return result;
}

SerialResult SerialRadio::setBandLines(int index) {
    if (!settings_.portInUse) return {};
    switch (settings_.fourband) {
        case Fourband::None:
            return {};
        case Fourband::FourBands:
            return drive((index & 2) != 0, (index & 1) != 0);
        case Fourband::TwoBands:
            return drive(std::nullopt, (index & 1) != 0);
    }
    return {};
}

SerialResult SerialRadio::sendCivFrequency(double bandKhz) {
    if (!settings_.useIcomCiv || !settings_.portInUse) return {};
    const auto hz = civHertzFromKhz(bandKhz);
    if (!hz) {
        return SerialResult::failure(SerialError::BadArgument,
                                     "The band frequency " + std::to_string(bandKhz) +
                                         " kHz cannot be sent to the transceiver");
    }
    if (*hz == 0) return {};
    const CivFrame frame = civFrequencyFrame(settings_.icomAddr, *hz);
    if (frame.bytes.empty()) return SerialResult::failure(SerialError::BadArgument, frame.error);
    return line_.write(frame.bytes);
}

}  // namespace tarnvel::radio
