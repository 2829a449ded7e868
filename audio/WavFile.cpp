#include "audio/WavFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace tarnvel::audio {
namespace {

constexpr uint16_t kFormatPcm = 0x0001;
constexpr uint16_t kFormatFloat = 0x0003;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kMinFmtBytes = 16;
constexpr uint32_t kExtensibleFmtBytes = 40;
constexpr uint16_t kExtensibleExtraBytes = 22;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kBytesPerSample = 2;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kRiffHeaderBytes = 12;  // "RIFF", size, "WAVE"
// The GUID of a WAVE_FORMAT_EXTENSIBLE sub-format after its leading 16-bit format code.
constexpr std::array<uint8_t, 14> kSubFormatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr size_t kReadBlockBytes = 1 << 16;
constexpr int kSamplesPerWriteBlock = 4096;
constexpr int kTemporaryNameAttempts = 100;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void putLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string format(const char* fmt, auto... args) {
    char text[256];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

// A chunk id as printable text ('fmt ', 'data'); odd bytes become '?'.
std::string chunkName(const uint8_t* id) {
    std::string name = "'";
    for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? char(id[i]) : '?';
    return name + "'";
}

// Reads exactly n bytes at offset; false with errno set on failure or early end of file.
bool readAt(int fd, uint64_t offset, uint8_t* out, size_t n) {
    while (n > 0) {
        const ssize_t got = ::pread(fd, out, n, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) {
            errno = EIO;  // the file shrank while it was read
            return false;
        }
        out += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

class FileCloser {
  public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

  private:
    int fd_;
};

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

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

// Checks the 'fmt ' chunk body; returns an empty string when it describes 16-bit PCM.
std::string checkFormat(const std::vector<uint8_t>& body, Format& f) {
    if (body.size() < kMinFmtBytes)
        return format("'fmt ' chunk is too short (%zu bytes, at least 16 needed)", body.size());
    const uint8_t* p = body.data();
    f.tag = le16(p);
    f.channels = le16(p + 2);
    f.rate = le32(p + 4);
    f.blockAlign = le16(p + 12);
    f.bits = le16(p + 14);
    uint16_t encoding = f.tag;
    if (f.tag == kFormatExtensible) {
        if (body.size() < kExtensibleFmtBytes || le16(p + 16) < kExtensibleExtraBytes)
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

WavReadResult failure(std::string message) {
    WavReadResult r;
    r.error = std::move(message);
    return r;
}

// Copies one channel of the data chunk into result.samples.
std::string readChannel(int fd, uint64_t dataOffset, uint32_t dataBytes, const Format& f,
                        unsigned channel, std::vector<int16_t>& samples) {
    const uint64_t frames = dataBytes / f.blockAlign;  // a trailing partial frame is ignored
    try {
        samples.resize(static_cast<size_t>(frames));
    } catch (const std::bad_alloc&) {
        return "the recording is too large to read into memory";
    }
    const size_t framesPerBlock = kReadBlockBytes / f.blockAlign;
    std::vector<uint8_t> block(framesPerBlock * f.blockAlign);
    uint64_t done = 0;
    while (done < frames) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(framesPerBlock, frames - done));
        if (!readAt(fd, dataOffset + done * f.blockAlign, block.data(), n * f.blockAlign))
            return format("read error: %s", std::strerror(errno));
        const uint8_t* p = block.data() + channel * kBytesPerSample;
        for (size_t i = 0; i < n; ++i, p += f.blockAlign)
            samples[done + i] = static_cast<int16_t>(le16(p));
        done += n;
    }
    return {};
}

}  // namespace

WavReadResult readWavFile(const std::string& fileName, unsigned channel) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(format("cannot open: %s", std::strerror(errno)));
    FileCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return failure(format("cannot read: %s", std::strerror(errno)));
    if (S_ISDIR(st.st_mode)) return failure("is a directory, not a WAV file");
    if (!S_ISREG(st.st_mode)) return failure("is not a regular file");
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);

    uint8_t header[kRiffHeaderBytes];
    if (fileSize < kRiffHeaderBytes) return failure("not a RIFF/WAVE file (too short)");
    if (!readAt(fd, 0, header, kRiffHeaderBytes))
        return failure(format("cannot read: %s", std::strerror(errno)));
    if (std::memcmp(header, "RF64", 4) == 0)
        return failure("RF64 (64-bit RIFF) files are not supported");
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return failure("not a RIFF/WAVE file");
    const uint64_t riffEnd = kChunkHeaderBytes + uint64_t{le32(header + 4)};

    // Walk every chunk inside the RIFF container; only 'fmt ' and 'data' matter.
    bool haveFormat = false, haveData = false;
    Format fmt;
    uint64_t dataOffset = 0;
    uint32_t dataBytes = 0;
    uint64_t pos = kRiffHeaderBytes;
    while (pos + kChunkHeaderBytes <= riffEnd) {
        if (pos >= fileSize) break;  // reported below as a truncated file
        uint8_t chunk[kChunkHeaderBytes];
        if (pos + kChunkHeaderBytes > fileSize)
            return failure(format("chunk header at byte %llu is truncated",
                                  static_cast<unsigned long long>(pos)));
        if (!readAt(fd, pos, chunk, kChunkHeaderBytes))
            return failure(format("read error: %s", std::strerror(errno)));
        const uint32_t size = le32(chunk + 4);
        const uint64_t body = pos + kChunkHeaderBytes;
        const uint64_t end = body + size;
        if (end > fileSize)
            return failure(format(
                "%s chunk is truncated: it declares %u bytes, the file holds %llu",
                chunkName(chunk).c_str(), size, static_cast<unsigned long long>(fileSize - body)));
        if (end > riffEnd)
            return failure(
                format("%s chunk is oversized: it runs %llu bytes past the end of the "
                       "RIFF container",
                       chunkName(chunk).c_str(), static_cast<unsigned long long>(end - riffEnd)));
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            std::vector<uint8_t> bodyBytes(size);
            if (!readAt(fd, body, bodyBytes.data(), size))
                return failure(format("read error: %s", std::strerror(errno)));
            std::string problem = checkFormat(bodyBytes, fmt);
            if (!problem.empty()) return failure(std::move(problem));
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            dataOffset = body;
            dataBytes = size;
            haveData = true;
        }
        pos = end + (size & 1u);  // odd-sized chunks are followed by a pad byte
    }
    // A missing pad byte after the last chunk is tolerated; anything more is lost data.
    if (riffEnd > fileSize + 1 && pos < riffEnd)
        return failure(format(
            "file is truncated: the RIFF header announces %llu bytes, the file "
            "holds %llu",
            static_cast<unsigned long long>(riffEnd), static_cast<unsigned long long>(fileSize)));
    if (!haveFormat) return failure("no 'fmt ' chunk");
    if (!haveData) return failure("no 'data' chunk");
    if (channel >= fmt.channels)
        return failure(format("channel %u does not exist: the file has %u channel(s)", channel + 1,
                              fmt.channels));

