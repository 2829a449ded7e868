#include "modem/PactorReceiver.h"

#include <algorithm>
#include <cmath>

#include "modem/Tables.h"

namespace tarnvel::modem {

namespace {

constexpr double kDefaultCarrierHz = 700.0;
constexpr double kDefaultSampleRate = 11025.0;
constexpr double kDefaultBaudRate = 100.0;

// Slow path: 12 frequency values (a little under one bit of 14 decimated samples) summed, and
// envelopes forgetting 1/128 per sample. Fast path: half the window and a much longer memory.
constexpr int kSlowFrequencyRing = 12;
constexpr int kFastFrequencyRing = 6;
constexpr int32_t kSlowEnvelopeMemory = 127;
constexpr int32_t kFastEnvelopeMemory = 1127;

// Filter bandwidths in Hz, halved into cycles per decimated sample.
constexpr double kSlowFilterHz = 320.0;
constexpr double kFastFilterHz = 420.0;

// atan2 radians to a 32-bit angle (2^31 per pi), and that angle's step per decimated sample to
// the frequency unit of the demodulator (about 0.65 Hz at 1400 samples per second).
constexpr double kRadiansToAngle = 683565275.0;
constexpr int32_t kAnglePerFrequencyUnit = 2000000;
constexpr int32_t kMaxFrequencyUnits = 200;

constexpr uint8_t kHeaderA = 0x55;
constexpr uint8_t kHeaderB = 0xAA;
constexpr uint8_t kStatusHuffman = 0x04;
constexpr uint8_t kStatusComplementMask = 0x30;
constexpr uint8_t kCounterMask = 0x03;
constexpr int kFillerCharacter = 30;
constexpr uint8_t kCallEnd = 15;
constexpr int kCallBytes = 8;
constexpr uint8_t kLongPathThreshold = 128;
constexpr size_t kMinStoredCallLength = 3;
constexpr std::string_view kIdleCall = "UUUUUUUU";
constexpr std::string_view kNeverACall = "%&^*";
constexpr std::string_view kLossMark = "___\r\n";

constexpr int32_t kClockOne = 65536;  // one bit of the bit clock
constexpr int32_t kClockHalf = 32768;

int32_t angleDifference(int32_t from, int32_t to) {
    return static_cast<int32_t>(static_cast<uint32_t>(from) - static_cast<uint32_t>(to));
}

bool isCallCharacter(uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z');
}

}  // namespace

uint16_t crc16X25(const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t n = 0; n < length; ++n) {
        crc ^= data[n];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : (crc >> 1);
    }
    return static_cast<uint16_t>(~crc);
}

PactorReceiver::PactorReceiver() {
    slow_.freqRingLength = kSlowFrequencyRing;
    slow_.envelopeMemory = kSlowEnvelopeMemory;
    slow_.clockMultiple = 1;
    slow_.frameBytes = kShortFrameBytes;
    fast_.freqRingLength = kFastFrequencyRing;
    fast_.envelopeMemory = kFastEnvelopeMemory;
    fast_.clockMultiple = 2;
    fast_.frameBytes = kLongFrameBytes;
    lastCall_.reserve(kCallBytes + 1);
    lastCall_ = kNeverACall;
    call_.reserve(kCallBytes + 1);
    setBaudRate(kDefaultBaudRate);
    setCarrierFrequency(kDefaultCarrierHz);
    configureSampleRate(kDefaultSampleRate);
}

void PactorReceiver::setCarrierFrequency(double hz) {
    carrierHz_ = hz;
    if (sampleRate_ == 0.0) {
        ncoStep_ = 0;
        return;
    }
    const auto step = static_cast<int64_t>(hz / sampleRate_ * 65536.0);
    ncoStep_ = static_cast<uint16_t>(static_cast<uint64_t>(step) & 0xFFFFu);
}

bool PactorReceiver::configureSampleRate(double rate) {
    if (!std::isfinite(rate) || !(rate > kDecimBaseRate))
        return false;  // the decimation step must stay below 65536
    const auto comb = static_cast<int64_t>((kDecimBaseRate / 2 + rate) / kDecimBaseRate);
    if (comb > kCombRingLength) return false;
    sampleRate_ = rate;
    combLength_ = static_cast<int>(comb);
    if (combIndex_ >= combLength_) combIndex_ = 0;
    decimStep_ = static_cast<uint16_t>(kDecimBaseRate * 65536.0 / rate);
    setCarrierFrequency(carrierHz_);
    redesignFilters();
    return true;
}

