#include "audio/UsbDeviceProtocol.h"

#include <algorithm>

namespace tarnvel::audio::usb {
namespace {

constexpr int kMaxVolume = 255;

// ' ' register value value 'p' and six zero bytes: one register write of the set-up.
template <std::size_t N>
void putRegister(std::array<uint8_t, N>& out, std::size_t at, uint8_t reg, uint8_t a, uint8_t b) {
    out[at] = kRegisterWrite;
    out[at + 1] = reg;
    out[at + 2] = a;
    out[at + 3] = b;
    out[at + 4] = kSampleRecord;
}

uint8_t highByte(int16_t s) {
    return static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8);
}
uint8_t lowByte(int16_t s) {
    return static_cast<uint8_t>(static_cast<uint16_t>(s) & 0xff);
}

}  // namespace

Levels levelsFor(int volumeIn, int volumeOut) {
    const int in = std::clamp(volumeIn, 0, kMaxVolume);
    const int out = std::clamp(volumeOut, 0, kMaxVolume);
    return {(7905 - out * 31) / 255, in * 15 / 255};
}

std::array<uint8_t, kConfigurationBytes> configurationBlock(Levels levels) {
    std::array<uint8_t, kConfigurationBytes> b{};
    const auto vOut = static_cast<uint8_t>(levels.vOut);
    const auto vIn = static_cast<uint8_t>(levels.vIn);
    putRegister(b, 10, 0, 0, 0);
    putRegister(b, 21, kOutputLevelRegister, vOut, vOut);
    putRegister(b, 32, 24, 8, 8);
    putRegister(b, 43, 14, 128, 64);
    putRegister(b, 54, 16, 136, 8);
    putRegister(b, 65, 26, 4, 4);
    putRegister(b, 76, kInputLevelRegister, vIn, vIn);
    b[87] = kStopTransmit;
    b[92] = kControl;
    b[97] = kStartReceive;
    return b;
}

std::array<uint8_t, kLevelUpdateBytes> levelUpdate(Levels levels) {
    std::array<uint8_t, kLevelUpdateBytes> b{};
    b[0] = kSampleRecord;
    putRegister(b, 7, kOutputLevelRegister, static_cast<uint8_t>(levels.vOut),
                static_cast<uint8_t>(levels.vOut));
    putRegister(b, 18, kInputLevelRegister, static_cast<uint8_t>(levels.vIn),
                static_cast<uint8_t>(levels.vIn));
    return b;
}

std::array<uint8_t, kShutdownBytes> shutdownSequence() {
    return {0, 0, 0, kStopReceive, kStopTransmit, kControl, 0, 0};
}

void encodeBlock(std::span<const int16_t, kBlockSamples> samples, bool firstOfTransmission,
                 std::span<uint8_t, kBlockBytes> out) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[3 * i] = kSampleRecord;
        out[3 * i + 1] = highByte(samples[i]);
        out[3 * i + 2] = lowByte(samples[i]);
    }
    if (firstOfTransmission) {
        out[0] = kFirstSample;
        out[1] = 0;
        out[2] = 0;
    }
}

void markTransmissionEnd(std::span<uint8_t, kBlockBytes> block) {
    block[kBlockBytes - 3] = kStopTransmit;
    block[kBlockBytes - 2] = kStartReceive;
    block[kBlockBytes - 1] = 0;
}

std::size_t RecordParser::parse(std::span<const uint8_t> bytes, int16_t* samples,
                                std::string& characters) {
    std::size_t count = 0;
    for (const uint8_t byte : bytes) {
        switch (state_) {
            case State::Idle:
                if (byte == kSampleRecord)
                    state_ = State::SampleHigh;
                else if (byte == kExtendedSampleRecord)
                    state_ = State::ExtendedHigh;
                else if (byte == kCharacterRecord)
                    state_ = State::Character;
                break;
            case State::SampleHigh:
                high_ = byte;
                state_ = State::SampleLow;
                break;
            case State::ExtendedHigh:
                high_ = byte;
                state_ = State::ExtendedLow;
                break;
            case State::SampleLow:
            case State::ExtendedLow:
                samples[count++] = static_cast<int16_t>(static_cast<uint16_t>(high_ << 8 | byte));
                state_ = state_ == State::SampleLow ? State::Idle : State::ExtendedSkip1;
                break;
            case State::ExtendedSkip1:
                state_ = State::ExtendedSkip2;
                break;
            case State::ExtendedSkip2:
                state_ = State::ExtendedSkip3;
                break;
            case State::ExtendedSkip3:
                state_ = State::Idle;
                break;
            case State::Character:
                characters.push_back(static_cast<char>(byte));
                state_ = State::Idle;
                break;
        }
    }
    return count;
}

}  // namespace tarnvel::audio::usb
