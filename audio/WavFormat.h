#pragma once
// The pieces of the RIFF WAVE format shared by the file reader and the stream reader: the
// little-endian fields, the chunk layout and the check of a 'fmt ' chunk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnvel::audio::wav {

inline constexpr uint16_t kFormatPcm = 0x0001;
inline constexpr uint32_t kMinFmtBytes = 16;
inline constexpr uint16_t kBitsPerSample = 16;
inline constexpr uint32_t kBytesPerSample = 2;
inline constexpr uint32_t kChunkHeaderBytes = 8;
inline constexpr uint32_t kRiffHeaderBytes = 12;  // "RIFF", size, "WAVE"

inline uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

// Checks a 'fmt ' chunk body of `size` bytes; returns an empty string when it describes
// 16-bit PCM (plain or WAVE_FORMAT_EXTENSIBLE), else the problem in a few words.
std::string checkFormat(const uint8_t* body, size_t size, Format& f);

// A chunk id as printable text ('fmt ', 'data'); odd bytes become '?'.
std::string chunkName(const uint8_t* id);

// printf-style formatting of a short message.
template <typename... Args>
std::string format(const char* fmt, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

}  // namespace tarnvel::audio::wav
