#include "audio/WavFile.h"

#include "audio/WavFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace tarnvel::audio {
namespace {

using namespace wav;

constexpr size_t kReadBlockBytes = 1 << 16;
constexpr int kSamplesPerWriteBlock = 4096;
constexpr int kTemporaryNameAttempts = 100;

void putLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
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

WavReadResult failure(std::string message) {
    WavReadResult r;
    r.error = std::move(message);
    return r;
}

// Copies one channel of the data chunk into result.samples.
std::string readChannel(int fd, uint64_t dataOffset, uint64_t dataBytes, const Format& f,
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

namespace {

// The size fields of programs that write a WAV header before they know the length (recording
// to a pipe): 0 or all ones.
bool unknownSize(uint32_t size) {
    return size == 0 || size == 0xFFFFFFFFu;
}

// What a walk over the chunks found.
struct ChunkWalk {
    std::string error;
    std::string warning;
    bool haveFormat = false;
    bool haveData = false;
    Format fmt;
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0;
};

std::string cutShortWarning(const uint8_t* chunk, uint64_t declared, uint64_t held) {
    return format(
        "the file is cut short: its %s chunk declares %llu bytes, the file holds %llu; "
        "reading what is there",
        chunkName(chunk).c_str(), static_cast<unsigned long long>(declared),
        static_cast<unsigned long long>(held));
}

// Walks every chunk inside the RIFF container; only 'fmt ' and 'data' matter. With
// acceptCutShort a file that ends before its sizes say keeps what it holds (with a warning),
// and a data chunk of unknown size runs to the end of the file.
ChunkWalk walkChunks(int fd, uint64_t fileSize, uint32_t riffSize, bool acceptCutShort) {
    ChunkWalk w;
    const bool streamed = acceptCutShort && unknownSize(riffSize);
    const uint64_t riffEnd = streamed ? fileSize : kChunkHeaderBytes + uint64_t{riffSize};
    uint64_t pos = kRiffHeaderBytes;
    while (pos + kChunkHeaderBytes <= riffEnd) {
        if (pos >= fileSize) break;  // reported below as a truncated file
        uint8_t chunk[kChunkHeaderBytes];
        if (pos + kChunkHeaderBytes > fileSize) {
            if (acceptCutShort && w.haveData) {
                w.warning = "the file is cut short inside a chunk header; reading what is there";
                return w;
            }
            w.error = format("chunk header at byte %llu is truncated",
                             static_cast<unsigned long long>(pos));
            return w;
        }
        if (!readAt(fd, pos, chunk, kChunkHeaderBytes)) {
            w.error = format("read error: %s", std::strerror(errno));
            return w;
        }
        const uint32_t size = le32(chunk + 4);
        const uint64_t body = pos + kChunkHeaderBytes;
        const bool isData = std::memcmp(chunk, "data", 4) == 0 && !w.haveData;
        if (acceptCutShort && isData &&
            (size == 0xFFFFFFFFu || (size == 0 && streamed) || body + size > fileSize)) {
            if (body + size > fileSize && size != 0xFFFFFFFFu)
                w.warning = cutShortWarning(chunk, size, fileSize - body);
            w.dataOffset = body;
            w.dataBytes = fileSize - body;
            w.haveData = true;
            return w;  // the data runs to the end of the file
        }
        const uint64_t end = body + size;
        if (end > fileSize) {
            if (acceptCutShort && w.haveData) {
                w.warning = cutShortWarning(chunk, size, fileSize - body);
                return w;
            }
            w.error = format("%s chunk is truncated: it declares %u bytes, the file holds %llu",
                             chunkName(chunk).c_str(), size,
                             static_cast<unsigned long long>(fileSize - body));
            return w;
        }
        if (end > riffEnd) {
            w.error = format(
                "%s chunk is oversized: it runs %llu bytes past the end of the "
                "RIFF container",
                chunkName(chunk).c_str(), static_cast<unsigned long long>(end - riffEnd));
            return w;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !w.haveFormat) {
            std::vector<uint8_t> bodyBytes(size);
            if (!readAt(fd, body, bodyBytes.data(), size)) {
                w.error = format("read error: %s", std::strerror(errno));
                return w;
            }
            w.error = checkFormat(bodyBytes.data(), bodyBytes.size(), w.fmt);
            if (!w.error.empty()) return w;
            w.haveFormat = true;
        } else if (isData) {
            w.dataOffset = body;
            w.dataBytes = size;
            w.haveData = true;
        }
        pos = end + (size & 1u);  // odd-sized chunks are followed by a pad byte
    }
    // A missing pad byte after the last chunk is tolerated; anything more is lost data.
    if (riffEnd > fileSize + 1 && pos < riffEnd) {
        std::string problem = format(
            "file is truncated: the RIFF header announces %llu bytes, the file holds %llu",
            static_cast<unsigned long long>(riffEnd), static_cast<unsigned long long>(fileSize));
        if (acceptCutShort)
            w.warning = problem + "; reading what is there";
        else
            w.error = std::move(problem);
    }
    return w;
}

}  // namespace

WavReadResult readWavFile(const std::string& fileName, unsigned channel, CutShort cutShort) {
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

    ChunkWalk w = walkChunks(fd, fileSize, le32(header + 4), cutShort == CutShort::Accept);
    if (!w.error.empty()) return failure(std::move(w.error));
    if (!w.haveFormat) return failure("no 'fmt ' chunk");
    if (!w.haveData) return failure("no 'data' chunk");
    if (channel >= w.fmt.channels)
        return failure(format("channel %u does not exist: the file has %u channel(s)", channel + 1,
                              w.fmt.channels));

    WavReadResult result;
    std::string problem =
        readChannel(fd, w.dataOffset, w.dataBytes, w.fmt, channel, result.samples);
    if (!problem.empty()) return failure(std::move(problem));
    result.ok = true;
    result.warning = std::move(w.warning);
    result.sampleRate = w.fmt.rate;
    result.channelCount = w.fmt.channels;
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
