#include "radio/CivFrame.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tarnvel::radio {

namespace {

constexpr uint64_t kShortFrameLimitHz = 100'000'000ULL;   // four BCD bytes
constexpr uint64_t kLongFrameLimitHz = 10'000'000'000ULL;  // five BCD bytes

uint8_t bcdPair(uint64_t value) {
    const auto v = static_cast<uint8_t>(value % 100);
    return static_cast<uint8_t>((v / 10) << 4 | (v % 10));
}

std::string hexByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value) & 0xffu);
    return text;
}

}  // namespace

CivFrame civFrequencyFrame(uint8_t address, uint64_t hz) {
    const bool shortFrame = address == kCivShortFrameAddress;
    if (const auto problem = civAddressProblem(address); !problem.empty()) return {{}, problem};
    if (hz >= (shortFrame ? kShortFrameLimitHz : kLongFrameLimitHz)) {
        return {{},
                "The frequency " + std::to_string(hz) + " Hz does not fit the CI-V frame of " +
                    "address " + hexByte(address) + (shortFrame ? " (below 100 MHz)" : "")};
    }
    CivFrame frame;
    frame.bytes = {kCivPreamble, kCivPreamble, address, kCivController, kCivSetFrequency};
    const int digitBytes = shortFrame ? 4 : 5;
    uint64_t rest = hz;
    for (int i = 0; i < digitBytes; ++i, rest /= 100) frame.bytes.push_back(bcdPair(rest));
    frame.bytes.push_back(kCivEndOfMessage);
    return frame;
}

std::optional<uint64_t> civHertzFromKhz(double khz) {
    if (!std::isfinite(khz) || khz < 0.0) return std::nullopt;
    const double hz = khz * 1000.0 + 0.5;
    if (hz >= 1.8e19) return std::nullopt;
    return static_cast<uint64_t>(hz);
}

std::string civAddressProblem(int address) {
    if (address < 0 || address > 0xFF) {
        return "The CI-V address " + std::to_string(address) + " is not one byte (00 to FF)";
    }
    if (address == kCivPreamble || address == kCivEndOfMessage || address == kCivController) {
        return "The CI-V address " + hexByte(address) +
               " cannot be used: it is a byte of the frame itself (FE, FD or E0)";
    }
    return {};
}

CivAddressInput parseCivAddress(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 0xFF) {
        return {std::nullopt, "The CI-V address \"" + std::string(text) +
                                  "\" is not a hexadecimal byte (00 to FF)"};
    }
    if (auto problem = civAddressProblem(static_cast<int>(value)); !problem.empty()) {
        return {std::nullopt, problem};
    }
    return {static_cast<uint8_t>(value), {}};
}

}  // namespace tarnvel::radio
