// The waterfall view on the offscreen platform: what a click asks for, and what is drawn.

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

#include "display/FrequencyScale.h"
#include "display/SpectrumHistory.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/StationText.h"

using namespace tarnvel::display;

namespace {

constexpr double kRate = 11025.0;
constexpr int kWidth = 1024;
constexpr int kHeight = 200;
constexpr double kSignalBin = 186.4;  // a signal centred between two bins (about 1003 Hz)

// A spectrum with a clear signal: a smooth bump 30 dB over a flat floor.
SpectrumRow signalRow() {
    SpectrumRow row{};
    for (int k = 0; k < kSpectrumBins; ++k) {
        const double d = (k - kSignalBin) / 2.0;
        row[static_cast<size_t>(k)] = static_cast<float>(1.0 + 1.5 * std::exp(-d * d));
    }
    return row;
}

}  // namespace

class SpectrumViewTest : public QObject {
    Q_OBJECT
  private:
    WaterfallModel model_;
    PhaseScope scope_;
    std::unique_ptr<CSpectrumView> view_;
    std::vector<TuningAction> actions_;

    WaterfallSettings settings() const { return WaterfallSettings{0, kRate, {}}; }

  private Q_SLOTS:
    void initTestCase() { initDisplayResources(); }

    void init() {
        model_ = WaterfallModel();
        view_ = std::make_unique<CSpectrumView>();
        view_->setEngines(SpectrumViewEngines{&model_, nullptr, nullptr, &scope_});
        view_->inputs().sampleRate = kRate;
        view_->inputs().receiveFrequency = 1500.0;
        view_->inputs().transmitFrequency = 1500.0;
        view_->resize(kWidth, kHeight);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        model_.ensureRows(kHeight);
        for (int i = 0; i < kHistoryRows; ++i) model_.addSpectrumRow(signalRow(), settings());
        actions_.clear();
        connect(view_.get(), &CSpectrumView::tuningAction, this,
                [this](const TuningAction& a) { actions_.push_back(a); });
    }

    void cleanup() { view_.reset(); }

    void clickWithSnapTunesToTheSignalCentre() {
        view_->inputs().display.snap = true;
        QTest::mouseClick(view_.get(), Qt::LeftButton, {}, QPoint(184, 100));
        QCOMPARE(actions_.size(), size_t{1});
        QVERIFY(actions_[0].setFrequency.has_value());
        const FrequencyRequest r = *actions_[0].setFrequency;
        QCOMPARE(r.flags, kSetReceive | kSetTransmit);
        QVERIFY(!r.shift);
        // The centre search steps 0.3 bin; the symmetric bump puts it within one step.
        QVERIFY2(std::fabs(r.frequency - kSignalBin * kRate / 2048) < 0.3 * kRate / 2048,
                 qPrintable(QString::number(r.frequency)));
    }

    void clickWithoutSnapTunesToTheColumn() {
        view_->inputs().display.snap = false;
        QTest::mouseClick(view_.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(184, 100));
        QCOMPARE(actions_.size(), size_t{1});
        QCOMPARE(actions_[0].setFrequency->frequency, 184 * kRate / 2048);
        QVERIFY(actions_[0].setFrequency->shift);
    }

    void ctrlClickOnlyRemembersAndLockedTransmitStays() {
        QTest::mouseClick(view_.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(300, 100));
        QCOMPARE(actions_.size(), size_t{1});
        QVERIFY(!actions_[0].setFrequency);
        QVERIFY(actions_[0].remember);
        view_->inputs().transmitLocked = true;
        QTest::mouseClick(view_.get(), Qt::LeftButton, {}, QPoint(300, 100));
        QCOMPARE(actions_.back().setFrequency->flags, kSetReceive);
    }

    void clickWhileTransmittingTunesNothing() {
        view_->inputs().state = kStateTransmitting;
        QTest::mouseClick(view_.get(), Qt::LeftButton, {}, QPoint(300, 100));
        QCOMPARE(actions_.size(), size_t{1});
        QVERIFY(!actions_[0].setFrequency);
    }

