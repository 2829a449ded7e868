#pragma once
// Receive-only monitor of PACTOR traffic: demodulates the two-tone FSK signal at 100 and at
// 200 baud at once, assembles and checks the packets of both speeds, drops repetitions, marks
// losses, decodes plain or Huffman text, and announces called stations.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "modem/CharacterSink.h"
#include "modem/HuffmanTree.h"
#include "modem/ModeReceiver.h"
#include "modem/SymmetricFir.h"

namespace tarnvel::modem {

// Receives the monitor's text, one character at a time.
class PactorTextOutput {
  public:
    virtual ~PactorTextOutput() = default;
    virtual void putChar(int16_t channelId, int ch) = 0;
};

// CRC-16/X.25 (reflected polynomial 0x8408, start 0xFFFF, final complement). Run over a block
// followed by its own CRC (low byte first) it gives kCrc16X25Residue.
uint16_t crc16X25(const uint8_t* data, size_t length);
inline constexpr uint16_t kCrc16X25Residue = 0x0F47;

class PactorReceiver : public ModeReceiver {
  public:
    static constexpr int kShortFrameBytes = 12;  // 100 baud: header, 8 data, status, CRC
    static constexpr int kLongFrameBytes = 24;   // 200 baud: header, 20 data, status, CRC
    static constexpr int kCombRingLength = 80;
    static constexpr int kDecimBaseRate = 1400;  // decimated samples per second
    static constexpr int kFilterHalfLength = 16;

    PactorReceiver();

    // Retunes the oscillator to the centre between the two tones.
    void setCarrierFrequency(double hz) override;
    // Recomputes the comb length, the decimation step and the oscillator step, and redesigns
    // the four filters. Returns false, changing nothing, for a rate the front end cannot run
    // at (the comb would outgrow its rings or the decimation clock its 16 bits).
    bool configureSampleRate(double rate);
    void setSampleRate(double rate) override { configureSampleRate(rate); }
    // Clears the front end, the filters and both demodulators; the packet state (last
    // counter, CRC and call) and the tones' envelopes carry on.
    void resetState() override;
    // Sets the slower of the two bit rates (the other is twice it).
    void setBaudRate(double baud);

    // Text and messages go to the receive text buffer through this sink (not owned).
    void attachOutput(CharacterSink* output) { output_ = output; }

    void processSamples(const int16_t* samples, int count) override;

    double carrierFrequency() const { return carrierHz_; }
    double sampleRate() const { return sampleRate_; }
    uint16_t ncoStep() const { return ncoStep_; }
    int combLength() const { return combLength_; }
    uint16_t decimStep() const { return decimStep_; }
    uint16_t bitStep() const { return bitStep_; }
    double slowFilterCutoff() const { return slowCutoff_; }
    double fastFilterCutoff() const { return fastCutoff_; }

  private:
    static constexpr int kMaxFrequencyRing = 12;

    // One demodulator and packet assembler per speed.
    struct SpeedPath {
        SymmetricFir firI;
        SymmetricFir firQ;
        int32_t prevPhase = 0;
        std::array<int32_t, kMaxFrequencyRing> freqRing{};
        int freqRingLength = kMaxFrequencyRing;
        int freqRingIndex = 0;
        int32_t freqSum = 0;
        int32_t upperEnvelope = 600;
        int32_t lowerEnvelope = -600;
        int32_t envelopeMemory = 127;  // weight of the old envelope against the midpoint
        int32_t bitClock = 0;
        uint32_t clockMultiple = 1;  // bit clock advances clockMultiple x bitStep per sample
        int32_t lastTone = 0;
        std::array<uint8_t, kLongFrameBytes> frame{};
        int frameBytes = kShortFrameBytes;
    };

    void decimatedStep();
    void demodulate(SpeedPath& path, int32_t i, int32_t q);
    void emitBits(SpeedPath& path, int count, int bit);
    void shiftIntoFrame(SpeedPath& path, int bit);
    void examineFrame(const SpeedPath& path);
    void handleDataPacket(const uint8_t* packet, int length);
    void tryConnectFrame(const uint8_t* frame);
    void outputText(std::string_view text);
    void outputChar(int ch);
    void redesignFilters();

    // Front end.
    uint16_t ncoPhase_ = 0;
    uint16_t ncoStep_ = 0;
    std::array<int32_t, kCombRingLength> ring1I_{};
    std::array<int32_t, kCombRingLength> ring1Q_{};
    std::array<int32_t, kCombRingLength> ring2I_{};
    std::array<int32_t, kCombRingLength> ring2Q_{};
    int32_t stage1Q_ = 0;
    int32_t stage2Q_ = 0;
    int32_t stage1I_ = 0;
    int32_t stage2I_ = 0;
    int combIndex_ = 0;
    int combLength_ = 1;
    uint16_t decimPhase_ = 0;
    uint16_t decimStep_ = 0;
    double carrierHz_ = 700.0;
    double sampleRate_ = 0.0;
    double baudRate_ = 100.0;
    uint16_t bitStep_ = 0;
    double slowCutoff_ = 0.0;
    double fastCutoff_ = 0.0;

    SpeedPath slow_;  // 100 baud
    SpeedPath fast_;  // 200 baud

    // Packet state.
    int16_t lastCounter_ = 0;
    uint16_t lastCrc_ = 0;
    std::string lastCall_;
    std::string call_;  // scratch for the call sign being read

    HuffmanTree huffman_;
    CharacterSink* output_ = nullptr;
};

}  // namespace tarnvel::modem
