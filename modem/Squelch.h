#pragma once
// The receive squelch: decides once per timer tick whether decoded text is shown, from the
// active decoder's quality (0..31, 31 = clean) and the operator's threshold.

namespace tarnvel::modem {

class Squelch {
  public:
    static constexpr int kMaxThreshold = 31;
    static constexpr int kDefaultThreshold = 20;
    // Ticks (300 ms each) the squelch stays open after the signal last passed.
    static constexpr int kHoldTicks = 4;

    // Threshold 0 opens only on a perfect signal, 31 on anything. Values outside 0..31 are
    // refused (false) and change nothing.
    bool setThreshold(int threshold);
    int threshold() const { return threshold_; }
    // The "Squelch" option: off lets all text through, whatever the quality.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }

    // One timer tick with the current quality.
    void tick(int quality);
    bool isOpen() const { return open_; }
    // Whether text taken from the receive buffer is shown now.
    bool passesText(bool transmitting) const { return open_ || !enabled_ || transmitting; }

  private:
    int threshold_ = kDefaultThreshold;
    bool enabled_ = true;
    int hold_ = 0;
    bool open_ = false;
};

}  // namespace tarnvel::modem
