#include "display/SpectrumWindow.h"

#include "display/SpectrumCollector.h"
#include "modem/Tables.h"

namespace tarnvel::display {

namespace {

constexpr int kHalfBlock = kSpectrumBlockSize / 2;

// The Hann table holds a quarter of the raised cosine over a 65536-step turn; sample i of the
// block sits at step 32i, and the other three quarters follow from the symmetry of the curve.
double hannWeight(int i) {
    const auto& t = modem::raisedCosineTable();
    const int x = 32 * i;
    if (x <= 16384) return t[static_cast<size_t>(x)];
    if (x <= 32768) return 1.0 - t[static_cast<size_t>(32768 - x)];
    if (x <= 49152) return 1.0 - t[static_cast<size_t>(x - 32768)];
    return t[static_cast<size_t>(65536 - x)];
}

// Rises to 1023/1024 at the middle pair and ends at 0 on both sides; the first half counts
// i, the second 2047 - i, so the curve is one sample off symmetric.
double triangularWeight(int i) {
    return i < kHalfBlock ? i / 1024.0 : (kSpectrumBlockSize - 1 - i) / 1024.0;
}

}  // namespace

SpectrumWindow spectrumWindowFromSetting(int value) {
    switch (value) {
        case 0:
            return SpectrumWindow::None;
        case 1:
            return SpectrumWindow::Triangular;
        case 3:
            return SpectrumWindow::BlackmanNuttall;
        default:
            return SpectrumWindow::Hann;
    }
}

double spectrumWindowWeight(SpectrumWindow window, int i) {
    switch (window) {
        case SpectrumWindow::None:
            return 1.0;
        case SpectrumWindow::Triangular:
            return triangularWeight(i);
        case SpectrumWindow::BlackmanNuttall:
            return modem::windowTable()[static_cast<size_t>(i)];
        case SpectrumWindow::Hann:
            break;
    }
    return hannWeight(i);
}

void applySpectrumWindow(SpectrumWindow window, float* block) {
    if (window == SpectrumWindow::None) return;
    for (int i = 0; i < kSpectrumBlockSize; ++i)
        block[i] = static_cast<float>(block[i] * spectrumWindowWeight(window, i));
}

}  // namespace tarnvel::display
