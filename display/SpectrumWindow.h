#pragma once
// Weighting applied to the collected block before the spectrum transform.

namespace tarnvel::display {

// Values of the "FFTWindow" setting. Any value other than these behaves as Hann.
enum class SpectrumWindow : int { None = 0, Triangular = 1, Hann = 2, BlackmanNuttall = 3 };

// Maps a stored "FFTWindow" value to the window it selects.
SpectrumWindow spectrumWindowFromSetting(int value);

// Weight of sample i (0..2047) of the block.
double spectrumWindowWeight(SpectrumWindow window, int i);

// Multiplies the 2048-sample block in place (in double precision, stored back as float).
void applySpectrumWindow(SpectrumWindow window, float* block);

}  // namespace tarnvel::display
