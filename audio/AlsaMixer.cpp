#include "audio/AlsaMixer.h"

#include <alsa/asoundlib.h>

namespace tarnvel::audio {
namespace {

bool isPlayback(MixerDirection direction) {
    return direction == MixerDirection::Playback;
}

// The card's long name from its control interface; the control name when it has none.
std::string cardNameOf(const std::string& controlName) {
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, controlName.c_str(), 0) < 0) return controlName;
    snd_ctl_card_info_t* info = nullptr;
    std::string name = controlName;
    if (snd_ctl_card_info_malloc(&info) == 0) {
        if (snd_ctl_card_info(ctl, info) == 0 && *snd_ctl_card_info_get_name(info) != '\0')
            name = snd_ctl_card_info_get_name(info);
        snd_ctl_card_info_free(info);
    }
    snd_ctl_close(ctl);
    return name;
}

}  // namespace

AlsaMixer::Opened AlsaMixer::open(const std::string& controlName) {
    snd_mixer_t* handle = nullptr;
    int rc = snd_mixer_open(&handle, 0);
    if (rc == 0) {
        rc = snd_mixer_attach(handle, controlName.c_str());
        if (rc == 0) rc = snd_mixer_selem_register(handle, nullptr, nullptr);
        if (rc == 0) rc = snd_mixer_load(handle);
    }
    if (rc < 0) {
        if (handle != nullptr) snd_mixer_close(handle);
        return {nullptr, "Cannot open the mixer of the sound card \"" + controlName +
                             "\": " + snd_strerror(rc)};
    }
    return {std::unique_ptr<AlsaMixer>(new AlsaMixer(handle, cardNameOf(controlName))), {}};
}

AlsaMixer::AlsaMixer(snd_mixer_t* handle, std::string cardName)
    : handle_(handle), cardName_(std::move(cardName)) {}

AlsaMixer::~AlsaMixer() {
    snd_mixer_close(handle_);
}

snd_mixer_elem_t* AlsaMixer::find(const std::string& control) const {
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) != 0) return nullptr;
    snd_mixer_selem_id_set_name(id, control.c_str());
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_elem_t* elem = snd_mixer_find_selem(handle_, id);
    snd_mixer_selem_id_free(id);
    return elem;
}

std::vector<std::string> AlsaMixer::controlNames() const {
    std::vector<std::string> names;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(handle_); e != nullptr;
         e = snd_mixer_elem_next(e))
        if (snd_mixer_selem_get_index(e) == 0) names.emplace_back(snd_mixer_selem_get_name(e));
    return names;
}

std::optional<VolumeRange> AlsaMixer::volumeRange(const std::string& control,
                                                  MixerDirection direction) const {
    snd_mixer_elem_t* e = find(control);
    if (e == nullptr) return std::nullopt;
    VolumeRange range;
    if (isPlayback(direction)) {
        if (!snd_mixer_selem_has_playback_volume(e) ||
            snd_mixer_selem_get_playback_volume_range(e, &range.min, &range.max) < 0)
            return std::nullopt;
    } else if (!snd_mixer_selem_has_capture_volume(e) ||
               snd_mixer_selem_get_capture_volume_range(e, &range.min, &range.max) < 0) {
        return std::nullopt;
    }
    return range;
}

std::optional<long> AlsaMixer::volume(const std::string& control, MixerDirection direction) const {
    if (!volumeRange(control, direction)) return std::nullopt;
    snd_mixer_elem_t* e = find(control);
    long value = 0;
    const int rc = isPlayback(direction)
                       ? snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value)
                       : snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value);
    if (rc < 0) return std::nullopt;
    return value;
}

bool AlsaMixer::setVolume(const std::string& control, MixerDirection direction, long value) {
    if (!volumeRange(control, direction)) return false;
    snd_mixer_elem_t* e = find(control);
    return (isPlayback(direction) ? snd_mixer_selem_set_playback_volume_all(e, value)
                                  : snd_mixer_selem_set_capture_volume_all(e, value)) >= 0;
}

bool AlsaMixer::hasSwitch(const std::string& control, MixerDirection direction) const {
    snd_mixer_elem_t* e = find(control);
    if (e == nullptr) return false;
    return isPlayback(direction) ? snd_mixer_selem_has_playback_switch(e) != 0
                                 : snd_mixer_selem_has_capture_switch(e) != 0;
}

bool AlsaMixer::setSwitch(const std::string& control, MixerDirection direction, bool on) {
    if (!hasSwitch(control, direction)) return false;
    snd_mixer_elem_t* e = find(control);
    return (isPlayback(direction) ? snd_mixer_selem_set_playback_switch_all(e, on ? 1 : 0)
                                  : snd_mixer_selem_set_capture_switch_all(e, on ? 1 : 0)) >= 0;
}

std::vector<std::string> AlsaMixer::sourceItems(const std::string& control) const {
    std::vector<std::string> items;
    snd_mixer_elem_t* e = find(control);
    if (e == nullptr || !snd_mixer_selem_is_enum_capture(e)) return items;
    const int count = snd_mixer_selem_get_enum_items(e);
    for (int i = 0; i < count; ++i) {
        char name[128] = {};
        if (snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(i), sizeof name, name) < 0)
            name[0] = '\0';
        items.emplace_back(name);
    }
    return items;
}

bool AlsaMixer::selectSourceItem(const std::string& control, unsigned item) {
    snd_mixer_elem_t* e = find(control);
    if (e == nullptr || !snd_mixer_selem_is_enum_capture(e)) return false;
    // A stereo source list holds an item per channel: every channel it has gets the item.
    if (snd_mixer_selem_set_enum_item(e, SND_MIXER_SCHN_FRONT_LEFT, item) < 0) return false;
    for (int channel = SND_MIXER_SCHN_FRONT_RIGHT; channel <= SND_MIXER_SCHN_LAST; ++channel)
        if (snd_mixer_selem_set_enum_item(e, static_cast<snd_mixer_selem_channel_id_t>(channel),
                                          item) < 0)
            break;
    return true;
}

}  // namespace tarnvel::audio
