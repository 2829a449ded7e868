#pragma once
// Operating-mode numbers ("Misc"/"Mode") that change how the display measures and draws.

namespace tarnvel::display {

inline constexpr int kModeBpsk31 = 0;
inline constexpr int kModeQpsk31 = 1;
inline constexpr int kModePactor = 10;
inline constexpr int kModeBpsk63 = 11;

}  // namespace tarnvel::display
