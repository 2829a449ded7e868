#include "audio/SoundMixer.h"

#include <algorithm>
#include <cctype>

#include "audio/MixerScale.h"

namespace tarnvel::audio {
namespace {

using D = MixerDirection;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether a control or list item named `name` is an input of the kind: "Line", "Line In",
// "Mic", "Front Mic", "Internal Mic"... ("Mic Boost" is a gain, not an input).
bool isSourceOfKind(const std::string& name, RecordSource source) {
    const std::string n = lower(name);
    if (n.find("boost") != std::string::npos) return false;
    return n.find(source == RecordSource::LineIn ? "line" : "mic") != std::string::npos;
}

bool isRecordingMaster(const std::string& name) {
    return lower(name) == "capture";
}

}  // namespace

const char* mixerLineName(MixerLine line) {
    switch (line) {
        case MixerLine::MasterOut:
            return "Master Out";
        case MixerLine::WaveOut:
            return "Wave Out";
        case MixerLine::MasterIn:
            return "Master In";
        case MixerLine::RecordSource:
            return "Record source";
    }
    return "";
}

const char* recordSourceName(RecordSource source) {
    return source == RecordSource::LineIn ? "Line In" : "Microphone";
}

SoundMixer::SoundMixer(std::unique_ptr<MixerControls> controls) : controls_(std::move(controls)) {}

MixerDirection SoundMixer::directionOf(MixerLine line) {
    return line == MixerLine::MasterOut || line == MixerLine::WaveOut ? D::Playback : D::Capture;
}

std::string SoundMixer::playbackControl(std::initializer_list<const char*> names,
                                        const std::string& except) const {
    for (const char* name : names)
        if (name != except && controls_->volumeRange(name, D::Playback)) return name;
    return {};
}

std::string SoundMixer::sourceControl(RecordSource source) const {
    for (const std::string& name : controls_->controlNames())
        if (isSourceOfKind(name, source) && controls_->volumeRange(name, D::Capture)) return name;
    return {};
}

std::string SoundMixer::controlOf(MixerLine line) const {
    switch (line) {
        case MixerLine::MasterOut:
            // Cards without a master (USB codecs) have their one output level as "Speaker" or
            // "PCM".
            return playbackControl({"Master", "Speaker", "PCM", "Headphone"}, {});
        case MixerLine::WaveOut: {
            const std::string master = controlOf(MixerLine::MasterOut);
            return master.empty() ? std::string{} : playbackControl({"PCM"}, master);
        }
        case MixerLine::MasterIn:
            return controls_->volumeRange("Capture", D::Capture) ? "Capture" : "";
        case MixerLine::RecordSource:
            return sourceControl(source_);
    }
    return {};
}

std::optional<int> SoundMixer::level(MixerLine line) const {
    const std::string control = controlOf(line);
    if (control.empty()) return std::nullopt;
    const auto range = controls_->volumeRange(control, directionOf(line));
    const auto raw = controls_->volume(control, directionOf(line));
    if (!range || !raw) return std::nullopt;
    return levelFromRaw(*raw, *range);
}

std::string SoundMixer::setLevel(MixerLine line, int level) {
    const std::string control = controlOf(line);
    if (control.empty())
        return "The sound card \"" + cardName() + "\" has no " + mixerLineName(line) + " level.";
    const auto range = controls_->volumeRange(control, directionOf(line));
    if (!range || !controls_->setVolume(control, directionOf(line), rawFromLevel(level, *range)))
        return "The sound card \"" + cardName() + "\" did not take the level of \"" + control +
               "\".";
    return {};
}

std::string SoundMixer::sourceListControl() const {
    for (const std::string& name : controls_->controlNames())
        if (!controls_->sourceItems(name).empty()) return name;
    return {};
}

std::optional<unsigned> SoundMixer::sourceListItem(RecordSource source) const {
    const std::string list = sourceListControl();
    if (list.empty()) return std::nullopt;
    const std::vector<std::string> items = controls_->sourceItems(list);
    for (unsigned i = 0; i < items.size(); ++i)
        if (isSourceOfKind(items[i], source)) return i;
    return std::nullopt;
}

bool SoundMixer::hasSource(RecordSource source) const {
    if (sourceListItem(source)) return true;
    for (const std::string& name : controls_->controlNames())
        if (isSourceOfKind(name, source) &&
            (controls_->hasSwitch(name, D::Capture) || controls_->volumeRange(name, D::Capture)))
            return true;
    return false;
}

std::string SoundMixer::selectSource(RecordSource source, bool exclusive) {
    if (!hasSource(source))
        return "The sound card \"" + cardName() + "\" has no " + recordSourceName(source) +
               " input.";
    source_ = source;
    bool taken = true;
    if (const auto item = sourceListItem(source))
        taken = controls_->selectSourceItem(sourceListControl(), *item);
    for (const std::string& name : controls_->controlNames())
        if (isSourceOfKind(name, source) && controls_->hasSwitch(name, D::Capture))
            taken = controls_->setSwitch(name, D::Capture, true) && taken;
    if (exclusive) makeExclusive(source);
    if (!taken)
        return "The sound card \"" + cardName() + "\" did not take the source " +
               recordSourceName(source) + ".";
    return {};
}

void SoundMixer::makeExclusive(RecordSource source) {
    for (const std::string& name : controls_->controlNames()) {
        const bool chosen = isSourceOfKind(name, source);
        const bool input = controls_->hasSwitch(name, D::Capture) ||
                           controls_->volumeRange(name, D::Capture).has_value();
        if (isRecordingMaster(name)) {
            controls_->setSwitch(name, D::Capture, true);
        } else if (input) {
            if (!chosen) controls_->setSwitch(name, D::Capture, false);
            // An input that also plays to the output would be transmitted along.
            controls_->setSwitch(name, D::Playback, false);
        }
    }
    for (MixerLine line : {MixerLine::MasterOut, MixerLine::WaveOut})
        if (const std::string c = controlOf(line); !c.empty())
            controls_->setSwitch(c, D::Playback, true);
}

}  // namespace tarnvel::audio
