#pragma once
// The station's four levels and its recording source on one card's mixer: which control of the
// card carries each, the levels 0..255 scaled to each control's own range, and the source
// choice (a source list or the lines' capture switches). Every failure comes back as a message
// naming the card and what it lacks; nothing is changed then.

#include <memory>
#include <optional>
#include <string>

#include "audio/MixerControls.h"

namespace tarnvel::audio {

// Playback master, the wave-out (PCM) line, recording master, the recording source's level.
enum class MixerLine { MasterOut, WaveOut, MasterIn, RecordSource };
// Stored as "Source": 0 line in, 1 microphone.
enum class RecordSource { LineIn = 0, Microphone = 1 };

const char* mixerLineName(MixerLine line);
const char* recordSourceName(RecordSource source);

class SoundMixer {
  public:
    explicit SoundMixer(std::unique_ptr<MixerControls> controls);

    std::string cardName() const { return controls_->cardName(); }

    // The card's control that carries the line; empty when it has none. The recording source's
    // level is the chosen source's own control.
    std::string controlOf(MixerLine line) const;
    bool hasLine(MixerLine line) const { return !controlOf(line).empty(); }
    // 0..255; nothing when the card has no such line.
    std::optional<int> level(MixerLine line) const;
    // Empty on success, else what went wrong.
    std::string setLevel(MixerLine line, int level);

    bool hasSource(RecordSource source) const;
    RecordSource source() const { return source_; }
    // The source the card is taken to record from (its level is the recording source's), when
    // it was chosen before; the card is not touched.
    void assumeSource(RecordSource source) { source_ = source; }
    // Records from `source`. With exclusive set ("SelectSource") the other inputs stop
    // recording, the inputs stop playing through to the output (they would go out on the air)
    // and the playback lines are switched on. Empty on success, else what went wrong.
    std::string selectSource(RecordSource source, bool exclusive);

  private:
    std::string playbackControl(std::initializer_list<const char*> names,
                                const std::string& except) const;
    std::string sourceControl(RecordSource source) const;
    std::string sourceListControl() const;
    std::optional<unsigned> sourceListItem(RecordSource source) const;
    static MixerDirection directionOf(MixerLine line);
    void makeExclusive(RecordSource source);

    std::unique_ptr<MixerControls> controls_;
    RecordSource source_ = RecordSource::Microphone;
};

}  // namespace tarnvel::audio
