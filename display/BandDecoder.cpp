#include "display/BandDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "display/ChannelCatchUp.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumHistory.h"

namespace tarnvel::display {

namespace {

// "BPSK31 (0) and BPSK63 (11)": the modes the decoder runs in, with their stored numbers.
std::string multichannelModeNames() {
    std::string names;
    for (const modem::ModeInfo& m : modem::modeTable()) {
        if (!m.multichannel) continue;
        if (!names.empty()) names += " and ";
        names += std::string(m.statusText) + " (" + std::to_string(modem::storedMode(m.mode)) + ")";
    }
    return names;
}

constexpr Milliseconds kWindowTimerMs = 250;
constexpr Milliseconds kStationTimerMs = 300;

// The recording's clock: milliseconds of audio up to sample n.
Milliseconds audioTime(size_t samples, double sampleRate) {
    return static_cast<Milliseconds>(
        std::floor(static_cast<double>(samples) * 1000.0 / sampleRate));
}

// Follows which channel each slot holds and collects everything it decodes.
class ChannelRecords {
  public:
    void collect(MultichannelDecoder& decoder) {
        for (int slot = 0; slot < kChannelSlots; ++slot) {
            MultichannelChannel& channel = decoder.channel(slot);
            const uint32_t generation = decoder.generation(slot);
            if (generation == 0) continue;  // never opened
            if (generation != generation_[static_cast<size_t>(slot)]) {
                generation_[static_cast<size_t>(slot)] = generation;
                record_[static_cast<size_t>(slot)] = channels_.size();
                channels_.push_back({MultichannelDecoder::letterOf(slot), 0.0, {}});
                kept_.push_back(0);
            }
            BandChannel& record = channels_[record_[static_cast<size_t>(slot)]];
            record.frequency = channel.frequency();
            record.text += channel.workingText();
            channel.workingText().clear();
        }
    }

    // After the window's timer: text a channel decoded while its squelch was open is kept;
    // once its line has gone quiet (the window's 2 s hold is over) what it decoded during
    // the hold, noise after the over, is left out. A fade shorter than the hold keeps it.
    void confirm(MultichannelDecoder& decoder) {
        collect(decoder);
        for (int slot = 0; slot < kChannelSlots; ++slot) {
            if (decoder.generation(slot) == 0) continue;
            const MultichannelChannel& channel = decoder.channel(slot);
            BandChannel& record = channels_[record_[static_cast<size_t>(slot)]];
            size_t& keep = kept_[record_[static_cast<size_t>(slot)]];
            if (carrier(decoder, channel))
                keep = record.text.size();
            else if (!channel.displayedCarrier())
                record.text.resize(std::min(keep, record.text.size()));
        }
    }

    std::vector<BandChannel> take(MultichannelDecoder& decoder) {
        collect(decoder);
        // A channel still holding its line at the end: its tail is noise too.
        for (int slot = 0; slot < kChannelSlots; ++slot) {
            if (decoder.generation(slot) == 0 || carrier(decoder, decoder.channel(slot))) continue;
            const size_t index = record_[static_cast<size_t>(slot)];
            channels_[index].text.resize(std::min(kept_[index], channels_[index].text.size()));
        }
        for (BandChannel& c : channels_) c.text = lineEndsAsLf(c.text);
        return std::move(channels_);
    }

  private:
    static bool carrier(const MultichannelDecoder& decoder, const MultichannelChannel& channel) {
        return channel.carrier(decoder.settings().squelch, decoder.settings().sqThreshold);
    }

    std::vector<size_t> kept_;  // per record: the text confirmed by an open squelch
    std::array<uint32_t, kChannelSlots> generation_{};
    std::array<size_t, kChannelSlots> record_{};
    std::vector<BandChannel> channels_;
};

// The recording up to the samples decoded so far, as the station's sound history would hold it.
class RecordingHistory final : public SoundHistorySource {
  public:
    RecordingHistory(std::span<const int16_t> audio, size_t capacity)
        : audio_(audio), capacity_(capacity) {}
    void setEnd(size_t end) { end_ = std::min(end, audio_.size()); }
    HistoryPieces newestSamples(size_t count) const override {
        const size_t n = std::min({count, capacity_, end_});
        return {audio_.subspan(end_ - n, n), {}};
    }

  private:
    std::span<const int16_t> audio_;
    size_t capacity_;
    size_t end_ = 0;
};

}  // namespace

std::string lineEndsAsLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.push_back(text[i]);
            continue;
        }
        out.push_back('\n');
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

BandDecodeResult decodeBand(std::span<const int16_t> audio, const BandDecodeOptions& options) {
    BandDecodeResult result;
    if (!modem::runsMultichannel(options.mode)) {
        result.error = "the multichannel decoder works in " + multichannelModeNames() +
                       " only, not in mode " + std::to_string(modem::storedMode(options.mode));
        return result;
    }
    if (!std::isfinite(options.sampleRate) || options.sampleRate <= 0.0) {
        result.error = "the sample rate must be a positive number";
        return result;
    }

    // The analyser's buffers and the 26 channels are large: keep them off the stack.
    auto decoder = std::make_unique<MultichannelDecoder>(options.sampleRate);
    MultichannelSettings settings = options.settings;
    settings.window = true;
    decoder->setSettings(settings);
    decoder->setMode(options.mode);
    auto collector = std::make_unique<SpectrumCollector>();
    auto analyser = std::make_unique<SpectrumAnalyser>();
    auto history = std::make_unique<SpectrumHistory>();
    auto row = std::make_unique<SpectrumRow>();
    ChannelRecords records;
    RecordingHistory recent(audio, static_cast<size_t>(std::max(0.0, options.historySeconds) *
                                                       options.sampleRate));
    auto catchUp = std::make_unique<ChannelCatchUp>();
    catchUp->setSource(&recent);
    catchUp->setEnabled(options.catchUp);
    decoder->setOpenListener(catchUp.get());

    Milliseconds nextWindowTick = kWindowTimerMs;
    Milliseconds nextStationTick = kStationTimerMs;
    size_t done = 0;
    while (done < audio.size()) {
        const size_t count = std::min(kBandBlockSamples, audio.size() - done);
        const int16_t* block = audio.data() + done;
        // The input block: collected for the spectrum, then decoded by every channel.
        const bool rowDue = collector->collect(block, count);
        decoder->processBlock(block, count);
        // Taken before the search can give a slot to a new channel.
        records.collect(*decoder);
        done += count;
        const Milliseconds now = audioTime(done, options.sampleRate);
        // The view's paint that follows a full block: a new row, then one search.
        if (rowDue) {
            analyser->analyseBlock(collector->block(), options.window, *row);
            history->addRow(*row);
            catchUp->addRow(*row);
            recent.setEnd(done);
            collector->clearBlockReady();
            decoder->onSpectrumRow(*history, now);
        }
        for (; nextWindowTick <= now; nextWindowTick += kWindowTimerMs) {
            decoder->onWindowTimer(nextWindowTick);
            records.confirm(*decoder);
        }
        for (; nextStationTick <= now; nextStationTick += kStationTimerMs)
            decoder->onStationTimer(nextStationTick);
        records.collect(*decoder);
    }
    result.ok = true;
    result.channels = records.take(*decoder);
    return result;
}

}  // namespace tarnvel::display
