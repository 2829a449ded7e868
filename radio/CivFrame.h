#pragma once
// The Icom CI-V "set frequency" command (0x05) from this controller (0xE0) to a transceiver.
//
// FE FE addr E0 05 <frequency, BCD, two digits a byte, least significant byte first> FD.
// The oldest transceivers (address 04) take a four-byte frequency, so their frame has 10
// bytes; every other address gets five bytes and an 11-byte frame.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvel::radio {

inline constexpr uint8_t kCivPreamble = 0xFE;
inline constexpr uint8_t kCivEndOfMessage = 0xFD;
inline constexpr uint8_t kCivController = 0xE0;
inline constexpr uint8_t kCivSetFrequency = 0x05;
inline constexpr uint8_t kCivShortFrameAddress = 0x04;  // four-byte frequency

// A frame, or the reason none can be built.
struct CivFrame {
    std::vector<uint8_t> bytes;
    std::string error;
};

// The frame setting `hz` on the transceiver at `address`. A frequency that does not fit the
// frame's digits (100 MHz and up for address 04, 10 GHz and up otherwise) is refused rather
// than sent with its top digits cut off.
CivFrame civFrequencyFrame(uint8_t address, uint64_t hz);

// The band frequency in kHz as whole Hz, rounded; nothing for a negative or non-finite value.
std::optional<uint64_t> civHertzFromKhz(double khz);

// An empty text when `address` can be a transceiver's address; otherwise why not (the
// preamble, the end of message and the controller's own address would break every frame).
std::string civAddressProblem(int address);

// The address as the operator types it (hexadecimal, as shown with "%02x").
struct CivAddressInput {
    std::optional<uint8_t> address;
    std::string error;
};
CivAddressInput parseCivAddress(std::string_view text);

}  // namespace tarnvel::radio
