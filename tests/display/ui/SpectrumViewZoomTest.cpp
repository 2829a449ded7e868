// The waterfall view's horizontal zoom and narrow spectrum on the offscreen platform: where
// rows, marks and clicks land, what a resize keeps, and the bins the signal search may use.

#include <QSignalSpy>
#include <QtTest>

#include "display/FrequencyScale.h"
#include "display/Palette.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/StationText.h"

using namespace tarnvel::display;

namespace {

constexpr double kRate = 11025.0;
constexpr int kHeight = 120;
constexpr int kSignalBin = 186;
constexpr double kBinHz = kRate / 2048;

// Quiet everywhere but one bright bin.
SpectrumRow oneBinRow(int bin) {
    SpectrumRow row{};
    row[static_cast<size_t>(bin)] = 4.0f;
    return row;
}

QColor paletteColour(int index) {
    const Colour c = buildDisplayPalette(defaultPaletteAnchors())[static_cast<size_t>(index)];
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

}  // namespace

class SpectrumViewZoomTest : public QObject {
    Q_OBJECT
  private:
    WaterfallModel model_;
    PhaseScope scope_;
    std::unique_ptr<CSpectrumView> view_;
    std::vector<TuningAction> actions_;

    WaterfallSettings settings() const { return WaterfallSettings{0, kRate, {}}; }
    int newestLine() const { return kScaleStripHeight; }
    QImage shot() const { return view_->grab().toImage(); }

    void showAt(int width) {
        view_->resize(width, kHeight);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        model_.ensureRows(kHeight);
    }

    bool brightAt(const QImage& image, int x) const {
        return QColor(image.pixel(x, newestLine())) == paletteColour(paletteIndexForOutput(4.0f));
    }

  private Q_SLOTS:
    void initTestCase() { initDisplayResources(); }

    void init() {
        model_ = WaterfallModel();
        view_ = std::make_unique<CSpectrumView>();
        view_->setEngines(SpectrumViewEngines{&model_, nullptr, nullptr, &scope_});
        view_->inputs().sampleRate = kRate;
        view_->inputs().receiveFrequency = 1500.0;
        view_->inputs().transmitFrequency = 1500.0;
        view_->inputs().display.snap = false;
        view_->inputs().display.phaseScope = false;
        actions_.clear();
        connect(view_.get(), &CSpectrumView::tuningAction, this,
                [this](const TuningAction& a) { actions_.push_back(a); });
    }

    void cleanup() { view_.reset(); }

    void fitIsTheDefaultAndFillsTheWidth() {
        QCOMPARE(view_->zoom(), WaterfallZoom::FitToWidth);
        showAt(1536);
        model_.addSpectrumRow(oneBinRow(kSignalBin), settings());
        const QImage image = shot();
        // 1.5 pixels a bin: the bright bin shows at x = 279, and the far right is drawn.
        QVERIFY(brightAt(image, 279));
        QVERIFY(!brightAt(image, kSignalBin));
        QCOMPARE(QColor(image.pixel(1530, newestLine())), paletteColour(0));
        // The receive cursor and the 1000 Hz tick follow the scale.
        QCOMPARE(QColor(image.pixel(qRound(1500.0 / kBinHz * 1.5), 26)), QColor(168, 40, 40));
        QCOMPARE(QColor(image.pixel(279, 15)), QColor(Qt::white));
        // A click at the bright column tunes to its bin.
        QTest::mouseClick(view_.get(), Qt::LeftButton, {}, QPoint(279, 60));
        QCOMPARE(actions_.size(), size_t{1});
        QCOMPARE(actions_[0].setFrequency->frequency, kSignalBin * kBinHz);
    }

    void onePixelPerBinLeavesAWideViewBlackBeyondTheSpectrum() {
        showAt(1536);
        model_.addSpectrumRow(oneBinRow(kSignalBin), settings());
        view_->setZoom(WaterfallZoom::OnePixelPerBin);
        const QImage image = shot();
        QVERIFY(brightAt(image, kSignalBin));
        QCOMPARE(QColor(image.pixel(1023, newestLine())), paletteColour(0));
        QCOMPARE(QColor(image.pixel(1100, newestLine())), QColor(Qt::black));
        QTest::mouseClick(view_.get(), Qt::LeftButton, {}, QPoint(300, 60));
        QCOMPARE(actions_.back().setFrequency->frequency, 300 * kBinHz);
    }