    void rightClickOpensAChannel() {
        view_->inputs().display.snap = true;
        QTest::mousePress(view_.get(), Qt::RightButton, {}, QPoint(184, 100));
        QVERIFY(!actions_.empty());
        QVERIFY(actions_[0].openChannel.has_value());
        QVERIFY(std::fabs(*actions_[0].openChannel - kSignalBin * kRate / 2048) < 2.0);
        // Closer than 60 Hz to the receive frequency the channel opens exactly there.
        actions_.clear();
        view_->inputs().receiveFrequency = 1010.0;
        QTest::mousePress(view_.get(), Qt::RightButton, {}, QPoint(184, 100));
        QCOMPARE(*actions_.at(0).openChannel, 1010.0);
    }

    void rightClickOnATagClearsItsChannel() {
        view_->inputs().display.showBookMarks = true;
        view_->inputs().display.multichannelWindow = true;
        view_->inputs().tags = {ChannelTag{false, false, 0.0}, ChannelTag{true, true, 2000.0}};
        const int x = FrequencyScale(0, kWidth, kRate).frequencyToX(2000.0);
        QTest::mousePress(view_.get(), Qt::RightButton, {},
                          QPoint(x + 3, channelTagTop(kHeight) + 8));
        QCOMPARE(actions_.size(), size_t{1});
        QCOMPARE(actions_[0].clearChannel.value_or(-1), 1);
    }

    // The newest row lies just under the scale strip, older rows below; the separator is
    // dotted green and black.
    void newestRowIsDrawnUnderTheScale() {
        SpectrumRow quiet{};
        model_.addSpectrumRow(quiet, settings());
        model_.addSeparatorRow(settings());
        const QImage shot = view_->grab().toImage();
        const int top = kScaleStripHeight;
        QCOMPARE(QColor(shot.pixel(400, top)), QColor(0, 255, 0));
        QCOMPARE(QColor(shot.pixel(401, top)), QColor(0, 0, 0));
        // The quiet row under it paints gradient entry 0; the signal rows below it are brighter
        // at the signal's column.
        const DisplayPalette palette = buildDisplayPalette(defaultPaletteAnchors());
        const Colour entry0 = palette[0];
        QCOMPARE(QColor(shot.pixel(600, top + 1)),
                 QColor(redOf(entry0), greenOf(entry0), blueOf(entry0)));
        const Colour bright = palette[paletteIndexForOutput(signalRow()[186])];
        QCOMPARE(QColor(shot.pixel(186, top + 2)),
                 QColor(redOf(bright), greenOf(bright), blueOf(bright)));
    }

    // Rows already drawn take a new palette at once, and rows added later are drawn in it.
    void newPaletteRecoloursTheRowsDrawnBefore() {
        view_->grab();
        DisplayPalette flat{};
        flat.fill(rgb(10, 20, 30));
        view_->setDisplayPalette(flat);
        QImage shot = view_->grab().toImage();
        QCOMPARE(QColor(shot.pixel(186, kScaleStripHeight + 5)), QColor(10, 20, 30));
        QCOMPARE(QColor(shot.pixel(600, kScaleStripHeight + 5)), QColor(10, 20, 30));
        model_.addSpectrumRow(SpectrumRow{}, settings());
        shot = view_->grab().toImage();
        QCOMPARE(QColor(shot.pixel(600, kScaleStripHeight)), QColor(10, 20, 30));
    }

    // The scale strip follows its colours, the width and the dial (labels move with the dial).
    void scaleStripFollowsColoursWidthAndDial() {
        const auto strip = [this] {
            return view_->grab().toImage().copy(0, 0, view_->width(), kScaleStripHeight);
        };
        const QImage before = strip();
        const int between = FrequencyScale(0, kWidth, kRate).frequencyToX(1050.0);
        QCOMPARE(QColor(before.pixel(between, 18)), QColor(Qt::black));
        view_->inputs().scaleColours.background = rgb(0, 0, 128);
        QCOMPARE(QColor(strip().pixel(between, 18)), QColor(0, 0, 128));
        view_->inputs().scaleColours.background = rgb(0, 0, 0);
        QCOMPARE(strip(), before);
        view_->inputs().dialKHz = 14070.0;
        view_->inputs().display.freqMode = 1;
        QVERIFY(strip() != before);
        view_->inputs().dialKHz = 0.0;
        view_->inputs().display.freqMode = 0;
        QCOMPARE(strip(), before);
        view_->resize(kWidth / 2, kHeight);
        const QImage narrow = strip();
        QCOMPARE(narrow.width(), kWidth / 2);
        QCOMPARE(QColor(narrow.pixel(view_->scale().frequencyToX(1000.0), 15)), QColor(Qt::white));
    }

