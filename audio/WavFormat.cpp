#include "audio/WavFormat.h"

#include <array>
#include <cstring>

namespace tarnvel::audio::wav {
namespace {

constexpr uint16_t kFormatFloat = 0x0003;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kExtensibleFmtBytes = 40;
constexpr uint16_t kExtensibleExtraBytes = 22;
// The GUID of a WAVE_FORMAT_EXTENSIBLE sub-format after its leading 16-bit format code.
constexpr std::array<uint8_t, 14> kSubFormatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

const char* formatTagName(uint16_t tag) {
    switch (tag) {
        case 0x0002:
            return "MS ADPCM";
        case 0x0006:
            return "A-law";
        case 0x0007:
            return "mu-law";
        case 0x0011:
            return "IMA ADPCM";
        case 0x0031:
            return "GSM 6.10";
        case 0x0050:
            return "MPEG";
        case 0x0055:
            return "MP3";
        default:
            return "compressed";
    }
}

}  // namespace

std::string chunkName(const uint8_t* id) {
    std::string name = "'";
    for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? char(id[i]) : '?';
    return name + "'";
}

// Checks the 'fmt ' chunk body; returns an empty string when it describes 16-bit PCM.
std::string checkFormat(const uint8_t* p, size_t size, Format& f) {
    if (size < kMinFmtBytes)
        return format("'fmt ' chunk is too short (%zu bytes, at least 16 needed)", size);
    f.tag = le16(p);
    f.channels = le16(p + 2);
    f.rate = le32(p + 4);
    f.blockAlign = le16(p + 12);
    f.bits = le16(p + 14);
    uint16_t encoding = f.tag;
    if (f.tag == kFormatExtensible) {
        if (size < kExtensibleFmtBytes || le16(p + 16) < kExtensibleExtraBytes)
            return "WAVE_FORMAT_EXTENSIBLE 'fmt ' chunk is too short";
        encoding = le16(p + 24);
        if (std::memcmp(p + 26, kSubFormatGuidTail.data(), kSubFormatGuidTail.size()) != 0)
            return "WAVE_FORMAT_EXTENSIBLE with an unknown sub-format is not supported "
                   "(16-bit PCM only)";
        const uint16_t validBits = le16(p + 18);
        if (encoding == kFormatPcm && f.bits == kBitsPerSample && validBits > kBitsPerSample)
            return format("%u valid bits in 16-bit samples is impossible", validBits);
    }
    if (encoding == kFormatFloat)
        return format("%u-bit floating-point samples are not supported (16-bit PCM only)", f.bits);
    if (encoding != kFormatPcm)
        return format("%s encoding (format tag 0x%04X) is not supported (16-bit PCM only)",
                      formatTagName(encoding), encoding);
    if (f.bits != kBitsPerSample)
        return format("%u-bit PCM is not supported (16-bit PCM only)", f.bits);
    if (f.channels == 0) return "the format declares no channels";
    if (f.blockAlign != f.channels * kBytesPerSample)
        return format("block alignment %u does not fit %u channel(s) of 16-bit samples",
                      f.blockAlign, f.channels);
    if (f.rate == 0) return "the sample rate is 0";
    return {};
}

}  // namespace tarnvel::audio::wav
