#pragma once
// Values shared by every sound back end: block sizes, device descriptions, error codes.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnvel::audio {

// Receive blocks are small so that the display and the decoders react quickly; 48 of them
// absorb a stall of the station's thread of about 2.2 s at 11025 samples per second.
inline constexpr int kInputBlockSamples = 512;
inline constexpr int kInputBacklogBlocks = 48;
// Transmit keeps four buffers of 1024 samples (92.9 ms each at 11025) in flight.
inline constexpr int kOutputBufferSamples = 1024;
inline constexpr int kOutputBuffersInFlight = 4;

inline constexpr int kDefaultNominalRate = 11025;
// Device number meaning "the system's preferred device".
inline constexpr int kPreferredDevice = -1;
// Device number meaning "the device chosen by name is not there now": opening it fails (the
// preferred device is never put in its place).
inline constexpr int kMissingDevice = -2;

// What the station tells the operator when the sound card cannot be opened.
inline constexpr const char* kSoundCardUnavailableMessage =
    "Sound card is already in use or does not exist";

enum class SoundError : int {
    None = 0,
    NoDevice,           // no such device, or no device at all
    DeviceUnavailable,  // the device exists but refused to open (busy, or gone since listing)
    FormatRefused,      // no usable rate or channel count
    DeviceVanished,     // a running stream stopped on its own (server died, device unplugged)
    NotOpen,            // the operation needs an open stream
    BadBuffer,          // an output buffer index out of range or already queued
    OutputFull,         // more output queued than the stream can hold
    FileOpenFailed,
    FileReadFailed,
    WriteFailed,
    LibraryFailed,  // the audio library itself failed to start
};

// A short English description of an error code.
const char* soundErrorText(SoundError error);

// The outcome of an operation: the code plus a message naming what failed.
struct SoundResult {
    SoundError error = SoundError::None;
    std::string message;

    bool ok() const { return error == SoundError::None; }
    static SoundResult success() { return {}; }
    static SoundResult failure(SoundError error, std::string message) {
        return {error, std::move(message)};
    }
};

// One entry of a device list, as a device dialog shows it.
struct SoundDeviceInfo {
    std::string name;
    int maxChannels = 0;
    double defaultRate = 0.0;
};

// The device choice: plain values copied from the settings ("MixerDevice", "MixerDeviceOut",
// "SoundSampleRate", and the devices' names). Device numbers are positions in the input or
// output list; -1 is the system's preferred device. A device with a name is found by its name
// wherever the list now has it (see findDevicePosition).
// The USB sound device ("SoundDevType" other than 0): its serial device and its levels
// ("VolumeIn", "VolumeOut", 0..255).
struct UsbDeviceConfig {
    bool use = false;
    std::string device;
    int volumeIn = 255;
    int volumeOut = 255;
};

struct SoundCardConfig {
    int inputDeviceId = kPreferredDevice;
    int outputDeviceId = kPreferredDevice;
    int nominalRate = kDefaultNominalRate;
    // 0: try the nominal rate first and fall back to the device's own rate with conversion.
    // Otherwise the device is opened at this rate and converted (used to exercise conversion).
    int forcedDeviceRate = 0;
    std::string inputDeviceName;  // empty: the number alone counts (older settings)
    std::string outputDeviceName;
    UsbDeviceConfig usb;
};

// The position in `devices` of the device stored as number `deviceId` with `name`: with a name,
// the position that has it now (the stored position first, so that of two devices of the same
// name the same one is kept), or kMissingDevice when no device has it; without a name (or for
// the preferred device), deviceId as it is.
int findDevicePosition(const std::vector<SoundDeviceInfo>& devices, int deviceId,
                       const std::string& name);

enum class SoundDirection : uint8_t { Input, Output };

}  // namespace tarnvel::audio
