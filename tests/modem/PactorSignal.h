#pragma once
// Test-only PACTOR transmitter: builds 100- and 200-baud packets and connect frames, sent
// through the shared FSK generator.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FskSignal.h"
#include "modem/HuffmanTree.h"
#include "modem/PactorReceiver.h"

namespace tarnvel::modem::testing {

enum class PactorSpeed { Slow, Fast };  // 100 and 200 baud

inline int frameBytes(PactorSpeed speed) {
    return speed == PactorSpeed::Slow ? PactorReceiver::kShortFrameBytes
                                      : PactorReceiver::kLongFrameBytes;
}
inline int dataBytes(PactorSpeed speed) {
    return frameBytes(speed) - 4;
}
inline double baudOf(PactorSpeed speed) {
    return speed == PactorSpeed::Slow ? 100.0 : 200.0;
}

constexpr uint8_t kFiller = 30;

// Packs text into data bytes with the Huffman code, least significant bit of each byte first,
// and pads the rest with repetitions of the filler's code (a cut-off filler prints nothing).
inline std::vector<uint8_t> huffmanData(std::string_view text, int byteCount) {
    std::vector<int> bits;
    auto append = [&bits](int ch) {
        const HuffmanCode code = PactorHuffmanCodeTable[ch];
        for (int n = code.length - 1; n >= 0; --n) bits.push_back((code.bits >> n) & 1);
    };
    const size_t capacity = static_cast<size_t>(byteCount) * 8;
    for (char c : text) {
        if (bits.size() + PactorHuffmanCodeTable[static_cast<unsigned char>(c)].length > capacity)
            break;  // only whole codes: the rest of the text would go in the next packet
        append(static_cast<unsigned char>(c));
    }
    while (bits.size() < capacity) append(kFiller);
    std::vector<uint8_t> data(byteCount, 0);
    for (size_t n = 0; n < capacity; ++n) data[n / 8] |= static_cast<uint8_t>(bits[n] << (n % 8));
    return data;
}

struct PacketOptions {
    int counter = 1;
    bool huffman = false;
    bool complemented = false;
    uint8_t header = 0x55;
    uint8_t extraStatus = 0;  // further status bits, covered by the CRC
};

// A data packet: header, data (text padded with filler), status, CRC (low byte first).
inline std::vector<uint8_t> dataPacket(PactorSpeed speed, std::string_view text,
                                       const PacketOptions& options) {
    const int n = dataBytes(speed);
    std::vector<uint8_t> packet{options.header};
    if (options.huffman) {
        const auto data = huffmanData(text, n);
        packet.insert(packet.end(), data.begin(), data.end());
    } else {
        for (int i = 0; i < n; ++i)
            packet.push_back(i < static_cast<int>(text.size()) ? static_cast<uint8_t>(text[i])
                                                               : kFiller);
    }
    packet.push_back(static_cast<uint8_t>((options.counter & 3) | (options.huffman ? 4 : 0) |
                                          options.extraStatus));
    const uint16_t crc = crc16X25(packet.data() + 1, packet.size() - 1);
    packet.push_back(static_cast<uint8_t>(crc & 0xFF));
    packet.push_back(static_cast<uint8_t>(crc >> 8));
    if (options.complemented)
        for (auto& b : packet) b = static_cast<uint8_t>(~b);
    return packet;
}

// A 100-baud connect frame: the call sign closed by bytes of 15 (no valid CRC).
inline std::vector<uint8_t> connectFrame(std::string_view call, bool longPath = false) {
    std::vector<uint8_t> frame(PactorReceiver::kShortFrameBytes, 15);
    frame[0] = 0x55;
    for (size_t i = 0; i < call.size() && i < 8; ++i) frame[1 + i] = static_cast<uint8_t>(call[i]);
    if (longPath) frame[1] = static_cast<uint8_t>(~frame[1]);
    return frame;
}

inline void appendBytes(std::vector<int>& bits, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
        for (int n = 0; n < 8; ++n) bits.push_back((b >> n) & 1);
}

inline void appendIdle(std::vector<int>& bits, int count) {
    for (int n = 0; n < count; ++n) bits.push_back(n & 1);
}

// Bits of a whole transmission: idle, then each frame followed by a little idle.
inline std::vector<int> transmission(const std::vector<std::vector<uint8_t>>& frames) {
    std::vector<int> bits;
    appendIdle(bits, 48);
    for (const auto& f : frames) {
        appendBytes(bits, f);
        appendIdle(bits, 24);
    }
    appendIdle(bits, 48);
    return bits;
}

}  // namespace tarnvel::modem::testing
