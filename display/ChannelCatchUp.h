#pragma once
// Catch-up on the sound history. A channel of the multichannel decoder opens one to several
// seconds after its signal began (the search needs the signal in the averaged spectrum), and
// the operator clicks a signal that has been on the air for a while: in both cases the
// receiver is run over the recent audio from a little before the signal began, so that the
// text starts with the first character sent. When the signal began comes from SignalOnset;
// how far back is bounded by kMaxSeconds and by what the history holds.

#include <cstddef>
#include <cstdint>
#include <span>

#include "display/ChannelOpenListener.h"
#include "display/SignalOnset.h"

namespace tarnvel::display {
class MultichannelChannel;
}

namespace tarnvel::display {

// The newest received samples, oldest first, in up to two pieces (a ring wraps).
struct HistoryPieces {
    std::span<const int16_t> older;
    std::span<const int16_t> newer;
    size_t size() const { return older.size() + newer.size(); }
};

// Where the recent audio is kept (the station's sound history, or a recording).
class SoundHistorySource {
  public:
    virtual ~SoundHistorySource() = default;
    // At most count of the newest samples; fewer when the history holds fewer.
    virtual HistoryPieces newestSamples(size_t count) const = 0;
};

class ChannelCatchUp final : public ChannelOpenListener {
  public:
    // Never further back than this: the search opens a channel within about 3 s of its
    // signal's start, and a right click or a channel opened late (all slots were busy) gets
    // the last 10 s at most, which costs about a millisecond of one receiver's work.
    static constexpr double kMaxSeconds = 10.0;
    // Decoding starts one spectrum row (0.19 s) before the first row that shows the signal,
    // so that the receiver has settled when the first character comes.
    static constexpr int kLeadRows = 1;
    // The catch-up goes to a channel in pieces of one input block, as live audio does, so
    // that its frequency tracking steps as often.
    static constexpr size_t kPieceSamples = 512;

    // No source: nothing is caught up (the station without a sound history).
    void setSource(const SoundHistorySource* source) { source_ = source; }
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    // Every spectrum row the search sees.
    void addRow(const SpectrumRow& analyserOutput) { onset_.addRow(analyserOutput); }
    void clearRows() { onset_.clear(); }
    const SignalOnset& onset() const { return onset_; }

    // Samples to go back for a signal at the frequency: 0 when no signal stands there now,
    // else from kLeadRows before its first row, at most kMaxSeconds.
    size_t lookbackSamples(double frequency, modem::Mode mode, double sampleRate) const;

    // A new channel: its receiver decodes the history from the signal's start, its text
    // taking what it decodes while the squelch is open (all of it with the squelch off), so
    // that the noise before the signal and the carrier's first symbols print nothing. The
    // caller then goes on giving it the live audio that follows the history.
    void channelOpened(MultichannelDecoder& decoder, int slot) override;

    // Samples the last catch-up decoded, for measurements.
    size_t lastCatchUpSamples() const { return lastSamples_; }

  private:
    static void feed(MultichannelChannel& channel, std::span<const int16_t> samples,
                     bool squelch, int threshold);

    SignalOnset onset_;
    const SoundHistorySource* source_ = nullptr;
    bool enabled_ = true;
    size_t lastSamples_ = 0;
};

}  // namespace tarnvel::display
