#pragma once
// The multichannel window: one line per channel slot (A to Z) with the newest text of the
// channel, its background coloured by the channel's state or a highlight word.
//
// The lines are laid out by MultichannelLines with this window's font as the width measure.
// Every 250 ms the window lets the decoder update the carrier shown per line and repaints the
// lines whose text, slot or carrier changed since they were drawn (all of them when the width,
// the font or the inputs changed): a quiet line is not laid out again.

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "display/HighlightWords.h"
#include "display/MultichannelDecoder.h"
#include "display/MultichannelLines.h"
#include "modem/CharacterSet.h"
#include "modem/Mode.h"

namespace tarnvel::display {

struct RxListInputs {
    int state = 1;  // 0 stopped, 1 receiving, 2 transmitting
    modem::Mode mode = modem::Mode::Bpsk31;
    bool showBookMarks = false;
    bool scroll = false;  // "MultichannelScroll"
    LineColours colours;
    modem::CharacterSet characterSet = modem::kDefaultCharacterSet;  // of the channels' text
};

class CRxListView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWindowTimerMs = 250;

    explicit CRxListView(QWidget* parent = nullptr);

    // The decoder and highlight words outlive the view; clock gives the station's milliseconds.
    void setDecoder(MultichannelDecoder* decoder, const HighlightWords* highlights,
                    std::function<int64_t()> clock);
    void setInputs(const RxListInputs& inputs) { inputs_ = inputs; }
    RxListInputs& inputs() { return inputs_; }

    int lineHeight() const;
    // The slot under a point, or -1.
    int slotAt(int y) const;
    // The text each line showed in the last paint (for tests).
    const std::array<QString, kChannelSlots>& shownLines() const { return shown_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return QSize(40, 40); }

  Q_SIGNALS:
    void goToChannel(int slot);
    void clearChannel(int slot);
    void clearAllChannels();
    void toggleSquelchWindow();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // What a line was drawn from: its channel's text before fitting, slot and carrier.
    struct DrawnLine {
        std::string text;
        bool inUse = false;
        bool carrier = false;
        bool drawn = false;
    };

    void onWindowTimer();
    void updateChangedLines();
    bool lineChanged(int slot) const;
    QRect lineRect(int slot) const;
    bool sameLook(const RxListInputs& drawn) const;
    bool goAllowed() const;
    QColor backgroundOf(Colour c) const;

    MultichannelDecoder* decoder_ = nullptr;
    const HighlightWords* highlights_ = nullptr;
    HighlightWords noHighlights_;
    std::function<int64_t()> clock_;
    RxListInputs inputs_;
    QTimer timer_;
    std::array<QString, kChannelSlots> shown_;
    std::array<DrawnLine, kChannelSlots> drawn_;
    RxListInputs drawnInputs_;  // of the last paint of the whole window
    QSize drawnSize_;
    int drawnLineHeight_ = 0;
    mutable int lineHeight_ = 0;  // of the current font; 0 until measured
};

}  // namespace tarnvel::display
