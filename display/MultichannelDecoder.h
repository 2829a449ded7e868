#pragma once
// The multichannel decoder: 26 channel slots, lettered A to Z, each able to run a BPSK receiver
// of its own, so that every PSK signal of the passband is decoded at once.
//
// New signals are found by a search over the averaged spectrum, once per spectrum row, or
// opened by the operator. A channel stays in use until it is cleared or has been quiet for
// longer than the inactivity timeout. The decoder works only in BPSK31 and BPSK63 and only
// while the multichannel window is on; otherwise it neither receives nor searches.
//
// Times are on the station's clock in milliseconds; the caller passes them to the timers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/ChannelOpenListener.h"
#include "display/MultichannelChannel.h"
#include "display/SpectrumAnalyser.h"
#include "display/SpectrumHistory.h"
#include "display/SpectrumViewLayout.h"

namespace tarnvel::display {

inline constexpr int kChannelSlots = 26;

// The settings the decoder reads, with their keys and defaults.
struct MultichannelSettings {
    bool window = true;       // "Misc"/"MultichannelWindow": decoder and window on
    int searchLevelDb = 16;   // "Misc"/"MultichannelSearchLevelDb"
    bool scroll = false;      // "Misc"/"MultichannelScroll"
    int timeoutSeconds = 15;  // "Misc"/"MultichannelTimeout"
    bool squelch = true;      // "Sound"/"Squelch"
    int sqThreshold = 20;     // "Sound"/"SqThreshold"
    bool snap = true;         // "Sound"/"Snap"
    int freqMode = 0;         // "View"/"FreqMode": 2 scans downwards
    modem::PskReceiverKind pskReceiver = modem::kDefaultPskReceiver;  // "Sound"/"PskReceiver"
};

// What the receive window gets from "go to channel": the frequency to tune (receive and
// transmit) and the text that replaces the window's content.
struct ChannelJump {
    int slot = 0;
    double frequency = 0.0;
    std::string text;
};

enum class BookmarkToggle { Cleared, Opened, Nothing };

class MultichannelDecoder {
  public:
    // The automatic search never opens a channel closer to an edge than this many bins.
    static constexpr int kScanLow = 20;
    static constexpr int kScanEdgeMargin = 10;
    static constexpr int kScanStepsPerRow = 500;
    // An open closer than this to a channel in use retunes that channel.
    static constexpr double kSameSignalHz = 8.0;
    // Seek skips channels this close to the receive frequency.
    static constexpr double kSeekMinimumHz = 10.0;
    // The bookmark toggle finds a channel this close to the receive frequency.
    static constexpr int kBookmarkReachHz = 30;
    // A quiet channel keeps its line colour this long.
    static constexpr int kCarrierGraceSeconds = 2;

    // Creates the 26 slots, slot i tuned to (i + 1) x 3000 / 26 Hz, none in use.
    explicit MultichannelDecoder(double sampleRate = 11025.0);
    MultichannelDecoder(const MultichannelDecoder&) = delete;
    MultichannelDecoder& operator=(const MultichannelDecoder&) = delete;

    void setSettings(const MultichannelSettings& settings) { settings_ = settings; }
    const MultichannelSettings& settings() const { return settings_; }
    // The operating mode; the decoder works only in the modes the mode table marks for it.
    void setMode(modem::Mode mode) { mode_ = mode; }
    modem::Mode mode() const { return mode_; }
    bool active() const;
    // A new sound card rate: later channels take it, channels already there follow at once.
    // Refuses (false) a rate that is not finite and positive.
    bool setSampleRate(double rate);
    double sampleRate() const { return sampleRate_; }
    // The bins the waterfall shows (from bin 0): the search scans bins 20 .. bins - 10 (at most
    // 1014), so that every channel it opens can be seen and clicked.
    void setViewWidth(int width) { viewWidth_ = width; }
    int viewWidth() const { return viewWidth_; }

    // One received block: every slot in use decodes it (only while active).
    void processBlock(const int16_t* samples, size_t count);
    // Told of every new channel before it gets live audio (the catch-up on the sound
    // history); none by default.
    void setOpenListener(ChannelOpenListener* listener) { openListener_ = listener; }

    // The automatic search, once per spectrum row. Opens (or retunes) at most one channel and
    // returns its slot. Allocates nothing.
    std::optional<int> onSpectrumRow(const SpectrumHistory& history, Milliseconds now);

    // Opens a channel at frequency in the given mode: a channel in use less than 8 Hz away is
    // retuned there, else the first free slot gets a new channel. Empty when all 26 are in use.
    std::optional<int> openChannel(modem::Mode mode, double frequency, Milliseconds now);
    void clearChannel(int slot);
    void clearAll();
    int countInUse() const;

    // The multichannel window's timer (every 250 ms): each channel's displayed carrier state
    // follows its receiver, held on for 2 s after a channel in use goes quiet.
    void onWindowTimer(Milliseconds now);
    // The station's timer (every 300 ms): channels quiet for longer than the timeout leave use.
    void onStationTimer(Milliseconds now);

    // The channel in use nearest below (above) the frequency by more than 10 Hz.
    std::optional<int> seekLeft(double receiveFrequency) const;
    std::optional<int> seekRight(double receiveFrequency) const;
    // Frequency and text for the receive window. Empty for a slot outside 0..25.
    std::optional<ChannelJump> goToChannel(int slot) const;
    // The bookmark at the receive frequency: clears the first channel within 30 Hz when it is
    // in use, else opens one at the frequency rounded to whole Hertz.
    BookmarkToggle toggleBookmark(double receiveFrequency, Milliseconds now);

    // The slots as the waterfall's channel tags see them (a tag is active while its line shows a
    // carrier). Reuses the vector's storage.
    void channelTags(std::vector<ChannelTag>& tags) const;

    static char letterOf(int slot) { return static_cast<char>('A' + slot); }
    static double initialFrequency(int slot) { return (slot + 1) * 3000.0 / kChannelSlots; }
    MultichannelChannel& channel(int slot) { return channels_[static_cast<size_t>(slot)]; }
    const MultichannelChannel& channel(int slot) const {
        return channels_[static_cast<size_t>(slot)];
    }
    bool inUse(int slot) const { return channel(slot).inUse; }
    // Counts how often each slot received a new channel, so that a reader of the texts can
    // tell one signal's channel from the next one's in the same slot.
    uint32_t generation(int slot) const { return generations_[static_cast<size_t>(slot)]; }
    int scanPosition() const { return scanPosition_; }

  private:
    bool validSlot(int slot) const { return slot >= 0 && slot < kChannelSlots; }
    bool carrierOf(const MultichannelChannel& c) const;
    void smoothLevels(const SpectrumHistory& history);
    bool isSignalAt(const SpectrumHistory& history, int bin) const;
    int scanHigh() const;

    std::array<MultichannelChannel, kChannelSlots> channels_;
    std::array<uint32_t, kChannelSlots> generations_{};
    MultichannelSettings settings_;
    modem::Mode mode_ = modem::Mode::Bpsk31;
    double sampleRate_;
    int viewWidth_ = kSpectrumBins;
    int scanPosition_ = kScanLow;
    // Smoothing buffers of the search, kept so that a row allocates nothing.
    std::array<double, kSpectrumBins> levels_{};
    std::array<double, kSpectrumBins> box_{};
    std::array<double, kSpectrumBins> smoothed_{};
    ChannelOpenListener* openListener_ = nullptr;
};

}  // namespace tarnvel::display
