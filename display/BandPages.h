#pragma once
// The eleven band pages: a name, a dial frequency in kilohertz and a scale option each.
//
// Selecting a page makes it current and switches the scale ("FreqMode") to the page's option,
// so that the waterfall scale reads radio frequency on the band the operator is on.

#include <array>
#include <string>
#include <vector>

namespace tarnvel::display {

inline constexpr int kBandPageCount = 11;
inline constexpr int kDefaultBandIndex = 4;  // "20m"

struct BandPage {
    std::string name;        // "Name%i"
    std::string frequency;   // "Fq%i", kilohertz as text
    int spectrumOption = 0;  // "SpectrumOption%i", a "FreqMode" value
};

class BandPages {
  public:
    BandPages();  // the default pages, page 4 current

    const BandPage& page(int index) const { return pages_[static_cast<size_t>(index)]; }
    BandPage& page(int index) { return pages_[static_cast<size_t>(index)]; }

    int currentIndex() const { return current_; }
    // Makes a page current and returns the "FreqMode" the scale switches to. An index outside
    // 0..10 changes nothing and returns the current page's option.
    int select(int index);

    // The pages the band selector lists for a "Fourband" value: all eleven for 0, pages 1, 4, 6
    // and 8 for 1, pages 1 and 4 for 2. Other values list all pages.
    static std::vector<int> listedPages(int fourband);

    // Dial frequency of the current page in kHz, or 0 with the audio scale ("FreqMode" 0).
    double dialFrequencyKHz(int freqMode) const;

    // "Fq%i" is stored as text: read with a plain decimal conversion, written with "%0.6f".
    static double parseFrequency(const std::string& text);
    static std::string formatFrequency(double kHz);

  private:
    std::array<BandPage, kBandPageCount> pages_;
    int current_ = kDefaultBandIndex;
};

}  // namespace tarnvel::display