void PactorReceiver::resetState() {
    ring1I_.fill(0);
    ring1Q_.fill(0);
    ring2I_.fill(0);
    ring2Q_.fill(0);
    stage1I_ = stage2I_ = stage1Q_ = stage2Q_ = 0;
    combIndex_ = 0;
    ncoPhase_ = 0;
    decimPhase_ = 0;
    for (SpeedPath* path : {&slow_, &fast_}) {
        path->firI.reset();
        path->firQ.reset();
        path->prevPhase = 0;
        path->freqRing.fill(0);
        path->freqRingIndex = 0;
        path->freqSum = 0;
        path->bitClock = 0;
        path->frame.fill(0);
    }
}

void PactorReceiver::setBaudRate(double baud) {
    baudRate_ = baud;
    bitStep_ = static_cast<uint16_t>(static_cast<int64_t>(baud * 65536.0 / kDecimBaseRate));
}

void PactorReceiver::redesignFilters() {
    slowCutoff_ = kSlowFilterHz / kDecimBaseRate / 2;
    fastCutoff_ = kFastFilterHz / kDecimBaseRate / 2;
    slow_.firI.design(kFilterHalfLength, FirType::LowPass, slowCutoff_);
    slow_.firQ.design(kFilterHalfLength, FirType::LowPass, slowCutoff_);
    fast_.firI.design(kFilterHalfLength, FirType::LowPass, fastCutoff_);
    fast_.firQ.design(kFilterHalfLength, FirType::LowPass, fastCutoff_);
}

void PactorReceiver::processSamples(const int16_t* samples, int count) {
    if (samples == nullptr) return;
    for (int n = 0; n < count; ++n) {
        const int32_t s = samples[n];
        ncoPhase_ = static_cast<uint16_t>(ncoPhase_ + ncoStep_);
        const int32_t i = s * cos16(ncoPhase_) / 65536;
        const int32_t q = s * sin16(ncoPhase_) / 65536;

        // Two moving sums of combLength samples each (a triangular-weighted average).
        stage1I_ += i - ring1I_[combIndex_];
        ring1I_[combIndex_] = i;
        stage2I_ += stage1I_ - ring2I_[combIndex_];
        ring2I_[combIndex_] = stage1I_;
        stage1Q_ += q - ring1Q_[combIndex_];
        ring1Q_[combIndex_] = q;
        stage2Q_ += stage1Q_ - ring2Q_[combIndex_];
        ring2Q_[combIndex_] = stage1Q_;
        if (++combIndex_ >= combLength_) combIndex_ = 0;

        const uint32_t phase = uint32_t{decimPhase_} + decimStep_;
        decimPhase_ = static_cast<uint16_t>(phase);
        if (phase > 0xFFFFu) decimatedStep();
    }
}

void PactorReceiver::decimatedStep() {
    demodulate(slow_, slow_.firI.step(stage2I_), slow_.firQ.step(stage2Q_));
    demodulate(fast_, fast_.firI.step(stage2I_), fast_.firQ.step(stage2Q_));
}

// Frequency discriminator, self-centring tone slicer and bit clock of one speed.
void PactorReceiver::demodulate(SpeedPath& path, int32_t i, int32_t q) {
    const auto phase =
        static_cast<int32_t>(std::atan2(static_cast<double>(q), i) * kRadiansToAngle);
    int32_t f = angleDifference(path.prevPhase, phase) / kAnglePerFrequencyUnit;
    f = std::clamp(f, -kMaxFrequencyUnits, kMaxFrequencyUnits);
    path.prevPhase = phase;

    path.freqSum += f - path.freqRing[path.freqRingIndex];
    path.freqRing[path.freqRingIndex] = f;
    if (++path.freqRingIndex >= path.freqRingLength) path.freqRingIndex = 0;
    const int32_t e = path.freqSum;

    // The envelopes jump out to new extremes and creep back towards their midpoint.
    path.upperEnvelope = std::max(path.upperEnvelope, e);
    path.lowerEnvelope = std::min(path.lowerEnvelope, e);
    const int32_t mid = (path.upperEnvelope + path.lowerEnvelope) >> 1;
    const int32_t weight = path.envelopeMemory + 1;
    path.upperEnvelope = (mid + path.envelopeMemory * path.upperEnvelope) / weight;
    path.lowerEnvelope = (mid + path.envelopeMemory * path.lowerEnvelope) / weight;

    const int32_t tone = e > mid ? 1 : 0;
    path.bitClock += static_cast<int32_t>(bitStep_ * path.clockMultiple);
    if (tone == path.lastTone) {
        // A long run of one tone: give out a bit each time a further bit period has passed.
        if (path.bitClock > 2 * kClockOne) {
            emitBits(path, 1, path.lastTone);
            path.bitClock -= kClockOne;
        }
        return;
    }
    // A tone change ends the run: it held as many bits as the clock counts, rounded.
    if (tone == 1)
        path.upperEnvelope = e;
    else
        path.lowerEnvelope = e;
    emitBits(path, (path.bitClock + kClockHalf) >> 16, path.lastTone);
    path.lastTone = tone;
    path.bitClock = (path.bitClock - ((path.bitClock + kClockHalf) & ~(kClockOne - 1))) >> 1;
}

