#pragma once
// The main window's three splitters: the waterfall at the bottom, the transmit window above it,
// the receive and multichannel windows side by side on top. The rows keep "SpectrumHeight" and
// "TxPaneHeight"; a larger window gives the waterfall its share of the new height; the column
// between the receive and multichannel windows keeps "MultichannelWidth".

#include <QObject>

class QSplitter;
class QWidget;
class QResizeEvent;

namespace tarnvel::app {

class Settings;

class FrameLayout : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMinSpectrumHeight = 25;
    static constexpr int kSplitterHandleWidth = 5;

    FrameLayout(Settings& settings, QObject* parent = nullptr);

    // Builds the splitters under `owner`; the views are made by `makeViews` with the splitter
    // each goes in (top row, middle column, bottom row). Returns the outermost splitter.
    struct Views {
        QWidget* receive = nullptr;
        QWidget* multichannel = nullptr;  // the scroll area around the list
        QWidget* transmit = nullptr;
        QWidget* spectrum = nullptr;
    };
    QSplitter* build(QWidget* owner);
    QSplitter* topRow() const { return inner_; }
    QSplitter* middle() const { return middle_; }
    QSplitter* outer() const { return outer_; }
    // The views are in their splitters: the sizes can be taken and remembered.
    void attach(const Views& views);

    // Rows from the stored heights; columns from the stored width and the multichannel option.
    void layoutRows();
    void layoutColumns(bool multichannelShown);
    // The frame was resized: the first time lays everything out, later ones grow the rows.
    void frameResized(const QResizeEvent& event, bool multichannelShown);
    // Stores the row heights the operator dragged to.
    void rememberRows();
    // Stores the waterfall's height (not while minimised or maximised) and the column's width.
    void rememberAtClose(bool normalWindow, bool multichannelShown);

  private:
    void growRows(int oldHeight, int newHeight);

    Settings& settings_;
    QSplitter* outer_ = nullptr;
    QSplitter* middle_ = nullptr;
    QSplitter* inner_ = nullptr;
    Views views_;
    bool firstResize_ = true;
};

}  // namespace tarnvel::app
