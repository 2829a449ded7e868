#pragma once
// Reads audio from a byte stream as it arrives (standard input, a pipe from a receiver
// program): a RIFF WAVE stream, whose sizes may be unknown (0 or 0xFFFFFFFF, as programs
// recording to a pipe write them), or raw 16-bit little-endian mono samples at a given rate.
// Bytes go in in pieces of any size; the samples of one channel come out as soon as whole
// frames are there.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/WavFormat.h"

namespace tarnvel::audio {

class WavStreamReader {
  public:
    // A WAV stream; `channel` 0 is the first.
    explicit WavStreamReader(unsigned channel = 0);
    // Raw 16-bit little-endian mono samples at `rate` per second: no header.
    static WavStreamReader raw(uint32_t rate);

    // Takes the next bytes and appends the chosen channel's samples to `samples`. False once
    // the stream is refused (see error()); later bytes are then ignored.
    bool feed(std::span<const uint8_t> bytes, std::vector<int16_t>& samples);
    // The stream has ended. False when it never reached its samples (error() says why); a
    // stream that ended before its sizes said is accepted with a warning().
    bool finish();

    // Known once the header has been read (at once for raw samples).
    bool formatKnown() const { return stage_ == Stage::Data || stage_ == Stage::Done; }
    uint32_t sampleRate() const { return format_.rate; }
    uint16_t channelCount() const { return format_.channels; }
    const std::string& error() const { return error_; }
    const std::string& warning() const { return warning_; }

  private:
    enum class Stage { RiffHeader, ChunkHeader, FormatBody, Skip, Data, Done, Failed };

    bool fail(std::string message);
    // Each takes what it needs from the front of `bytes` and moves the stage on.
    bool readHeaderBytes(std::span<const uint8_t>& bytes, size_t wanted);
    bool onRiffHeader();
    bool onChunkHeader();
    bool onFormatBody();
    void readFrames(std::span<const uint8_t>& bytes, std::vector<int16_t>& samples);

    unsigned channel_;
    Stage stage_ = Stage::RiffHeader;
    wav::Format format_;
    bool haveFormat_ = false;
    std::vector<uint8_t> pending_;  // a header or 'fmt ' body being gathered
    std::vector<uint8_t> frame_;    // a frame split between two pieces
    uint64_t remaining_ = 0;        // bytes left of the chunk being skipped or read
    bool unbounded_ = false;        // the data runs to the end of the stream
    bool padAfterChunk_ = false;    // an odd-sized chunk is followed by a pad byte
    std::string chunkName_;
    uint64_t declared_ = 0;
    std::string error_;
    std::string warning_;
};

}  // namespace tarnvel::audio
