#pragma once
// A card's mixer in memory: controls with volume ranges, switches and a source list, as a real
// card would list them, so the level logic can be tried on cards this machine does not have.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audio/MixerControls.h"

namespace tarnvel::audio::test {

struct FakeControl {
    std::string name;
    std::optional<VolumeRange> playback, capture;
    long playbackValue = 0, captureValue = 0;
    bool hasPlaybackSwitch = false, hasCaptureSwitch = false;
    bool playbackOn = false, captureOn = false;
    std::vector<std::string> items;  // a source list
    unsigned item = 0;
    bool refuses = false;  // the driver refuses every value written
};

class FakeMixerControls final : public MixerControls {
  public:
    explicit FakeMixerControls(std::string card, std::vector<FakeControl> controls,
                               std::map<std::string, FakeControl>* state = nullptr)
        : card_(std::move(card)), state_(state ? state : &own_) {
        // A shared state is the card itself: opened again, it keeps what was set.
        for (FakeControl& c : controls) {
            order_.push_back(c.name);
            state_->try_emplace(c.name, std::move(c));
        }
    }

    std::string cardName() const override { return card_; }
    std::vector<std::string> controlNames() const override { return order_; }
    std::optional<VolumeRange> volumeRange(const std::string& name,
                                           MixerDirection d) const override {
        const FakeControl* c = find(name);
        if (!c) return std::nullopt;
        return d == MixerDirection::Playback ? c->playback : c->capture;
    }
    std::optional<long> volume(const std::string& name, MixerDirection d) const override {
        if (!volumeRange(name, d)) return std::nullopt;
        const FakeControl* c = find(name);
        return d == MixerDirection::Playback ? c->playbackValue : c->captureValue;
    }
    bool setVolume(const std::string& name, MixerDirection d, long value) override {
        const auto range = volumeRange(name, d);
        FakeControl* c = find(name);
        if (!range || c->refuses || value < range->min || value > range->max) return false;
        (d == MixerDirection::Playback ? c->playbackValue : c->captureValue) = value;
        return true;
    }
    bool hasSwitch(const std::string& name, MixerDirection d) const override {
        const FakeControl* c = find(name);
        return c && (d == MixerDirection::Playback ? c->hasPlaybackSwitch : c->hasCaptureSwitch);
    }
    bool setSwitch(const std::string& name, MixerDirection d, bool on) override {
        if (!hasSwitch(name, d)) return false;
        FakeControl* c = find(name);
        (d == MixerDirection::Playback ? c->playbackOn : c->captureOn) = on;
        return true;
    }
    std::vector<std::string> sourceItems(const std::string& name) const override {
        const FakeControl* c = find(name);
        return c ? c->items : std::vector<std::string>{};
    }
    bool selectSourceItem(const std::string& name, unsigned item) override {
        FakeControl* c = find(name);
        if (!c || item >= c->items.size()) return false;
        c->item = item;
        return true;
    }

  private:
    const FakeControl* find(const std::string& name) const {
        const auto it = state_->find(name);
        return it == state_->end() ? nullptr : &it->second;
    }
    FakeControl* find(const std::string& name) {
        const auto it = state_->find(name);
        return it == state_->end() ? nullptr : &it->second;
    }

    std::string card_;
    std::vector<std::string> order_;
    std::map<std::string, FakeControl> own_;
    std::map<std::string, FakeControl>* state_;
};

// A desktop card: master and PCM, recording master, microphone and line inputs that also play
// through to the output, a microphone boost and a source list.
inline std::vector<FakeControl> desktopCard() {
    return {
        {"Master", VolumeRange{0, 87}, {}, 40, 0, true, false, false, false, {}, 0},
        {"PCM", VolumeRange{0, 255}, {}, 200, 0, true, false, false, false, {}, 0},
        {"Mic", VolumeRange{0, 31}, VolumeRange{0, 31}, 10, 10, true, true, true, false, {}, 0},
        {"Line", VolumeRange{0, 31}, VolumeRange{0, 31}, 5, 5, true, true, true, true, {}, 0},
        {"Mic Boost", {}, VolumeRange{0, 3}, 0, 1, false, false, false, false, {}, 0},
        {"Capture", {}, VolumeRange{0, 63}, 0, 30, false, true, false, false, {}, 0},
        {"Capture Source",
         {},
         {},
         0,
         0,
         false,
         false,
         false,
         false,
         {"Front Mic", "Line", "CD"},
         2},
    };
}

// A USB audio codec of a radio interface: one output level with a negative range, a microphone
// input and nothing else.
inline std::vector<FakeControl> usbCodec() {
    return {
        {"Speaker", VolumeRange{-48, 0}, {}, -20, 0, true, false, true, false, {}, 0},
        {"Mic", {}, VolumeRange{0, 16}, 0, 8, false, true, false, false, {}, 0},
    };
}

}  // namespace tarnvel::audio::test