    // A tag's letter is drawn in its box as the scale font draws it there, in the text colour.
    void channelTagLettersAreDrawnInTheirBoxes() {
        view_->inputs().display.showBookMarks = true;
        view_->inputs().display.multichannelWindow = true;
        view_->inputs().tags = {ChannelTag{false, false, 0.0}, ChannelTag{false, false, 0.0},
                                ChannelTag{true, true, 2000.0}};
        const QImage shot = view_->grab().toImage();
        const int x = FrequencyScale(0, kWidth, kRate).frequencyToX(2000.0);
        const Point o = channelTagLetterOrigin(x, channelTagTop(kHeight));
        QImage letter(12, 14, QImage::Format_RGB32);
        letter.fill(Qt::black);
        {
            QPainter p(&letter);
            QFont font = view_->font();
            font.setPixelSize(10);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRect(0, 0, 12, 14), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                       QStringLiteral("C"));
        }
        // Where the letter inks a pixel well, the tag shows the white text colour rather than
        // its red fill (whose green and blue are 40).
        int inked = 0;
        for (int y = 0; y < letter.height(); ++y)
            for (int dx = 0; dx < letter.width(); ++dx)
                if (qGreen(letter.pixel(dx, y)) > 200) {
                    ++inked;
                    const QRgb drawn = shot.pixel(o.x + dx, o.y + y);
                    QVERIFY2(qGreen(drawn) > 150 && qBlue(drawn) > 150,
                             qPrintable(QStringLiteral("%1,%2").arg(dx).arg(y)));
                }
        QVERIFY(inked > 5);
    }

    // The trace along the bottom rises at the signal of the newest row, and moves with it.
    void traceShowsTheNewestRow() {
        const auto traceHeight = [](const QImage& shot, int x) {
            int height = 0;
            for (int y = kHeight - 1; y > kHeight - 70; --y)
                if (qRed(shot.pixel(x, y)) > 100 && qBlue(shot.pixel(x, y)) < 60)
                    height = kHeight - 1 - y;
            return height;
        };
        QImage shot = view_->grab().toImage();
        QVERIFY2(traceHeight(shot, 186) > 20, "no peak at the signal");
        QVERIFY(traceHeight(shot, 600) < 20);
        SpectrumRow moved{};
        moved[400] = 2.5f;
        moved[399] = moved[401] = 2.0f;
        model_.addSpectrumRow(moved, settings());
        shot = view_->grab().toImage();
        QVERIFY2(traceHeight(shot, 400) > 20, "the trace did not follow the newest row");
        QVERIFY(traceHeight(shot, 186) < 20);
    }

    void scaleLabelsAndCursorAreDrawn() {
        const QImage shot = view_->grab().toImage();
        // The 1000 Hz tick is long (from y 13) and white.
        const int x = FrequencyScale(0, kWidth, kRate).frequencyToX(1000.0);
        QCOMPARE(QColor(shot.pixel(x, 15)), QColor(Qt::white));
        // The receive cursor's diamond is filled at (x, 26).
        const int rx = FrequencyScale(0, kWidth, kRate).frequencyToX(1500.0);
        QCOMPARE(QColor(shot.pixel(rx, 26)), QColor(168, 40, 40));
    }

    void shiftShowsTheTuningCursor() {
        view_->setModifiers(Modifiers{true, false});
        QCOMPARE(view_->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(view_->cursor().hotSpot(), QPoint(15, 15));
        view_->setModifiers(Modifiers{false, true});
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
    }

    void polishLettersRenderWithTheInstalledFont() {
        const QFontMetrics fm(view_->font());
        for (const QChar c : QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"))
            QVERIFY2(fm.inFont(c), qPrintable(QString(c)));
    }
};

QTEST_MAIN(SpectrumViewTest)
#include "SpectrumViewTest.moc"
