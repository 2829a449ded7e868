#include "modem/Transmitter.h"

#include <algorithm>
#include <cmath>

#include "modem/Varicode.h"

namespace tarnvel::modem {

Transmitter::Transmitter(TransmitHost& host)
    : soundCard_(modulator_, host), block_(modulator_, host) {
    for (int c = 0; c < TxCodeTable::kSize; ++c)
        varicode_.setCode(VaricodeTable[static_cast<std::size_t>(c)], c);
    setMode(kModeBpsk31);
}

bool Transmitter::setMode(int mode) {
    switch (mode) {
        case kModeBpsk31:
        case kModeFsk31:
            modulator_.configure(kShift31, kRate31);
            encoder_ = &varicode_;
            break;
        case kModeQpsk31:
            modulator_.configure(kShift31, kRate31);
            encoder_ = &qpsk_;
            break;
        case kModeFsk63:
            modulator_.configure(kShift63, kRate63);
            encoder_ = &fsk63_;
            break;
        case kModeBpsk63:
            modulator_.configure(kShift63, kRate63);
            encoder_ = &varicode_;
            break;
        case kModePactor:
            break;  // receive only: the modulator and encoder stay as they were
        default:
            return false;
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
    if (mode_ == kModePactor) {
        out.complete = true;  // nothing to send
        return out;
    }
    int first = 1;
    while (out.samples.size() < maxSamples) {
        const size_t n = std::min(kBufferSamples, maxSamples - out.samples.size());
        const size_t at = out.samples.size();
        out.samples.resize(at + n);
        const int goesOn = block_.fillBlock(out.samples.data() + at, n, first);
        first = 0;
        if (!goesOn) {
            out.complete = true;
            break;
        }
    }
    return out;
}

}  // namespace tarnvel::modem