void PactorReceiver::emitBits(SpeedPath& path, int count, int bit) {
    for (int n = 0; n < count; ++n) {
        shiftIntoFrame(path, bit);
        examineFrame(path);
    }
}

// Bits arrive least significant first: the frame is a little-endian number shifted down, the
// new bit entering at the top of the last byte.
void PactorReceiver::shiftIntoFrame(SpeedPath& path, int bit) {
    const int last = path.frameBytes - 1;
    for (int b = 0; b < last; ++b)
        path.frame[b] = static_cast<uint8_t>((path.frame[b] >> 1) | ((path.frame[b + 1] & 1) << 7));
    path.frame[last] = static_cast<uint8_t>((path.frame[last] >> 1) | ((bit & 1) << 7));
}

void PactorReceiver::examineFrame(const SpeedPath& path) {
    const uint8_t* frame = path.frame.data();
    if (frame[0] != kHeaderA && frame[0] != kHeaderB) return;
    const int length = path.frameBytes;
    const uint8_t sent = frame[length - 3] & kStatusComplementMask;
    std::array<uint8_t, kLongFrameBytes> packet{};
    bool candidate = true;
    if (sent == 0) {
        std::copy_n(frame, length, packet.begin());
    } else if (sent == kStatusComplementMask) {
        for (int b = 0; b < length; ++b) packet[b] = static_cast<uint8_t>(~frame[b]);
    } else {
        candidate = false;
    }
    if (candidate && crc16X25(packet.data() + 1, length - 1) == kCrc16X25Residue) {
        handleDataPacket(packet.data(), length);
        return;
    }
    if (length == kShortFrameBytes) tryConnectFrame(frame);
}

void PactorReceiver::handleDataPacket(const uint8_t* packet, int length) {
    const uint8_t status = packet[length - 3];
    const auto counter = static_cast<int16_t>(status & kCounterMask);
    const auto crcWord = static_cast<uint16_t>(packet[length - 2] | (packet[length - 1] << 8));
    if (counter == lastCounter_ && crcWord == lastCrc_) return;  // a repetition
    if (((counter - lastCounter_) & kCounterMask) != 1) outputText(kLossMark);
    lastCounter_ = counter;
    lastCrc_ = crcWord;

    const int dataEnd = length - 3;  // data bytes 1..length-4
    if (status & kStatusHuffman) {
        huffman_.resetCursor();
        for (int b = 1; b < dataEnd; ++b) {
            for (int bit = 0; bit < 8; ++bit) {
                // A bit that leads out of the tree is dropped; decoding goes on from the node.
                const int ch = huffman_.step((packet[b] >> bit) & 1);
                if (ch >= 0 && ch != kFillerCharacter) outputChar(ch);
            }
        }
        return;
    }
    for (int b = 1; b < dataEnd; ++b)
        if (packet[b] != kFillerCharacter) outputChar(packet[b]);
}

// A frame that is no data packet may still carry the call sign of a connect request: up to
// eight digits and capitals closed by bytes of 15.
void PactorReceiver::tryConnectFrame(const uint8_t* frame) {
    std::array<uint8_t, kShortFrameBytes> bytes{};
    const bool inverted = frame[0] == kHeaderB;
    for (int b = 0; b < kShortFrameBytes; ++b)
        bytes[b] = inverted ? static_cast<uint8_t>(~frame[b]) : frame[b];
    const bool longPath = bytes[1] > kLongPathThreshold;
    if (longPath) bytes[1] = static_cast<uint8_t>(~bytes[1]);

    call_.clear();
    bool ended = false;
    for (int pos = 1; pos <= kCallBytes; ++pos) {
        const uint8_t b = bytes[pos];
        if (ended) {
            if (b != kCallEnd) return;
            continue;
        }
        if (b == kCallEnd) {
            ended = true;
        } else if ((pos == 1 && b == '!') || (pos >= 2 && b == '/')) {
            continue;
        } else if (isCallCharacter(b)) {
            call_.push_back(static_cast<char>(b));
        } else {
            return;
        }
    }
    // A call is announced from its second reception in a row on.
    if (call_ == lastCall_) {
        outputText(longPath ? "\r\n<Calling LP:" : "\r\n<Calling:");
        outputText(call_);
        outputText(">");
    }
    if (call_.size() >= kMinStoredCallLength && call_ != kIdleCall) lastCall_ = call_;
}

void PactorReceiver::outputText(std::string_view text) {
    for (char c : text) outputChar(static_cast<unsigned char>(c));
}

void PactorReceiver::outputChar(int ch) {
    if (output_) output_->putChar(0, ch);
}

}  // namespace tarnvel::modem
