#include "modem/Transmitter.h"

#include <algorithm>
#include <cmath>

#include "modem/Varicode.h"

namespace tarnvel::modem {

Transmitter::Transmitter(TransmitHost& host)
    : soundCard_(modulator_, host), block_(modulator_, host) {
    for (int c = 0; c < TxCodeTable::kSize; ++c)
        varicode_.setCode(VaricodeTable[static_cast<std::size_t>(c)], c);
    setMode(Mode::Bpsk31);
}

SymbolEncoder* Transmitter::encoderFor(ModeCoding coding) {
    switch (coding) {
        case ModeCoding::Qpsk:
            return &qpsk_;
        case ModeCoding::Fsk63:
            return &fsk63_;
        default:
            return &varicode_;
    }
}

bool Transmitter::setMode(Mode mode) {
    if (!isModeCommand(mode)) return false;
    const ModeInfo info = modeInfo(mode);
    // A receive-only mode leaves the modulator and encoder as they were.
    if (info.transmits) {
        if (info.baud == kRate63)
            modulator_.configure(kShift63, kRate63);
        else
            modulator_.configure(kShift31, kRate31);
        encoder_ = encoderFor(info.coding);
    }
    mode_ = mode;
    soundCard_.setMode(mode, encoder_);
    block_.setMode(mode, encoder_);
    return true;
}

bool Transmitter::setTransmitFrequency(double hz) {
    if (!std::isfinite(hz) || hz <= 0.0) return false;
    modulator_.setCarrierFrequency(hz);
    return true;
}

bool Transmitter::setSampleRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) return false;
    modulator_.setSampleRate(rate);
    modulator_.reset();
    return true;
}

RenderedTransmission Transmitter::renderTransmission(size_t maxSamples) {
    RenderedTransmission out;
    if (!modeInfo(mode_).transmits) {
        out.complete = true;  // nothing to send
        return out;
    }
    int first = 1;
    while (out.samples.size() < maxSamples) {
        const size_t n = std::min(kBufferSamples, maxSamples - out.samples.size());
        const size_t at = out.samples.size();
        out.samples.resize(at + n);
        const int goesOn = fillBlock(out.samples.data() + at, n, first);
        first = 0;
        if (!goesOn) {
            out.complete = true;
            break;
        }
    }
    return out;
}

}  // namespace tarnvel::modem
