#include "audio/WavStreamReader.h"

#include <algorithm>
#include <cstring>

namespace tarnvel::audio {
namespace {

using namespace wav;

// No real 'fmt ' chunk comes near this; a larger one is a damaged or hostile stream.
constexpr uint32_t kMaxFormatBytes = 1024;

bool unknownSize(uint32_t size) {
    return size == 0 || size == 0xFFFFFFFFu;
}

}  // namespace

WavStreamReader::WavStreamReader(unsigned channel) : channel_(channel) {}

WavStreamReader WavStreamReader::raw(uint32_t rate) {
    WavStreamReader reader(0);
    reader.format_ =
        Format{kFormatPcm, 1, rate, static_cast<uint16_t>(kBytesPerSample), kBitsPerSample};
    reader.haveFormat_ = true;
    reader.stage_ = Stage::Data;
    reader.unbounded_ = true;
    return reader;
}

bool WavStreamReader::fail(std::string message) {
    error_ = std::move(message);
    stage_ = Stage::Failed;
    return false;
}

bool WavStreamReader::readHeaderBytes(std::span<const uint8_t>& bytes, size_t wanted) {
    const size_t n = std::min(bytes.size(), wanted - pending_.size());
    pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    bytes = bytes.subspan(n);
    return pending_.size() == wanted;
}

bool WavStreamReader::onRiffHeader() {
    const uint8_t* h = pending_.data();
    if (std::memcmp(h, "RF64", 4) == 0) return fail("RF64 (64-bit RIFF) streams are not supported");
    if (std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVE", 4) != 0)
        return fail("not a RIFF/WAVE stream");
    // The RIFF size says nothing a stream reader needs: the data chunk's own size ends it.
    pending_.clear();
    stage_ = Stage::ChunkHeader;
    return true;
}

bool WavStreamReader::onChunkHeader() {
    const uint8_t* h = pending_.data();
    const uint32_t size = le32(h + 4);
    chunkName_ = chunkName(h);
    padAfterChunk_ = (size & 1u) != 0;
    const bool isFormat = std::memcmp(h, "fmt ", 4) == 0 && !haveFormat_;
    const bool isData = std::memcmp(h, "data", 4) == 0;
    pending_.clear();
    if (isFormat) {
        if (size > kMaxFormatBytes)
            return fail(format("'fmt ' chunk of %u bytes is too large", size));
        remaining_ = size;
        stage_ = Stage::FormatBody;
    } else if (isData) {
        if (!haveFormat_) return fail("the 'data' chunk comes before the 'fmt ' chunk");
        unbounded_ = unknownSize(size);
        remaining_ = size;
        declared_ = size;
        stage_ = Stage::Data;
    } else {
        remaining_ = uint64_t{size} + (padAfterChunk_ ? 1u : 0u);
        stage_ = Stage::Skip;
    }
    return true;
}

bool WavStreamReader::onFormatBody() {
    std::string problem = checkFormat(pending_.data(), pending_.size(), format_);
    pending_.clear();
    if (!problem.empty()) return fail(std::move(problem));
    if (channel_ >= format_.channels)
        return fail(format("channel %u does not exist: the stream has %u channel(s)", channel_ + 1,
                           format_.channels));
    haveFormat_ = true;
    remaining_ = padAfterChunk_ ? 1u : 0u;
    stage_ = Stage::Skip;
    return true;
}

void WavStreamReader::readFrames(std::span<const uint8_t>& bytes, std::vector<int16_t>& samples) {
    size_t n = bytes.size();
    if (!unbounded_) n = static_cast<size_t>(std::min<uint64_t>(n, remaining_));
    const size_t frameBytes = format_.blockAlign;
    const size_t offset = size_t{channel_} * kBytesPerSample;
    size_t at = 0;
    // First complete a frame left over from the last piece.
    if (!frame_.empty()) {
        const size_t take = std::min(n, frameBytes - frame_.size());
        frame_.insert(frame_.end(), bytes.begin(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(take));
        at = take;
        if (frame_.size() == frameBytes) {
            samples.push_back(static_cast<int16_t>(le16(frame_.data() + offset)));
            frame_.clear();
        }
    }
    for (; at + frameBytes <= n; at += frameBytes)
        samples.push_back(static_cast<int16_t>(le16(bytes.data() + at + offset)));
    frame_.insert(frame_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(n));
    bytes = bytes.subspan(n);
    if (!unbounded_) {
        remaining_ -= n;
        if (remaining_ == 0) stage_ = Stage::Done;
    }
}

bool WavStreamReader::feed(std::span<const uint8_t> bytes, std::vector<int16_t>& samples) {
    while (!bytes.empty()) {
        switch (stage_) {
            case Stage::RiffHeader:
                if (readHeaderBytes(bytes, kRiffHeaderBytes) && !onRiffHeader()) return false;
                break;
            case Stage::ChunkHeader:
                if (readHeaderBytes(bytes, kChunkHeaderBytes) && !onChunkHeader()) return false;
                break;
            case Stage::FormatBody:
                if (readHeaderBytes(bytes, static_cast<size_t>(remaining_)) && !onFormatBody())
                    return false;
                break;
            case Stage::Skip: {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, bytes.size()));
                bytes = bytes.subspan(n);
                remaining_ -= n;
                if (remaining_ == 0) stage_ = Stage::ChunkHeader;
                break;
            }
            case Stage::Data:
                readFrames(bytes, samples);
                break;
            case Stage::Done:
                return true;  // whatever follows the data (LIST, id3) is not audio
            case Stage::Failed:
                return false;
        }
    }
    return true;
}

bool WavStreamReader::finish() {
    switch (stage_) {
        case Stage::Failed:
            return false;
        case Stage::RiffHeader:
            return fail(pending_.empty() ? "the stream is empty"
                                         : "not a RIFF/WAVE stream (too short)");
        case Stage::ChunkHeader:
        case Stage::FormatBody:
        case Stage::Skip:
            return fail(haveFormat_ ? "the stream ended before its 'data' chunk"
                                    : "the stream ended before its 'fmt ' chunk");
        case Stage::Data:
            if (!unbounded_)
                warning_ = format(
                    "the stream is cut short: its 'data' chunk declares %llu bytes, %llu "
                    "arrived; reading what is there",
                    static_cast<unsigned long long>(declared_),
                    static_cast<unsigned long long>(declared_ - remaining_));
            return true;
        case Stage::Done:
            return true;
    }
    return true;
}

}  // namespace tarnvel::audio
