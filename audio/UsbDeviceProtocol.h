#pragma once
// The byte stream of the USB sound device: a virtual serial port at 115200 baud, 8N1, raw,
// carrying samples both ways, the codec's settings and a few one-byte commands.
//
// From the device: records, parsed byte by byte (bytes outside a record are skipped):
//   'p' high low                 one sample, high * 256 + low, signed 16-bit
//   0x10 high low x x x          one sample; the three further bytes are the device's own
//   '0' byte                     a character the device sends
// To the device: 'p' high low per transmit sample ('C' 0 0 in place of the very first one of
// a transmission), codec register writes ' ' register value value, and the commands 'G'
// (start receiving), 'F' (stop receiving), 'B' (stop transmitting) and 0x40.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarnvel::audio::usb {

inline constexpr int kDeviceRate = 10417;  // the device's nominal samples per second
inline constexpr int kBaud = 115200;

inline constexpr uint8_t kSampleRecord = 'p';
inline constexpr uint8_t kExtendedSampleRecord = 0x10;
inline constexpr uint8_t kCharacterRecord = '0';
inline constexpr uint8_t kFirstSample = 'C';
inline constexpr uint8_t kRegisterWrite = ' ';
inline constexpr uint8_t kStartReceive = 'G';
inline constexpr uint8_t kStopReceive = 'F';
inline constexpr uint8_t kStopTransmit = 'B';
inline constexpr uint8_t kControl = 0x40;

// Codec registers the levels live in.
inline constexpr uint8_t kOutputLevelRegister = 2;
inline constexpr uint8_t kInputLevelRegister = 28;

// Transmit audio travels in blocks of 1024 samples, three bytes each; eight blocks may be
// on their way to the device at once.
inline constexpr int kBlockSamples = 1024;
inline constexpr std::size_t kBlockBytes = 3 * kBlockSamples;
inline constexpr int kWritesInFlight = 8;

inline constexpr std::size_t kConfigurationBytes = 106;
inline constexpr std::size_t kLevelUpdateBytes = 29;
inline constexpr std::size_t kShutdownBytes = 8;

// The codec's levels: the output attenuation (0 loudest .. 31) and the input gain (0..15).
struct Levels {
    int vOut = 0;
    int vIn = 15;
    bool operator==(const Levels&) const = default;
};

// The levels for "VolumeIn" and "VolumeOut" (0..255; values outside are taken as the
// nearest end, so that a damaged setting cannot put a byte beyond the codec's range).
Levels levelsFor(int volumeIn, int volumeOut);

// Sent once when the link opens: register set-up with the levels, then 'B', 0x40, 'G'.
std::array<uint8_t, kConfigurationBytes> configurationBlock(Levels levels);
// Sent while receiving when the levels changed.
std::array<uint8_t, kLevelUpdateBytes> levelUpdate(Levels levels);
// Sent before the link closes: stop receiving and transmitting.
std::array<uint8_t, kShutdownBytes> shutdownSequence();

// One transmit block of 1024 samples; the first sample of a transmission goes as 'C' 0 0.
void encodeBlock(std::span<const int16_t, kBlockSamples> samples, bool firstOfTransmission,
                 std::span<uint8_t, kBlockBytes> out);
// The block that ends a transmission: its last three bytes become 'B' 'G' 0, so that the
// device returns to receive without a gap.
void markTransmissionEnd(std::span<uint8_t, kBlockBytes> block);

// Splits the device's byte stream into samples and characters. The state carries over
// between calls, so a record may arrive split across reads.
class RecordParser {
  public:
    // Parses `bytes`, appending samples to `samples` (which must hold bytes.size() / 3 + 1
    // more) and characters to `characters`; returns the number of samples appended.
    std::size_t parse(std::span<const uint8_t> bytes, int16_t* samples, std::string& characters);
    void reset() { state_ = State::Idle; }

  private:
    enum class State : uint8_t {
        Idle,
        SampleHigh,
        SampleLow,
        ExtendedHigh,
        ExtendedLow,
        ExtendedSkip1,
        ExtendedSkip2,
        ExtendedSkip3,
        Character,
    };
    State state_ = State::Idle;
    uint8_t high_ = 0;
};

}  // namespace tarnvel::audio::usb
