#pragma once
// Levels 0..255 (the stored settings) to a control's own raw range and back. The whole range
// is used, rounded to the nearest step: dividing the range by 255 first would make every level
// 0 on a control with fewer than 255 steps, that is silence.

#include <cmath>

#include "audio/MixerControls.h"

namespace tarnvel::audio {

inline constexpr int kMaxMixerLevel = 255;

inline int clampMixerLevel(int level) {
    return level < 0 ? 0 : (level > kMaxMixerLevel ? kMaxMixerLevel : level);
}

inline long rawFromLevel(int level, VolumeRange range) {
    if (range.max <= range.min) return range.min;
    const double span = static_cast<double>(range.max) - static_cast<double>(range.min);
    return range.min + std::lround(clampMixerLevel(level) * span / kMaxMixerLevel);
}

inline int levelFromRaw(long raw, VolumeRange range) {
    if (range.max <= range.min) return 0;
    const double span = static_cast<double>(range.max) - static_cast<double>(range.min);
    const double offset = static_cast<double>(raw) - static_cast<double>(range.min);
    return clampMixerLevel(static_cast<int>(std::lround(offset * kMaxMixerLevel / span)));
}

}  // namespace tarnvel::audio