    WavReadResult result;
    std::string problem = readChannel(fd, dataOffset, dataBytes, fmt, channel, result.samples);
    if (!problem.empty()) return failure(std::move(problem));
    result.ok = true;
    result.sampleRate = fmt.rate;
    result.channelCount = fmt.channels;
    return result;
}

namespace {

// Writes all n bytes; returns 0 or errno.
int writeAll(int fd, const uint8_t* data, size_t n) {
    while (n > 0) {
        const ssize_t put = ::write(fd, data, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += put;
        n -= static_cast<size_t>(put);
    }
    return 0;
}

int checkWavArguments(const int16_t* samples, int rate, int count) {
    if (count < 0 || rate <= 0 || (count > 0 && samples == nullptr)) return EINVAL;
    // The RIFF size field (file size - 8) must hold 36 + 2 * count.
    if (uint64_t{36} + uint64_t{2} * static_cast<uint64_t>(count) > 0xFFFFFFFFull) return EFBIG;
    return 0;
}

int writeWavBody(int fd, const int16_t* samples, int rate, int count, int start) {
    const uint32_t dataBytes = static_cast<uint32_t>(count) * kBytesPerSample;
    uint8_t h[kWavHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    putLe32(h + 4, kWavHeaderBytes - kChunkHeaderBytes + dataBytes);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    putLe32(h + 16, kMinFmtBytes);
    putLe16(h + 20, kFormatPcm);
    putLe16(h + 22, 1);
    putLe32(h + 24, static_cast<uint32_t>(rate));
    putLe32(h + 28, static_cast<uint32_t>(rate) * kBytesPerSample);
    putLe16(h + 32, kBytesPerSample);
    putLe16(h + 34, kBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    putLe32(h + 40, dataBytes);
    if (int err = writeAll(fd, h, sizeof h)) return err;

    // Any start index is taken modulo the ring size.
    int index = count > 0 ? ((start % count) + count) % count : 0;
    uint8_t block[kSamplesPerWriteBlock * kBytesPerSample];
    for (int done = 0; done < count;) {
        const int n = std::min(kSamplesPerWriteBlock, count - done);
        for (int i = 0; i < n; ++i) {
            putLe16(block + i * kBytesPerSample, static_cast<uint16_t>(samples[index]));
            if (++index == count) index = 0;
        }
        if (int err = writeAll(fd, block, static_cast<size_t>(n) * kBytesPerSample)) return err;
        done += n;
    }
    return 0;
}

}  // namespace

int writeWavFile(const int16_t* samples, int rate, int count, const std::string& fileName,
                 int start) {
    if (int err = checkWavArguments(samples, rate, count)) return err;
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    const int err = writeWavBody(fd, samples, rate, count, start);
    if (::close(fd) != 0 && err == 0) return errno;
    return err;
}

int writeWavFileSafely(const int16_t* samples, int rate, int count, const std::string& fileName,
                       int start) {
    if (int err = checkWavArguments(samples, rate, count)) return err;
    // A fresh name next to the target (same file system, so the rename is atomic); an existing
    // file of that name is never reused.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = fileName + ".tmp";
        if (attempt > 0) temporary += std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return errno;
    }
    if (fd < 0) return EEXIST;
    int err = writeWavBody(fd, samples, rate, count, start);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temporary.c_str(), fileName.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(temporary.c_str());
    return err;
}

}  // namespace tarnvel::audio
