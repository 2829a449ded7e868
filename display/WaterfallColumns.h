#pragma once
// The waterfall's pixel columns: which bins of a ring row (one column per bin) each pixel of
// the view shows under a frequency scale (zoom, mirrored "FreqMode" 2).
//
// A pixel shows the bins the scale puts on it; where the zoom spreads one bin over several
// pixels it shows the bin it maps back to. When several bins share a pixel the most prominent
// one wins, so that a narrow trace, a marker dot or the separator row never vanishes in a
// narrow window: marks over the gradient, brighter gradient entries over darker ones, and the
// black of unwritten columns last.

#include <cstdint>
#include <vector>

#include "display/FrequencyScale.h"

namespace tarnvel::display {

class WaterfallColumns {
  public:
    // Maps the pixels 0 .. scale.width() - 1. Pixels left of bin 0 or right of bin 1023 show
    // nothing (black).
    void build(const FrequencyScale& scale);

    int width() const { return static_cast<int>(spans_.size()); }
    // The bins pixel x shows, first..last; first is -1 when none.
    int firstBin(int x) const { return spans_[static_cast<size_t>(x)].first; }
    int lastBin(int x) const { return spans_[static_cast<size_t>(x)].last; }

    // One ring row (1024 palette indices in bin order) to width() pixels. Allocates nothing.
    void render(const uint8_t* bins, uint8_t* pixels) const;

  private:
    struct Span {
        int16_t first = -1;
        int16_t last = -1;
    };
    std::vector<Span> spans_;
};

}  // namespace tarnvel::display