    void markersTagsAndMirroredScaleFollowTheZoom() {
        showAt(512);  // fitted: half a pixel per bin
        view_->inputs().display.freqMode = kFreqModeLowerSideband;
        view_->inputs().display.showBookMarks = true;
        view_->inputs().tags = {ChannelTag{true, true, 2000.0}};
        WaterfallSettings marked = settings();
        marked.markers = {2500.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        model_.addSpectrumRow(SpectrumRow{}, marked);
        const QImage image = shot();
        const FrequencyScale scale(kFreqModeLowerSideband, 512, kRate, 0.5);
        const int markerX = scale.frequencyToX(2500.0);
        QCOMPARE(markerX, 512 - 232);
        QCOMPARE(QColor(image.pixel(markerX, newestLine())), QColor(255, 0, 0));
        // The tag is drawn and hit where the scale puts its channel.
        const int tagX = scale.frequencyToX(2000.0);
        QCOMPARE(QColor(image.pixel(tagX, channelTagTop(kHeight) + 12)), QColor(168, 40, 40));
        QTest::mousePress(view_.get(), Qt::RightButton, {},
                          QPoint(tagX + 2, channelTagTop(kHeight) + 8));
        QCOMPARE(actions_.back().clearChannel.value_or(-1), 0);
    }

    void resizingKeepsTheRowsDrawnSoFar() {
        showAt(1024);
        for (int i = 0; i < 3; ++i) model_.addSpectrumRow(oneBinRow(kSignalBin), settings());
        QVERIFY(brightAt(shot(), kSignalBin));
        view_->resize(1536, kHeight + 40);
        QTRY_COMPARE(view_->height(), kHeight + 40);
        const QImage wider = shot();
        QVERIFY2(brightAt(wider, 279), "the rows were erased by the resize");
        QCOMPARE(QColor(wider.pixel(279, newestLine() + 2)),
                 QColor(wider.pixel(279, newestLine())));
        QCOMPARE(QColor(wider.pixel(279, newestLine() + 3)), QColor(Qt::black));
    }

    void narrowSpectrumShowsHalfTheSpanAtTwiceTheScale() {
        showAt(1024);
        model_.addSpectrumRow(oneBinRow(kSignalBin), settings());
        view_->setNarrowSpectrum(true);
        QVERIFY(view_->narrowSpectrum());
        QImage image = shot();
        QVERIFY(brightAt(image, 2 * kSignalBin));
        QVERIFY(brightAt(image, 2 * kSignalBin - 1));
        QVERIFY(!brightAt(image, 2 * kSignalBin + 1));
        QCOMPARE(QColor(image.pixel(2 * 1000.0 / kBinHz + 0.5, 15)), QColor(Qt::white));
        // One pixel per bin and narrow: still two pixels a bin.
        view_->setZoom(WaterfallZoom::OnePixelPerBin);
        image = shot();
        QVERIFY(brightAt(image, 2 * kSignalBin));
        view_->setNarrowSpectrum(false);
        QVERIFY(brightAt(shot(), kSignalBin));
    }

    // The signal search may only open channels the operator can see and click.
    void visibleBinsFollowWidthZoomAndNarrowSpectrum() {
        QSignalSpy spy(view_.get(), &CSpectrumView::visibleBinsChanged);
        view_->setZoom(WaterfallZoom::OnePixelPerBin);
        showAt(600);
        QCOMPARE(spy.last().at(0).toInt(), 600);
        QCOMPARE(view_->visibleBins(), 600);
        view_->setZoom(WaterfallZoom::FitToWidth);
        QCOMPARE(spy.last().at(0).toInt(), 1024);
        view_->setNarrowSpectrum(true);
        QCOMPARE(spy.last().at(0).toInt(), 512);
        const int count = spy.count();
        view_->resize(900, kHeight);  // fitted: still half the spectrum
        QTRY_COMPARE(view_->width(), 900);
        QCOMPARE(spy.count(), count);
        view_->setZoom(WaterfallZoom::OnePixelPerBin);
        QCOMPARE(spy.last().at(0).toInt(), 450);
    }
};

QTEST_MAIN(SpectrumViewZoomTest)
#include "SpectrumViewZoomTest.moc"
